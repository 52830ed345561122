#pragma once
// Bytes received over the air, made safe to show: text from an aircraft or a
// ground station must never drive the terminal, the window or a log reader.
// Printable ASCII passes; every other byte is written as its name: "<NUL>" ..
// "<US>" below 0x20, "<DEL>" for 0x7F and "<0x9B>" from 0x80 up.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace talvir {

namespace received_text_detail {

// clang-format off
inline constexpr std::array<std::string_view, 32> kAsciiControlNames = {
    "<NUL>", "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>",
    "<BS>",  "<HT>",  "<LF>",  "<VT>",  "<FF>",  "<CR>",  "<SO>",  "<SI>",
    "<DLE>", "<DC1>", "<DC2>", "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>",
    "<CAN>", "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",  "<RS>",  "<US>"};
// clang-format on

struct Name {
  std::array<char, 6> text{};  // the longest is "<0x9B>"
  std::size_t length = 0;
};

constexpr std::array<Name, 256> MakeNames() {
  std::array<Name, 256> names{};
  constexpr std::string_view kHexDigits = "0123456789ABCDEF";
  for (std::size_t byte = 0; byte < names.size(); ++byte) {
    std::string_view name;
    char hex[6] = {'<', '0', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xF], '>'};
    if (byte < kAsciiControlNames.size()) {
      name = kAsciiControlNames[byte];
    } else if (byte == 0x7F) {
      name = "<DEL>";
    } else if (byte > 0x7F) {
      name = std::string_view(hex, sizeof hex);
    }
    for (std::size_t i = 0; i < name.size(); ++i) names[byte].text[i] = name[i];
    names[byte].length = name.size();
  }
  return names;
}

inline constexpr std::array<Name, 256> kNames = MakeNames();

}  // namespace received_text_detail

// True for the bytes that are shown as themselves: blank through '~'.
constexpr bool IsPrintableAscii(uint8_t byte) { return byte >= 0x20 && byte < 0x7F; }

// The name of a byte that is not printable ASCII; empty for one that is.
constexpr std::string_view ByteName(uint8_t byte) {
  const auto& name = received_text_detail::kNames[byte];
  return {name.text.data(), name.length};
}

// What a rendering does with carriage returns and line feeds.
enum class LineBreaks {
  kNamed,     // single-line fields: "<CR>" and "<LF>" like every other control byte
  kReceived,  // message texts: CR LF, LF and a lone CR each become one '\n'
  kCrLfOnly,  // text already laid out in CR LF lines: those pairs pass, a lone CR or LF is named
};

inline void AppendReceivedText(std::string& text, std::span<const uint8_t> bytes,
                               LineBreaks breaks = LineBreaks::kNamed) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t byte = bytes[i];
    const bool crLf = byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    if (IsPrintableAscii(byte)) {
      text.push_back(static_cast<char>(byte));
    } else if (breaks == LineBreaks::kReceived && (byte == '\r' || byte == '\n')) {
      text.push_back('\n');
      if (crLf) ++i;
    } else if (breaks == LineBreaks::kCrLfOnly && crLf) {
      text += "\r\n";
      ++i;
    } else {
      text += ByteName(byte);
    }
  }
}

inline std::string RenderReceivedText(std::span<const uint8_t> bytes, LineBreaks breaks = LineBreaks::kNamed) {
  std::string text;
  AppendReceivedText(text, bytes, breaks);
  return text;
}

}  // namespace talvir
