#pragma once
// What --input and its companion options name, opened as a FrameReader for
// the capture layer: a sound file at any rate, raw PCM on stdin, I/Q (a
// 2-channel sound file or raw samples, from a file or stdin) turned into the
// upper sideband's audio, or UDP audio.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/float_frame_source.h"
#include "audio/frame_reader.h"
#include "audio/raw_iq_samples.h"
#include "audio/sdr_device.h"

namespace talvir {

inline constexpr int kDefaultUdpChannels = 1;

struct InputSpec {
  std::string path;  // a sound file, "-" for stdin, or "udp:[ADDRESS:]PORT"
  std::optional<SdrDeviceSpec> sdr{};  // a live receiver's I/Q instead of path
  bool iq = false;   // the input holds I and Q
  std::optional<IqFormat> iqFormat{};  // raw I/Q in this form; a sound file when none
  std::optional<double> iqRate{};    // raw I/Q's samples per second
  double iqDialHz = 0;               // the dial's offset from the I/Q band's centre
  int udpChannels = kDefaultUdpChannels;
  // I/Q passed on as it is, I left and Q right at the band's own rate, for
  // a decoder of many channels; else the upper sideband above the dial.
  bool band = false;

  bool ReadsStdin() const { return !sdr && path == "-"; }
  bool ReadsUdp() const { return !sdr && std::string_view(path).starts_with("udp:"); }
};

struct OpenedInput {
  std::unique_ptr<FrameReader> reader;
  int channels = 2;     // 1: channel A only, channel B silent
  double seconds = 0;   // the recording's length as its header says, when a file
  double rate = 48000;  // frames per second: 48000, or a band's rate
  bool live = false;    // a stream that ends only when stopped (UDP, an SDR)
  std::vector<std::string> warnings;  // what was mended on the way in
  std::string description;            // one line for the status: what is decoded
};

// Nothing, with a one-line reason in error, when the input cannot be used.
std::optional<OpenedInput> OpenInputSource(const InputSpec& spec, std::string& error);

// I/Q as it is, at its own rate, for a band whose channels are cut out
// (spec.iq or spec.iqFormat set).
struct OpenedIq {
  std::unique_ptr<FloatFrameSource> samples;
  double seconds = 0;  // the recording's length as its header says, when a file
  bool live = false;   // a receiver, which runs until stopped
  std::string description;  // a receiver's name and settings; empty for a recording
  std::vector<std::string> warnings;
};
std::optional<OpenedIq> OpenIqBand(const InputSpec& spec, std::string& error);

}  // namespace talvir
