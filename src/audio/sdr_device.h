#pragma once
// A live SDR receiver as an I/Q source, the same interface the recordings
// give: interleaved I and Q at the device's own rate. Only its .cpp knows
// the device library.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "audio/float_frame_source.h"

namespace talvir {

// --device soapy:ARGS: ARGS are the device library's key=value pairs
// (driver=rtlsdr,serial=...).
inline constexpr std::string_view kSdrDevicePrefix = "soapy:";
// What a receiver tuned to the HF band or one channel is asked for when the
// command line names no rate: wide enough for a dozen HFDL channels, and a
// rate the usual devices offer.
inline constexpr double kDefaultSdrRate = 250000;
// The airband: eight ACARS channels within 2 MHz.
inline constexpr double kDefaultAirbandSdrRate = 2400000;

struct SdrDeviceSpec {
  std::string args;      // key=value pairs, comma-separated; empty: the first device found
  double centreHz = 0;   // where the receiver is tuned
  double rate = kDefaultSdrRate;
  std::optional<double> gainDb;  // none: the device's automatic gain
};

struct OpenedSdr {
  std::unique_ptr<FloatFrameSource> samples;
  std::string description;  // the device and what it was set to, for the status line
};

// Whether this build can talk to SDR devices at all.
bool SdrDevicesSupported();

// The device, tuned and streaming; nothing, with a one-line reason in error,
// when no device matches or it refuses the settings.
std::optional<OpenedSdr> OpenSdrDevice(const SdrDeviceSpec& spec, std::string& error);

}  // namespace talvir
