#pragma once
// The capture buffers that cycle between the driver and the worker.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "common/decoder_links.h"

namespace talvir {

inline constexpr int kCaptureChannels = 2;
inline constexpr int kCaptureBytesPerFrame = kCaptureChannels * 2;  // 16-bit left, then right
// 2500 stereo frames, 52.08 ms.
inline constexpr std::size_t kCaptureBufferBytes = kBlockFrames * kCaptureBytesPerFrame;
inline constexpr int kCaptureBufferCount = 20;
// Half the buffers are with the driver, half give the worker ~0.5 s of slack.
inline constexpr int kBuffersWithDriver = 10;

using CaptureBlock = std::array<uint8_t, kCaptureBufferBytes>;

struct CaptureBuffer {
  CaptureBlock data{};
  // 1 while the buffer is with the driver, 0 once the driver has returned it.
  // Each side writes it only while it owns the buffer.
  std::atomic<int> user{0};
};

}  // namespace talvir
