#pragma once
// The two KML files as texts: every line ends in CR LF; names and
// descriptions are escaped so that an XML parser reads any station name,
// flight id or registration.

#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "outputs/output_sinks.h"
#include "outputs/publishing/ground_station_places.h"

namespace talvir {

// & < > " ' as entities.
std::string XmlEscape(std::string_view text);

std::string GroundStationKml(std::span<const GroundStationPlace> stations);
// today: its UTC date stamps the aircraft's times.
std::string AircraftKml(std::span<const AircraftRecord> table, std::time_t today);

}  // namespace talvir
