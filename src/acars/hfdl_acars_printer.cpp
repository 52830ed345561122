#include "acars/hfdl_acars_printer.h"

#include <string>

#include "acars/acars_text.h"

namespace talvir {
namespace {

// Byte offsets in the block.
constexpr std::size_t kModeOffset = 1;
constexpr std::size_t kRegistrationOffset = 2;  // 7 characters
constexpr std::size_t kLabelOffset = 10;        // 2 characters
constexpr std::size_t kBlockIdOffset = 12;
constexpr std::size_t kStxOffset = 13;
constexpr std::size_t kMessageNumberOffset = 14;  // downlink, 4 characters
constexpr std::size_t kFlightIdOffset = 18;       // downlink, 6 characters
constexpr std::size_t kDownlinkTextOffset = 24;
constexpr std::size_t kUplinkTextOffset = 13;

}  // namespace

void HfdlAcarsPrinter::PrintHfdlAcars(int direction, int groundStationId, int aid,
                                      std::span<uint8_t> block) {
  if (!block.empty()) {
    block.back() = 0;
    block = block.first(block.size() - 1);
  }
  auto field = [&](std::string& text, std::size_t offset, std::size_t count) {
    AppendAcarsCharacters(text, block, offset, offset + count);
  };

  std::string text = "HACARS mode: ";
  field(text, kModeOffset, 1);
  text += "  Aircraft reg: ";
  field(text, kRegistrationOffset, 7);
  text += "\nMessage label: ";
  field(text, kLabelOffset, 2);
  text += "  Block id: ";
  field(text, kBlockIdOffset, 1);

  if (direction == 1) {
    text += "  ";
    if (block.size() > kStxOffset && block[kStxOffset] == kAcarsStx) {
      text += "Msg. no: ";
      field(text, kMessageNumberOffset, 4);
      text += " Flight id: ";
      std::string flightId;
      field(flightId, kFlightIdOffset, 6);
      text += flightId;
      // A block cut inside the flight id would put a wrong one into the list.
      if (block.size() >= kDownlinkTextOffset) {
        std::string registration;
        field(registration, kRegistrationOffset, 7);
        outputs_.flights.FlightDbUpdateFromAcars(1, groundStationId, aid, flightId,
                                                 registration);
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
