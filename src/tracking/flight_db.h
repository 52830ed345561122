#pragma once
// The aircraft heard recently: a fixed table of 100 records fed by position,
// frequency, ACARS and log-on traffic, mirrored in the window's Flight list.
// Updates run on the worker thread, deletion, ageing and publishing on the
// window thread. One lock guards the table; it is never held across a call
// into the window (those calls wait for the window thread).

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "common/ui_link.h"
#include "outputs/output_sinks.h"

namespace talvir {

class Settings;

// Aircraft ids that name no aircraft.
inline constexpr int kBroadcastAid = 0;
inline constexpr int kReservedAid = 254;
inline constexpr int kLogonAid = 255;

class FlightDb {
 public:
  static constexpr int kCapacity = 100;

  // ui: the Flight list and the detail line.
  FlightDb(const Settings& settings, AircraftOutputs& outputs, UiLink& ui = UiLink::None());
  FlightDb(const FlightDb&) = delete;
  FlightDb& operator=(const FlightDb&) = delete;

  // Lookups: a record index or -1; only occupied records, first match wins.
  int FlightDbFindByLogonKey(int key) const;
  int FlightDbFindByFlightId(std::string_view text) const;
  int FlightDbFindByRegistration(std::string_view text) const;
  int FlightDbFindByAid(int aid) const;
  int FlightDbFindByIcao(int icao) const;
  // A copy of record `index`; nullopt outside 0..99.
  std::optional<AircraftRecord> FlightDbRecord(int index) const;
  // The flight id of the first occupied record with this AID ("" if none).
  std::string FlightDbFlightIdByAid(int aid) const;
  // A copy of the whole table.
  std::array<AircraftRecord, kCapacity> FlightDbSnapshot() const;

  // Updates from the decoders (worker threads). Coordinates are 20-bit codes,
  // time in 2-second units since 00:00 UTC. hfChannel: the HFDL channel the
  // update was heard on, kNoHfChannel for VHF.
  void FlightDbUpdateFromPosition(int groundStationId, int aid, int icao,
                                  std::string_view flightId, int32_t latitude,
                                  int32_t longitude, int32_t time, int hfChannel = 0);
  void FlightDbUpdateFromFrequencyData(int groundStationId, int aid, int icao,
                                       std::string_view flightId, int32_t latitude,
                                       int32_t longitude, int32_t time, int hfChannel = 0);
  void FlightDbUpdateFromAcars(int listFlight, int groundStationId, int aid,
                               std::string_view flightId, std::string_view registration,
                               int hfChannel = kNoHfChannel);
  void FlightDbSetPositionTime(std::string_view flightId, int32_t time);
  void FlightDbUpdateFromLogon(int groundStationId, int aid, int icao, int hfChannel = 0);
  // A squitter from another ground station on hfChannel: the records last
  // heard on that channel go, with those no HFDL channel heard; what the
  // other channels heard stays.
  void FlightDbClear(int hfChannel = 0);

  // Display and outputs (window thread).
  void FlightDbShowDetails(int index);
  void FlightDbShowDetailsByListIndex(int listIndex);
  void FlightDbDeleteByListIndex(int listIndex);
  // Every 60 s: ages records, removes those past aircraftTimeoutMinutes.
  void FlightDbAgeTick();
  // Every 3 s (force 0), or forced: hands changed aircraft to the map and KML.
  void FlightDbPublish(int force);

  // The detail line of one record, as the flight detail field shows it.
  static std::string FormatFlightDetails(const AircraftRecord& record);

 private:
  // A flight id set under the lock, to be put into the Flight list outside it.
  struct PendingListing {
    int index = -1;
    std::string flightId;
    uint64_t generation = 0;
  };

  int FindLocked(auto matches) const;
  int FindByLogonKeyLocked(int key) const;
  int FindByFlightIdLocked(std::string_view text) const;
  int FindByRegistrationLocked(std::string_view text) const;
  int FindByAidLocked(int aid) const;
  int FindByIcaoLocked(int icao) const;
  int AllocateLocked();
  // Frees a record; returns whether the Flight list must be rebuilt.
  bool RemoveLocked(AircraftRecord& record);
  // Sets an empty flight id and prepares its listing.
  void SetFlightIdLocked(int index, std::string_view flightId, PendingListing& listing);
  void ListFlight(const PendingListing& listing);
  // Clears the list and lists every occupied record with a flight id again,
  // in table order; repeats while another thread changed the list meanwhile.
  void RebuildFlightList();
  void UpdateFromPositionReport(int groundStationId, int aid, int icao,
                                std::string_view flightId, int32_t latitude,
                                int32_t longitude, int32_t time, int hfChannel);
  void ShowDetailsWhere(auto matches);

  const Settings& settings_;
  AircraftOutputs& outputs_;
  UiLink& ui_;
  mutable std::mutex lock_;
  std::array<AircraftRecord, kCapacity> records_{};
  // Bumped by every change of what the list should hold, so that a list
  // operation learns that another one ran while it talked to the window.
  uint64_t listGeneration_ = 0;
};

// The log-on key of a ground station and AID: -1 for AID 0 or 255.
int LogonKey(int groundStationId, int aid);

}  // namespace talvir
