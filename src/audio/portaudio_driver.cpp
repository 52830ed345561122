#include "audio/portaudio_driver.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>


#include "config/settings_record.h"

namespace talvir {
namespace {

// The widest name the settings record stores, less its terminator.
constexpr std::size_t kStoredNameLength = sizeof(SettingsRecord::soundCardName) - 1;

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// PortAudio's back ends print to stderr about every card and sound server
// they probe; on a machine without them that is a screenful of noise.
PaError InitialiseQuietly() {
  snd_lib_error_set_handler(&IgnoreAlsaMessage);
  const int savedStderr = dup(STDERR_FILENO);
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (savedStderr >= 0 && devNull >= 0) dup2(devNull, STDERR_FILENO);
  const PaError error = Pa_Initialize();
  if (savedStderr >= 0 && devNull >= 0) dup2(savedStderr, STDERR_FILENO);
  if (devNull >= 0) close(devNull);
  if (savedStderr >= 0) close(savedStderr);
  return error;
}

OpenStatus StatusFromPaError(PaError error) {
  switch (error) {
    case paNoError: return OpenStatus::kOk;
    case paInvalidDevice: return OpenStatus::kBadDeviceId;
    case paDeviceUnavailable: return OpenStatus::kAllocated;
    case paNotInitialized:
    case paHostApiNotFound:
    case paInvalidHostApi: return OpenStatus::kNoDriver;
    case paInsufficientMemory: return OpenStatus::kNoMemory;
    case paInvalidFlag:
    case paBadIODeviceCombination:
    case paNullCallback:
    case paBadStreamPtr:
    case paIncompatibleHostApiSpecificStreamInfo: return OpenStatus::kInvalidParam;
    case paInvalidChannelCount:
    case paInvalidSampleRate:
    case paSampleFormatNotSupported: return OpenStatus::kBadFormat;
    default: return OpenStatus::kOtherFailure;
  }
}

PaDeviceIndex ChooseDevice(std::string_view storedName) {
  PaDeviceIndex chosen = paNoDevice;
  const PaDeviceIndex count = Pa_GetDeviceCount();
  for (PaDeviceIndex d = 0; d < count; ++d) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(d);
    if (info != nullptr && info->maxInputChannels > 0 && MatchesProductName(info->name, storedName)) {
      chosen = d;  // the last match wins
    }
  }
  return chosen != paNoDevice ? chosen : Pa_GetDefaultInputDevice();
}

}  // namespace

PortAudioSession::PortAudioSession() : error_(InitialiseQuietly()) {}

PortAudioSession::~PortAudioSession() {
  if (Ok()) Pa_Terminate();
}

bool MatchesProductName(std::string_view deviceName, std::string_view storedName) {
  return deviceName.substr(0, kStoredNameLength) == storedName.substr(0, kStoredNameLength);
}

std::vector<CaptureDevice> ListCaptureDevices(const PortAudioSession& session) {
  std::vector<CaptureDevice> devices;
  if (!session.Ok()) return devices;
  const PaDeviceIndex defaultInput = Pa_GetDefaultInputDevice();
  const PaDeviceIndex count = Pa_GetDeviceCount();
  for (PaDeviceIndex d = 0; d < count; ++d) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(d);
    if (info == nullptr || info->maxInputChannels <= 0) continue;
    devices.push_back({d, info->name != nullptr ? info->name : "", d == defaultInput});
  }
  return devices;
}

// The capture layer closes the device before it goes; this only makes sure
// no callback outlives the driver.
PortAudioDriver::~PortAudioDriver() {
  Stop();
  Close();
}

OpenResult PortAudioDriver::Open(std::string_view deviceName, CaptureDriverEvents& events) {
  if (!session_.Ok()) return {StatusFromPaError(session_.Error()), Pa_GetErrorText(session_.Error())};
  if (stream_ != nullptr) return {OpenStatus::kAllocated, "the device is already open"};
  const PaDeviceIndex device = ChooseDevice(deviceName);
  if (device == paNoDevice) return {OpenStatus::kBadDeviceId, "no capture device"};

  PaStreamParameters input{};
  input.device = device;
  input.channelCount = kCaptureChannels;
  input.sampleFormat = paInt16;
  input.suggestedLatency = Pa_GetDeviceInfo(device)->defaultHighInputLatency;
  events_ = &events;
  const PaError error = Pa_OpenStream(&stream_, &input, nullptr, kSampleRate, kBlockFrames,
                                      paClipOff, &PortAudioDriver::StreamCallback, this);
  if (error != paNoError) {
    stream_ = nullptr;
    return {StatusFromPaError(error), Pa_GetErrorText(error)};
  }
  events.DeviceOpened();
  return {};
}

bool PortAudioDriver::AddBuffer(CaptureBuffer& buffer) { return stream_ != nullptr && assembler_.Add(buffer); }

void PortAudioDriver::Start() {
  if (stream_ != nullptr) Pa_StartStream(stream_);
}

void PortAudioDriver::Stop() {
  if (stream_ != nullptr && Pa_IsStreamActive(stream_) == 1) Pa_StopStream(stream_);
}

void PortAudioDriver::Reset() {
  if (stream_ != nullptr && Pa_IsStreamActive(stream_) == 1) Pa_AbortStream(stream_);
  if (events_ != nullptr) assembler_.ReturnAll(*events_);
}

void PortAudioDriver::Close() {
  if (stream_ != nullptr) Pa_CloseStream(stream_);
  stream_ = nullptr;
}

// Asked for 2500-frame chunks; any other size still fills whole buffers.
int PortAudioDriver::StreamCallback(const void* input, void* /*output*/, unsigned long frames,
                                    const PaStreamCallbackTimeInfo* /*time*/,
                                    unsigned long /*flags*/, void* self) {
  auto& driver = *static_cast<PortAudioDriver*>(self);
  if (input != nullptr) {
    driver.assembler_.Capture({static_cast<const uint8_t*>(input), frames * kCaptureBytesPerFrame}, *driver.events_);
  }
  return paContinue;
}

}  // namespace talvir
