// talvir-signalgen: writes the audio a receiver would hear, HFDL on the left
// channel and VHF ACARS on the right, from a scenario file or the demo.

#include <algorithm>
#include <cctype>
#include <charconv>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/decoder_links.h"
#include "common/version.h"
#include "testbench/airband_scenario.h"
#include "testbench/demo_scenario.h"
#include "testbench/hfdl_band_scenario.h"
#include "testbench/scenario.h"
#include "testbench/scenario_renderer.h"
#include "testbench/wav_file.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadInput = 2;

constexpr const char* kUsage =
    "Usage: talvir-signalgen --scenario FILE --output OUT.wav [--seed N] [--quiet]\n"
    "       talvir-signalgen --demo --output OUT.wav [--seed N] [--quiet]\n"
    "       talvir-signalgen --airband-demo --output OUT.cs16 [--seed N] [--quiet]\n"
    "       talvir-signalgen --hfdl-band-demo --output OUT.cs16 [--seed N] [--quiet]\n"
    "\n"
    "Writes a 48000 Hz 16-bit WAV file of HFDL bursts (left channel) and VHF\n"
    "ACARS messages (right channel) as an HF SSB receiver and a VHF airband\n"
    "receiver would deliver them: noise in a 3 kHz band at the asked SNR, HF\n"
    "fading (two-path Watterson: quiet, moderate, disturbed, flutter), carrier\n"
    "and timing offsets. A scenario without VHF messages gives a mono file.\n"
    "\n"
    "  --scenario FILE  JSON scenario: bursts (time or frame/slot, rate 0..7,\n"
    "                   frame bytes as hex), vhf_messages (time, hex or fields),\n"
    "                   hf and vhf channel settings, seed, duration\n"
    "  --demo           about 97 s of one ground station's traffic (squitters,\n"
    "                   log-ons, positions, ACARS, a system table) with moderate\n"
    "                   fading, 25 dB SNR, a 17.5 Hz carrier offset, and VHF\n"
    "                   ACARS on the right channel\n"
    "  --airband-demo   instead of audio, 3.2 s of I/Q from an SDR tuned to\n"
    "                   131 MHz at 2.4 MS/s, raw signed 16-bit I and Q: ACARS\n"
    "                   on 131.525, 131.725, 130.025 and 131.825 MHz at 14 to\n"
    "                   50 dB SNR, and a strong neighbour on 131.550 MHz\n"
    "  --hfdl-band-demo instead of audio, about 18 s of I/Q from an SDR tuned to\n"
    "                   8950 kHz at 96000 samples/s, raw signed 16-bit I and Q:\n"
    "                   HFDL on 8912 kHz (the demo's station and aircraft),\n"
    "                   8942 and 8977 kHz (two other stations), at 16 to 28 dB\n"
    "                   SNR; decode it with --iq-format cs16 --iq-rate 96000\n"
    "                   --freq 8950 --freqs 8912,8942,8977\n"
    "  --output FILE    the file to write (its folder is created)\n"
    "  --seed N         noise and fading seed (default: the scenario's, or 1);\n"
    "                   the same seed gives the same file\n"
    "  --quiet          no progress lines on stderr\n"
    "  --help           this text\n"
    "  --version        the version and the commit it was built from\n"
    "\n"
    "Exit status: 0 written, 1 the file could not be written, 2 bad arguments\n"
    "or scenario.\n";

struct Arguments {
  std::optional<std::string> scenario;
  bool demo = false;
  bool airbandDemo = false;
  bool hfdlBandDemo = false;
  std::optional<std::string> output;
  std::optional<uint64_t> seed;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

int BadInput(const std::string& message) {
  std::fprintf(stderr, "talvir-signalgen: %s\n", message.c_str());
  return kExitBadInput;
}

// A raw file under a sound file's name would be refused by every player and
// by the receiver's sound-file input.
bool NamesASoundFile(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* sound : {".wav", ".flac", ".w64", ".rf64", ".aif", ".aiff", ".caf", ".ogg"}) {
    if (extension == sound) return true;
  }
  return false;
}

// Returns an error text, or nothing when the arguments are usable.
std::optional<std::string> Parse(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    if (arg == "--help" || arg == "-h") {
      args.help = true;
    } else if (arg == "--version") {
      args.version = true;
    } else if (arg == "--demo") {
      args.demo = true;
    } else if (arg == "--airband-demo") {
      args.airbandDemo = true;
    } else if (arg == "--hfdl-band-demo") {
      args.hfdlBandDemo = true;
    } else if (arg == "--quiet") {
      args.quiet = true;
    } else if (arg == "--scenario" || arg == "--output" || arg == "--seed") {
      const auto v = value();
      if (!v) return std::string(arg) + " needs a value";
      if (arg == "--scenario") args.scenario = *v;
      if (arg == "--output") args.output = *v;
      if (arg == "--seed") {
        uint64_t seed = 0;
        const auto [end, error] = std::from_chars(v->data(), v->data() + v->size(), seed);
        if (error != std::errc() || end != v->data() + v->size()) {
          return "--seed needs a whole number of zero or more, not \"" + *v + "\"";
        }
        args.seed = seed;
      }
    } else {
      return "unknown option \"" + std::string(arg) + "\" (see --help)";
    }
  }
  if (args.help || args.version) return std::nullopt;
  if ((args.demo ? 1 : 0) + (args.airbandDemo ? 1 : 0) + (args.hfdlBandDemo ? 1 : 0) + (args.scenario ? 1 : 0) != 1)
    return "give one of --demo, --airband-demo, --hfdl-band-demo or --scenario FILE (see --help)";
  if (!args.output) return "--output FILE is missing (see --help)";
  if ((args.airbandDemo || args.hfdlBandDemo) && NamesASoundFile(*args.output))
    return "the I/Q demos write raw cs16 samples, not a sound file: name the output .cs16, not \"" + *args.output +
           "\"";
  return std::nullopt;
}

// An SDR band's I/Q as raw cs16, with a line saying what it holds.
template <typename Progress>
int WriteBand(const std::filesystem::path& output, std::span<const std::complex<float>> band, double rate,
              const char* centre, const Progress& progress) {
  try {
    if (output.has_parent_path()) std::filesystem::create_directories(output.parent_path());
    if (talvir::testbench::WriteCs16File(output, band) > 0) {
      std::fprintf(stderr, "talvir-signalgen: warning: samples clipped at full scale\n");
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "talvir-signalgen: %s\n", e.what());
    return kExitWriteFailed;
  }
  char summary[96];
  std::snprintf(summary, sizeof summary, " (%.1f s of cs16 I/Q at %.0f samples/s around %s)",
                static_cast<double>(band.size()) / rate, rate, centre);
  progress("wrote " + output.string() + summary);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace talvir::testbench;
  Arguments args;
  if (const auto error = Parse(argc, argv, args)) return BadInput(*error);
  if (args.help) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (args.version) {
    std::printf("%s\n", talvir::VersionLine("talvir-signalgen").c_str());
    return kExitOk;
  }
  const auto progress = [&](std::string_view line) {
    if (!args.quiet) std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  };

  const std::filesystem::path output = *args.output;
  if (args.airbandDemo) {
    const AirbandScenario scenario = AirbandDemoScenario(args.seed.value_or(1));
    char centre[32];
    std::snprintf(centre, sizeof centre, "%.3f MHz", scenario.centreMhz);
    return WriteBand(output, RenderAirband(scenario), scenario.sampleRate, centre, progress);
  }
  if (args.hfdlBandDemo) {
    const HfdlBandScenario scenario = HfdlBandDemoScenario(args.seed.value_or(1));
    char centre[32];
    std::snprintf(centre, sizeof centre, "%g kHz", scenario.centreKhz);
    return WriteBand(output, RenderHfdlBand(scenario), scenario.sampleRate, centre, progress);
  }

  Scenario scenario;
  RenderedScenario audio;
  try {
    scenario = args.demo ? DemoScenario(args.seed.value_or(1)) : LoadScenario(*args.scenario);
    if (args.seed) scenario.seed = *args.seed;
    audio = RenderScenario(scenario, progress);
  } catch (const ScenarioError& e) {
    return BadInput(e.what());
  } catch (const std::invalid_argument& e) {
    return BadInput(std::string(args.demo ? "demo" : *args.scenario) + ": " + e.what());
  }

  try {
    if (output.has_parent_path()) std::filesystem::create_directories(output.parent_path());
    WriteWavFile(output, audio.left, audio.right);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "talvir-signalgen: %s\n", e.what());
    return kExitWriteFailed;
  }
  if (audio.clippedSamples > 0) {
    std::fprintf(stderr, "talvir-signalgen: warning: %zu samples clipped at full scale; lower the amplitude\n",
                 audio.clippedSamples);
  }
  char summary[160];
  std::snprintf(summary, sizeof summary, " (%.1f s, %s, %zu HFDL bursts, %zu VHF messages)",
                static_cast<double>(audio.left.size()) / talvir::kSampleRate, audio.right.empty() ? "mono" : "stereo",
                scenario.bursts.size(), audio.right.empty() ? std::size_t{0} : scenario.vhfMessages.size());
  progress("wrote " + output.string() + summary);
  return kExitOk;
}
