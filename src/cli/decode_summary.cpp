#include "cli/decode_summary.h"

#include <cstdio>

#include "modem/hfdl_phy.h"

namespace talvir {
namespace {

// Any slot but 0: the pair of the rate itself, not the squitter slot's.
constexpr int kNotTheSquitterSlot = 1;

}  // namespace

std::vector<std::string> DecodeSummaryLines(const DecodeTotals& totals) {
  const auto& v = totals.frames;
  auto at = [&v](int entry) { return v[static_cast<std::size_t>(entry)]; };
  std::vector<std::string> lines;
  char line[120];
  std::snprintf(line, sizeof line, "HFDL bursts heard %d: frames decoded %d, failed %d", at(FrameCounters::kAllFrames),
                at(FrameCounters::kAllFrames) - at(FrameCounters::kAllFailed), at(FrameCounters::kAllFailed));
  lines.emplace_back(line);
  for (int code = 0; code < hfdl::kRateCodes; ++code) {
    const int pair = FrameCounters::PairFor(code, kNotTheSquitterSlot);
    if (at(pair) == 0) continue;
    const std::string_view rate = hfdl::kRateTable[static_cast<std::size_t>(code)].shortText;
    std::snprintf(line, sizeof line, "  %-13.*s decoded %d, failed %d", static_cast<int>(rate.size()), rate.data(),
                  at(pair) - at(pair + 1), at(pair + 1));
    lines.emplace_back(line);
  }
  const int squitterBursts = at(FrameCounters::kSquitterFrames);
  const int squitterFailed = at(FrameCounters::kSquitterFrames + 1);
  std::snprintf(line, sizeof line, "squitters %d (failed %d), ACARS messages %d, aircraft %d",
                squitterBursts - squitterFailed, squitterFailed, totals.acarsMessages, totals.aircraft);
  lines.emplace_back(line);
  return lines;
}

}  // namespace talvir
