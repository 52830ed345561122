#include "common/ui_link.h"

#include <atomic>

namespace talvir {
namespace {
std::atomic<UiLink*> registeredLink{nullptr};
}  // namespace

void RegisterUiLink(UiLink* link) { registeredLink.store(link); }

int UiFlightListInsert(std::string_view text) {
  UiLink* link = registeredLink.load();
  if (link == nullptr || text.empty()) return -1;
  return link->FlightListInsert(text);
}

void UiFlightListClear() {
  if (UiLink* link = registeredLink.load()) link->FlightListClear();
}

void UiSetSquitterLine(std::string_view text) {
  if (UiLink* link = registeredLink.load()) link->SetSquitterLine(text);
}

void UiSetListening() { UiSetModemStatus(kListeningText); }

void UiSetModemStatus(std::string_view text) {
  if (UiLink* link = registeredLink.load()) link->SetModemStatus(text);
}

void UiSetFlightDetails(std::string_view text) {
  if (UiLink* link = registeredLink.load()) link->SetFlightDetails(text);
}

void AppendDecodedText(std::string_view text) {
  if (UiLink* link = registeredLink.load()) link->AppendDecodedText(text);
}

void PostSquitterUpdate() {
  if (UiLink* link = registeredLink.load()) link->PostSquitterUpdate();
}

void PostSpectrumBlock(std::span<const float> samples, int channel) {
  if (UiLink* link = registeredLink.load()) link->PostSpectrumBlock(samples, channel);
}

void PostConstellationUpdate(int withSlotCaption) {
  if (UiLink* link = registeredLink.load()) link->PostConstellationUpdate(withSlotCaption);
}

void PostStatisticsUpdate() {
  if (UiLink* link = registeredLink.load()) link->PostStatisticsUpdate();
}

}  // namespace talvir
