#include "audio/udp_pcm_reader.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "audio/capture_buffer.h"

namespace talvir {
namespace {
constexpr int kPollMs = 20;
}  // namespace

std::unique_ptr<UdpPcmReader> UdpPcmReader::Open(const std::string& address, int port, int channels,
                                                 std::string& error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
    error = "udp: '" + address + "' is not an IPv4 address such as 127.0.0.1 or 0.0.0.0";
    return nullptr;
  }
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0) {
    error = "udp: cannot listen on " + address + " port " + std::to_string(port) + " (" + std::strerror(errno) + ")";
    if (fd >= 0) close(fd);
    return nullptr;
  }
  // Room for a second of stereo while the decoder is busy; the kernel may
  // cap it lower.
  const int buffer = kSampleRate * kCaptureBytesPerFrame;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  socklen_t length = sizeof where;
  getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
  return std::unique_ptr<UdpPcmReader>(new UdpPcmReader(fd, ntohs(where.sin_port), channels));
}

UdpPcmReader::UdpPcmReader(int socket, int port, int channels)
    : socket_(socket), port_(port), channels_(channels), heardUntil_(Clock::now()) {}

UdpPcmReader::~UdpPcmReader() { close(socket_); }

std::size_t UdpPcmReader::TakePending(std::span<uint8_t> out) {
  const std::size_t inBytes = 2 * static_cast<std::size_t>(channels_);
  const std::size_t frames = std::min((pendingEnd_ - pendingAt_) / inBytes, out.size() / kCaptureBytesPerFrame);
  for (std::size_t k = 0; k < frames; ++k, pendingAt_ += inBytes) {
    uint8_t* frame = out.data() + k * kCaptureBytesPerFrame;
    std::copy_n(datagram_.data() + pendingAt_, inBytes, frame);
    if (channels_ == 1) frame[2] = frame[3] = 0;
  }
  // A part frame at a datagram's end is dropped.
  if (pendingEnd_ - pendingAt_ < inBytes) pendingAt_ = pendingEnd_;
  return frames;
}

std::size_t UdpPcmReader::ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) {
  const std::size_t wanted = out.size() / kCaptureBytesPerFrame;
  std::size_t have = 0;
  while (have < wanted && !stop.load()) {
    if (pendingAt_ < pendingEnd_) {
      have += TakePending(out.subspan(have * kCaptureBytesPerFrame));
      continue;
    }
    pollfd ready{socket_, POLLIN, 0};
    const int polled = poll(&ready, 1, kPollMs);
    const Clock::time_point now = Clock::now();
    if (polled > 0) {
      const ssize_t got = recv(socket_, datagram_.data(), datagram_.size(), 0);
      if (got > 0) {
        pendingAt_ = 0;
        pendingEnd_ = static_cast<std::size_t>(got);
        heardUntil_ = now;
      }
      continue;
    }
    if (now - heardUntil_ < kGapBeforeSilence) continue;
    // As many silent frames as the time since the last audio holds.
    const auto silent = std::min<std::size_t>(
        wanted - have, static_cast<std::size_t>(std::chrono::duration_cast<std::chrono::microseconds>(now - heardUntil_)
                                                    .count() * kSampleRate / 1000000));
    std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(have * kCaptureBytesPerFrame),
                silent * kCaptureBytesPerFrame, uint8_t{0});
    have += silent;
    heardUntil_ += std::chrono::microseconds(static_cast<int64_t>(silent) * 1000000 / kSampleRate);
  }
  return have;
}

}  // namespace talvir
