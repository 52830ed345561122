#pragma once
// A built-in scenario: about 96 s (three 32 s HFDL frames) of what one ground
// station and the aircraft logged on to it send, slot by slot as on the air,
// and a few VHF ACARS messages for the other channel. Always the same bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace talvir::testbench {

inline constexpr int kDemoFrames = 3;
inline constexpr int kDemoGroundStationId = 7;  // Shannon

struct DemoBurst {
  int frameNumber = 0;           // 32 s HFDL frame, counted from the start of the scenario
  int slot = 0;                  // 0..12; a 4.2 s burst also takes the slot after it
  int rateCode = 0;              // 0..7
  std::vector<uint8_t> frame{};  // padded to the burst's byte count
  std::string description{};     // one line for progress output, e.g. "squitter"
};

struct DemoVhfMessage {
  double startSeconds = 0;
  std::vector<uint8_t> block{};  // SOH .. ETX, BCS, DEL (acars_block.h)
  std::string description{};
};

struct DemoTraffic {
  std::vector<DemoBurst> bursts;            // in order of frame and slot; a squitter in slot 0 of every frame
  std::vector<DemoVhfMessage> vhfMessages;  // in order of time
};

DemoTraffic BuildDemoTraffic();

}  // namespace talvir::testbench
