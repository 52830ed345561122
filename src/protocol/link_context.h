#pragma once
// The link state the LPDUs of one MPDU are decoded against, and the entry by
// which the LPDU decoder hands on the HFNPDUs it finds.

#include <cstdint>
#include <span>

#include "common/hfdl_records.h"

namespace talvir {

struct LinkContext {
  int direction = 0;  // 1 air to ground (downlink), 0 ground to air (uplink)
  uint8_t groundStationId = 0;
  uint8_t aid = 0;       // the current block's AID; a log-on confirm replaces it
  int icaoKnown = 0;     // 1 once a log-on LPDU supplied the ICAO address
  int icaoAddress = 0;   // 24 bits; 0 = unknown
  int hfChannel = 0;     // the HFDL channel the MPDU was heard on
  // Where the HFNPDU decoder puts what it reads; null: nowhere.
  HfnpduRecord* hfnpdu = nullptr;
};


// Decodes one HFNPDU (two type bytes, then the payload) carried by an LPDU.
// The bytes are valid during the call and stay within the LPDU.
class HfnpduReceiver {
 public:
  virtual ~HfnpduReceiver() = default;
  virtual void DecodeHfnpdu(LinkContext& link, std::span<const uint8_t> data) = 0;
};

}  // namespace talvir
