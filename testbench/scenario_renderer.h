#pragma once
// Turns a scenario into the two channels of a recording: every burst and
// message modulated at its time, then each channel passed through its own
// channel simulator.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "testbench/scenario.h"

namespace talvir::testbench {

struct RenderedScenario {
  std::vector<float> left;         // HF
  std::vector<float> right;        // VHF; empty for a mono scenario
  std::size_t clippedSamples = 0;  // samples beyond full scale, either channel
};

using ProgressReport = std::function<void(std::string_view)>;

// Throws ScenarioError when a signal does not fit in the scenario's duration.
RenderedScenario RenderScenario(const Scenario& scenario, const ProgressReport& progress = {});

}  // namespace talvir::testbench
