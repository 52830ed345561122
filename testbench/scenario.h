#pragma once
// What talvir-signalgen renders: HFDL bursts for the left channel, VHF ACARS
// transmissions for the right, and the two channels they pass through.
// Scenario files are JSON; see ParseScenario for the keys.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "testbench/dc_offset.h"
#include "testbench/watterson_fading.h"

namespace talvir::testbench {

// A scenario file that cannot be used; the message names the file's problem
// in one line.
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr float kDefaultHfAmplitude = 0.2f;  // fading peaks stay below full scale
inline constexpr float kDefaultVhfAmplitude = 0.4f;

struct ChannelSettings {
  std::optional<double> snrDb;  // no value: no noise
  FadingPreset fading = FadingPreset::kNone;
  double carrierOffsetHz = 0.0;
  double timingOffsetSeconds = 0.0;
  float amplitude = kDefaultHfAmplitude;
  DcOffset dcOffset;  // VHF only: AM receivers' audio off zero
};

struct ScenarioBurst {
  double startSeconds = 0.0;
  int rateCode = 0;
  std::vector<uint8_t> frame;
  std::string description;
};

struct ScenarioVhfMessage {
  double startSeconds = 0.0;
  std::vector<uint8_t> block;  // SOH .. ETX or ETB, BCS, DEL
  std::string description;
};

struct Scenario {
  double durationSeconds = 0.0;  // 0: until one second after the last signal
  uint64_t seed = 1;
  bool stereo = false;  // VHF on the right; set when there are VHF messages
  ChannelSettings hf;
  ChannelSettings vhf{.snrDb = std::nullopt,
                      .fading = FadingPreset::kNone,
                      .carrierOffsetHz = 0.0,
                      .timingOffsetSeconds = 0.0,
                      .amplitude = kDefaultVhfAmplitude,
                      .dcOffset = {}};
  std::vector<ScenarioBurst> bursts;
  std::vector<ScenarioVhfMessage> vhfMessages;
};

// The HFDL frame grid: 13 slots in a 32 s frame.
double SlotStartSeconds(int frameNumber, int slot);

// Parses a scenario:
// {
//   "seed": 1, "duration": 60.0, "frame_start": 0.5, "stereo": false,
//   "hf":  {"snr_db": 15, "fading": "moderate", "carrier_offset_hz": 20,
//           "timing_offset_ms": 0.3, "amplitude": 0.2},
//   "vhf": {"snr_db": 20, "amplitude": 0.4, "dc_offset": 0.3, "dc_drift": 0.1,
//           "dc_drift_hz": 0.5},
//   "bursts": [{"time": 1.0, "rate": 2, "hex": "01 83 ..."},
//              {"frame": 1, "slot": 0, "rate": 6, "hex": "..."}],
//   "vhf_messages": [{"time": 3.0, "hex": "01 32 ... 7F"},
//                    {"time": 9.0, "registration": ".N123AB", "label": "H1",
//                     "flight": "BA0001", "message_number": "M01A", "text": "..."}]
// }
// Every key is optional except a burst's rate and hex and its time or slot.
// Throws ScenarioError naming the offending entry.
Scenario ParseScenario(std::string_view json);
Scenario LoadScenario(const std::filesystem::path& path);

}  // namespace talvir::testbench
