#pragma once
// Reading a pipe or file descriptor in whole units (frames), in short polls
// so that a stop request is seen while the pipe is quiet.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

namespace talvir {

// Fills out with as many whole units of `unit` bytes as fit; fewer only at the
// end of the input (then `ended` is set; a trailing part unit is dropped) or
// once stop is set. Returns the number of units.
std::size_t ReadWholeUnits(int fd, std::span<uint8_t> out, std::size_t unit, const std::atomic<bool>& stop,
                           bool& ended);

}  // namespace talvir
