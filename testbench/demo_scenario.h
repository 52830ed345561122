#pragma once
// The built-in demonstration recording: one ground station's traffic over
// three HFDL frames on the left channel, VHF ACARS on the right.

#include <cstdint>

#include "testbench/scenario.h"

namespace talvir::testbench {

inline constexpr double kDemoFrameStartSeconds = 0.5;  // lead-in before the first squitter slot
inline constexpr double kDemoHfSnrDb = 25.0;
inline constexpr double kDemoCarrierOffsetHz = 17.5;
inline constexpr double kDemoVhfSnrDb = 25.0;

Scenario DemoScenario(uint64_t seed);

}  // namespace talvir::testbench
