#include "testbench/demo_scenario.h"

#include "testbench/frames/demo_traffic.h"

namespace talvir::testbench {

Scenario DemoScenario(uint64_t seed) {
  Scenario scenario;
  scenario.seed = seed;
  scenario.stereo = true;
  scenario.hf.snrDb = kDemoHfSnrDb;
  scenario.hf.fading = FadingPreset::kModerate;
  scenario.hf.carrierOffsetHz = kDemoCarrierOffsetHz;
  scenario.vhf.snrDb = kDemoVhfSnrDb;
  const DemoTraffic traffic = BuildDemoTraffic();
  for (const auto& burst : traffic.bursts) {
    scenario.bursts.push_back({kDemoFrameStartSeconds + SlotStartSeconds(burst.frameNumber, burst.slot), burst.rateCode,
                               burst.frame, burst.description});
  }
  for (const auto& message : traffic.vhfMessages) {
    scenario.vhfMessages.push_back({message.startSeconds, message.block, message.description});
  }
  return scenario;
}

}  // namespace talvir::testbench
