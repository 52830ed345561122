#include "tracking/flight_db.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/ui_link.h"
#include "config/settings.h"
#include "tracking/position_text.h"

namespace talvir {
namespace {

bool RealAid(int aid) { return aid != kBroadcastAid && aid != kLogonAid; }

// What a field keeps of a text: its width less the terminator. Lookups cut
// the same way, so a text longer than the field (a flight id with named
// control bytes) finds the record it made.
template <std::size_t N>
std::string_view AsStored(const char (&)[N], std::string_view text) {
  return text.substr(0, N - 1);
}

template <std::size_t N>
void CopyField(char (&field)[N], std::string_view text) {
  text = AsStored(field, text);
  std::memcpy(field, text.data(), text.size());
  std::memset(field + text.size(), 0, N - text.size());
}

}  // namespace

int LogonKey(int groundStationId, int aid) {
  return RealAid(aid) ? groundStationId * 256 + aid : -1;
}

FlightDb::FlightDb(const Settings& settings, AircraftOutputs& outputs, UiLink& ui)
    : settings_(settings), outputs_(outputs), ui_(ui) {}

int FlightDb::FindLocked(auto matches) const {
  for (int i = 0; i < kCapacity; ++i) {
    const AircraftRecord& r = records_[static_cast<std::size_t>(i)];
    if (r.inUse == 1 && matches(r)) return i;
  }
  return -1;
}

int FlightDb::FindByLogonKeyLocked(int key) const {
  if (key == 0 || key == -1) return -1;
  return FindLocked([key](const AircraftRecord& r) { return r.logonKey == key; });
}

int FlightDb::FindByFlightIdLocked(std::string_view text) const {
  if (text.empty()) return -1;
  return FindLocked([text](const AircraftRecord& r) { return r.FlightIdText() == AsStored(r.flightId, text); });
}

int FlightDb::FindByRegistrationLocked(std::string_view text) const {
  if (text.empty()) return -1;
  return FindLocked(
      [text](const AircraftRecord& r) { return r.RegistrationText() == AsStored(r.registration, text); });
}

int FlightDb::FindByAidLocked(int aid) const {
  if (!RealAid(aid)) return -1;
  return FindLocked([aid](const AircraftRecord& r) { return r.aid == aid; });
}

int FlightDb::FindByIcaoLocked(int icao) const {
  if (icao == 0) return -1;
  return FindLocked([icao](const AircraftRecord& r) { return r.icaoAddress == icao; });
}

int FlightDb::FlightDbFindByLogonKey(int key) const {
  std::lock_guard lock(lock_);
  return FindByLogonKeyLocked(key);
}

int FlightDb::FlightDbFindByFlightId(std::string_view text) const {
  std::lock_guard lock(lock_);
  return FindByFlightIdLocked(text);
}

int FlightDb::FlightDbFindByRegistration(std::string_view text) const {
  std::lock_guard lock(lock_);
  return FindByRegistrationLocked(text);
}

int FlightDb::FlightDbFindByAid(int aid) const {
  std::lock_guard lock(lock_);
  return FindByAidLocked(aid);
}

int FlightDb::FlightDbFindByIcao(int icao) const {
  std::lock_guard lock(lock_);
  return FindByIcaoLocked(icao);
}

std::optional<AircraftRecord> FlightDb::FlightDbRecord(int index) const {
  if (index < 0 || index >= kCapacity) return std::nullopt;
  std::lock_guard lock(lock_);
  return records_[static_cast<std::size_t>(index)];
}

std::string FlightDb::FlightDbFlightIdByAid(int aid) const {
  std::lock_guard lock(lock_);
  const int index = FindByAidLocked(aid);
  if (index < 0) return {};
  return std::string(records_[static_cast<std::size_t>(index)].FlightIdText());
}

std::array<AircraftRecord, FlightDb::kCapacity> FlightDb::FlightDbSnapshot() const {
  std::lock_guard lock(lock_);
  return records_;
}

int FlightDb::AllocateLocked() {
  const auto free = std::find_if(records_.begin(), records_.end(),
                                 [](const AircraftRecord& r) { return r.inUse == 0; });
  if (free == records_.end()) return -1;
  *free = AircraftRecord{};  // also zeroes age, changed flag and position time
  free->inUse = 1;
  return static_cast<int>(free - records_.begin());
}

bool FlightDb::RemoveLocked(AircraftRecord& record) {
  record.inUse = 0;
  if (record.FlightIdText().empty()) return false;
  record.listIndex = -1;
  ++listGeneration_;
  return true;
}

void FlightDb::SetFlightIdLocked(int index, std::string_view flightId, PendingListing& listing) {
  AircraftRecord& r = records_[static_cast<std::size_t>(index)];
  CopyField(r.flightId, flightId);
  if (r.FlightIdText().empty()) return;
  listing = {index, std::string(r.FlightIdText()), ++listGeneration_};
}

void FlightDb::ListFlight(const PendingListing& listing) {
  if (listing.index < 0) return;
  const int line = ui_.FlightListInsert(listing.flightId);
  {
    std::lock_guard lock(lock_);
    AircraftRecord& r = records_[static_cast<std::size_t>(listing.index)];
    if (listGeneration_ == listing.generation) {
      r.listIndex = line;
      return;
    }
  }
  // The list changed while the line went in: it may now be missing or doubled.
  RebuildFlightList();
}

void FlightDb::RebuildFlightList() {
  for (;;) {
    std::vector<std::pair<int, std::string>> listed;
    uint64_t generation;
    {
      std::lock_guard lock(lock_);
      generation = ++listGeneration_;
      for (int i = 0; i < kCapacity; ++i) {
        AircraftRecord& r = records_[static_cast<std::size_t>(i)];
        r.listIndex = -1;
        if (r.inUse == 1 && !r.FlightIdText().empty()) listed.emplace_back(i, r.FlightIdText());
      }
    }
    ui_.FlightListClear();
    std::vector<int> lines;
    lines.reserve(listed.size());
    for (const auto& entry : listed) lines.push_back(ui_.FlightListInsert(entry.second));
    std::lock_guard lock(lock_);
    if (listGeneration_ != generation) continue;
    for (std::size_t k = 0; k < listed.size(); ++k)
      records_[static_cast<std::size_t>(listed[k].first)].listIndex = lines[k];
    return;
  }
}

void FlightDb::UpdateFromPositionReport(int groundStationId, int aid, int icao,
                                        std::string_view flightId, int32_t latitude,
                                        int32_t longitude, int32_t time, int hfChannel) {
  PendingListing listing;
  AircraftRecord published;
  {
    std::lock_guard lock(lock_);
    const int key = LogonKey(groundStationId, aid);
    int index = FindByIcaoLocked(icao);
    if (index < 0) index = FindByFlightIdLocked(flightId);
    if (index < 0) index = FindByLogonKeyLocked(key);
    if (index < 0) index = AllocateLocked();
    if (index < 0) return;  // table full
    AircraftRecord& r = records_[static_cast<std::size_t>(index)];
    r.longitude = longitude;
    r.latitude = latitude;
    r.positionTime = time;
    std::copy(std::begin(r.track) + 1, std::end(r.track), std::begin(r.track));
    r.track[kTrackLength - 1] = {longitude, latitude};
    r.ageMinutes = 0;
    r.changed = 1;
    r.hfChannel = hfChannel;
    if (key != -1) {
      r.logonKey = key;
      r.aid = static_cast<uint8_t>(aid);
    }
    if (r.FlightIdText().empty()) SetFlightIdLocked(index, flightId, listing);
    if (r.icaoAddress == 0 && icao != 0) r.icaoAddress = icao;
    published = r;
  }
  ListFlight(listing);
  if (listing.index >= 0) {
    if (auto listed = FlightDbRecord(listing.index)) published.listIndex = listed->listIndex;
  }
  outputs_.DdePublishAircraft(published);
}

void FlightDb::FlightDbUpdateFromPosition(int groundStationId, int aid, int icao,
                                          std::string_view flightId, int32_t latitude,
                                          int32_t longitude, int32_t time, int hfChannel) {
  UpdateFromPositionReport(groundStationId, aid, icao, flightId, latitude, longitude, time, hfChannel);
}

void FlightDb::FlightDbUpdateFromFrequencyData(int groundStationId, int aid, int icao,
                                               std::string_view flightId, int32_t latitude,
                                               int32_t longitude, int32_t time, int hfChannel) {
  UpdateFromPositionReport(groundStationId, aid, icao, flightId, latitude, longitude, time, hfChannel);
}

void FlightDb::FlightDbUpdateFromAcars(int listFlight, int groundStationId, int aid,
                                       std::string_view flightId, std::string_view registration,
                                       int hfChannel) {
  PendingListing listing;
  {
    std::lock_guard lock(lock_);
    const int key = LogonKey(groundStationId, aid);
    int index = FindByFlightIdLocked(flightId);
    if (index < 0) index = FindByRegistrationLocked(registration);
    if (index < 0) index = FindByLogonKeyLocked(key);
    if (index < 0) index = AllocateLocked();
    if (index < 0) return;  // table full
    AircraftRecord& r = records_[static_cast<std::size_t>(index)];
    r.ageMinutes = 0;
    if (hfChannel != kNoHfChannel) r.hfChannel = hfChannel;
    if (key != -1) {
      r.logonKey = key;
      r.aid = static_cast<uint8_t>(aid);
    }
    if (r.FlightIdText().empty() && listFlight != 0) {
      SetFlightIdLocked(index, flightId, listing);
      r.changed = 1;
    }
    if (r.RegistrationText().empty()) {
      CopyField(r.registration, registration);
      r.changed = 1;
    }
  }
  ListFlight(listing);
}

void FlightDb::FlightDbSetPositionTime(std::string_view flightId, int32_t time) {
  std::string details;
  {
    std::lock_guard lock(lock_);
    const int index = FindByFlightIdLocked(flightId);
    if (index < 0) return;
    AircraftRecord& r = records_[static_cast<std::size_t>(index)];
    r.positionTime = time;
    details = FormatFlightDetails(r);
  }
  ui_.SetFlightDetails(details);
}

void FlightDb::FlightDbUpdateFromLogon(int groundStationId, int aid, int icao, int hfChannel) {
  std::lock_guard lock(lock_);
  const int key = LogonKey(groundStationId, aid);
  if (const int known = FindByIcaoLocked(icao); known >= 0) {
    if (key != -1) {
      AircraftRecord& r = records_[static_cast<std::size_t>(known)];
      r.logonKey = key;
      r.aid = static_cast<uint8_t>(aid);
      r.hfChannel = hfChannel;
    }
    return;
  }
  if (key == -1) return;
  int index = FindByLogonKeyLocked(key);
  if (index < 0) {
    index = AllocateLocked();
    if (index < 0) return;  // table full
    records_[static_cast<std::size_t>(index)].logonKey = key;
  }
  records_[static_cast<std::size_t>(index)].icaoAddress = icao;
  records_[static_cast<std::size_t>(index)].hfChannel = hfChannel;
}

void FlightDb::FlightDbClear(int hfChannel) {
  bool relist = false;
  {
    std::lock_guard lock(lock_);
    for (AircraftRecord& r : records_) {
      const bool heardHere = r.hfChannel == hfChannel || r.hfChannel == kNoHfChannel;
      if (r.inUse == 1 && heardHere) relist |= RemoveLocked(r);
    }
  }
  if (relist) RebuildFlightList();
}

void FlightDb::ShowDetailsWhere(auto matches) {
  std::string details;
  {
    std::lock_guard lock(lock_);
    const int index = FindLocked(matches);
    if (index < 0) return;
    details = FormatFlightDetails(records_[static_cast<std::size_t>(index)]);
  }
  ui_.SetFlightDetails(details);
}

void FlightDb::FlightDbShowDetails(int index) {
  if (index < 0 || index >= kCapacity) return;
  const AircraftRecord* wanted = &records_[static_cast<std::size_t>(index)];
  ShowDetailsWhere([wanted](const AircraftRecord& r) { return &r == wanted; });
}

void FlightDb::FlightDbShowDetailsByListIndex(int listIndex) {
  if (listIndex < 0) return;
  ShowDetailsWhere([listIndex](const AircraftRecord& r) { return r.listIndex == listIndex; });
}

void FlightDb::FlightDbDeleteByListIndex(int listIndex) {
  if (listIndex < 0) return;  // no selection
  {
    std::lock_guard lock(lock_);
    const int index =
        FindLocked([listIndex](const AircraftRecord& r) { return r.listIndex == listIndex; });
    if (index < 0) return;
    records_[static_cast<std::size_t>(index)].inUse = 0;
    ++listGeneration_;
  }
  RebuildFlightList();
}

void FlightDb::FlightDbAgeTick() {
  bool relist = false;
  {
    std::lock_guard lock(lock_);
    for (AircraftRecord& r : records_) {
      if (r.inUse != 1) continue;
      ++r.ageMinutes;
      const int timeout = settings_.Get(&SettingsRecord::aircraftTimeoutMinutes);
      if (timeout != 0 && r.ageMinutes > timeout) relist |= RemoveLocked(r);
    }
  }
  if (relist) RebuildFlightList();
}

void FlightDb::FlightDbPublish(int force) {
  std::vector<AircraftPlotEntry> plot;
  std::array<AircraftRecord, kCapacity> table;
  {
    std::lock_guard lock(lock_);
    const bool anyChanged = std::any_of(records_.begin(), records_.end(), [](const AircraftRecord& r) {
      return r.inUse == 1 && r.changed != 0;
    });
    if (force == 1 || anyChanged) {
      for (const AircraftRecord& r : records_) {
        if (r.inUse != 1) continue;
        std::string_view label = r.FlightIdText().empty() ? r.RegistrationText() : r.FlightIdText();
        if (!label.empty()) plot.push_back({r.latitude, r.longitude, std::string(label)});
      }
      table = records_;
    }
    for (AircraftRecord& r : records_) r.changed = 0;
    if (force != 1 && !anyChanged) return;
  }
  outputs_.PlotAircraft(plot);
  outputs_.PlotGroundStations();
  outputs_.WriteAircraftKml(table);
}

std::string FlightDb::FormatFlightDetails(const AircraftRecord& record) {
  auto orUnknown = [](std::string_view text) {
    return text.empty() ? std::string("??????") : std::string(text);
  };
  char icao[16] = "??????";
  if (record.icaoAddress != 0) std::snprintf(icao, sizeof icao, "%.6X", record.icaoAddress);
  char aid[8] = "??";
  if (record.aid != 0) std::snprintf(aid, sizeof aid, "%.2X", record.aid);
  char text[256];
  std::snprintf(text, sizeof text, " AIR %s UTC FLT %s %s ICAO %s AID %s LAT %s LON %s",
                FormatHalfSecondsTime(record.positionTime).c_str(),
                orUnknown(record.FlightIdText()).c_str(),
                orUnknown(record.RegistrationText()).c_str(), icao, aid,
                FormatLatitude(record.latitude).c_str(), FormatLongitude(record.longitude).c_str());
  return text;
}

}  // namespace talvir
