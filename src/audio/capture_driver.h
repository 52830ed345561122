#pragma once
// The platform side of capture: a device that is handed empty buffers, fills
// them in the order received and returns them through CaptureDriverEvents on
// a thread of its own. PortAudio, a sound file and stdin implement it.

#include <string>
#include <string_view>

#include "audio/capture_buffer.h"

namespace talvir {

// Outcome of opening a device. The first six failures are the ones the user
// is told about; kOtherFailure is not reported by the desktop program.
enum class OpenStatus {
  kOk,
  kBadDeviceId,
  kAllocated,
  kNoDriver,
  kNoMemory,
  kInvalidParam,
  kBadFormat,
  kOtherFailure,
};

struct OpenResult {
  OpenStatus status = OpenStatus::kOk;
  std::string detail;  // the platform's own words, for the console

  bool Ok() const { return status == OpenStatus::kOk; }
  bool Reported() const { return !Ok() && status != OpenStatus::kOtherFailure; }
};

// "Unable to Open Soundcard Input ..." for the six reported failures, empty
// otherwise.
std::string_view OpenFailureMessage(OpenStatus status);

// What the driver tells the capture layer, from its own thread.
class CaptureDriverEvents {
 public:
  virtual ~CaptureDriverEvents() = default;
  virtual void DeviceOpened() = 0;
  // A buffer comes back, filled (or empty, when the device was reset).
  virtual void BufferDone(CaptureBuffer& buffer) = 0;
};

class CaptureDriver {
 public:
  virtual ~CaptureDriver() = default;
  // Opens for 16-bit stereo at 48000 frames/s. deviceName is a product name;
  // no match (or an empty name) means the default input. Calls DeviceOpened
  // on success.
  virtual OpenResult Open(std::string_view deviceName, CaptureDriverEvents& events) = 0;
  // False when the device cannot take the buffer (not open).
  virtual bool AddBuffer(CaptureBuffer& buffer) = 0;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  // Returns every buffer still held through BufferDone.
  virtual void Reset() = 0;
  virtual void Close() = 0;
  // True once a finite source (a file) has delivered its last block.
  virtual bool Exhausted() const { return false; }
};

}  // namespace talvir
