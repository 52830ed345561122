#pragma once
// The one text buffer into which the HFDL decoders and the ACARS printers write
// a frame's text. A flush hands the whole text to the window (and to the HFDL
// day log while HFDL logging is on) and empties the buffer. Worker thread only.
// Nothing but printable ASCII and CR LF line ends enters it: any other byte is
// written by name ("<ESC>", "<0x9B>").

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/ui_link.h"

namespace talvir {

class LogFiles;
class Settings;

class DecodedText {
 public:
  // Characters including the terminating NUL; appends that do not fit are cut.
  static constexpr int kCapacity = 10000;
  // Bytes per hex-dump line.
  static constexpr int kHexDumpBytesPerLine = 15;

  // log may be null: no HFDL day log. ui: the text window.
  DecodedText(const Settings& settings, const LogFiles* log, UiLink& ui = UiLink::None());
  DecodedText(const DecodedText&) = delete;
  DecodedText& operator=(const DecodedText&) = delete;

  // printf-style append. An embedded NUL ends the text there, as in Append.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Append(std::string_view text);
  // Appends with every LF turned into CR LF (ACARS texts are built with LF).
  void AppendLines(std::string_view text);
  // Fifteen bytes a line, hex then letters and digits; always ends with a
  // line of padding only.
  void HexDump(std::span<const uint8_t> data);
  // With "Preamble" on: "[Preamble <status>][OK]" or, after a CRC failure,
  // without "[OK]".
  void PrintPreambleLine(bool frameOk, std::string_view burstStatusLine);

  // A line every flush starts with, so that the texts of several channels
  // can be told apart ("[8927 kHz]" and CR LF); empty: none. Set before
  // decoding.
  void SetHeading(std::string heading) { heading_ = std::move(heading); }

  int Length() const { return length_; }
  std::string_view Text() const { return {text_, static_cast<std::size_t>(length_)}; }

  // Passes the pending text on and empties the buffer; returns 0 when nothing
  // was pending, else the number of characters passed.
  int Flush();

 private:
  // Up to a NUL, control bytes other than CR LF pairs named, cut to the room
  // left without splitting a CR LF.
  void AppendSafe(std::string_view text);

  const Settings& settings_;
  const LogFiles* log_;
  UiLink& ui_;
  char text_[kCapacity] = {};
  int length_ = 0;
  // Reused between appends, so that they allocate only while growing.
  std::string lines_;
  std::string rendered_;
  std::string heading_;
  std::string headed_;  // the heading and the text of one flush
};

}  // namespace talvir
