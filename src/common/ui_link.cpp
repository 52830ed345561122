#include "common/ui_link.h"

namespace talvir {
namespace {

class NoUiLink final : public UiLink {
 public:
  int FlightListInsert(std::string_view) override { return -1; }
  void FlightListClear() override {}
  void SetSquitterLine(int, std::string_view) override {}
  void SetModemStatus(int, std::string_view) override {}
  void SetFlightDetails(std::string_view) override {}
  void AppendDecodedText(std::string_view) override {}
  void PostSquitterUpdate(int) override {}
  void PostSpectrumBlock(std::span<const float>, int) override {}
  void PostConstellationUpdate(int, int) override {}
  void PostStatisticsUpdate(int) override {}
};

}  // namespace

UiLink& UiLink::None() {
  static NoUiLink none;
  return none;
}

int UiLinkRelay::FlightListInsert(std::string_view text) {
  UiLink* link = frontEnd_.load();
  if (link == nullptr || text.empty()) return -1;
  return link->FlightListInsert(text);
}

void UiLinkRelay::FlightListClear() {
  if (UiLink* link = frontEnd_.load()) link->FlightListClear();
}

void UiLinkRelay::SetSquitterLine(int hfChannel, std::string_view text) {
  if (UiLink* link = frontEnd_.load()) link->SetSquitterLine(hfChannel, text);
}

void UiLinkRelay::SetModemStatus(int hfChannel, std::string_view text) {
  if (UiLink* link = frontEnd_.load()) link->SetModemStatus(hfChannel, text);
}

void UiLinkRelay::SetFlightDetails(std::string_view text) {
  if (UiLink* link = frontEnd_.load()) link->SetFlightDetails(text);
}

void UiLinkRelay::AppendDecodedText(std::string_view text) {
  if (UiLink* link = frontEnd_.load()) link->AppendDecodedText(text);
}

void UiLinkRelay::PostSquitterUpdate(int hfChannel) {
  if (UiLink* link = frontEnd_.load()) link->PostSquitterUpdate(hfChannel);
}

void UiLinkRelay::PostSpectrumBlock(std::span<const float> samples, int channel) {
  if (UiLink* link = frontEnd_.load()) link->PostSpectrumBlock(samples, channel);
}

void UiLinkRelay::PostConstellationUpdate(int hfChannel, int withSlotCaption) {
  if (UiLink* link = frontEnd_.load()) link->PostConstellationUpdate(hfChannel, withSlotCaption);
}

void UiLinkRelay::PostStatisticsUpdate(int hfChannel) {
  if (UiLink* link = frontEnd_.load()) link->PostStatisticsUpdate(hfChannel);
}

}  // namespace talvir
