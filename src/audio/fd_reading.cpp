#include "audio/fd_reading.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace talvir {
namespace {
constexpr int kStopPollMs = 100;
}  // namespace

std::size_t ReadWholeUnits(int fd, std::span<uint8_t> out, std::size_t unit, const std::atomic<bool>& stop,
                           bool& ended) {
  const std::size_t wanted = out.size() - out.size() % unit;
  std::size_t have = 0;
  while (have < wanted && !ended && !stop.load()) {
    pollfd ready{fd, POLLIN, 0};
    const int polled = poll(&ready, 1, kStopPollMs);
    if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
    const ssize_t got = polled < 0 ? -1 : read(fd, out.data() + have, wanted - have);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      ended = true;  // end of the pipe, or an error that ends it
      break;
    }
    have += static_cast<std::size_t>(got);
  }
  // A unit cut short by a stop request is lost with the rest of the input.
  return have / unit;
}

}  // namespace talvir
