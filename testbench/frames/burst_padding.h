#pragma once
// A burst carries a fixed number of bytes for its rate code; a shorter frame
// is sent with zero bytes after it.

#include <cstdint>
#include <span>
#include <vector>

namespace talvir::testbench {

// Bytes a burst of `rateCode` (0..7) carries.
int BurstFrameBytes(int rateCode);

// `frame` followed by zero bytes up to the burst's byte count. Throws
// std::invalid_argument for a rate code outside 0..7 or a frame too long for
// the burst.
std::vector<uint8_t> PadToBurst(std::span<const uint8_t> frame, int rateCode);

}  // namespace talvir::testbench
