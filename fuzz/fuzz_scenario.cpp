// Scenario files for the signal generator: any text either parses or is
// refused with a ScenarioError naming the problem; nothing else escapes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "testbench/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using talvir::fuzz::Require;
  try {
    const auto scenario = talvir::testbench::ParseScenario({reinterpret_cast<const char*>(data), size});
    Require(scenario.durationSeconds >= 0);
    for (const auto& burst : scenario.bursts) Require(burst.rateCode >= 0 && burst.rateCode <= 7);
    if (!scenario.vhfMessages.empty()) Require(scenario.stereo);
  } catch (const talvir::testbench::ScenarioError& error) {
    Require(*error.what() != '\0');
  }
  return 0;
}
