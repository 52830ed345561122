#include "protocol/text_formatters.h"

#include <cstdio>

#include "common/hfdl_pdu_types.h"
#include "tracking/flight_db.h"
#include "tracking/ground_stations.h"
#include "tracking/system_table_store.h"

namespace talvir {
namespace {

constexpr uint32_t kFrequencyIsHertzAbove = 1000;  // else it is a frequency number

std::string Hex2(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2X", value);
  return text;
}

}  // namespace

TextFormatters::TextFormatters(const FlightDb& flights, const GroundStations& stations,
                               const SystemTableStore& systemTable)
    : flights_(flights), stations_(stations), systemTable_(systemTable) {}

std::string TextFormatters::GroundStationName(int id) const { return stations_.GroundStationName(id); }

std::string TextFormatters::FlightLabel(int aid) const {
  if (aid == kBroadcastAid) return "BRD";
  if (aid == kLogonAid) return "LOGON";
  std::string flightId = flights_.FlightDbFlightIdByAid(aid);
  return flightId.empty() ? Hex2(aid) : flightId;
}

std::string TextFormatters::FlightLabelOrEmpty(int aid) const {
  if (aid == kBroadcastAid) return {};
  if (aid == kLogonAid) return "LOGON";
  return flights_.FlightDbFlightIdByAid(aid);
}

std::string TextFormatters::FormatFrequencyList(int stationId, uint32_t mask) const {
  std::string list;
  char entry[64];
  for (int i = 0; i < kSystemTableMaxFrequencies; ++i) {
    if (((mask >> i) & 1u) == 0) continue;
    const uint32_t f = systemTable_.SystemTableFrequency(stationId, i + 1);
    if (f > kFrequencyIsHertzAbove) {
      std::snprintf(entry, sizeof entry, "%8.0f KHz ", f * 0.001);
    } else {
      std::snprintf(entry, sizeof entry, "%8.0f", static_cast<double>(f));
    }
    list += entry;
  }
  return list;
}

std::string TextFormatters::FormatAckCode(int code) const {
  const int flags = (code >> 8) & 0xF;
  std::string text = "ID " + Hex2(code & 0xFF) + " " + FlightLabelOrEmpty(code & 0xFF) + " ";
  if (flags != 0) {
    text += "ACK(";
    for (int bit = 0; bit < 4; ++bit) {
      if ((flags >> bit) & 1) text += static_cast<char>('1' + bit);
    }
    text += ")";
  }
  return text;
}

std::string TextFormatters::FormatSlotAssignment(int code) const {
  if (code == kSlotUplinkOrUnassigned) return "Uplink or not assigned";
  if (code == kSlotRandomAccess) return "Random Access";
  if (code == kSlotReserved) return "Reserved";
  return "AIR ID " + Hex2(code) + " " + FlightLabelOrEmpty(code);
}

}  // namespace talvir
