#pragma once
// A capture device driven by the test: it holds the buffers handed to it in
// order and returns them when the test says so.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "audio/capture_driver.h"

namespace talvir::testing {

class FakeCaptureDriver : public CaptureDriver {
 public:
  OpenResult Open(std::string_view deviceName, CaptureDriverEvents& events) override {
    std::lock_guard lock(mutex);
    calls.push_back("open");
    openedName = std::string(deviceName);
    events_ = &events;
    open_ = openResult.Ok();
    if (open_) events.DeviceOpened();
    return openResult;
  }
  bool AddBuffer(CaptureBuffer& buffer) override {
    std::lock_guard lock(mutex);
    EXPECT_EQ(std::count(held.begin(), held.end(), &buffer), 0)
        << "a buffer was handed over while the driver still held it";
    EXPECT_EQ(buffer.user.load(), 1);
    if (!open_) return false;
    held.push_back(&buffer);
    added.push_back(&buffer);
    return true;
  }
  void Start() override { Record("start"); }
  void Stop() override {
    Record("stop");
    if (returnOneOnStop) ReturnOldest(0xEE);
  }
  void Reset() override {
    Record("reset");
    if (keepBuffersOnReset) return;
    while (HeldCount() > 0) ReturnOldest(0);
  }
  void Close() override {
    Record("close");
    std::lock_guard lock(mutex);
    open_ = false;
  }

  // The device fills its oldest buffer and returns it.
  void ReturnOldest(uint8_t fill) {
    CaptureBuffer* buffer;
    {
      std::lock_guard lock(mutex);
      if (held.empty()) return;
      buffer = held.front();
      held.pop_front();
    }
    buffer->data.fill(fill);
    events_->BufferDone(*buffer);
  }
  std::size_t HeldCount() {
    std::lock_guard lock(mutex);
    return held.size();
  }

  std::mutex mutex;
  OpenResult openResult;
  bool keepBuffersOnReset = false;  // a driver that never gives its buffers back
  bool returnOneOnStop = false;     // data arriving while the close is under way
  std::vector<std::string> calls;
  std::string openedName;
  std::deque<CaptureBuffer*> held;
  std::vector<const CaptureBuffer*> added;  // every hand-over, in order

 private:
  void Record(const char* call) {
    std::lock_guard lock(mutex);
    calls.push_back(call);
  }
  CaptureDriverEvents* events_ = nullptr;
  bool open_ = false;
};

}  // namespace talvir::testing
