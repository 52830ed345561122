#include "acars/vhf_acars_printer.h"

#include <algorithm>
#include <cstdio>
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

void VhfAcarsPrinter::PrintVhfAcars(std::span<const uint8_t> received, const VhfBlockQuality& quality) {
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
  const auto characters = std::span(block).first(std::min(block.size(), kTextOffset + shown.size()));
  // An uplink's text starts at once: it carries no message number or flight id.
  AcarsMessage message = ReadAcarsFields(characters, uplink, !uplink);
  message.more = !block.empty() && block.back() == kAcarsEtb;
  message.levelDb = quality.levelDb;
  message.correctedBits = quality.correctedBits;
  if (uplink) {
    AppendReceivedText(message.text, shown, LineBreaks::kReceived);
  } else if (shown.size() > kContentOffset) {
    AppendReceivedText(message.text, shown.subspan(kContentOffset), LineBreaks::kReceived);
  }

  std::string text = "VACARS mode: " + message.mode + "  Aircraft reg: " + message.registration;
  if (channel_) {
    message.channel = channel_->index;
    message.frequencyMhz = channel_->frequencyMhz;
    char frequency[32];
    std::snprintf(frequency, sizeof frequency, "  [%.3f MHz]", channel_->frequencyMhz);
    text += frequency;
  }
  text += "\nMessage label: " + message.label + " Block id: " + message.blockId;
  if (uplink) {
    text += "  [Uplink]\nMessage content:-\n";
  } else {
    text += "  Msg. no: " + message.messageNumber + " Flight id: " + message.flightId +
            "\nMessage content:-\n";
  }
  text += message.text;
  text += "\n";
  message.stamp = outputs_.clock();
  AppendAcarsClosingLine(text, message.stamp);

  outputs_.Publish(text, &SettingsRecord::showVAcars);
  outputs_.flights.FlightDbUpdateFromAcars(1, 0, 0, message.flightId, message.registration);
  outputs_.flights.FlightDbSetPositionTime(message.flightId, TimeOfDay(message.stamp) / 2);
  outputs_.records.OnVhfAcars(message);
}

}  // namespace talvir
