#pragma once
// The window notifications by which the decoders tell the front end what
// changed. The worker thread calls them; the front end (Qt window, console,
// test recorder) implements them. Direct notifications return once the front
// end has carried them out; posted ones carry copies and return at once.

#include <span>
#include <string_view>

namespace talvir {

// The direct notifications: each returns once the front end has carried it
// out. The window implements these on its own thread.
class WindowNotifications {
 public:
  virtual ~WindowNotifications() = default;
  // Appends a line to the Flight list; returns its position (text not empty).
  virtual int FlightListInsert(std::string_view text) = 0;
  virtual void FlightListClear() = 0;
  virtual void SetSquitterLine(std::string_view text) = 0;
  // The modem status line: a burst report while receiving, "Listening" after.
  virtual void SetModemStatus(std::string_view text) = 0;
  virtual void SetFlightDetails(std::string_view text) = 0;
  // Decoded text of one flush; CR LF line ends.
  virtual void AppendDecodedText(std::string_view text) = 0;
};

class UiLink : public WindowNotifications {
 public:
  // Posted notifications. The squitter record, constellation and statistics
  // are read by the front end from their owners' locked snapshots.
  virtual void PostSquitterUpdate() = 0;
  // channel: 0 = channel A or the A+B sum, 1 = channel B.
  virtual void PostSpectrumBlock(std::span<const float> samples, int channel) = 0;
  virtual void PostConstellationUpdate(int withSlotCaption) = 0;
  virtual void PostStatisticsUpdate() = 0;
};

// The one registered front end; nullptr unregisters. Notifications made while
// none is registered do nothing.
void RegisterUiLink(UiLink* link);

// Notification entry points used by the decoders.
int UiFlightListInsert(std::string_view text);  // -1 for empty text or no front end
void UiFlightListClear();
void UiSetSquitterLine(std::string_view text);
void UiSetListening();
void UiSetModemStatus(std::string_view text);
void UiSetFlightDetails(std::string_view text);
void AppendDecodedText(std::string_view text);
void PostSquitterUpdate();
void PostSpectrumBlock(std::span<const float> samples, int channel);
void PostConstellationUpdate(int withSlotCaption);
void PostStatisticsUpdate();

inline constexpr std::string_view kListeningText = "Listening";

}  // namespace talvir
