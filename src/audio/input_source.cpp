#include "audio/input_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "audio/capture_buffer.h"
#include "audio/dial_shift.h"
#include "audio/float_frame_reader.h"
#include "audio/raw_pcm_reader.h"
#include "audio/resampled_source.h"
#include "audio/sound_file_samples.h"
#include "audio/udp_pcm_reader.h"
#include "audio/upper_sideband.h"

namespace talvir {
namespace {

constexpr std::string_view kUdpLoopback = "127.0.0.1";

std::string Hz(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g Hz", value);
  return text;
}

std::optional<OpenedInput> OpenUdp(const InputSpec& spec, std::string& error) {
  // udp:PORT listens on loopback; udp:ADDRESS:PORT where told.
  std::string_view rest = std::string_view(spec.path).substr(4);
  std::string address(kUdpLoopback);
  if (const std::size_t colon = rest.rfind(':'); colon != std::string_view::npos) {
    address = std::string(rest.substr(0, colon));
    rest.remove_prefix(colon + 1);
  }
  int port = -1;
  const auto parsed = std::from_chars(rest.data(), rest.data() + rest.size(), port);
  if (parsed.ec != std::errc() || parsed.ptr != rest.data() + rest.size() || port < 0 || port > 65535) {
    error = "--input " + spec.path + ": not udp:PORT or udp:ADDRESS:PORT (port 0 to 65535)";
    return std::nullopt;
  }
  if (spec.iq) {
    error = "--input " + spec.path + ": UDP audio is 16-bit audio, not I/Q; leave out --iq and --iq-format";
    return std::nullopt;
  }
  auto reader = UdpPcmReader::Open(address, port, spec.udpChannels, error);
  if (!reader) return std::nullopt;
  OpenedInput input;
  input.description = "UDP audio on " + address + " port " + std::to_string(reader->Port()) + ", " +
                      (spec.udpChannels == 1 ? "mono" : "stereo") + " 16-bit at 48000 Hz";
  input.reader = std::move(reader);
  input.channels = spec.udpChannels;
  input.live = true;
  return input;
}

// Raw I/Q from stdin or a file, or a 2-channel sound file.
std::unique_ptr<FloatFrameSource> OpenIqSamples(const InputSpec& spec, OpenedInput& input, std::string& error) {
  if (spec.sdr) {
    std::optional<OpenedSdr> device = OpenSdrDevice(*spec.sdr, error);
    if (!device) return nullptr;
    input.live = true;
    input.description = std::move(device->description);
    return std::move(device->samples);
  }
  if (spec.iqFormat) {
    if (!spec.iqRate) {
      error = "raw I/Q needs its sample rate: --iq-rate HZ";
      return nullptr;
    }
    if (spec.ReadsStdin()) {
      if (isatty(STDIN_FILENO)) {
        error = "--input - reads raw I/Q from a pipe, not from a terminal";
        return nullptr;
      }
      return std::make_unique<RawIqSamples>(STDIN_FILENO, false, *spec.iqFormat, *spec.iqRate);
    }
    const int fd = open(spec.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = spec.path + ": cannot be read (" + std::strerror(errno) + ")";
      return nullptr;
    }
    return std::make_unique<RawIqSamples>(fd, true, *spec.iqFormat, *spec.iqRate);
  }
  if (spec.ReadsStdin()) {
    error = "I/Q on stdin is raw: say its form with --iq-format and its rate with --iq-rate";
    return nullptr;
  }
  auto file = SoundFileSamples::Open(spec.path, error);
  if (!file) return nullptr;
  if (file->Channels() != 2) {
    error = spec.path + ": an I/Q recording has two channels, I and Q; this one has one (leave out --iq for audio)";
    return nullptr;
  }
  if (spec.iqRate && *spec.iqRate != file->Rate()) {
    error = spec.path + ": the file says its rate is " + Hz(file->Rate()) + ", not " + Hz(*spec.iqRate) +
            "; --iq-rate is for raw I/Q";
    return nullptr;
  }
  input.seconds = file->Seconds();
  input.warnings = file->Warnings();
  return file;
}

std::optional<OpenedInput> OpenIq(const InputSpec& spec, std::string& error) {
  OpenedInput input;
  std::unique_ptr<FloatFrameSource> iq = OpenIqSamples(spec, input, error);
  if (!iq) return std::nullopt;
  const double rate = iq->Rate();
  // A device has said what it is; a recording says its rate.
  const std::string source = input.description.empty() ? "I/Q at " + Hz(rate) : input.description;
  if (spec.band) {
    if (!spec.sdr) input.description = "I/Q band at " + Hz(rate);
    input.reader = std::make_unique<FloatFrameReader>(std::move(iq), rate);
    input.rate = rate;
    return input;
  }
  // The sideband from the dial up must lie inside the band.
  if (spec.iqDialHz < -rate / 2 || spec.iqDialHz + kSidebandWidthHz > rate / 2) {
    error = "--iq-dial " + Hz(spec.iqDialHz) + ": the " + Hz(kSidebandWidthHz) +
            " upper sideband above it must lie inside the I/Q band, " + Hz(-rate / 2) + " to " + Hz(rate / 2) +
            " from its centre";
    return std::nullopt;
  }
  input.description = source + ", the upper sideband above " + Hz(spec.iqDialHz) +
                      " from the centre as channel A";
  input.reader = std::make_unique<FloatFrameReader>(std::make_unique<UpperSideband>(
      AtRate(std::make_unique<DialShift>(std::move(iq), spec.iqDialHz), kSidebandRate)));
  input.channels = 1;
  return input;
}

}  // namespace

std::optional<OpenedIq> OpenIqBand(const InputSpec& spec, std::string& error) {
  OpenedInput input;
  std::unique_ptr<FloatFrameSource> iq = OpenIqSamples(spec, input, error);
  if (!iq) return std::nullopt;
  return OpenedIq{std::move(iq), input.seconds, input.live, std::move(input.description), std::move(input.warnings)};
}

std::optional<OpenedInput> OpenInputSource(const InputSpec& spec, std::string& error) {
  if (spec.ReadsUdp()) return OpenUdp(spec, error);
  if (spec.iq || spec.iqFormat || spec.sdr) return OpenIq(spec, error);
  OpenedInput input;
  if (spec.ReadsStdin()) {
    if (isatty(STDIN_FILENO)) {
      error = "--input - reads raw PCM from a pipe, not from a terminal";
      return std::nullopt;
    }
    input.reader = std::make_unique<RawPcmReader>(STDIN_FILENO);
    input.description = "raw 16-bit stereo PCM at 48000 Hz from stdin";
    return input;
  }
  auto file = SoundFileSamples::Open(spec.path, error);
  if (!file) return std::nullopt;
  input.channels = file->Channels();
  input.seconds = file->Seconds();
  input.warnings = file->Warnings();
  input.description = spec.path + ": " + (input.channels == 1 ? "mono" : "stereo") + " at " + Hz(file->Rate()) +
                      (file->Rate() == kSampleRate ? "" : ", resampled to 48000 Hz");
  input.reader = std::make_unique<FloatFrameReader>(std::move(file));
  return input;
}

}  // namespace talvir
