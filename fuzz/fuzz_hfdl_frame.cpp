// Feeds a burst or several to a fresh HFDL protocol decoder with every display
// option on, then reads what they left behind: the aircraft database, the
// ground stations and the stored system table, as the map outputs read them.
// Each piece of the input is one frame; its first byte picks the rate code
// the burst claims, whether the frame's check sequences are set right first
// (so that mutations reach the LPDU, HFNPDU, system-table and ACARS decoders)
// and whether the aircraft age a minute after it.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "outputs/publishing/ground_station_places.h"
#include "outputs/publishing/kml_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talvir;
  fuzz::Fresh<fuzz::Chain> chain;
  ProtocolStack& stack = chain->stack;
  for (std::span<const uint8_t> piece : fuzz::Pieces({data, size})) {
    if (piece.empty()) continue;
    BurstInfo burst;
    burst.rateCode = piece[0] & 7;
    burst.detectedSlotIndex = 1 + piece[0] % 13;
    burst.statusLine = "TS(1) ";
    std::vector<uint8_t> frame(piece.begin() + 1, piece.end());
    if (piece[0] & 0x40) fuzz::FixChecks(frame);
    // The modem's question: a frame whose every check holds decodes.
    const bool intact = stack.decoder.FrameIntact(frame);
    fuzz::Require(stack.decoder.ReceiveFrame(frame, burst) || !intact);
    if (piece[0] & 0x80) stack.flights.FlightDbAgeTick();
  }
  const auto places = GroundStationPlaces(stack.stations, stack.systemTable);
  fuzz::Require(!GroundStationKml(places).empty());
  const auto aircraft = stack.flights.FlightDbSnapshot();
  fuzz::Require(!AircraftKml(aircraft, std::time_t{0}).empty());
  return 0;
}
