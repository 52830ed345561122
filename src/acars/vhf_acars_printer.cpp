#include "acars/vhf_acars_printer.h"

#include <algorithm>
#include <string>

#include "acars/acars_text.h"

namespace talvir {
namespace {

constexpr std::size_t kTextOffset = kAcarsStxOffset + 1;
// Offsets in the text.
constexpr std::size_t kContentOffset = kAcarsMessageNumberLength + kAcarsFlightIdLength;

constexpr int kSecondsPerDay = 24 * 3600;

}  // namespace

void VhfAcarsPrinter::PrintVhfAcars(std::span<const uint8_t> block) {
  // The text ends in the ETX or ETB, which is not printed. A text longer than
  // the area is cut there and has no terminator left to drop.
  std::span<const uint8_t> shown =
      block.size() > kTextOffset ? block.subspan(kTextOffset) : std::span<const uint8_t>{};
  if (shown.size() > kTextCapacity) {
    shown = shown.first(kTextCapacity);
  } else if (!shown.empty()) {
    shown = shown.first(shown.size() - 1);
  }

  std::string registration;
  AppendAcarsCharacters(registration, block, kAcarsRegistrationOffset,
                        kAcarsRegistrationOffset + kAcarsRegistrationLength);
  std::string flightId;
  AppendAcarsCharacters(flightId, shown, kAcarsMessageNumberLength, kContentOffset);

  std::string text = "VACARS mode: ";
  AppendAcarsCharacters(text, block, kAcarsModeOffset, kAcarsModeOffset + 1);
  text += "  Aircraft reg: " + registration + "\nMessage label: ";
  AppendAcarsCharacters(text, block, kAcarsLabelOffset, kAcarsLabelOffset + kAcarsLabelLength);
  text += " Block id: ";
  AppendAcarsCharacters(text, block, kAcarsBlockIdOffset, kAcarsBlockIdOffset + 1);
  text += "  Msg. no: ";
  AppendAcarsCharacters(text, shown, 0, kAcarsMessageNumberLength);
  text += " Flight id: " + flightId + "\nMessage content:-\n";
  AppendAcarsCharacters(text, shown, kContentOffset, shown.size());
  text += "\n";
  const std::time_t now = outputs_.clock();
  AppendAcarsClosingLine(text, now);

  outputs_.Publish(text, &SettingsRecord::showVAcars);
  outputs_.flights.FlightDbUpdateFromAcars(1, 0, 0, flightId, registration);
  const int secondsOfDay =
      static_cast<int>(((now % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay);
  outputs_.flights.FlightDbSetPositionTime(flightId, secondsOfDay / 2);
}

}  // namespace talvir
