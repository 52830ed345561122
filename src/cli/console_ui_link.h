#pragma once
// The console front end: decoded text on stdout in the order it is produced
// (CR LF turned into LF); with verbose status, the status lines the window
// would show go to stderr.

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/ui_link.h"

namespace talvir {

class ConsoleUiLink : public UiLink {
 public:
  // text: null when stdout carries something else (the decoded text is then
  // not printed).
  ConsoleUiLink(std::FILE* text, std::FILE* status, bool verboseStatus)
      : text_(text), status_(status), verboseStatus_(verboseStatus) {}

  // With more than one HFDL channel, the modem and squitter lines name the
  // channel: "modem A: ...", "squitter 8927 kHz: ...". Set before decoding.
  void NameHfChannels(std::vector<std::string> names) { hfChannelNames_ = std::move(names); }

  int FlightListInsert(std::string_view text) override;
  void FlightListClear() override;
  void SetSquitterLine(int hfChannel, std::string_view text) override;
  void SetModemStatus(int hfChannel, std::string_view text) override;
  void SetFlightDetails(std::string_view text) override;
  void AppendDecodedText(std::string_view text) override;
  // Nothing to draw on a console.
  void PostSquitterUpdate(int) override {}
  void PostSpectrumBlock(std::span<const float>, int) override {}
  void PostConstellationUpdate(int, int) override {}
  void PostStatisticsUpdate(int) override {}

  // Status lines of the front end itself, same stream and rules.
  void StatusLine(std::string_view label, std::string_view text);
  // The same, also without verbose status.
  void Report(std::string_view label, std::string_view text);

 private:
  std::string ChannelLabel(std::string_view label, int hfChannel) const;

  std::vector<std::string> hfChannelNames_;
  std::mutex lock_;  // keeps lines whole when the worker and main thread print
  std::FILE* text_;
  std::FILE* status_;
  const bool verboseStatus_;
  int flightListLines_ = 0;
  bool pendingCarriageReturn_ = false;
};

}  // namespace talvir
