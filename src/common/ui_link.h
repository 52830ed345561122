#pragma once
// The window notifications by which the decoders tell the front end what
// changed. The worker threads call them; the front end (Qt window, console,
// test recorder) implements them. Direct notifications return once the front
// end has carried them out; posted ones carry copies and return at once.
// The link is handed to each decoder at construction; notifications about one
// HFDL channel's modem or squitters name that channel (0, 1, ... in the order
// the application made them).

#include <atomic>
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
  virtual void SetSquitterLine(int hfChannel, std::string_view text) = 0;
  // The modem status line: a burst report while receiving, "Listening" after.
  virtual void SetModemStatus(int hfChannel, std::string_view text) = 0;
  virtual void SetFlightDetails(std::string_view text) = 0;
  // Decoded text of one flush; CR LF line ends.
  virtual void AppendDecodedText(std::string_view text) = 0;
};

class UiLink : public WindowNotifications {
 public:
  // Posted notifications. The squitter record, constellation and statistics
  // are read by the front end from their owners' locked snapshots.
  virtual void PostSquitterUpdate(int hfChannel) = 0;
  // channel: 0 = channel A or the A+B sum, 1 = channel B.
  virtual void PostSpectrumBlock(std::span<const float> samples, int channel) = 0;
  virtual void PostConstellationUpdate(int hfChannel, int withSlotCaption) = 0;
  virtual void PostStatisticsUpdate(int hfChannel) = 0;

  // A link that does nothing, for decoders without a front end.
  static UiLink& None();
};

// The application's link: it outlives the decoders that hold it and passes
// every notification on to the front end attached now. A window is made after
// the application it shows, so it attaches itself later; notifications made
// while none is attached do nothing.
class UiLinkRelay final : public UiLink {
 public:
  // nullptr detaches.
  void Attach(UiLink* frontEnd) { frontEnd_.store(frontEnd); }

  int FlightListInsert(std::string_view text) override;  // -1 for empty text or no front end
  void FlightListClear() override;
  void SetSquitterLine(int hfChannel, std::string_view text) override;
  void SetModemStatus(int hfChannel, std::string_view text) override;
  void SetFlightDetails(std::string_view text) override;
  void AppendDecodedText(std::string_view text) override;
  void PostSquitterUpdate(int hfChannel) override;
  void PostSpectrumBlock(std::span<const float> samples, int channel) override;
  void PostConstellationUpdate(int hfChannel, int withSlotCaption) override;
  void PostStatisticsUpdate(int hfChannel) override;

 private:
  std::atomic<UiLink*> frontEnd_{nullptr};
};

// Attaches a front end to a relay for as long as it lives.
class ScopedUiLink {
 public:
  ScopedUiLink(UiLinkRelay& relay, UiLink& frontEnd) : relay_(relay) { relay_.Attach(&frontEnd); }
  ~ScopedUiLink() { relay_.Attach(nullptr); }
  ScopedUiLink(const ScopedUiLink&) = delete;
  ScopedUiLink& operator=(const ScopedUiLink&) = delete;

 private:
  UiLinkRelay& relay_;
};

inline constexpr std::string_view kListeningText = "Listening";

}  // namespace talvir
