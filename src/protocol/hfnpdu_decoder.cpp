#include "protocol/hfnpdu_decoder.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "acars/acars_text.h"
#include "acars/hfdl_acars_printer.h"
#include "common/received_text.h"
#include "config/settings.h"
#include "outputs/decoded_text.h"
#include "protocol/pdu_descriptions.h"
#include "protocol/system_table_decoder.h"
#include "protocol/text_formatters.h"
#include "tracking/flight_db.h"
#include "tracking/position_text.h"
#include "tracking/system_table_store.h"

namespace talvir {
namespace {

constexpr std::size_t kTypeBytes = 2;

constexpr std::size_t kFlightIdBytes = 6;
constexpr std::size_t kPositionOffset = 6;
constexpr std::size_t kPositionBytes = 7;
constexpr std::size_t kPerformanceDataBytes = 45;
constexpr std::size_t kFrequencyEntriesOffset = kPositionOffset + kPositionBytes;
constexpr std::size_t kFrequencyEntryBytes = 6;
constexpr std::size_t kMaxFrequencyEntries = 6;
constexpr std::size_t kTestPacketDataOffset = 10;

// Rates in the order the performance counters list them.
constexpr std::array<const char*, 4> kRateCountFormats = {"1800 bps = %d\r\n", "1200 bps = %d\r\n",
                                                          "600  bps = %d\r\n", "300  bps = %d\r\n"};

constexpr std::array<const char*, 4> kTestVendors = {
    "Vendor Not Specified\r\n", "Allied Signal\r\n", "ARINC\r\n", "Rockwell Collins\r\n"};

int ReadLe16(std::span<const uint8_t> p, std::size_t offset) {
  return p[offset] | (p[offset + 1] << 8);
}

std::array<int, 4> ReadRateCounts(std::span<const uint8_t> p, std::size_t offset) {
  return {p[offset], p[offset + 1], p[offset + 2], p[offset + 3]};
}

// Six characters with bit 7 cleared, control bytes named; a NUL ends the
// text early.
std::string ReadFlightId(std::span<const uint8_t> p) {
  std::array<uint8_t, kFlightIdBytes> id;
  std::size_t length = 0;
  for (; length < id.size() && (p[length] & 0x7F) != 0; ++length) id[length] = p[length] & 0x7F;
  return RenderReceivedText(std::span(id).first(length));
}

HfdlPosition ReadPosition(std::span<const uint8_t> p) {
  const uint32_t low = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
  const uint32_t high = p[2] | (p[3] << 8) | (static_cast<uint32_t>(p[4]) << 16);
  return {static_cast<int32_t>(low & 0xFFFFF), static_cast<int32_t>((high >> 4) & 0xFFFFF),
          ReadLe16(p, 5)};
}

PositionReport ReadPositionReport(std::span<const uint8_t> p) {
  PositionReport r;
  r.flightId = ReadFlightId(p);
  r.position = ReadPosition(p.subspan(kPositionOffset));
  r.performanceVersion = p[13];
  r.flightLeg = p[14];
  r.groundStationId = p[15] & 0x7F;
  r.utcFlag = p[15] >> 7;
  r.frequencyIndex = p[16];
  r.previousLegLostCount = ReadLe16(p, 17);
  r.currentLegLostCount = ReadLe16(p, 19);
  r.previousLegSecondsDisabled = ReadLe16(p, 21);
  r.currentLegSecondsDisabled = ReadLe16(p, 23);
  r.mpdusReceivedOk = ReadRateCounts(p, 25);
  r.mpdusReceivedInError = ReadRateCounts(p, 29);
  r.squittersReceivedOk = ReadLe16(p, 33);
  r.squittersReceivedInError = p[35];
  r.mpdusTransmitted = ReadRateCounts(p, 36);
  r.mpdusReceivedFirstTime = ReadRateCounts(p, 40);
  r.frequencyChangeReason = p[44];
  return r;
}

FrequencyEntry ReadFrequencyEntry(std::span<const uint8_t> b) {
  FrequencyEntry e;
  e.groundStationId = b[0] & 0x7F;
  e.utcFlag = b[0] >> 7;
  e.propagatingMask = b[1] + 256u * b[2] + 65536u * (b[3] & 0x0Fu);
  e.tunedMask = (b[3] >> 4) + 16u * b[4] + 4096u * b[5];
  return e;
}

}  // namespace

HfnpduDecoder::HfnpduDecoder(const Settings& settings, DecodedText& text, FlightDb& flights,
                             const SystemTableStore& systemTable, const TextFormatters& formatters,
                             SystemTableDecoder& systemTableDecoder, HfdlAcarsPrinter& acarsPrinter)
    : settings_(settings),
      text_(text),
      flights_(flights),
      systemTable_(systemTable),
      formatters_(formatters),
      systemTableDecoder_(systemTableDecoder),
      acarsPrinter_(acarsPrinter) {}

template <typename Record>
void HfnpduDecoder::Keep(const LinkContext& link, Record record) {
  if (link.hfnpdu != nullptr) link.hfnpdu->content = std::move(record);
}

bool HfnpduDecoder::Showing() const { return settings_.On(&SettingsRecord::showHfnpdu); }

void HfnpduDecoder::DecodeHfnpdu(LinkContext& link, std::span<const uint8_t> data) {
  if (data.size() <= kTypeBytes) return;
  const auto payload = data.subspan(kTypeBytes);
  if (data[0] != kHfnpduMarker) {
    PrintUnknown(payload);
    return;
  }
  if (link.hfnpdu != nullptr) link.hfnpdu->typeId = data[1];
  switch (static_cast<HfnpduType>(data[1])) {
    case HfnpduType::kSystemTable:
      if (const auto packet = systemTableDecoder_.DecodeSystemTablePacket(payload)) Keep(link, *packet);
      break;
    case HfnpduType::kPerformanceData:
      DecodePerformanceData(link, payload);
      break;
    case HfnpduType::kSystemTableRequest:
      if (Showing()) text_.Printf("[HFNPDU SYSTEM TABLE REQUEST]\r\n");
      break;
    case HfnpduType::kFrequencyData:
      DecodeFrequencyData(link, payload);
      break;
    case HfnpduType::kTestPacket:
      DecodeTestPacket(payload);
      break;
    case HfnpduType::kAcars:
      DecodeHfdlAcars(link, payload);
      break;
    default:
      PrintUnknown(payload);
      break;
  }
}

void HfnpduDecoder::DecodePerformanceData(const LinkContext& link,
                                          std::span<const uint8_t> payload) {
  // A report cut short carries no trustworthy position: skipped whole.
  if (payload.size() < kPerformanceDataBytes) return;
  const PositionReport r = ReadPositionReport(payload);
  Keep(link, r);
  if (Showing()) {
    text_.Printf("[HFNPDU PERFORMANCE]\r\n");
    text_.Printf("%s UTC ", FormatHalfSecondsTime(r.position.time).c_str());
    text_.Printf(" Flight ID = %s ", r.flightId.c_str());
    text_.Printf(" LAT %s LON %s \r\n", FormatLatitude(r.position.latitude).c_str(),
                 FormatLongitude(r.position.longitude).c_str());
    if (settings_.On(&SettingsRecord::verbose)) {
      text_.Printf("Performance version %d\r\n", r.performanceVersion);
      text_.Printf("Flight Leg %d\r\n", r.flightLeg);
      text_.Printf("GS %s\r\n", formatters_.GroundStationName(r.groundStationId).c_str());
      text_.Printf("%s\r\n", r.utcFlag != 0 ? "SYNCHED TO UTC" : "NOT SYNCHED TO UTC");
      if (const auto hz = systemTable_.HeldFrequencyHz(r.groundStationId, r.frequencyIndex + 1)) {
        text_.Printf("Frequency %8.1f(KHz)\r\n", *hz * 0.001);
      } else {
        text_.Printf("Frequency %d\r\n", r.frequencyIndex + 1);
      }
      text_.Printf("Previous Leg lost count %d\r\n", r.previousLegLostCount);
      text_.Printf("Current Leg lost count %d\r\n", r.currentLegLostCount);
      text_.Printf("Previous Leg Number of sec disabled %d\r\n", r.previousLegSecondsDisabled);
      text_.Printf("Current Leg Number of sec disabled %d\r\n", r.currentLegSecondsDisabled);
      auto printRateCounts = [this](const char* title, const std::array<int, 4>& counts) {
        text_.Printf("%s\r\n", title);
        for (std::size_t i = 0; i < counts.size(); ++i)
          text_.Printf(kRateCountFormats[i], counts[i]);
      };
      printRateCounts("Number of MPDUS received O.K", r.mpdusReceivedOk);
      printRateCounts("Number of MPDUS received in Error", r.mpdusReceivedInError);
      text_.Printf("Number of Squitters received O.K = %d\r\n", r.squittersReceivedOk);
      text_.Printf("Number of Squitters received in Error = %d\r\n", r.squittersReceivedInError);
      printRateCounts("Number of MPDUS transmitted", r.mpdusTransmitted);
      printRateCounts("Number of MPDUS received first time", r.mpdusReceivedFirstTime);
      const int code = r.frequencyChangeReason & 0x0F;
      text_.Printf("Reason for last frequency change = ");
      if (code < static_cast<int>(kFrequencyChangeReasons.size())) {
        text_.Append(kFrequencyChangeReasons[static_cast<std::size_t>(code)]);
      } else {
        text_.Printf("Unknown code %d", code);
      }
      if (r.frequencyChangeReason > 15) {
        text_.Printf(", vendor code %d", r.frequencyChangeReason >> 4);
      }
      text_.Printf("\r\n\r\n");
    }
  }
  flights_.FlightDbUpdateFromPosition(link.groundStationId, link.aid, link.icaoAddress, r.flightId,
                                      r.position.latitude, r.position.longitude, r.position.time, link.hfChannel);
}

void HfnpduDecoder::DecodeFrequencyData(const LinkContext& link, std::span<const uint8_t> payload) {
  if (payload.size() < kFlightIdBytes) return;
  const std::string flightId = ReadFlightId(payload);
  const bool positionValid = payload.size() >= kFrequencyEntriesOffset;
  const HfdlPosition position =
      positionValid ? ReadPosition(payload.subspan(kPositionOffset)) : HfdlPosition{};
  FrequencyData data;
  data.flightId = flightId;
  if (positionValid) data.position = position;
  for (std::size_t offset = kFrequencyEntriesOffset;
       data.entries.size() < kMaxFrequencyEntries && payload.size() >= offset + kFrequencyEntryBytes;
       offset += kFrequencyEntryBytes) {
    data.entries.push_back(ReadFrequencyEntry(payload.subspan(offset)));
  }

  if (Showing()) {
    text_.Printf("[HFNPDU FREQUENCY DATA]\r\n");
    if (positionValid) text_.Printf("%s UTC ", FormatHalfSecondsTime(position.time).c_str());
    text_.Printf(" Flight ID = %s ", flightId.c_str());
    if (positionValid) {
      text_.Printf(" LAT %s LON %s \r\n", FormatLatitude(position.latitude).c_str(),
                   FormatLongitude(position.longitude).c_str());
    }
    if (settings_.On(&SettingsRecord::verbose)) {
      for (const FrequencyEntry& e : data.entries) {
        text_.Printf("GS ID %d %s UTC %s\r\n", e.groundStationId,
                     formatters_.GroundStationName(e.groundStationId).c_str(),
                     e.utcFlag != 0 ? "LOCKED" : "NOT LOCKED");
        text_.Printf("Propagating frequencies %s\r\n",
                     formatters_.FormatFrequencyList(e.groundStationId, e.propagatingMask).c_str());
        text_.Printf("Tuned frequencies %s\r\n",
                     formatters_.FormatFrequencyList(e.groundStationId, e.tunedMask).c_str());
      }
    }
  }
  flights_.FlightDbUpdateFromFrequencyData(link.groundStationId, link.aid, link.icaoAddress,
                                           flightId, position.latitude, position.longitude,
                                           position.time, link.hfChannel);
  Keep(link, std::move(data));
}

void HfnpduDecoder::DecodeTestPacket(std::span<const uint8_t> payload) {
  if (!Showing() || payload.size() < kTestPacketDataOffset) return;
  const uint8_t vendor = payload[1];
  text_.Printf("Vendor = %s", vendor < kTestVendors.size() ? kTestVendors[vendor] : "Invalid\r\n");
  text_.Printf("Reaction = ");
  switch (payload[2]) {
    case 0:
      text_.Printf("Do Nothing\r\n");
      break;
    case 1:
      text_.Printf("Purge Queue\r\n");
      break;
    case 2:
      text_.Printf("Execute Queue\r\n");
      break;
    case 3:
      text_.Printf("Echo Downlink Packet Request\r\n");
      break;
    case 4:
      text_.Printf("Default Downlink Packet Request\r\n");
      break;
    case 5:
      text_.Printf("Report Downlink Packet Request\r\n");
      break;
    case 128:
      text_.Printf("Echo Downlink\r\n");
      break;
    case 129:
      text_.Printf("Default Downlink\r\n");
      break;
    case 130:
      text_.Printf("Report Downlink\r\n");
      break;
    default:
      text_.Printf("%.2X", payload[2]);
      break;
  }
  text_.Printf("Frame Delay %d\r\n", payload[3]);
  text_.Printf("Slot Delay %d\r\n", payload[4]);
  text_.Printf("Priority %d\r\n", payload[5]);
  // Each length is the sum of its two bytes, not a 16-bit number.
  text_.Printf("Reaction Length %d\r\n", payload[6] + payload[7]);
  const std::size_t dataLength = payload[8] + payload[9];
  text_.Printf("Data Length %d\r\n", static_cast<int>(dataLength));
  const auto data = payload.subspan(kTestPacketDataOffset);
  text_.HexDump(data.first(std::min(dataLength, data.size())));
}

void HfnpduDecoder::DecodeHfdlAcars(const LinkContext& link, std::span<const uint8_t> payload) {
  const std::vector<uint8_t> block = AcarsCharactersWithoutParity(payload);
  Keep(link, acarsPrinter_.PrintHfdlAcars(link.direction, link.groundStationId, link.aid, block));
  if (!Showing()) return;
  const std::string label = formatters_.FlightLabel(link.aid);
  if (link.direction == kDirectionAirToGround) {
    text_.Printf("[HFNPDU ACARS FM AIR %s TO GND]\r\n", label.c_str());
  } else {
    text_.Printf("[HFNPDU ACARS FM GND TO AIR %s]\r\n", label.c_str());
  }
  text_.AppendLines(RenderControlCharacters(HfdlAcarsCharacters(block)));
}

void HfnpduDecoder::PrintUnknown(std::span<const uint8_t> payload) {
  if (!Showing()) return;
  text_.Printf("[HFNPDU UNKNOWN FORMAT]\r\n");
  text_.HexDump(payload);
}

}  // namespace talvir
