#include "acars/hfdl_acars_printer.h"

#include <string>

#include "acars/acars_text.h"

namespace talvir {
namespace {

// Where the texts start: a downlink's after the message number and flight id.
constexpr std::size_t kDownlinkTextOffset =
    kAcarsMessageNumberOffset + kAcarsMessageNumberLength + kAcarsFlightIdLength;
constexpr std::size_t kUplinkTextOffset = kAcarsStxOffset;

}  // namespace

AcarsMessage HfdlAcarsPrinter::PrintHfdlAcars(int direction, int groundStationId, int aid,
                                              std::span<const uint8_t> received) {
  const std::span<const uint8_t> block = HfdlAcarsCharacters(received);
  const bool uplink = direction != 1;
  const bool numbered = !uplink && block.size() > kAcarsStxOffset && block[kAcarsStxOffset] == kAcarsStx;
  AcarsMessage message = ReadAcarsFields(block, uplink, numbered);
  message.more = !block.empty() && block.back() == kAcarsEtb;

  std::string text = "HACARS mode: " + message.mode + "  Aircraft reg: " + message.registration +
                     "\nMessage label: " + message.label + "  Block id: " + message.blockId;
  if (!uplink) {
    text += "  ";
    if (numbered) {
      text += "Msg. no: " + message.messageNumber + " Flight id: " + message.flightId;
      // A block cut inside the flight id would put a wrong one into the list.
      if (block.size() >= kDownlinkTextOffset) {
        outputs_.flights.FlightDbUpdateFromAcars(1, groundStationId, aid, message.flightId,
                                                 message.registration, outputs_.hfChannel);
      }
      text += "\nMessage content:-\n";
      if (block.size() > kDownlinkTextOffset) {
        AppendAcarsTextRule(message.text, block.subspan(kDownlinkTextOffset), true);
      }
      text += message.text;
    }
  } else {
    text += "  [Uplink]\nMessage content:-\n";
    if (block.size() > kUplinkTextOffset) {
      AppendAcarsTextRule(message.text, block.subspan(kUplinkTextOffset), false);
    }
    text += message.text;
  }
  message.stamp = outputs_.clock();
  AppendAcarsClosingLine(text, message.stamp);
  outputs_.Publish(text, &SettingsRecord::showHAcars);
  return message;
}

}  // namespace talvir
