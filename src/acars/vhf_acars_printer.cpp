#include "acars/vhf_acars_printer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "acars/acars_text.h"
#include "common/received_text.h"
#include "common/time_of_day.h"

namespace talvir {
namespace {

constexpr std::size_t kTextOffset = kAcarsStxOffset + 1;
// Offsets in the text.
constexpr std::size_t kContentOffset = kAcarsMessageNumberLength + kAcarsFlightIdLength;

// Ground stations name their blocks with letters, aircraft with digits.
bool IsUplinkBlockId(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

void VhfAcarsPrinter::PrintVhfAcars(std::span<const uint8_t> received) {
  const std::vector<uint8_t> block = AcarsCharactersWithoutParity(received);
  // The text ends in the ETX or ETB, which is not printed. A text longer than
  // the area is cut there and has no terminator left to drop.
  std::span<const uint8_t> shown =
      block.size() > kTextOffset ? std::span(block).subspan(kTextOffset) : std::span<const uint8_t>{};
  if (shown.size() > kTextCapacity) {
    shown = shown.first(kTextCapacity);
  } else if (!shown.empty()) {
    shown = shown.first(shown.size() - 1);
  }
  const bool uplink = block.size() > kAcarsBlockIdOffset && IsUplinkBlockId(block[kAcarsBlockIdOffset]);

  std::string registration;
  AppendAcarsField(registration, block, kAcarsRegistrationOffset, kAcarsRegistrationLength);
  // An uplink's text starts at once: it carries no message number or flight id.
  std::string flightId;
  if (!uplink) AppendAcarsField(flightId, shown, kAcarsMessageNumberLength, kAcarsFlightIdLength);

  std::string text = "VACARS mode: ";
  AppendAcarsField(text, block, kAcarsModeOffset, 1);
  text += "  Aircraft reg: " + registration + "\nMessage label: ";
  AppendAcarsField(text, block, kAcarsLabelOffset, kAcarsLabelLength);
  text += " Block id: ";
  AppendAcarsField(text, block, kAcarsBlockIdOffset, 1);
  if (uplink) {
    text += "  [Uplink]\nMessage content:-\n";
    AppendReceivedText(text, shown, LineBreaks::kReceived);
  } else {
    text += "  Msg. no: ";
    AppendAcarsField(text, shown, 0, kAcarsMessageNumberLength);
    text += " Flight id: " + flightId + "\nMessage content:-\n";
    if (shown.size() > kContentOffset) {
      AppendReceivedText(text, shown.subspan(kContentOffset), LineBreaks::kReceived);
    }
  }
  text += "\n";
  const std::time_t now = outputs_.clock();
  AppendAcarsClosingLine(text, now);

  outputs_.Publish(text, &SettingsRecord::showVAcars);
  outputs_.flights.FlightDbUpdateFromAcars(1, 0, 0, flightId, registration);
  outputs_.flights.FlightDbSetPositionTime(flightId, TimeOfDay(now) / 2);
}

}  // namespace talvir
