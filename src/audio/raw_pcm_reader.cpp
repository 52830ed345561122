#include "audio/raw_pcm_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "audio/capture_buffer.h"

namespace talvir {
namespace {
constexpr int kStopPollMs = 100;
}  // namespace

std::size_t RawPcmReader::ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) {
  const std::size_t wanted = out.size() - out.size() % kCaptureBytesPerFrame;
  std::size_t have = 0;
  while (have < wanted && !ended_ && !stop.load()) {
    pollfd ready{fd_, POLLIN, 0};
    const int polled = poll(&ready, 1, kStopPollMs);
    if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
    const ssize_t got = polled < 0 ? -1 : read(fd_, out.data() + have, wanted - have);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      ended_ = true;  // end of the pipe, or an error that ends it
      break;
    }
    have += static_cast<std::size_t>(got);
  }
  return have / kCaptureBytesPerFrame;
}

}  // namespace talvir
