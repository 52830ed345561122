#include "cli/console_ui_link.h"

namespace talvir {

int ConsoleUiLink::FlightListInsert(std::string_view text) {
  StatusLine("flight", text);
  std::lock_guard lock(lock_);
  return flightListLines_++;
}

void ConsoleUiLink::FlightListClear() {
  StatusLine("flight", "(list cleared)");
  std::lock_guard lock(lock_);
  flightListLines_ = 0;
}

std::string ConsoleUiLink::ChannelLabel(std::string_view label, int hfChannel) const {
  std::string named(label);
  if (hfChannel >= 0 && static_cast<std::size_t>(hfChannel) < hfChannelNames_.size())
    named += " " + hfChannelNames_[static_cast<std::size_t>(hfChannel)];
  return named;
}

void ConsoleUiLink::SetSquitterLine(int hfChannel, std::string_view text) {
  StatusLine(ChannelLabel("squitter", hfChannel), text);
}

void ConsoleUiLink::SetModemStatus(int hfChannel, std::string_view text) {
  StatusLine(ChannelLabel("modem", hfChannel), text);
}

void ConsoleUiLink::SetFlightDetails(std::string_view text) { StatusLine("details", text); }

// A CR LF may be split across two flushes: a CR at the end is held back
// until the next character shows whether it starts a line end.
void ConsoleUiLink::AppendDecodedText(std::string_view text) {
  if (text_ == nullptr) return;
  std::lock_guard lock(lock_);
  for (const char c : text) {
    if (pendingCarriageReturn_) {
      pendingCarriageReturn_ = false;
      if (c != '\n') std::fputc('\r', text_);
    }
    if (c == '\r') {
      pendingCarriageReturn_ = true;
      continue;
    }
    std::fputc(c, text_);
  }
  std::fflush(text_);
}

void ConsoleUiLink::StatusLine(std::string_view label, std::string_view text) {
  if (verboseStatus_) Report(label, text);
}

void ConsoleUiLink::Report(std::string_view label, std::string_view text) {
  std::lock_guard lock(lock_);
  std::fprintf(status_, "%.*s: %.*s\n", static_cast<int>(label.size()), label.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(status_);
}

}  // namespace talvir
