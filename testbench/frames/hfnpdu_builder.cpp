#include "testbench/frames/hfnpdu_builder.h"

#include <stdexcept>
#include <string>

#include "testbench/frames/coordinates.h"
#include "testbench/frames/frame_writer.h"

namespace talvir::testbench {
namespace {

constexpr int kSecondsPerDay = 86400;
constexpr uint32_t kFrequencyMaskMax = 0xFFFFF;

void PutFlightId(FrameWriter& w, std::string_view flightId) {
  RequireInRange("flight id length", static_cast<long long>(flightId.size()), 0, kFlightIdChars);
  for (int i = 0; i < kFlightIdChars; ++i) {
    const char c = i < static_cast<int>(flightId.size()) ? flightId[static_cast<std::size_t>(i)] : ' ';
    if (static_cast<unsigned char>(c) >= 0x80 || c < ' ') {
      throw std::invalid_argument("flight id \"" + std::string(flightId) +
                                  "\" holds a character that is not printable ASCII");
    }
    w.PutByte(static_cast<uint8_t>(c));
  }
}

void PutPosition(FrameWriter& w, const PositionField& p) {
  RequireInRange("latitude code", p.latitudeCode, 0, kCoordinateCodeMask);
  RequireInRange("longitude code", p.longitudeCode, 0, kCoordinateCodeMask);
  w.PutBits(p.latitudeCode, 20);
  w.PutBits(p.longitudeCode, 20);
  w.PutBits(p.time, 16);
}

void PutStationByte(FrameWriter& w, int groundStationId, bool utcSynced) {
  RequireInRange("ground station id", groundStationId, 0, 127);
  w.PutBits(static_cast<uint32_t>(groundStationId), 7);
  w.PutBits(utcSynced, 1);
}

void PutLittleEndian16(FrameWriter& w, uint16_t value) { w.PutBits(value, 16); }

}  // namespace

std::vector<uint8_t> BuildHfnpdu(uint8_t typeCode, std::span<const uint8_t> payload) {
  FrameWriter w;
  w.PutByte(kHfnpduMarker);
  w.PutByte(typeCode);
  w.PutBytes(payload);
  return w.Take();
}

PositionField PositionFromDegrees(double latitude, double longitude, int secondsOfDay) {
  RequireInRange("position time (seconds of the day)", secondsOfDay, 0, kSecondsPerDay - 1);
  return {LatitudeCode(latitude), LongitudeCode(longitude), static_cast<uint16_t>(secondsOfDay / 2)};
}

std::vector<uint8_t> BuildPerformanceDataHfnpdu(const PerformanceData& d) {
  RequireInRange("frequency change reason", d.frequencyChangeReason, 0, 15);
  RequireInRange("vendor code", d.vendorCode, 0, 15);
  FrameWriter w;
  PutFlightId(w, d.flightId);
  PutPosition(w, d.position);
  w.PutByte(d.performanceVersion);
  w.PutByte(d.flightLeg);
  PutStationByte(w, d.groundStationId, d.utcSynced);
  w.PutByte(d.frequencyIndex);
  PutLittleEndian16(w, d.previousLegLostCount);
  PutLittleEndian16(w, d.currentLegLostCount);
  PutLittleEndian16(w, d.previousLegSecondsDisabled);
  PutLittleEndian16(w, d.currentLegSecondsDisabled);
  w.PutBytes(d.mpdusReceivedOk);
  w.PutBytes(d.mpdusReceivedInError);
  PutLittleEndian16(w, d.squittersReceivedOk);
  w.PutByte(d.squittersReceivedInError);
  w.PutBytes(d.mpdusTransmitted);
  w.PutBytes(d.mpdusReceivedFirstTime);
  w.PutBits(static_cast<uint32_t>(d.frequencyChangeReason), 4);
  w.PutBits(static_cast<uint32_t>(d.vendorCode), 4);
  return BuildHfnpdu(static_cast<uint8_t>(HfnpduType::kPerformanceData), w.Take());
}

std::vector<uint8_t> BuildFrequencyDataHfnpdu(const FrequencyData& d) {
  RequireInRange("frequency data entry count", static_cast<long long>(d.entries.size()), 0,
                 kFrequencyDataMaxEntries);
  if (!d.position && !d.entries.empty()) {
    throw std::invalid_argument("frequency data: ground-station entries need a position before them");
  }
  FrameWriter w;
  PutFlightId(w, d.flightId);
  if (d.position) PutPosition(w, *d.position);
  for (const FrequencyDataEntry& e : d.entries) {
    RequireInRange("propagating frequency mask", e.propagatingMask, 0, kFrequencyMaskMax);
    RequireInRange("tuned frequency mask", e.tunedMask, 0, kFrequencyMaskMax);
    PutStationByte(w, e.groundStationId, e.utcSynced);
    w.PutBits(e.propagatingMask, 20);
    w.PutBits(e.tunedMask, 20);
  }
  return BuildHfnpdu(static_cast<uint8_t>(HfnpduType::kFrequencyData), w.Take());
}

std::vector<uint8_t> BuildSystemTableRequestHfnpdu(int heldVersion) {
  RequireInRange("system table version", heldVersion, 0, 4095);
  const std::array<uint8_t, 2> payload{static_cast<uint8_t>(heldVersion & 0xFF),
                                       static_cast<uint8_t>(heldVersion >> 8)};
  return BuildHfnpdu(static_cast<uint8_t>(HfnpduType::kSystemTableRequest), payload);
}

std::vector<uint8_t> BuildTestPacketHfnpdu(const TestPacket& p) {
  RequireInRange("test packet data length", static_cast<long long>(p.data.size()), 0, 0xFFFF);
  FrameWriter w;
  w.PutByte(0);
  w.PutByte(p.vendor);
  w.PutByte(p.reaction);
  w.PutByte(p.frameDelay);
  w.PutByte(p.slotDelay);
  w.PutByte(p.priority);
  PutLittleEndian16(w, p.reactionLength);
  PutLittleEndian16(w, static_cast<uint16_t>(p.data.size()));
  w.PutBytes(p.data);
  return BuildHfnpdu(static_cast<uint8_t>(HfnpduType::kTestPacket), w.Take());
}

std::vector<uint8_t> BuildAcarsHfnpdu(std::span<const uint8_t> block) {
  return BuildHfnpdu(static_cast<uint8_t>(HfnpduType::kAcars), block);
}

}  // namespace talvir::testbench
