#pragma once
// What the decoders publish to the outside: the aircraft and ACARS DDE items,
// the map plot and the KML files. The aircraft record is declared here, below
// the database that owns the table, because those outputs read it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace talvir {

inline constexpr int kTrackLength = 10;  // positions kept per aircraft
// The HFDL channel of what was heard elsewhere (VHF ACARS).
inline constexpr int kNoHfChannel = -1;

// One heard aircraft. Coordinates are HFDL 20-bit codes; 0 = no position.
struct AircraftRecord {
  struct TrackPoint {
    int32_t longitude = 0;
    int32_t latitude = 0;
  };

  int32_t logonKey = -1;  // ground-station id * 256 + AID; -1 = unknown
  char flightId[8] = {};  // at most 7 characters; "" = unknown
  char registration[8] = {};
  int32_t icaoAddress = 0;  // 24 bits; 0 = unknown
  int32_t longitude = 0;
  int32_t latitude = 0;
  int32_t positionTime = 0;  // seconds since 00:00 UTC / 2
  uint8_t aid = 0;           // 0 = unknown
  int32_t listIndex = -1;    // line in the Flight list; -1 = not listed
  int32_t inUse = 0;
  int32_t ageMinutes = 0;
  int32_t changed = 0;              // map and KML must be refreshed
  TrackPoint track[kTrackLength];  // oldest first, newest last
  // The HFDL channel that last heard the aircraft: its AID belongs to that
  // channel's ground station.
  int32_t hfChannel = kNoHfChannel;

  std::string_view FlightIdText() const { return Field(flightId); }
  std::string_view RegistrationText() const { return Field(registration); }

 private:
  template <std::size_t N>
  static std::string_view Field(const char (&text)[N]) {
    std::size_t n = 0;
    while (n < N && text[n] != '\0') ++n;
    return {text, n};
  }
};

// An aircraft as the map plot draws it.
struct AircraftPlotEntry {
  int32_t latitude = 0;
  int32_t longitude = 0;
  std::string label;  // flight id, else registration
};

// Aircraft outputs. DdePublishAircraft runs on the worker thread after each
// position or frequency update; the rest on the window thread from the
// publishing timer, with copies of the table.
class AircraftOutputs {
 public:
  virtual ~AircraftOutputs() = default;
  virtual void DdePublishAircraft(const AircraftRecord& record) = 0;
  virtual void PlotAircraft(std::span<const AircraftPlotEntry> aircraft) = 0;
  virtual void PlotGroundStations() = 0;
  // The whole table, free records included (inUse tells).
  virtual void WriteAircraftKml(std::span<const AircraftRecord> table) = 0;
};

// ACARS message texts (LF line ends) for the ACARS DDE item.
class AcarsOutputs {
 public:
  virtual ~AcarsOutputs() = default;
  virtual void DdePublishAcars(std::string_view text) = 0;
};

// For front ends that have none of these outputs.
class NoExternalOutputs final : public AircraftOutputs, public AcarsOutputs {
 public:
  void DdePublishAircraft(const AircraftRecord&) override {}
  void PlotAircraft(std::span<const AircraftPlotEntry>) override {}
  void PlotGroundStations() override {}
  void WriteAircraftKml(std::span<const AircraftRecord>) override {}
  void DdePublishAcars(std::string_view) override {}
};

}  // namespace talvir
