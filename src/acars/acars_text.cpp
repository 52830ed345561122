#include "acars/acars_text.h"

#include <algorithm>

#include "common/received_text.h"

namespace talvir {

AcarsMessage ReadAcarsFields(std::span<const uint8_t> characters, bool uplink, bool numbered) {
  AcarsMessage message;
  message.uplink = uplink;
  AppendAcarsField(message.mode, characters, kAcarsModeOffset, 1);
  AppendAcarsField(message.registration, characters, kAcarsRegistrationOffset, kAcarsRegistrationLength);
  AppendAcarsField(message.ack, characters, kAcarsAckOffset, 1);
  AppendAcarsField(message.label, characters, kAcarsLabelOffset, kAcarsLabelLength);
  AppendAcarsField(message.blockId, characters, kAcarsBlockIdOffset, 1);
  if (numbered) {
    AppendAcarsField(message.messageNumber, characters, kAcarsMessageNumberOffset, kAcarsMessageNumberLength);
    AppendAcarsField(message.flightId, characters, kAcarsMessageNumberOffset + kAcarsMessageNumberLength,
                     kAcarsFlightIdLength);
  }
  return message;
}

std::vector<uint8_t> AcarsCharactersWithoutParity(std::span<const uint8_t> block) {
  std::vector<uint8_t> characters(block.begin(), block.end());
  for (uint8_t& c : characters) c &= kAcarsCharacterMask;
  return characters;
}

std::span<const uint8_t> HfdlAcarsCharacters(std::span<const uint8_t> block) {
  return block.first(block.size() - std::min(block.size(), kHfdlAcarsTrailerBytes));
}

void AppendAcarsField(std::string& text, std::span<const uint8_t> block, std::size_t from,
                      std::size_t count) {
  if (from >= block.size()) return;
  AppendReceivedText(text, block.subspan(from, std::min(count, block.size() - from)));
}

void AppendAcarsTextRule(std::string& text, std::span<const uint8_t> bytes, bool showing) {
  std::size_t runStart = 0;
  auto endRun = [&](std::size_t end) {
    if (showing) AppendReceivedText(text, bytes.subspan(runStart, end - runStart), LineBreaks::kReceived);
    runStart = end + 1;
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == kAcarsStx) {
      endRun(i);
      showing = true;
    } else if (bytes[i] == kAcarsEtx || bytes[i] == kAcarsEtb) {
      endRun(i);
      text.push_back('\n');
      showing = false;
    }
  }
  if (runStart < bytes.size()) endRun(bytes.size());
}

void AppendAcarsClosingLine(std::string& text, std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[40];
  const std::size_t n = std::strftime(stamp, sizeof stamp, "[%d/%m/%Y %H:%M]\n", &local);
  text += kAcarsSeparator;
  text.append(stamp, n);
}

std::string RenderControlCharacters(std::span<const uint8_t> characters) {
  std::string text = RenderReceivedText(characters, LineBreaks::kReceived);
  text += '\n';
  return text;
}

}  // namespace talvir
