#pragma once
// The options that decode many channels of one I/Q band, --freqs and
// --acars-freqs, and the live receiver's --device soapy:ARGS: parsed and
// checked the same way by both programs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "audio/input_options.h"
#include "config/data_paths.h"

namespace talvir {

struct ChannelOptions {
  // HFDL channels: their dials in kHz, or (empty with hfdlChannelsFromTable)
  // every frequency of the stored system table inside the band.
  std::optional<std::vector<double>> hfdlChannelsKhz;
  bool hfdlChannelsFromTable = false;
  // ACARS channels in MHz; none: the I/Q is HF.
  std::vector<double> acarsFreqsMhz;

  bool Airband() const { return !acarsFreqsMhz.empty(); }
  bool DecodesBand() const { return hfdlChannelsKhz.has_value(); }
};

bool IsChannelOption(std::string_view name);
// Sets --freqs or --acars-freqs; the reason when the value is bad, else "".
std::string SetChannelOption(std::string_view name, std::string_view value, ChannelOptions& options);

// "soapy:ARGS" names a live receiver: its args go to the input options.
bool SetSdrDevice(std::string_view device, InputOptions& input);

// What the channels and the receiver need of the input and of --freq (the
// band's centre), and what does not fit them: the reason, or "". Also gives
// an airband receiver its usual rate when none was asked for.
std::string CheckChannelOptions(const ChannelOptions& channels, InputOptions& input,
                                std::optional<double> centreKhz);

// The HFDL channels of a band at `rate` around centreKhz: those --freqs
// lists, or those of the stored system table inside the band.
std::optional<HfdlBandOptions> PlanHfdlBand(const ChannelOptions& channels, double rate, double centreKhz,
                                            const DataPaths& paths, std::string& error);

// "8927 kHz" and the like: how texts and the window name a band's channels.
std::string HfdlChannelName(double dialKhz);

// The help lines of --freqs, --acars-freqs and the receiver, 80 columns.
std::string_view ChannelOptionsHelp();

}  // namespace talvir
