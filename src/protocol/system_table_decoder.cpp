#include "protocol/system_table_decoder.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "outputs/decoded_text.h"
#include "tracking/ground_stations.h"
#include "tracking/position_text.h"

namespace talvir {
namespace {

constexpr int kPacketHeaderBytes = 3;  // count and sequence, version

__attribute__((format(printf, 2, 3))) void AppendFormatted(std::string& out, const char* format,
                                                           ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n > 0) out.append(line, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1));
}

int BcdPair(uint8_t byte) { return 10 * (byte >> 4) + (byte & 0x0F); }

uint32_t ReadLe24(std::span<const uint8_t> bytes) {
  return bytes[0] | (bytes[1] << 8) | (static_cast<uint32_t>(bytes[2]) << 16);
}

// From "UTC ..." to the last frequency line: the part of a station's text the
// decoded table and the window share.
void AppendStationDetails(std::string& out, const SystemTableStation& station) {
  AppendFormatted(out, "UTC %s\r\n", station.utcFlag != 0 ? "LOCKED" : "UNLOCKED");
  AppendFormatted(out, "Longitude %s Latitude %s\r\n", FormatLongitude(station.longitude).c_str(),
                  FormatLatitude(station.latitude).c_str());
  AppendFormatted(out, "Squitter Version %d\r\n", station.squitterVersion);
  AppendFormatted(out, "Number of frequencies %d\r\n", station.frequencyCount);
  for (int i = 0; i < UsableFrequencyCount(station); ++i) {
    AppendFormatted(out, "Frequency %d Hz Master Frame Slot %d\r\n",
                    static_cast<int>(station.frequencies[i].frequencyHz),
                    station.frequencies[i].masterFrameSlot);
  }
}

}  // namespace

uint32_t DecodeBcdFrequency(uint8_t f0, uint8_t f1, uint8_t f2) {
  const int megahertz = 10 * ((f2 >> 4) & 3) + (f2 & 0x0F);
  return static_cast<uint32_t>(BcdPair(f0) * 100 + BcdPair(f1) * 10000 + megahertz * 1000000);
}

SystemTable DecodeSystemTableData(std::span<const uint8_t> data, int packetCount,
                                  int sequenceNumber, int version) {
  SystemTable table{};
  table.packetCount = packetCount;
  table.sequenceNumber = sequenceNumber;
  table.version = version;
  while (data.size() >= kSystemTableStationHeaderBytes &&
         table.stationCount < kSystemTableMaxStations) {
    SystemTableStation& station = table.stations[table.stationCount++];
    const auto header = data.first(kSystemTableStationHeaderBytes);
    station.id = header[0] & 0x7F;
    station.utcFlag = header[0] >> 7;
    station.latitude = static_cast<int32_t>(ReadLe24(header.subspan(1)) & 0xFFFFF);
    station.longitude = static_cast<int32_t>((ReadLe24(header.subspan(3)) >> 4) & 0xFFFFF);
    station.frequencyCount = header[6] >> 3;
    station.squitterVersion = header[6] & 7;
    data = data.subspan(kSystemTableStationHeaderBytes);
    for (int i = 0; i < station.frequencyCount && data.size() >= kSystemTableFrequencyRecordBytes;
         ++i) {
      // Records beyond the twentieth are passed over, not stored: reading
      // them as the next station's header would corrupt the rest of the table.
      if (i < kSystemTableMaxFrequencies) {
        station.frequencies[i].frequencyHz = DecodeBcdFrequency(data[0], data[1], data[2]);
        station.frequencies[i].masterFrameSlot = data[3] & 0x0F;
      }
      data = data.subspan(kSystemTableFrequencyRecordBytes);
    }
  }
  return table;
}

std::string RenderSystemTableWindow(const SystemTableStore& store, const GroundStations& stations) {
  const SystemTable table = store.Snapshot();
  std::string out;
  AppendFormatted(out, "Version %d\r\n", table.version);
  for (int s = 0; s < UsableStationCount(table); ++s) {
    const SystemTableStation& station = table.stations[s];
    AppendFormatted(out, "\r\nGround Station ID %d\r\n", station.id);
    AppendFormatted(out, "%s\r\n", stations.GroundStationName(station.id).c_str());
    AppendStationDetails(out, station);
  }
  out += "\r\n";
  return out;
}

SystemTableDecoder::SystemTableDecoder(DecodedText& text, SystemTableStore& store,
                                       const GroundStations& stations)
    : text_(text), store_(store), stations_(stations) {}

void SystemTableDecoder::SystemTablePacketsReset() {
  expectedCount_ = kSystemTableMaxPackets;
  collectionVersion_ = -1;
  for (Packet& packet : packets_) {
    packet.length = 0;
    packet.received = false;
  }
}

std::optional<SystemTablePacket> SystemTableDecoder::DecodeSystemTablePacket(
    std::span<const uint8_t> payload) {
  if (payload.size() < kPacketHeaderBytes) return std::nullopt;
  const int count = (payload[0] >> 4) + 1;
  const int sequence = payload[0] & 0x0F;
  const int version = (payload[1] >> 4) + 16 * payload[2];

  // Packets of another table must never be joined with the ones held.
  if (collectionVersion_ != -1 && (version != collectionVersion_ || count != expectedCount_)) {
    SystemTablePacketsReset();
  }
  expectedCount_ = count;
  collectionVersion_ = version;
  Packet& packet = packets_[static_cast<std::size_t>(sequence)];
  const auto share = payload.subspan(kPacketHeaderBytes);
  packet.length = static_cast<int>(std::min<std::size_t>(share.size(), kSystemTablePacketCapacity));
  std::copy_n(share.begin(), packet.length, packet.data.begin());
  packet.received = true;

  const bool complete = std::all_of(packets_.begin(), packets_.begin() + count,
                                    [](const Packet& p) { return p.received; });

  text_.Printf("[SYSTEM TABLE]\r\n");
  text_.Printf("Number of Packets in Table %d\r\n", count);
  text_.Printf("Sequence number %d\r\n", sequence);
  text_.Printf("Version %.3X\r\n\r\n", version);
  text_.Flush();
  const SystemTablePacket packetRecord{count, sequence, version, complete};
  if (!complete) return packetRecord;

  std::array<uint8_t, kSystemTableMaxPackets * kSystemTablePacketCapacity> joined;
  std::size_t joinedLength = 0;
  for (int i = 0; i < count; ++i) {
    const Packet& p = packets_[static_cast<std::size_t>(i)];
    std::copy_n(p.data.begin(), p.length, joined.begin() + joinedLength);
    joinedLength += static_cast<std::size_t>(p.length);
  }
  const SystemTable table =
      DecodeSystemTableData(std::span(joined).first(joinedLength), count, sequence, version);
  store_.StoreSystemTable(table);
  PrintTable(table);
  SystemTablePacketsReset();
  return packetRecord;
}

void SystemTableDecoder::PrintTable(const SystemTable& table) {
  std::string piece = "[SYSTEM TABLE]\r\n";
  AppendFormatted(piece, "Number of Packets in Table %d\r\n", table.packetCount);
  AppendFormatted(piece, "Version %.3X\r\n", table.version);
  text_.Append(piece);
  for (int s = 0; s < table.stationCount; ++s) {
    const SystemTableStation& station = table.stations[s];
    piece.clear();
    AppendFormatted(piece, "\r\nGround Station ID %d %s ", station.id,
                    stations_.GroundStationName(station.id).c_str());
    AppendStationDetails(piece, station);
    // A whole network's table outgrows the text buffer: pass on what is
    // pending rather than cut the table.
    if (text_.Length() + piece.size() + 2 >= static_cast<std::size_t>(DecodedText::kCapacity)) {
      text_.Flush();
    }
    text_.Append(piece);
  }
  text_.Append("\r\n");
  text_.Flush();
}

}  // namespace talvir
