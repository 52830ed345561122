#pragma once
// What a decode found, in a few lines for the end of a run: bursts heard,
// frames decoded and failed per rate, squitters, ACARS messages, aircraft.

#include <string>
#include <vector>

#include "modem/frame_counters.h"

namespace talvir {

struct DecodeTotals {
  FrameCounters::Values frames{};
  int acarsMessages = 0;  // HFDL and VHF
  int aircraft = 0;       // in the aircraft list at the end
};

std::vector<std::string> DecodeSummaryLines(const DecodeTotals& totals);

}  // namespace talvir
