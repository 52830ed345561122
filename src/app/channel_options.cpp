#include "app/channel_options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <thread>

#include "app/hfdl_band_plan.h"
#include "audio/sdr_device.h"
#include "outputs/records/record_output_options.h"
#include "tracking/system_table_store.h"

namespace talvir {
namespace {

// The VHF airband: where ACARS is heard.
constexpr double kAirbandLowMhz = 118.0;
constexpr double kAirbandHighMhz = 137.0;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Comma-separated numbers (blanks around them allowed), each once; `parse`
// says whether one fits, `bad` and `twice` what to say when not.
template <typename Parse, typename Bad, typename Twice>
std::optional<std::vector<double>> ParseList(std::string_view list, Parse parse, Bad bad, Twice twice,
                                             std::string& error) {
  std::vector<double> values;
  for (;;) {
    const std::size_t comma = list.find(',');
    const std::string_view item = TrimBlanks(list.substr(0, comma));
    const std::optional<double> value = parse(item);
    if (!value) {
      error = bad(item);
      return std::nullopt;
    }
    if (std::find(values.begin(), values.end(), *value) != values.end()) {
      error = twice(item);
      return std::nullopt;
    }
    values.push_back(*value);
    if (comma == std::string_view::npos) return values;
    list.remove_prefix(comma + 1);
  }
}

std::optional<double> AirbandMhz(std::string_view item) {
  double mhz = 0;
  const auto parsed = std::from_chars(item.data(), item.data() + item.size(), mhz);
  if (item.empty() || parsed.ec != std::errc() || parsed.ptr != item.data() + item.size() ||
      !(mhz >= kAirbandLowMhz && mhz <= kAirbandHighMhz))
    return std::nullopt;
  return mhz;
}

}  // namespace

bool IsChannelOption(std::string_view name) { return name == "--freqs" || name == "--acars-freqs"; }

std::string SetChannelOption(std::string_view name, std::string_view value, ChannelOptions& options) {
  std::string error;
  if (name == "--acars-freqs") {
    options.acarsFreqsMhz =
        ParseList(
            value, AirbandMhz,
            [](std::string_view item) {
              return "--acars-freqs: '" + std::string(item) +
                     "' is not a frequency of the VHF airband in MHz (118 to 137)";
            },
            [](std::string_view item) { return "--acars-freqs: " + std::string(item) + " is listed twice"; }, error)
            .value_or(std::vector<double>{});
  } else if (TrimBlanks(value) == "table") {
    options.hfdlChannelsFromTable = true;
    options.hfdlChannelsKhz = std::vector<double>{};
  } else {
    options.hfdlChannelsKhz = ParseList(
        value, ParsePositiveNumber,
        [](std::string_view item) { return "--freqs: '" + std::string(item) + "' is not a positive number of kHz"; },
        [](std::string_view item) { return "--freqs: " + std::string(item) + " kHz is listed twice"; }, error);
  }
  return error;
}

bool SetSdrDevice(std::string_view device, InputOptions& input) {
  if (!device.starts_with(kSdrDevicePrefix)) return false;
  input.sdrArgs = std::string(device.substr(kSdrDevicePrefix.size()));
  return true;
}

std::string CheckChannelOptions(const ChannelOptions& channels, InputOptions& input,
                                std::optional<double> centreKhz) {
  if (input.sdrArgs && !centreKhz) return "--device soapy:... needs --freq KHZ: where to tune the receiver";
  if (channels.Airband()) {
    if (channels.DecodesBand()) return "--freqs and --acars-freqs decode different bands: give one of them";
    if (!input.Iq()) return "--acars-freqs cuts channels out of I/Q: give --iq or --iq-format";
    if (!centreKhz) return "--acars-freqs needs --freq KHZ, the centre of the I/Q band";
    if (input.iqDialHz) return "--iq-dial picks one HF channel of the I/Q; --acars-freqs decodes ACARS instead";
    if (input.sdrArgs && !input.sdrRate) input.sdrRate = kDefaultAirbandSdrRate;
  }
  if (channels.DecodesBand()) {
    if (!input.Iq()) return "--freqs cuts channels out of an I/Q band: it needs --iq or --iq-format";
    if (!centreKhz) return "--freqs needs the band's centre: --freq KHZ";
    if (input.iqDialHz) return "--iq-dial picks one channel; with --freqs each channel is its own dial";
  }
  return {};
}

std::optional<HfdlBandOptions> PlanHfdlBand(const ChannelOptions& channels, double rate, double centreKhz,
                                            const DataPaths& paths, std::string& error) {
  HfdlBandOptions band{.rate = rate,
                       .centreKhz = centreKhz,
                       .dialsKhz = channels.hfdlChannelsKhz.value_or(std::vector<double>{}),
                       .threads = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()))};
  if (!channels.hfdlChannelsFromTable) {
    error = HfdlBandError(rate, band.centreKhz, band.dialsKhz);
    if (!error.empty()) return std::nullopt;
    return band;
  }
  SystemTableStore store;
  if (!store.Load(paths.SystemTableFile())) {
    error = "--freqs table: no stored system table at " + paths.SystemTableFile().string() +
            " (decode a while on one channel first, or list the frequencies)";
    return std::nullopt;
  }
  band.dialsKhz = HfdlDialsInBand(store.Snapshot(), band.centreKhz, rate);
  if (band.dialsKhz.empty()) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "--freqs table: the stored system table has no HFDL frequency between %g and %g kHz",
                  band.centreKhz - rate / 2000.0, band.centreKhz + rate / 2000.0);
    error = text;
    return std::nullopt;
  }
  return band;
}

std::string HfdlChannelName(double dialKhz) {
  char name[32];
  std::snprintf(name, sizeof name, "%g kHz", dialKhz);
  return name;
}

std::string_view ChannelOptionsHelp() {
  return R"(  --device soapy:ARGS
                      a live SDR receiver through SoapySDR instead of
                      --input: ARGS are its key=value pairs (driver=rtlsdr,
                      serial=..., or empty for the first device found);
                      tuned to --freq, its I/Q is decoded as an I/Q
                      recording would be: one HF channel (see --iq-dial),
                      --freqs or --acars-freqs. SoapySDRUtil --find lists
                      the devices
  --acars-freqs LIST  decode VHF ACARS on these channels of an airband I/Q
                      band (MHz, comma-separated, e.g. 131.525,131.725),
                      each cut out and AM-demodulated; --freq is the band's
                      centre (e.g. 131000), and every channel must lie
                      within the band less 7 kHz at its edges. Decoded texts
                      and JSON records name each message's channel
  --freqs LIST        with I/Q: decode every HFDL channel of the list at
                      once, each its own modem (dials in kHz, comma-
                      separated: --freqs 8927,8942,8977); --freqs table takes
                      every frequency of the stored system table inside the
                      band. --freq is the band's centre; each text block
                      starts with its channel, "[8927 kHz]", and the JSON
                      records carry the channel's dial
)";
}

}  // namespace talvir
