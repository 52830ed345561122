#pragma once
// The window's side of the decoders' notifications. Direct notifications
// from the worker are blocking queued calls: the worker waits until the
// window thread has carried them out. Posted ones become Qt events with the
// window message numbers, each carrying a copy taken on the worker when it
// posted, so the window never reads what the worker is rewriting.

#include <QEvent>
#include <QObject>
#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "common/ui_link.h"
#include "protocol/squitter_record.h"
#include "ui/constellation_surface.h"
#include "ui/spectrum_column.h"
#include "ui/waterfall_surface.h"

namespace talvir {

class Application;

// The HFDL channel the window shows at start; a band's channel list picks
// another (Application::ShowHfChannel).
inline constexpr int kShownHfChannel = 0;

inline constexpr QEvent::Type kSquitterUpdateEvent = static_cast<QEvent::Type>(1034);
inline constexpr QEvent::Type kSpectrumBlockEvent = static_cast<QEvent::Type>(1035);
inline constexpr QEvent::Type kConstellationUpdateEvent = static_cast<QEvent::Type>(1036);
inline constexpr QEvent::Type kStatisticsUpdateEvent = static_cast<QEvent::Type>(1038);
// A worker's direct notification, run by the link on the window thread.
inline constexpr QEvent::Type kWindowCallEvent = static_cast<QEvent::Type>(QEvent::User + 1);

// Both name their HFDL channel: one posted just before another channel was
// chosen is not drawn as the new one's.
struct SquitterUpdate : QEvent {
  SquitterUpdate(const SquitterHistory::Snapshot& copy, int hfChannel)
      : QEvent(kSquitterUpdateEvent), squitters(copy), hfChannel(hfChannel) {}
  SquitterHistory::Snapshot squitters;
  int hfChannel;
};

struct SpectrumBlock : QEvent {
  SpectrumBlock() : QEvent(kSpectrumBlockEvent) {}
  std::array<float, kSpectrumPoints> samples{};
  int channel = 0;
  SlotStripState strip;
};

struct ConstellationUpdate : QEvent {
  explicit ConstellationUpdate(int hfChannel) : QEvent(kConstellationUpdateEvent), hfChannel(hfChannel) {}
  ConstellationFrame frame;
  int hfChannel;
};

class QtUiLink final : public QObject, public UiLink {
 public:
  // Spectrum blocks waiting for the window beyond this many are dropped, so
  // a busy window cannot pile up memory; dropped ones are counted.
  static constexpr int kMaxPendingSpectrumBlocks = 16;

  // window receives the events; it and app outlive the link.
  QtUiLink(QObject& window, WindowNotifications& notifications, Application& app);

  int FlightListInsert(std::string_view text) override;
  void FlightListClear() override;
  // Other channels than the one the application shows are not passed on.
  void SetSquitterLine(int hfChannel, std::string_view text) override;
  void SetModemStatus(int hfChannel, std::string_view text) override;
  void SetFlightDetails(std::string_view text) override;
  void AppendDecodedText(std::string_view text) override;
  void PostSquitterUpdate(int hfChannel) override;
  void PostSpectrumBlock(std::span<const float> samples, int channel) override;
  void PostConstellationUpdate(int hfChannel, int withSlotCaption) override;
  void PostStatisticsUpdate(int hfChannel) override;

  // The window calls this as it handles a spectrum block.
  void SpectrumBlockTaken() { pendingSpectrum_.fetch_sub(1); }
  int SpectrumBlocksDropped() const { return spectrumDropped_.load(); }
  // From now on direct notifications return at once without running: the
  // window is about to wait for the worker, which must not wait for it.
  // On the window thread, so that no call is running meanwhile.
  void Close();
  // Runs call on the window thread later, from any thread; not after Close.
  void PostToWindow(std::function<void()> call);

 protected:
  bool event(QEvent* event) override;

 private:
  // Runs call on the window thread and waits for it, unless closed.
  void CallOnWindow(std::function<void()> call);

  QObject& window_;
  WindowNotifications& notifications_;
  Application& app_;
  std::mutex lock_;
  std::condition_variable done_;
  bool closed_ = false;
  std::atomic<int> pendingSpectrum_{0};
  std::atomic<int> spectrumDropped_{0};
};

}  // namespace talvir
