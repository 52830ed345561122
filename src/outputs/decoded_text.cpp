#include "outputs/decoded_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/received_text.h"
#include "common/ui_link.h"
#include "config/settings.h"
#include "outputs/log_files.h"

namespace talvir {

DecodedText::DecodedText(const Settings& settings, const LogFiles* log, UiLink& ui)
    : settings_(settings), log_(log), ui_(ui) {}

void DecodedText::Printf(const char* format, ...) {
  char formatted[kCapacity];
  va_list args;
  va_start(args, format);
  std::vsnprintf(formatted, sizeof formatted, format, args);
  va_end(args);
  // vsnprintf cuts what does not fit; an embedded NUL ends the text.
  AppendSafe({formatted, strnlen(formatted, sizeof formatted)});
}

void DecodedText::Append(std::string_view text) { AppendSafe(text); }

void DecodedText::AppendLines(std::string_view text) {
  lines_.clear();
  for (char c : text) {
    if (c == '\n') lines_ += '\r';
    lines_ += c;
  }
  AppendSafe(lines_);
}

void DecodedText::AppendSafe(std::string_view text) {
  if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
    text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
  }
  // Received bytes are rendered before they get here; this catches any that
  // slipped through, so that nothing but CR LF line ends drives a terminal.
  rendered_.clear();
  AppendReceivedText(rendered_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                     LineBreaks::kCrLfOnly);
  text = rendered_;
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(kCapacity - 1 - length_));
  // A CR LF pair must not be split at the end of the buffer.
  if (n > 0 && n < text.size() && text[n - 1] == '\r' && text[n] == '\n') --n;
  std::memcpy(text_ + length_, text.data(), n);
  length_ += static_cast<int>(n);
  text_[length_] = '\0';
}

void DecodedText::HexDump(std::span<const uint8_t> data) {
  constexpr std::size_t kPerLine = kHexDumpBytesPerLine;
  std::string dump;
  dump.reserve(data.size() * 5 + 64);
  char field[4];
  // Lines at offsets 0, 15, 30, ... while the previous line's offset was
  // inside the data: the last line always holds padding only.
  for (std::size_t offset = 0;; offset += kPerLine) {
    const auto line = data.subspan(std::min(offset, data.size())).first(
        std::min(kPerLine, data.size() - std::min(offset, data.size())));
    for (uint8_t b : line) {
      std::snprintf(field, sizeof field, "%.2X ", b);
      dump += field;
    }
    dump.append(kPerLine - line.size(), ' ');  // one blank per missing byte
    dump += "    ";
    for (uint8_t c : line) {
      const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      if (alnum) {
        dump += static_cast<char>(c);
        dump += ' ';
      } else {
        dump += '.';
      }
    }
    dump += "\r\n";
    if (offset >= data.size()) break;
  }
  Append(dump);
}

void DecodedText::PrintPreambleLine(bool frameOk, std::string_view burstStatusLine) {
  if (!settings_.On(&SettingsRecord::showPreamble)) return;
  const std::string status(burstStatusLine);
  Printf(frameOk ? "[%s %s][OK]\r\n" : "[%s %s]\r\n", "Preamble", status.c_str());
}

int DecodedText::Flush() {
  if (length_ == 0) return 0;
  const int passed = length_;
  std::string_view text = Text();
  if (!heading_.empty()) {
    headed_.assign(heading_).append(text);
    text = headed_;
  }
  ui_.AppendDecodedText(text);
  if (log_ != nullptr && settings_.On(&SettingsRecord::hfdlLogging)) log_->HfdlLogAppend(text);
  length_ = 0;
  text_[0] = '\0';
  return passed;
}

}  // namespace talvir
