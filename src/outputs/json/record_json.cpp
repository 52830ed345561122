#include "outputs/json/record_json.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "common/acars_characters.h"
#include "common/received_text.h"
#include "common/version.h"
#include "modem/hfdl_phy.h"
#include "protocol/pdu_descriptions.h"
#include "tracking/position_text.h"

namespace talvir {
namespace {

using json = nlohmann::ordered_json;

constexpr std::string_view kAppName = "talvir";
constexpr std::string_view kGroundStation = "Ground station";
constexpr std::string_view kAircraft = "Aircraft";
constexpr double kHzPerKhz = 1000.0;
constexpr int kSecondsPerTimeUnit = 2;
constexpr int kFrequencyMaskBits = 20;
// HFDL feeders' freq_skew reads half the carrier's offset in Hz: the demo,
// sent 17.5 Hz off, reads 8.7 there, and the recordings likewise half of
// ours. The offset in Hz is in our own figures.
constexpr double kSkewPerHz = 0.5;

// Per-rate counts are kept 1800 first; the layout names them by rate.
constexpr std::array<std::string_view, 4> kRateCountNames = {"1800bps", "1200bps", "600bps", "300bps"};

json App() { return {{"name", kAppName}, {"ver", VersionText()}}; }

json Endpoint(std::string_view type, int id) { return {{"type", type}, {"id", id}}; }

std::string IcaoText(int address) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", address & 0xFFFFFF);
  return text;
}

// Six decimals: a few centimetres of position, a microhertz of frequency.
double Rounded(double value) { return std::round(value * 1e6) / 1e6; }

double Degrees(int32_t code) { return Rounded(CoordinateDegrees(code)); }

json Position(const HfdlPosition& position) {
  return {{"lat", Degrees(position.latitude)}, {"lon", Degrees(position.longitude)}};
}

json TimeOfDay(int32_t units) {
  const int seconds = units * kSecondsPerTimeUnit;
  return {{"hour", seconds / 3600}, {"min", seconds / 60 % 60}, {"sec", seconds % 60}};
}

// Bit i of a mask is the station's frequency i.
json FrequencyIds(uint32_t mask) {
  json ids = json::array();
  for (int bit = 0; bit < kFrequencyMaskBits; ++bit) {
    if ((mask >> bit) & 1u) ids.push_back({{"id", bit}});
  }
  return ids;
}

json RateCounts(const std::array<int, 4>& counts) {
  json object = json::object();
  for (std::size_t i = counts.size(); i-- > 0;) object[std::string(kRateCountNames[i])] = counts[i];
  return object;
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

// The technical acknowledgement that acknowledges nothing.
bool IsNak(const std::string& ack) { return ack == ByteName(kAcarsNak); }

// What aggregators call the label "_" + DEL.
std::string LabelText(const std::string& label) {
  return label == "_" + std::string(ByteName(kAcarsDel)) ? "_d" : label;
}

// The text without the line end its closing ETX left.
std::string MessageText(const std::string& text) {
  return !text.empty() && text.back() == '\n' ? text.substr(0, text.size() - 1) : text;
}

json Burst(const JsonFeeder& feeder, JsonStamp stamp, const BurstInfo& burst) {
  json hfdl = {{"app", App()}};
  if (!feeder.stationId.empty()) hfdl["station"] = feeder.stationId;
  hfdl["t"] = {{"sec", stamp.seconds}, {"usec", stamp.microseconds}};
  // A channel of many says its own frequency; one channel is the receiver's.
  if (const auto khz = burst.frequencyKhz ? burst.frequencyKhz : feeder.frequencyKhz)
    hfdl["freq"] = std::llround(*khz * kHzPerKhz);
  const bool known = burst.rateCode >= 0 && burst.rateCode < hfdl::kRateCodes;
  if (known) hfdl["bit_rate"] = hfdl::Rate(burst.rateCode).bitRate;
  hfdl["sig_level"] = Rounded(burst.signalLevelDb);
  hfdl["noise_level"] = Rounded(burst.noiseLevelDb);
  hfdl["freq_skew"] = Rounded(kSkewPerHz * burst.frequencyErrorHz);
  if (known) hfdl["slot"] = hfdl::Rate(burst.rateCode).longInterleaver ? "D" : "S";
  hfdl["talvir"] = {{"votes", burst.votes},
                    {"magnitude", Rounded(burst.magnitude)},
                    {"freq_err_hz", Rounded(burst.frequencyErrorHz)},
                    {"slot_index", burst.detectedSlotIndex}};
  return hfdl;
}

json PerformanceJson(const PositionReport& r) {
  const int code = r.frequencyChangeReason & 0x0F;
  json cause = {{"code", code}};
  if (code < static_cast<int>(kFrequencyChangeReasons.size())) {
    cause["descr"] = std::string(kFrequencyChangeReasons[static_cast<std::size_t>(code)]);
  }
  return {{"version", r.performanceVersion},
          {"flight_id", r.flightId},
          {"pos", Position(r.position)},
          {"time", TimeOfDay(r.position.time)},
          {"flight_leg_num", r.flightLeg},
          {"gs", Endpoint(kGroundStation, r.groundStationId)},
          {"frequency", {{"id", r.frequencyIndex}}},
          {"freq_search_cnt", {{"cur_leg", r.currentLegLostCount}, {"prev_leg", r.previousLegLostCount}}},
          {"hfdl_disabled_duration",
           {{"this_leg", r.currentLegSecondsDisabled}, {"prev_leg", r.previousLegSecondsDisabled}}},
          {"pdu_stats",
           {{"mpdus_rx_ok_cnt", RateCounts(r.mpdusReceivedOk)},
            {"mpdus_rx_err_cnt", RateCounts(r.mpdusReceivedInError)},
            {"mpdus_tx_cnt", RateCounts(r.mpdusTransmitted)},
            {"mpdus_delivered_cnt", RateCounts(r.mpdusReceivedFirstTime)},
            {"spdus_rx_ok_cnt", r.squittersReceivedOk},
            {"spdus_missed_cnt", r.squittersReceivedInError}}},
          {"last_freq_change_cause", cause}};
}

json FrequencyDataJson(const FrequencyData& data) {
  json object = {{"flight_id", data.flightId}};
  if (data.position) {
    object["pos"] = Position(*data.position);
    object["utc_time"] = TimeOfDay(data.position->time);
  }
  json stations = json::array();
  for (const FrequencyEntry& e : data.entries) {
    stations.push_back({{"gs", Endpoint(kGroundStation, e.groundStationId)},
                        {"listening_on_freqs", FrequencyIds(e.tunedMask)},
                        {"heard_on_freqs", FrequencyIds(e.propagatingMask)}});
  }
  object["freq_data"] = stations;
  return object;
}

json AcarsJson(const AcarsMessage& m) {
  json acars = {{"err", false}, {"more", m.more}, {"reg", m.registration}, {"mode", m.mode},
                {"label", LabelText(m.label)}, {"blk_id", m.blockId}, {"ack", IsNak(m.ack) ? "!" : m.ack}};
  if (!m.flightId.empty()) acars["flight"] = m.flightId;
  if (!m.messageNumber.empty()) {
    // The last character is the message's sequence letter.
    acars["msg_num"] = m.messageNumber.substr(0, m.messageNumber.size() - 1);
    acars["msg_num_seq"] = m.messageNumber.substr(m.messageNumber.size() - 1);
  }
  acars["msg_text"] = MessageText(m.text);
  return acars;
}

std::string_view HfnpduName(uint8_t type) {
  switch (static_cast<HfnpduType>(type)) {
    case HfnpduType::kSystemTable: return "System table (partial)";
    case HfnpduType::kPerformanceData: return "Performance data";
    case HfnpduType::kSystemTableRequest: return "System table request";
    case HfnpduType::kFrequencyData: return "Frequency data";
    case HfnpduType::kTestPacket: return "Delayed echo";
    case HfnpduType::kAcars: return "Enveloped data";
  }
  return "unknown";
}

json HfnpduJson(const HfnpduRecord& record) {
  json hfnpdu = {{"err", false}, {"type", {{"id", record.typeId}, {"name", HfnpduName(record.typeId)}}}};
  if (const auto* r = std::get_if<PositionReport>(&record.content)) {
    hfnpdu.update(PerformanceJson(*r));
  } else if (const auto* f = std::get_if<FrequencyData>(&record.content)) {
    hfnpdu.update(FrequencyDataJson(*f));
  } else if (const auto* p = std::get_if<SystemTablePacket>(&record.content)) {
    hfnpdu["version"] = p->version;
    hfnpdu["systable_partial"] = {{"part_num", p->sequenceNumber + 1}, {"parts_cnt", p->packetCount}};
  } else if (const auto* a = std::get_if<AcarsMessage>(&record.content)) {
    hfnpdu["acars"] = AcarsJson(*a);
  }
  return hfnpdu;
}

std::string_view LpduName(uint8_t type) {
  if ((type & 1) == 0) return "Numbered data";
  switch (static_cast<LpduType>(type)) {
    case LpduType::kUnnumberedData: return "Unnumbered data";
    case LpduType::kUnnumberedAckedData: return "Unnumbered ack'ed data";
    case LpduType::kLogonDenied: return "Logon denied";
    case LpduType::kLogoffRequest: return "Logoff request";
    case LpduType::kLogonResume: return "Logon resume";
    case LpduType::kLogonResumeConfirm: return "Logon resume confirm";
    case LpduType::kLogonRequest: return "Logon request (normal)";
    case LpduType::kLogonConfirm: return "Logon confirm";
    case LpduType::kLogonDlsRequest: return "Logon request (DLS)";
  }
  return "unknown";
}

bool IsLogonFamily(uint8_t type) {
  return (type & 1) != 0 && type != static_cast<uint8_t>(LpduType::kUnnumberedData) &&
         type != static_cast<uint8_t>(LpduType::kUnnumberedAckedData);
}

}  // namespace

json SquitterJson(const JsonFeeder& feeder, JsonStamp stamp, const BurstInfo& burst, const SquitterRecord& s) {
  static constexpr std::array<std::string_view, 4> kChangeNotes = {"None", "Frequency change", "Channel down",
                                                                   "Ground station down"};
  json stations = json::array();
  const std::array<std::array<int32_t, 3>, 3> all = {{{s.station1Id, s.station1Utc, s.station1FrequencyMask},
                                                     {s.station2Id, s.station2Utc, s.station2FrequencyMask},
                                                     {s.station3Id, s.station3Utc, s.station3FrequencyMask}}};
  for (const auto& [id, utc, mask] : all) {
    stations.push_back({{"gs", Endpoint(kGroundStation, id)},
                        {"utc_sync", utc != 0},
                        {"freqs", FrequencyIds(static_cast<uint32_t>(mask))}});
  }
  json hfdl = Burst(feeder, stamp, burst);
  hfdl["spdu"] = {{"err", false},
                  {"src", Endpoint(kGroundStation, s.station1Id)},
                  {"spdu_version", s.squitterVersion},
                  {"rls", s.loadFlag != 0},
                  {"iso", s.iso8208Flag != 0},
                  {"change_note", kChangeNotes[static_cast<std::size_t>(s.groundStationStatus & 3)]},
                  {"frame_index", s.frameIndex},
                  {"frame_offset", s.slotOffset},
                  {"min_priority", s.priorityByte & 0x0F},
                  {"systable_version", s.systemTableVersion},
                  {"gs_status", stations}};
  return {{"hfdl", hfdl}};
}

json LpduJson(const JsonFeeder& feeder, JsonStamp stamp, const BurstInfo& burst, const LpduRecord& r) {
  json aircraft = Endpoint(kAircraft, r.aid);
  const json station = Endpoint(kGroundStation, r.groundStationId);
  const bool logon = IsLogonFamily(r.type);
  if (r.icaoAddress && !logon) aircraft["ac_info"] = {{"icao", IcaoText(*r.icaoAddress)}};
  const bool fromAir = r.direction == kDirectionAirToGround;
  json lpdu = {{"err", false},
               {"src", fromAir ? aircraft : station},
               {"dst", fromAir ? station : aircraft},
               {"type", {{"id", r.type}, {"name", LpduName(r.type)}}}};
  if (r.icaoAddress && logon) lpdu["ac_info"] = {{"icao", IcaoText(*r.icaoAddress)}};
  if (r.assignedAid) lpdu["assigned_ac_id"] = *r.assignedAid;
  if (r.reason) {
    const bool denied = r.type == static_cast<uint8_t>(LpduType::kLogonDenied);
    lpdu["reason"] = {{"code", *r.reason},
                      {"descr", Trimmed(denied ? LogonDeniedReason(*r.reason) : LogoffReason(*r.reason))}};
  }
  if (r.hfnpdu && r.hfnpdu->typeId != 0) lpdu["hfnpdu"] = HfnpduJson(*r.hfnpdu);
  json hfdl = Burst(feeder, stamp, burst);
  hfdl["lpdu"] = lpdu;
  return {{"hfdl", hfdl}};
}

// Audio's --freq is the HF receiver's dial: a VHF channel from another radio
// carries no frequency. A channel cut from an airband band carries its own.
json VhfAcarsJson(const JsonFeeder& feeder, const AcarsMessage& m) {
  json object;
  object["timestamp"] = static_cast<double>(m.stamp);
  if (!feeder.stationId.empty()) object["station_id"] = feeder.stationId;
  if (m.channel) object["channel"] = *m.channel;
  if (m.frequencyMhz) object["freq"] = Rounded(*m.frequencyMhz);
  if (m.levelDb) object["level"] = std::round(*m.levelDb * 10.0) / 10.0;  // as ACARS feeders give it
  if (m.correctedBits) object["error"] = *m.correctedBits;
  object["mode"] = m.mode;
  object["label"] = LabelText(m.label);
  object["block_id"] = m.blockId;
  if (IsNak(m.ack)) {
    object["ack"] = false;
  } else {
    object["ack"] = m.ack;
  }
  std::string_view tail = m.registration;
  while (tail.starts_with('.')) tail.remove_prefix(1);
  object["tail"] = std::string(tail);
  if (!m.uplink) {
    object["flight"] = m.flightId;
    object["msgno"] = m.messageNumber;
  }
  if (!m.text.empty()) object["text"] = MessageText(m.text);
  object["end"] = !m.more;
  object["app"] = App();
  if (m.correctedBits) object["talvir"] = {{"corrected_bits", *m.correctedBits}};
  return object;
}

}  // namespace talvir
