#pragma once
// The HFNPDU decoder with everything it writes to, built fresh per test. The
// link is a downlink from AID 0x21 at ground station 3 (Reykjavik).

#include <span>
#include <string>

#include "acars/acars_test_outputs.h"
#include "acars/hfdl_acars_printer.h"
#include "protocol/hfnpdu_decoder.h"
#include "protocol/link_context.h"
#include "protocol/system_table_decoder.h"
#include "protocol/text_formatters.h"
#include "tracking/ground_stations.h"
#include "tracking/system_table_store.h"

namespace talvir::testing {

inline constexpr int kRigGroundStation = 3;
inline constexpr int kRigAid = 0x21;

class HfnpduTestRig : public AcarsTestOutputs {
 public:
  // The text the HFNPDU left in the buffer (not yet flushed).
  std::string Decode(std::span<const uint8_t> hfnpdu) {
    decoder.DecodeHfnpdu(link, hfnpdu);
    return std::string(decodedText.Text());
  }

  GroundStations stations;
  SystemTableStore store;
  TextFormatters formatters{flights, stations, store};
  SystemTableDecoder tableDecoder{decodedText, store, stations};
  HfdlAcarsPrinter acarsPrinter{Outputs()};
  HfnpduDecoder decoder{settings, decodedText, flights, store, formatters, tableDecoder, acarsPrinter};
  LinkContext link{kDirectionAirToGround, kRigGroundStation, kRigAid, 0, 0};
};

}  // namespace talvir::testing
