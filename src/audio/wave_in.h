#pragma once
// The capture cycle: 20 buffers, 10 of them with the driver at any time; the
// driver returns each filled buffer through SampleBlockQueue to the worker,
// which hands the next buffer in ring order back for every block it takes.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "audio/capture_buffer.h"
#include "audio/capture_driver.h"
#include "common/pointer_ring.h"
#include "config/settings.h"

namespace talvir {

inline constexpr int kSampleBlockQueueCapacity = 20;

// How long a close waits for the driver to return its buffers.
struct CloseTiming {
  int maxPolls = 9999;  // ~10 s, then the close goes on regardless
  std::chrono::milliseconds poll{1};
  std::chrono::milliseconds pause{100};  // after the wait, before anything is reopened or freed
};

class WaveIn : public CaptureDriverEvents {
 public:
  WaveIn(CaptureDriver& driver, const Settings& settings, CloseTiming timing = {});
  ~WaveIn() override;
  WaveIn(const WaveIn&) = delete;
  WaveIn& operator=(const WaveIn&) = delete;

  // The capture half of start-up: allocates the buffers and SampleBlockQueue
  // and sets workerStop. False when memory is short.
  bool Allocate();
  // Opens the device named by soundCardName (the default input when none
  // matches) and starts capture with 10 buffers handed over.
  OpenResult AudioCaptureOpen();
  // Stops and closes the device and waits for its buffers; buffers and queue
  // stay for a reopen.
  void AudioCaptureClose();
  // Frees buffers and queue. Only once the device is closed and the worker
  // has ended: both use them.
  void Release();

  // Worker side: the oldest filled block, or nullptr.
  const CaptureBlock* TakeBlock();
  // Hands the next buffer in ring order to the driver.
  void Requeue();

  // Blocks queued for the worker so far (net of blocks discarded at a reopen).
  uint64_t BlocksQueued() const { return blocksQueued_.load(); }
  bool SourceExhausted() const { return driver_.Exhausted(); }
  const CaptureBuffer& Buffer(int index) const { return (*buffers_)[static_cast<std::size_t>(index)]; }

  // Polled by the worker on every pass. workerStop ends it; captureClosing
  // (a close is under way) keeps it from taking blocks.
  std::atomic<int> workerStop{1};
  std::atomic<int> captureClosing{0};

  // The driver's callbacks.
  void DeviceOpened() override;
  void BufferDone(CaptureBuffer& buffer) override;

 private:
  void HandOverNextBuffer();
  bool AnyBufferWithDriver() const;

  CaptureDriver& driver_;
  const Settings& settings_;
  const CloseTiming timing_;

  std::unique_ptr<std::array<CaptureBuffer, kCaptureBufferCount>> buffers_;
  std::unique_ptr<PointerRing<CaptureBlock>> sampleBlockQueue_;
  // Serialises the driver calls of the window thread (open, close) with the
  // worker's requeue.
  std::mutex controlLock_;
  int requeueCounter_ = 0;  // never reset, also not across a reopen
  bool deviceOpen_ = false;
  std::atomic<uint64_t> blocksQueued_{0};
};

}  // namespace talvir
