#include "testbench/frames/squitter_builder.h"

#include <string>

#include "testbench/frames/frame_writer.h"

namespace talvir::testbench {
namespace {

constexpr uint32_t kFrequencyMaskMax = 0xFFFFF;

void CheckStation(const SquitterStation& station, int number) {
  const std::string name = "squitter station " + std::to_string(number);
  RequireInRange(name + " id", station.id, 0, 127);
  RequireInRange(name + " frequency mask", station.frequencyMask, 0, kFrequencyMaskMax);
}

uint32_t StationByte(const SquitterStation& station) {
  return static_cast<uint32_t>(station.id) | (station.utcSynced ? 0x80u : 0u);
}

}  // namespace

uint16_t AckCode(uint8_t aid, bool flag1, bool flag2, bool flag3, bool flag4) {
  return static_cast<uint16_t>(aid | (flag1 << 8) | (flag2 << 9) | (flag3 << 10) | (flag4 << 11));
}

std::vector<uint8_t> BuildSquitter(const SquitterFields& f) {
  RequireInRange("squitter version", f.squitterVersion, 0, 7);
  RequireInRange("squitter frame index", f.frameIndex, 0, 4095);
  RequireInRange("squitter slot offset", f.slotOffset, 0, 15);
  RequireInRange("squitter system table version", f.systemTableVersion, 0, 4095);
  for (int i = 0; i < 3; ++i) CheckStation(f.stations[static_cast<std::size_t>(i)], i + 1);
  for (uint16_t code : f.ackCodes) RequireInRange("squitter acknowledgement code", code, 0, 0xFFF);

  FrameWriter w;
  w.PutBits(0, 1);  // frame type: squitter
  w.PutBits(static_cast<uint32_t>(f.squitterVersion), 3);
  w.PutBits(f.heavyLoad, 1);
  w.PutBits(f.iso8208, 1);
  w.PutBits(static_cast<uint32_t>(f.status), 2);
  w.PutBits(StationByte(f.stations[0]), 8);
  w.PutBits(static_cast<uint32_t>(f.frameIndex), 12);
  w.PutBits(static_cast<uint32_t>(f.slotOffset), 4);
  for (uint16_t code : f.ackCodes) w.PutBits(code, 12);
  w.PutBytes(f.slotAssignments);
  w.PutByte(f.priorityByte);
  w.PutBits(static_cast<uint32_t>(f.systemTableVersion), 12);
  w.PutBits(f.stations[0].frequencyMask, 20);
  w.PutBits(StationByte(f.stations[1]), 8);
  w.PutBits(f.stations[1].frequencyMask, 20);
  w.PutBits(StationByte(f.stations[2]), 8);
  w.PutBits(f.stations[2].frequencyMask, 20);
  w.PutFcs();
  return w.Take();
}

}  // namespace talvir::testbench
