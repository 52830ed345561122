#pragma once
// Audio that an SDR program sends as UDP datagrams: 16-bit little-endian at
// 48000 frames/s, mono or stereo. A stream that pauses is heard as silence
// for as long as it pauses, so the decoders' clocks keep running; it ends
// only when stopped.

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "audio/frame_reader.h"

namespace talvir {

class UdpPcmReader : public FrameReader {
 public:
  // The silence starts once nothing has come for this long: longer than a
  // sender's jitter, short against a burst.
  static constexpr std::chrono::milliseconds kGapBeforeSilence{200};

  // Listens on address:port (an IPv4 address, for example 127.0.0.1 or
  // 0.0.0.0); nullptr with the reason in error when it cannot.
  static std::unique_ptr<UdpPcmReader> Open(const std::string& address, int port, int channels, std::string& error);
  ~UdpPcmReader() override;
  UdpPcmReader(const UdpPcmReader&) = delete;
  UdpPcmReader& operator=(const UdpPcmReader&) = delete;

  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) override;

  // The port it listens on (the one chosen when 0 was asked for).
  int Port() const { return port_; }

 private:
  using Clock = std::chrono::steady_clock;
  UdpPcmReader(int socket, int port, int channels);

  // Copies the datagram's frames waiting from `pending_` on into out.
  std::size_t TakePending(std::span<uint8_t> out);

  int socket_;
  int port_;
  int channels_;
  std::array<uint8_t, 65536> datagram_{};
  std::size_t pendingAt_ = 0;
  std::size_t pendingEnd_ = 0;
  // Audio (received, or silence put in) accounts for the time up to here.
  Clock::time_point heardUntil_;
};

}  // namespace talvir
