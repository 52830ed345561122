#include "audio/wave_in.h"

#include <new>
#include <thread>

namespace talvir {

WaveIn::WaveIn(CaptureDriver& driver, const Settings& settings, CloseTiming timing)
    : driver_(driver), settings_(settings), timing_(timing) {}

WaveIn::~WaveIn() {
  // The driver must not call back into a destroyed object.
  if (deviceOpen_) AudioCaptureClose();
}

bool WaveIn::Allocate() {
  try {
    buffers_ = std::make_unique<std::array<CaptureBuffer, kCaptureBufferCount>>();
  } catch (const std::bad_alloc&) {
    return false;
  }
  workerStop = 1;
  sampleBlockQueue_ = PointerRingCreate<CaptureBlock>(kSampleBlockQueueCapacity);
  return sampleBlockQueue_ != nullptr;
}

OpenResult WaveIn::AudioCaptureOpen() {
  std::lock_guard lock(controlLock_);
  workerStop = 0;
  // Blocks still queued from before a close would make the worker requeue
  // buffers out of turn, possibly the very one it is reading: drop them.
  while (PointerRingPop(sampleBlockQueue_.get()) != nullptr) --blocksQueued_;

  OpenResult result = driver_.Open(settings_.Text(&SettingsRecord::soundCardName), *this);
  if (result.Reported()) return result;
  deviceOpen_ = result.Ok();
  driver_.Reset();
  for (int i = 0; i < kBuffersWithDriver; ++i) HandOverNextBuffer();
  driver_.Start();
  return result;
}

void WaveIn::AudioCaptureClose() {
  {
    std::lock_guard lock(controlLock_);
    captureClosing = 1;
    driver_.Stop();
    driver_.Reset();
    driver_.Close();
    deviceOpen_ = false;
  }
  for (int poll = 0; poll < timing_.maxPolls && AnyBufferWithDriver(); ++poll) {
    std::this_thread::sleep_for(timing_.poll);
  }
  std::this_thread::sleep_for(timing_.pause);
}

void WaveIn::Release() {
  sampleBlockQueue_.reset();
  buffers_.reset();
}

const CaptureBlock* WaveIn::TakeBlock() { return PointerRingPop(sampleBlockQueue_.get()); }

void WaveIn::Requeue() {
  std::lock_guard lock(controlLock_);
  // A block taken just as a close began: the reopen hands over fresh buffers.
  if (captureClosing.load() != 0) return;
  HandOverNextBuffer();
}

void WaveIn::HandOverNextBuffer() {
  if (!buffers_) return;
  CaptureBuffer& buffer = (*buffers_)[static_cast<std::size_t>(requeueCounter_)];
  // A buffer the driver still holds (it did not return everything within the
  // close wait) is never handed over twice; the next requeue tries it again.
  if (buffer.user.load() != 0) return;
  requeueCounter_ = requeueCounter_ + 1 == kCaptureBufferCount ? 0 : requeueCounter_ + 1;
  // Set before the hand-over: the driver may return it at once.
  buffer.user = 1;
  if (!driver_.AddBuffer(buffer)) buffer.user = 0;
}

bool WaveIn::AnyBufferWithDriver() const {
  if (!buffers_) return false;
  for (const CaptureBuffer& buffer : *buffers_) {
    if (buffer.user.load() != 0) return true;
  }
  return false;
}

void WaveIn::DeviceOpened() { captureClosing = 0; }

void WaveIn::BufferDone(CaptureBuffer& buffer) {
  if (captureClosing.load() == 0 && PointerRingPush(sampleBlockQueue_.get(), &buffer.data) != nullptr) {
    ++blocksQueued_;
  }
  buffer.user = 0;
}

}  // namespace talvir
