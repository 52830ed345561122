#include "testbench/frames/system_table_builder.h"

#include <stdexcept>
#include <string>

#include "testbench/frames/coordinates.h"
#include "testbench/frames/frame_writer.h"
#include "testbench/frames/hfnpdu_builder.h"

namespace talvir::testbench {
namespace {

constexpr int kMaxFrequenciesPerStation = 31;  // 5-bit count
constexpr uint32_t kHighestFrequencyHz = 39'999'900;

// Two decimal digits, tens in the high nibble.
uint32_t Bcd(uint32_t value) { return (value / 10) << 4 | value % 10; }

void PutFrequency(FrameWriter& w, const SystemTableFrequencyEntry& f) {
  RequireInRange("system table frequency (Hz)", f.hz, 0, kHighestFrequencyHz);
  if (f.hz % 100 != 0) {
    throw std::invalid_argument("system table frequency " + std::to_string(f.hz) +
                                " Hz is not a multiple of 100 Hz");
  }
  RequireInRange("master frame slot", f.masterFrameSlot, 0, 15);
  w.PutBits(Bcd(f.hz / 100 % 100), 8);        // kilohertz and hundreds of hertz
  w.PutBits(Bcd(f.hz / 10'000 % 100), 8);     // hundreds and tens of kilohertz
  w.PutBits(Bcd(f.hz / 1'000'000 % 100), 8);  // tens and units of megahertz
  w.PutBits(static_cast<uint32_t>(f.masterFrameSlot), 8);
}

}  // namespace

std::vector<uint8_t> EncodeSystemTableData(std::span<const SystemTableStation> stations) {
  FrameWriter w;
  for (const SystemTableStation& s : stations) {
    RequireInRange("system table station id", s.id, 0, 127);
    RequireInRange("system table latitude code", s.latitudeCode, 0, kCoordinateCodeMask);
    RequireInRange("system table longitude code", s.longitudeCode, 0, kCoordinateCodeMask);
    RequireInRange("system table squitter version", s.squitterVersion, 0, 7);
    RequireInRange("system table frequency count", static_cast<long long>(s.frequencies.size()), 0,
                   kMaxFrequenciesPerStation);
    w.PutBits(static_cast<uint32_t>(s.id), 7);
    w.PutBits(s.utcSynced, 1);
    w.PutBits(s.latitudeCode, 20);
    w.PutBits(s.longitudeCode, 20);
    w.PutBits(static_cast<uint32_t>(s.squitterVersion), 3);
    w.PutBits(static_cast<uint32_t>(s.frequencies.size()), 5);
    for (const SystemTableFrequencyEntry& f : s.frequencies) PutFrequency(w, f);
  }
  return w.Take();
}

std::vector<std::vector<uint8_t>> BuildSystemTableHfnpdus(int version, std::span<const uint8_t> tableData,
                                                          int packetCount) {
  RequireInRange("system table version", version, 0, 4095);
  RequireInRange("system table packet count", packetCount, 1, kSystemTableMaxPackets);
  const std::size_t count = static_cast<std::size_t>(packetCount);
  const std::size_t shareBase = tableData.size() / count;
  const std::size_t longerShares = tableData.size() % count;  // the first ones take one byte more
  if (shareBase + (longerShares ? 1 : 0) > static_cast<std::size_t>(kSystemTablePacketMaxShare)) {
    throw std::invalid_argument("system table of " + std::to_string(tableData.size()) +
                                " bytes does not fit " + std::to_string(packetCount) +
                                " packets of at most " + std::to_string(kSystemTablePacketMaxShare) +
                                " bytes");
  }
  std::vector<std::vector<uint8_t>> packets;
  std::size_t offset = 0;
  for (std::size_t sequence = 0; sequence < count; ++sequence) {
    const std::size_t share = shareBase + (sequence < longerShares ? 1 : 0);
    FrameWriter w;
    w.PutBits(static_cast<uint32_t>(sequence), 4);
    w.PutBits(static_cast<uint32_t>(packetCount - 1), 4);
    w.PutBits(0, 4);
    w.PutBits(static_cast<uint32_t>(version), 12);
    w.PutBytes(tableData.subspan(offset, share));
    offset += share;
    packets.push_back(BuildHfnpdu(static_cast<uint8_t>(HfnpduType::kSystemTable), w.Take()));
  }
  return packets;
}

}  // namespace talvir::testbench
