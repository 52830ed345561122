#include "audio/stream_driver.h"

#include <algorithm>

namespace talvir {
StreamDriver::StreamDriver(std::unique_ptr<FrameReader> reader, Pacing pacing, double frameRate)
    : reader_(std::move(reader)), pacing_(pacing), blockDuration_(kBlockFrames / frameRate) {}

StreamDriver::~StreamDriver() { Close(); }

OpenResult StreamDriver::Open(std::string_view /*deviceName*/, CaptureDriverEvents& events) {
  {
    std::lock_guard lock(lock_);
    if (open_) return {OpenStatus::kAllocated, "the input is already open"};
    open_ = true;
    running_ = false;
    events_ = &events;
    stop_ = false;
  }
  thread_ = std::thread(&StreamDriver::Produce, this);
  events.DeviceOpened();
  return {};
}

bool StreamDriver::AddBuffer(CaptureBuffer& buffer) {
  {
    std::lock_guard lock(lock_);
    if (!open_ || pending_.Push(&buffer) == nullptr) return false;
  }
  wake_.notify_all();
  return true;
}

void StreamDriver::Start() {
  {
    std::lock_guard lock(lock_);
    if (!open_) return;
    running_ = true;
    startTime_ = std::chrono::steady_clock::now();
    blocksSinceStart_ = 0;
  }
  wake_.notify_all();
}

void StreamDriver::Stop() {
  {
    std::lock_guard lock(lock_);
    running_ = false;
  }
  wake_.notify_all();
}

void StreamDriver::Reset() {
  CaptureDriverEvents* events;
  {
    std::lock_guard lock(lock_);
    running_ = false;
    events = events_;
  }
  wake_.notify_all();
  // A buffer the thread is filling right now comes back when it is done.
  while (CaptureBuffer* buffer = pending_.Pop()) {
    if (events != nullptr) events->BufferDone(*buffer);
  }
}

void StreamDriver::Close() {
  {
    std::lock_guard lock(lock_);
    if (!open_) return;
    open_ = false;
    running_ = false;
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void StreamDriver::Produce() {
  for (;;) {
    CaptureBuffer* buffer = nullptr;
    {
      std::unique_lock lock(lock_);
      wake_.wait(lock, [&] { return stop_.load() || (running_ && !exhausted_ && pending_.Peek() != nullptr); });
      if (stop_) return;
      if (pacing_ == Pacing::kRealTime) {
        // A block is there once it has been "recorded".
        const auto due = startTime_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                          static_cast<double>(blocksSinceStart_ + 1) * blockDuration_);
        if (wake_.wait_until(lock, due, [&] { return stop_.load() || !running_; })) continue;
      }
      buffer = pending_.Pop();
      if (buffer == nullptr) continue;  // a reset took it meanwhile
      ++blocksSinceStart_;
    }
    if (!Fill(buffer->data)) {
      // Nothing more to deliver: keep the buffer until the device is reset.
      pending_.Push(buffer);
      exhausted_ = true;
      continue;
    }
    events_->BufferDone(*buffer);
  }
}

bool StreamDriver::Fill(CaptureBlock& block) {
  if (!endOfInput_) {
    const std::size_t frames = reader_->ReadFrames(block, stop_);
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(frames * kCaptureBytesPerFrame), block.end(), uint8_t{0});
    if (frames < static_cast<std::size_t>(kBlockFrames)) endOfInput_ = true;
    sourceFrames_.fetch_add(frames);
    if (frames > 0) return true;
  }
  if (silenceBlocksSent_ == kFlushSilenceBlocks) return false;
  block.fill(0);
  ++silenceBlocksSent_;
  return true;
}

}  // namespace talvir
