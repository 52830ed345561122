#pragma once
// The console front end: decoded text on stdout in the order it is produced
// (CR LF turned into LF); with verbose status, the status lines the window
// would show go to stderr.

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "common/ui_link.h"

namespace talvir {

class ConsoleUiLink : public UiLink {
 public:
  // text: null when stdout carries something else (the decoded text is then
  // not printed).
  ConsoleUiLink(std::FILE* text, std::FILE* status, bool verboseStatus)
      : text_(text), status_(status), verboseStatus_(verboseStatus) {}

  int FlightListInsert(std::string_view text) override;
  void FlightListClear() override;
  void SetSquitterLine(std::string_view text) override;
  void SetModemStatus(std::string_view text) override;
  void SetFlightDetails(std::string_view text) override;
  void AppendDecodedText(std::string_view text) override;
  // Nothing to draw on a console.
  void PostSquitterUpdate() override {}
  void PostSpectrumBlock(std::span<const float>, int) override {}
  void PostConstellationUpdate(int) override {}
  void PostStatisticsUpdate() override {}

  // Status lines of the front end itself, same stream and rules.
  void StatusLine(std::string_view label, std::string_view text);
  // The same, also without verbose status.
  void Report(std::string_view label, std::string_view text);

 private:
  std::mutex lock_;  // keeps lines whole when the worker and main thread print
  std::FILE* text_;
  std::FILE* status_;
  const bool verboseStatus_;
  int flightListLines_ = 0;
  bool pendingCarriageReturn_ = false;
};

// Registers a front end for as long as it lives.
class ScopedUiLink {
 public:
  explicit ScopedUiLink(UiLink& link) { RegisterUiLink(&link); }
  ~ScopedUiLink() { RegisterUiLink(nullptr); }
  ScopedUiLink(const ScopedUiLink&) = delete;
  ScopedUiLink& operator=(const ScopedUiLink&) = delete;
};

}  // namespace talvir
