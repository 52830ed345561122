#include "outputs/publishing/dde_server.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tracking/position_text.h"

namespace talvir {

std::string FormatDdeAircraftLine(const AircraftRecord& record) {
  std::string line;
  line += record.FlightIdText();
  line += ',';
  line += record.RegistrationText();
  line += ',';
  if (record.icaoAddress != 0) {
    char icao[16];
    std::snprintf(icao, sizeof icao, "%6X", record.icaoAddress);
    line += icao;
  }
  line += ',';
  if (record.positionTime != 0) line += FormatDdeTime(record.positionTime);
  line += ',';
  line += FormatDdeLongitude(record.longitude);
  line += ',';
  line += FormatDdeLatitude(record.latitude);
  line += ';';
  return line;
}

DdeServer::DdeServer(const Settings& settings) : settings_(settings) {}

void DdeServer::DdeServerStart() {
  std::lock_guard lock(startNamesLock_);
  hfdlService_ = settings_.Text(&SettingsRecord::hfdlDdeService);
  acarsService_ = settings_.Text(&SettingsRecord::acarsDdeService);
  hfdlItem_ = settings_.Text(&SettingsRecord::hfdlDdeItem);
  acarsItem_ = settings_.Text(&SettingsRecord::acarsDdeItem);
}

void DdeServer::Queue(Link& link, std::string_view text) {
  std::lock_guard lock(poolLock_);
  char* slot = link.pool[static_cast<std::size_t>(link.nextSlot)].data();
  // A full queue drops the new line. The slot is written only once it is
  // queued, so a queued line's text is never overwritten.
  if (link.queue.Push(slot) == nullptr) return;
  const std::size_t n = std::min<std::size_t>(text.size(), kDdeTextMaxLength);
  std::memcpy(slot, text.data(), n);
  slot[n] = '\0';
  link.nextSlot = (link.nextSlot + 1) % kDdeQueueCapacity;
}

bool DdeServer::PopInto(Link& link, std::string& text) {
  std::lock_guard lock(poolLock_);
  const char* slot = link.queue.Pop();
  if (slot == nullptr) return false;
  text = slot;
  return true;
}

void DdeServer::DdePublishAircraft(const AircraftRecord& record) {
  if (!Connected(DdeLink::kHfdl)) return;
  Queue(hfdl_, FormatDdeAircraftLine(record));
}

void DdeServer::DdePublishAcars(std::string_view text) {
  if (!Connected(DdeLink::kAcars)) return;
  Queue(acars_, text);
}

bool DdeServer::Connect(std::string_view service, std::string_view topic) {
  {
    // Only services registered at start reach the server at all.
    std::lock_guard lock(startNamesLock_);
    if (service != acarsService_ && service != hfdlService_) return false;
  }
  if (service != settings_.Text(&SettingsRecord::acarsDdeService) &&
      service != settings_.Text(&SettingsRecord::hfdlDdeService))
    return false;
  if (topic == settings_.Text(&SettingsRecord::acarsDdeTopic)) {
    acars_.flags.connected = 1;
  } else if (topic == settings_.Text(&SettingsRecord::hfdlDdeTopic)) {
    hfdl_.flags.connected = 1;
  } else {
    return false;
  }
  return true;
}

bool DdeServer::ItemLink(std::string_view item, DdeLink& link) const {
  if (item == settings_.Text(&SettingsRecord::acarsDdeItem)) {
    link = DdeLink::kAcars;
  } else if (item == settings_.Text(&SettingsRecord::hfdlDdeItem)) {
    link = DdeLink::kHfdl;
  } else {
    return false;
  }
  return true;
}

bool DdeServer::AdviseStart(std::string_view item) {
  DdeLink link;
  if (!ItemLink(item, link)) return false;
  LinkOf(link).flags.adviseActive = 1;
  return true;
}

bool DdeServer::AdviseStop(std::string_view item) {
  DdeLink link;
  if (!ItemLink(item, link)) return false;
  LinkOf(link).flags.adviseActive = 0;
  return true;
}

std::string DdeServer::Request(std::string_view item) {
  std::string text;
  if (item == settings_.Text(&SettingsRecord::hfdlDdeItem) && PopInto(hfdl_, text)) return text;
  if (item == settings_.Text(&SettingsRecord::acarsDdeItem) && PopInto(acars_, text)) return text;
  return {};
}

bool DdeServer::AdviseDue(DdeLink link) {
  Link& l = LinkOf(link);
  return l.flags.adviseActive.load() != 0 && l.queue.Peek() != nullptr;
}

std::string DdeServer::AdviseItem(DdeLink link) const {
  std::lock_guard lock(startNamesLock_);
  return link == DdeLink::kHfdl ? hfdlItem_ : acarsItem_;
}

}  // namespace talvir
