#pragma once
// Basestation (SBS) lines, as map programs and aggregators read them from
// ADS-B receivers: here MSG,3 (airborne position) for aircraft whose HFDL
// reports give a position.

#include <ctime>
#include <optional>
#include <string>

namespace talvir {

struct SbsPosition {
  std::optional<int> icaoAddress;  // 24 bits, when a log-on gave it
  std::string callsign;            // the flight id, blanks dropped
  double latitude = 0.0;           // degrees, north positive
  double longitude = 0.0;          // degrees, east positive
  std::optional<int> altitudeFeet;
  std::time_t stamp = 0;           // when heard (UTC)
};

// "MSG,3,1,1,<ICAO>,1,<date>,<time>,<date>,<time>,<callsign>,<altitude>,,,<lat>,<lon>,,,,,,0\r\n".
std::string FormatSbsPosition(const SbsPosition& position);

}  // namespace talvir
