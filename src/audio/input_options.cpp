#include "audio/input_options.h"

#include <charconv>
#include <cmath>

namespace talvir {
namespace {

// A plain decimal number such as 12600, -1500 or 8977.5.
std::optional<double> ParseNumber(std::string_view text) {
  double value = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> InputOptions::ChannelKhz(std::optional<double> receiverKhz) const {
  if (!receiverKhz) return std::nullopt;
  return *receiverKhz + (Iq() ? iqDialHz.value_or(0) / 1000.0 : 0.0);
}

InputSpec InputOptions::Spec(std::string path, std::optional<double> receiverKhz) const {
  std::optional<SdrDeviceSpec> sdr;
  if (sdrArgs) {
    sdr = SdrDeviceSpec{.args = *sdrArgs,
                        .centreHz = receiverKhz.value_or(0) * 1000.0,
                        .rate = sdrRate.value_or(kDefaultSdrRate),
                        .gainDb = sdrGainDb};
  }
  return {.path = std::move(path),
          .sdr = std::move(sdr),
          .iq = Iq(),
          .iqFormat = iqFormat,
          .iqRate = iqRate,
          .iqDialHz = iqDialHz.value_or(0),
          .udpChannels = udpChannels.value_or(kDefaultUdpChannels)};
}

InputOptionKind InputOptionKindOf(std::string_view name) {
  if (name == "--iq") return InputOptionKind::kFlag;
  if (name == "--iq-format" || name == "--iq-rate" || name == "--iq-dial" || name == "--udp-channels" ||
      name == "--sdr-rate" || name == "--sdr-gain") {
    return InputOptionKind::kValue;
  }
  return InputOptionKind::kOther;
}

std::string SetInputOption(std::string_view name, std::string_view value, InputOptions& options) {
  const std::string quoted = std::string(name) + ": '" + std::string(value) + "'";
  if (name == "--iq") {
    options.iq = true;
  } else if (name == "--iq-format") {
    options.iqFormat = ParseIqFormat(value);
    if (!options.iqFormat) return quoted + " is not " + std::string(kIqFormatNames);
  } else if (name == "--iq-rate") {
    options.iqRate = ParseNumber(value);
    if (!options.iqRate || *options.iqRate <= 0) return quoted + " is not a positive number of samples per second";
  } else if (name == "--iq-dial") {
    options.iqDialHz = ParseNumber(value);
    if (!options.iqDialHz) return quoted + " is not a number of Hz";
  } else if (name == "--sdr-rate") {
    options.sdrRate = ParseNumber(value);
    if (!options.sdrRate || *options.sdrRate <= 0) return quoted + " is not a positive number of samples per second";
  } else if (name == "--sdr-gain") {
    options.sdrGainDb = value == "auto" ? std::nullopt : ParseNumber(value);
    if (value != "auto" && !options.sdrGainDb) return quoted + " is not a gain in dB or auto";
  } else if (name == "--udp-channels") {
    if (value != "1" && value != "2") return quoted + " is not 1 or 2";
    options.udpChannels = value == "1" ? 1 : 2;
  }
  return {};
}

std::string InputOptionsMismatch(const std::optional<std::string>& input, const InputOptions& options) {
  if (options.sdrArgs) {
    if (input) return "--input and --device soapy:... exclude each other: decode a recording or a receiver";
    if (options.iq || options.iqFormat || options.iqRate || options.udpChannels)
      return "--iq, --iq-format, --iq-rate and --udp-channels describe --input; a receiver's rate is --sdr-rate";
    return {};
  }
  if (options.sdrRate || options.sdrGainDb)
    return "--sdr-rate and --sdr-gain set up a receiver: give --device soapy:ARGS";
  if ((options.Iq() || options.iqRate || options.iqDialHz || options.udpChannels) && !input)
    return "--iq, --iq-format, --iq-rate, --iq-dial and --udp-channels describe --input: give it";
  const bool udp = input && options.Spec(*input).ReadsUdp();
  if ((options.iqRate || options.iqDialHz) && !options.Iq())
    return "--iq-rate and --iq-dial are for I/Q input: add --iq or --iq-format";
  if (options.udpChannels && !udp) return "--udp-channels is for --input udp:PORT";
  return {};
}

std::string_view InputOptionsHelp() {
  return R"(  --input udp:PORT    16-bit little-endian audio at 48000 frames/s sent as
                      UDP datagrams to 127.0.0.1 port PORT, as SDR programs
                      send it; udp:ADDRESS:PORT listens on that address (e.g.
                      0.0.0.0 for senders on the network). A pause in the
                      stream is silence; it runs until stopped
  --udp-channels N    the UDP audio is mono (1, channel A) or stereo (2);
                      default 1
  --iq                the file given to --input is an I/Q recording: a
                      2-channel sound file with I left and Q right. The upper
                      sideband above the dial (see --iq-dial), 0 to 3000 Hz,
                      becomes channel A's audio; channel B is silent
  --iq-format FMT     the input (a file, or - for stdin) is raw I/Q without a
                      header: cu8 (unsigned 8-bit), cs16 (signed 16-bit
                      little-endian) or cf32 (32-bit float); implies --iq
  --iq-rate HZ        the raw I/Q's sample rate (needed with --iq-format)
  --iq-dial HZ        where the receiver's dial (the suppressed carrier) sits
                      in the I/Q band, as an offset from its centre; may be
                      negative (default 0); also for a receiver's I/Q
  --sdr-rate HZ       the samples per second to ask of a --device soapy:...
                      receiver (default 250000, with --acars-freqs 2400000;
                      the device may round it, and the rate it runs is used)
  --sdr-gain DB       the receiver's gain in dB, or auto (default: auto, the
                      device's automatic gain where it has one)
)";
}

}  // namespace talvir
