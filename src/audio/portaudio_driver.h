#pragma once
// Capture from a sound card through PortAudio: a callback stream of 2500
// 16-bit stereo frames at 48000 frames/s. Devices are chosen by product name
// as the user stored it (at most 31 characters); the last match wins, no
// match means the default input.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "audio/block_assembler.h"
#include "audio/capture_driver.h"

struct PaStreamCallbackTimeInfo;

namespace talvir {

struct CaptureDevice {
  int index = 0;  // PortAudio device number
  std::string name;
  bool isDefault = false;
};

// Keeps PortAudio initialised while it lives; quiet about the sound servers
// and cards it probes and does not find.
class PortAudioSession {
 public:
  PortAudioSession();
  ~PortAudioSession();
  PortAudioSession(const PortAudioSession&) = delete;
  PortAudioSession& operator=(const PortAudioSession&) = delete;

  bool Ok() const { return error_ == 0; }
  int Error() const { return error_; }

 private:
  int error_;
};

// Product names are compared as stored: cut to the settings field's width.
bool MatchesProductName(std::string_view deviceName, std::string_view storedName);

// Every device with inputs, in device order. Needs an open session.
std::vector<CaptureDevice> ListCaptureDevices(const PortAudioSession& session);

class PortAudioDriver final : public CaptureDriver {
 public:
  PortAudioDriver() = default;
  ~PortAudioDriver() override;

  OpenResult Open(std::string_view deviceName, CaptureDriverEvents& events) override;
  bool AddBuffer(CaptureBuffer& buffer) override;
  void Start() override;
  void Stop() override;
  void Reset() override;
  void Close() override;

 private:
  static int StreamCallback(const void* input, void* output, unsigned long frames,
                            const PaStreamCallbackTimeInfo* time, unsigned long flags,
                            void* self);

  PortAudioSession session_;
  void* stream_ = nullptr;  // PaStream
  CaptureDriverEvents* events_ = nullptr;
  // Filled on the callback thread while the stream runs.
  BlockAssembler assembler_;
};

}  // namespace talvir
