#pragma once
// The JSON objects of the records, in the field layouts HFDL and ACARS
// aggregators already read (one object a line): HFDL as {"hfdl": {...}} with
// the burst, then "spdu" or "lpdu" (with its "hfnpdu" and "acars"); VHF ACARS
// flat. What this receiver measures beyond them is under "talvir".

#include <ctime>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "common/acars_record.h"
#include "common/decoder_links.h"
#include "common/hfdl_records.h"

namespace talvir {

// Who sends the records, and from which channel.
struct JsonFeeder {
  std::string stationId;                 // --station-id; "" = none
  std::optional<double> frequencyKhz;    // the receiver's frequency, when given
};

struct JsonStamp {
  std::time_t seconds = 0;
  long microseconds = 0;
};

nlohmann::ordered_json SquitterJson(const JsonFeeder& feeder, JsonStamp stamp, const BurstInfo& burst,
                            const SquitterRecord& squitter);
nlohmann::ordered_json LpduJson(const JsonFeeder& feeder, JsonStamp stamp, const BurstInfo& burst,
                        const LpduRecord& lpdu);
nlohmann::ordered_json VhfAcarsJson(const JsonFeeder& feeder, const AcarsMessage& message);

}  // namespace talvir
