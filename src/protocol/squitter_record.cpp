#include "protocol/squitter_record.h"

namespace talvir {
namespace {

constexpr int kAckCodesOffset = 4;
constexpr int kSlotAssignmentsOffset = 40;

}  // namespace

void ReadSquitterFields(std::span<const uint8_t, kSquitterBytes> f, SquitterRecord& r) {
  r.frameType = f[0] & 1;
  r.squitterVersion = (f[0] >> 1) & 7;
  r.loadFlag = (f[0] >> 4) & 1;
  r.iso8208Flag = (f[0] >> 5) & 1;
  r.groundStationStatus = f[0] >> 6;
  r.station1Id = f[1] & 0x7F;
  r.station1Utc = f[1] >> 7;
  r.frameIndex = f[2] | ((f[3] & 0x0F) << 8);
  r.slotOffset = f[3] >> 4;
  // Twelve 24-bit groups, two 12-bit codes each, low half first.
  for (int g = 0; g < kSquitterAckCodes / 2; ++g) {
    const int at = kAckCodesOffset + 3 * g;
    const int32_t v = f[at] | (f[at + 1] << 8) | (f[at + 2] << 16);
    r.ackCodes[2 * g] = v & 0xFFF;
    r.ackCodes[2 * g + 1] = v >> 12;
  }
  for (int i = 0; i < kSquitterSlotAssignments; ++i) r.slotAssignments[i] = f[kSlotAssignmentsOffset + i];
  r.priorityByte = f[52];
  r.systemTableVersion = f[53] | ((f[54] & 0x0F) << 8);
  r.station1FrequencyMask = (f[54] >> 4) | (f[55] << 4) | (f[56] << 12);
  r.station2Id = f[57] & 0x7F;
  r.station2Utc = f[57] >> 7;
  r.station2FrequencyMask = f[58] | (f[59] << 8) | ((f[60] & 0x0F) << 16);
  const int station3 = (f[60] >> 4) | ((f[61] & 0x0F) << 4);
  r.station3Id = station3 & 0x7F;
  r.station3Utc = station3 >> 7;
  r.station3FrequencyMask = (f[61] >> 4) | (f[62] << 4) | (f[63] << 12);
}

}  // namespace talvir
