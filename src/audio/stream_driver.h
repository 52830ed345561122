#pragma once
// A capture device made of a finite source: its own thread fills each buffer
// handed over with the next block, either as soon as it gets it (decoding as
// fast as the worker takes blocks) or paced at 48000 frames/s. After the last
// partial block, padded with silence, it delivers ~0.5 s more silence so the
// decoders' delays flush; then it is exhausted and keeps what it holds.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/capture_driver.h"
#include "audio/frame_reader.h"
#include "common/pointer_ring.h"

namespace talvir {

// 10 blocks, 0.52 s.
inline constexpr int kFlushSilenceBlocks = (kSampleRate / 2 + kBlockFrames - 1) / kBlockFrames;

enum class Pacing { kAsFastAsTaken, kRealTime };

class StreamDriver final : public CaptureDriver {
 public:
  // frameRate: the reader's frames per second, which real-time pacing
  // keeps (an I/Q band runs at its own).
  StreamDriver(std::unique_ptr<FrameReader> reader, Pacing pacing, double frameRate = kSampleRate);
  ~StreamDriver() override;

  OpenResult Open(std::string_view deviceName, CaptureDriverEvents& events) override;
  bool AddBuffer(CaptureBuffer& buffer) override;
  void Start() override;
  void Stop() override;
  void Reset() override;
  void Close() override;
  bool Exhausted() const override { return exhausted_.load(); }
  // Frames the source delivered, without the padding and flush silence.
  uint64_t SourceFrames() const { return sourceFrames_.load(); }

 private:
  void Produce();
  // Fills the block with what comes next; false once everything, the flush
  // silence included, has been delivered.
  bool Fill(CaptureBlock& block);

  std::unique_ptr<FrameReader> reader_;
  const Pacing pacing_;
  const std::chrono::duration<double> blockDuration_;

  std::mutex lock_;  // guards the flags below; the ring has its own
  std::condition_variable wake_;
  PointerRing<CaptureBuffer> pending_{kCaptureBufferCount};
  CaptureDriverEvents* events_ = nullptr;
  bool open_ = false;
  bool running_ = false;
  std::chrono::steady_clock::time_point startTime_;
  int64_t blocksSinceStart_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;

  // Producer thread only.
  bool endOfInput_ = false;
  int silenceBlocksSent_ = 0;
  std::atomic<uint64_t> sourceFrames_{0};
  std::atomic<bool> exhausted_{false};
};

}  // namespace talvir
