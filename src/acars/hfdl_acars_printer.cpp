#include "acars/hfdl_acars_printer.h"

#include <string>

#include "acars/acars_text.h"

namespace talvir {
namespace {

// Where the texts start: a downlink's after the message number and flight id.
constexpr std::size_t kMessageNumberOffset = kAcarsStxOffset + 1;
constexpr std::size_t kFlightIdOffset = kMessageNumberOffset + kAcarsMessageNumberLength;
constexpr std::size_t kDownlinkTextOffset = kFlightIdOffset + kAcarsFlightIdLength;
constexpr std::size_t kUplinkTextOffset = kAcarsStxOffset;

}  // namespace

void HfdlAcarsPrinter::PrintHfdlAcars(int direction, int groundStationId, int aid,
                                      std::span<const uint8_t> received) {
  const std::span<const uint8_t> block = HfdlAcarsCharacters(received);
  auto field = [&](std::string& text, std::size_t offset, std::size_t count) {
    AppendAcarsField(text, block, offset, count);
  };

  std::string text = "HACARS mode: ";
  field(text, kAcarsModeOffset, 1);
  text += "  Aircraft reg: ";
  field(text, kAcarsRegistrationOffset, kAcarsRegistrationLength);
  text += "\nMessage label: ";
  field(text, kAcarsLabelOffset, kAcarsLabelLength);
  text += "  Block id: ";
  field(text, kAcarsBlockIdOffset, 1);

  if (direction == 1) {
    text += "  ";
    if (block.size() > kAcarsStxOffset && block[kAcarsStxOffset] == kAcarsStx) {
      text += "Msg. no: ";
      field(text, kMessageNumberOffset, kAcarsMessageNumberLength);
      text += " Flight id: ";
      std::string flightId;
      field(flightId, kFlightIdOffset, kAcarsFlightIdLength);
      text += flightId;
      // A block cut inside the flight id would put a wrong one into the list.
      if (block.size() >= kDownlinkTextOffset) {
        std::string registration;
        field(registration, kAcarsRegistrationOffset, kAcarsRegistrationLength);
        outputs_.flights.FlightDbUpdateFromAcars(1, groundStationId, aid, flightId, registration);
      }
      text += "\nMessage content:-\n";
      if (block.size() > kDownlinkTextOffset) {
        AppendAcarsTextRule(text, block.subspan(kDownlinkTextOffset), true);
      }
    }
  } else {
    text += "  [Uplink]\nMessage content:-\n";
    if (block.size() > kUplinkTextOffset) {
      AppendAcarsTextRule(text, block.subspan(kUplinkTextOffset), false);
    }
  }
  AppendAcarsClosingLine(text, outputs_.clock());
  outputs_.Publish(text, &SettingsRecord::showHAcars);
}

}  // namespace talvir
