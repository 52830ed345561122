// Random and mutated frames of every burst length through the whole decoder
// chain with every display option on: nothing may crash or read past a frame
// (the sanitizer build checks the latter).

#include <gtest/gtest.h>

#include <random>

#include "full_chain_rig.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/frames/squitter_builder.h"

namespace talvir::testing {
namespace {

// Frame bytes per burst for the eight rate codes.
constexpr std::size_t kBurstBytes[] = {405, 945, 270, 630, 135, 315, 67, 157};

// A well-formed frame to mutate: a squitter or an MPDU whose LPDUs pass
// their checks, so mutations reach the deeper decoders.
std::vector<uint8_t> Seed(std::mt19937& rng, std::size_t size) {
  std::vector<uint8_t> frame;
  std::uniform_int_distribution<int> byte(0, 255);
  auto randomBytes = [&](std::size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(byte(rng));
    return v;
  };
  switch (rng() % 3) {
    case 0: {
      testbench::SquitterFields f;
      f.stations[0] = {static_cast<int>(rng() % 128), true, static_cast<uint32_t>(rng() & 0xFFFFF)};
      f.frameIndex = static_cast<int>(rng() % 2700);
      frame = testbench::BuildSquitter(f);
      break;
    }
    case 1: {
      std::vector<testbench::Lpdu> lpdus;
      std::vector<uint8_t> hfnpdu = {0xFF, static_cast<uint8_t>(0xD0 + rng() % 0x30)};
      const auto payload = randomBytes(rng() % 60);
      hfnpdu.insert(hfnpdu.end(), payload.begin(), payload.end());
      lpdus.push_back(testbench::BuildUnnumberedDataLpdu(hfnpdu));
      lpdus.push_back(testbench::BuildLpdu(static_cast<uint8_t>(byte(rng)), randomBytes(rng() % 12)));
      testbench::AirMpduHeader h;
      h.aid = static_cast<uint8_t>(byte(rng));
      frame = testbench::BuildAirMpdu(h, lpdus);
      break;
    }
    default: {
      std::vector<testbench::GroundMpduBlock> blocks(1 + rng() % 3);
      for (auto& block : blocks) {
        block.aid = static_cast<uint8_t>(byte(rng));
        const uint8_t confirm[] = {1, 2, 3, static_cast<uint8_t>(byte(rng)), 4, 5, 6};
        block.lpdus.push_back(testbench::BuildLpdu(0x9F, confirm));
        block.lpdus.push_back(testbench::BuildUnnumberedDataLpdu(randomBytes(2 + rng() % 40)));
      }
      frame = testbench::BuildGroundMpdu({7, true}, blocks);
    }
  }
  frame.resize(size, 0);
  return frame;
}

TEST(RandomFrames, NothingBreaksOnRandomOrMutatedFramesOfEveryBurstLength) {
  FullChain chain({&SettingsRecord::showHex, &SettingsRecord::showPreamble, &SettingsRecord::showMpdu,
                   &SettingsRecord::showSpdu, &SettingsRecord::showLpdu, &SettingsRecord::showBdu,
                   &SettingsRecord::showHfnpdu, &SettingsRecord::verbose, &SettingsRecord::showHAcars});
  std::mt19937 rng(20240611);
  int decodedOk = 0;
  for (int round = 0; round < 4000; ++round) {
    const std::size_t size = kBurstBytes[static_cast<std::size_t>(round) % std::size(kBurstBytes)];
    std::vector<uint8_t> frame;
    if (round % 4 == 0) {
      frame.resize(size);
      for (auto& b : frame) b = static_cast<uint8_t>(rng());
    } else {
      frame = Seed(rng, size);
      for (int flips = static_cast<int>(rng() % 4); flips > 0; --flips) frame[rng() % size] ^= static_cast<uint8_t>(1u << (rng() % 8));
    }
    frame.shrink_to_fit();
    decodedOk += chain.stack.decoder.ReceiveFrame(frame, BurstInfo{static_cast<int>(rng() % 8), 1, 0, "TS(1) "}) ? 1 : 0;
    EXPECT_EQ(chain.stack.text.Length(), 0);
    if (round % 500 == 0) chain.stack.flights.FlightDbAgeTick();
  }
  // Unmutated seeds decode: the run reached the deeper decoders.
  EXPECT_GT(decodedOk, 500);
  EXPECT_FALSE(chain.ui.decodedText.empty());
}

}  // namespace
}  // namespace talvir::testing
