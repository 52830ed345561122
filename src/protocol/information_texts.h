#pragma once
// The texts of the Squitters and Statistics windows. The window classes live
// in the user interface; they call these on the window thread.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/squitter_record.h"

namespace talvir {

class TextFormatters;

inline constexpr int kFrameCounterCount = 20;

struct SquittersWindowFields {
  std::string acknowledgements;
  std::string assignments;
  std::string groundStationStatus;
  std::string stations;
};

// Lives as long as the Squitters window: stations heard stay listed, with
// their last mask and UTC flag, until it closes.
class SquittersWindowText {
 public:
  explicit SquittersWindowText(const TextFormatters& formatters) : formatters_(formatters) {}

  // summary: the latest squitter's one-line summary.
  SquittersWindowFields RenderSquittersWindow(const SquitterHistory::Snapshot& squitters,
                                              bool smartDisplay, const std::string& summary);

 private:
  struct StationEntry {
    int32_t id = 0;
    int32_t mask = 0;
    int32_t utc = 0;
  };
  static constexpr int kStationIds = 128;

  const TextFormatters& formatters_;
  std::array<StationEntry, kStationIds> stationTable_{};
};

// counters: [0] all frames, [1] failed; then (frames, failed) pairs per rate
// and interleaver, squitters last.
std::string RenderStatisticsWindow(std::span<const int32_t, kFrameCounterCount> counters);

}  // namespace talvir
