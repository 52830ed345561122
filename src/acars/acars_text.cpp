#include "acars/acars_text.h"

#include <algorithm>
#include <array>

namespace talvir {
namespace {

constexpr std::array<std::string_view, 32> kControlNames = {
    "<NUL>", "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>",
    "<BS>",  "<HT>",  "\n",    "<VT>",  "<FF>",  "\r",    "<SO>",  "<SI>",
    "<DLE>", "<DC1>", "<DC2>", "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>",
    "<CAN>", "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",  "<RS>",  "<US>"};
constexpr std::string_view kDeleteName = "<DEL>";
constexpr uint8_t kDelete = 0x7F;

}  // namespace

void AppendAcarsCharacters(std::string& text, std::span<const uint8_t> block, std::size_t from,
                           std::size_t to) {
  to = std::min(to, block.size());
  for (std::size_t i = from; i < to; ++i) {
    const char c = static_cast<char>(block[i] & kAcarsCharacterMask);
    if (c != '\0') text.push_back(c);
  }
}

void AppendAcarsTextRule(std::string& text, std::span<const uint8_t> bytes, bool showing) {
  for (uint8_t byte : bytes) {
    const uint8_t c = byte & kAcarsCharacterMask;
    if (c == kAcarsStx) {
      showing = true;
    } else if (c == kAcarsEtx || c == kAcarsEtb) {
      text.push_back('\n');
      showing = false;
    } else if (showing && c != 0) {
      text.push_back(static_cast<char>(c));
    }
  }
}

void AppendAcarsClosingLine(std::string& text, std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[40];
  const std::size_t n = std::strftime(stamp, sizeof stamp, "[%d/%m/%Y %H:%M]\n", &local);
  text += kAcarsSeparator;
  text.append(stamp, n);
}

std::string RenderControlCharacters(std::span<const uint8_t> data) {
  std::string text;
  text.reserve(data.size() * 2 + 2);
  for (uint8_t byte : data) {
    const uint8_t c = byte & kAcarsCharacterMask;
    if (c == kDelete) {
      text += kDeleteName;
    } else if (c < kControlNames.size()) {
      text += kControlNames[c];
    } else {
      text.push_back(static_cast<char>(c));
    }
  }
  text += "\r\n";
  return text;
}

}  // namespace talvir
