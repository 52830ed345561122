#include "ui/qt_ui_link.h"

#include <QCoreApplication>
#include <QThread>
#include <memory>
#include <string>

#include "app/application.h"
#include "common/hfdl_frame_timing.h"
#include "ui/thread_handover.h"

namespace talvir {
namespace {

constexpr int kCurrentFrameFirstSlot = 3;
constexpr int kNextFrameSlotsAt = 10;  // S01, S02 of the next frame

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QtUiLink::QtUiLink(QObject& window, WindowNotifications& notifications, Application& app)
    : window_(window), notifications_(notifications), app_(app) {}

struct WindowCall : QEvent {
  explicit WindowCall(std::function<void()> call) : QEvent(kWindowCallEvent), call(std::move(call)) {}
  std::function<void()> call;
};

void QtUiLink::CallOnWindow(std::function<void()> call) {
  if (QThread::currentThread() == thread()) {
    call();
    return;
  }
  bool done = false;
  PostToWindow([this, &done, call = std::move(call)] {
    call();
    std::lock_guard lock(lock_);
    done = true;
    done_.notify_all();
  });
  std::unique_lock lock(lock_);
  done_.wait(lock, [&] { return done || closed_; });
}

void QtUiLink::PostToWindow(std::function<void()> call) {
  std::lock_guard lock(lock_);
  if (!closed_) PostAcrossThreads(*this, new WindowCall(std::move(call)));
}

bool QtUiLink::event(QEvent* event) {
  TakeFromOtherThread(event);
  if (event->type() != kWindowCallEvent) return QObject::event(event);
  {
    // Closed meanwhile: the worker no longer waits, and what the call
    // refers to may be gone.
    std::lock_guard lock(lock_);
    if (closed_) return true;
  }
  static_cast<WindowCall*>(event)->call();
  return true;
}

void QtUiLink::Close() {
  std::lock_guard lock(lock_);
  closed_ = true;
  done_.notify_all();
}

int QtUiLink::FlightListInsert(std::string_view text) {
  int position = -1;
  CallOnWindow([&, copy = std::string(text)] { position = notifications_.FlightListInsert(copy); });
  return position;
}

void QtUiLink::FlightListClear() {
  CallOnWindow([this] { notifications_.FlightListClear(); });
}

void QtUiLink::SetSquitterLine(int hfChannel, std::string_view text) {
  if (hfChannel != app_.ShownHfChannel()) return;
  CallOnWindow([this, hfChannel, copy = std::string(text)] { notifications_.SetSquitterLine(hfChannel, copy); });
}

void QtUiLink::SetModemStatus(int hfChannel, std::string_view text) {
  if (hfChannel != app_.ShownHfChannel()) return;
  CallOnWindow([this, hfChannel, copy = std::string(text)] { notifications_.SetModemStatus(hfChannel, copy); });
}

void QtUiLink::SetFlightDetails(std::string_view text) {
  CallOnWindow([this, copy = std::string(text)] { notifications_.SetFlightDetails(copy); });
}

void QtUiLink::AppendDecodedText(std::string_view text) {
  CallOnWindow([this, copy = std::string(text)] { notifications_.AppendDecodedText(copy); });
}

void QtUiLink::PostSquitterUpdate(int hfChannel) {
  if (hfChannel != app_.ShownHfChannel()) return;
  PostAcrossThreads(window_, new SquitterUpdate(app_.hfChannel(hfChannel).decoders.decoder.Squitters(), hfChannel));
}

void QtUiLink::PostSpectrumBlock(std::span<const float> samples, int channel) {
  if (samples.size() < kSpectrumPoints) return;
  if (pendingSpectrum_.fetch_add(1) >= kMaxPendingSpectrumBlocks) {
    pendingSpectrum_.fetch_sub(1);
    spectrumDropped_.fetch_add(1);
    return;
  }
  auto block = std::make_unique<SpectrumBlock>();
  std::copy_n(samples.begin(), kSpectrumPoints, block->samples.begin());
  block->channel = channel;
  const Settings& settings = app_.settings();
  const int32_t shown = settings.Get(&SettingsRecord::spectrumChannel);
  const int32_t mode =
      settings.Get(shown == kSpectrumChannelB ? &SettingsRecord::channelBMode : &SettingsRecord::channelAMode);
  SlotStripState& strip = block->strip;
  strip.hfdl = mode == kChannelHf;
  const HfdlChannel& shownChannel = app_.hfChannel(app_.ShownHfChannel());
  strip.currentSlot = shownChannel.modem.GetCurrentSlot();
  const HfdlDecoder& decoder = shownChannel.decoders.decoder;
  strip.squitterSlotOffset = decoder.LastSquitterSlotOffset();
  // Slots 1 and 2 were announced by the squitter before last; 3..12 by the
  // latest.
  const SquitterHistory::Snapshot squitters = decoder.Squitters();
  strip.assignments[1] = squitters.previous.slotAssignments[kNextFrameSlotsAt];
  strip.assignments[2] = squitters.previous.slotAssignments[kNextFrameSlotsAt + 1];
  for (int slot = kCurrentFrameFirstSlot; slot < hfdl::kSlotsPerFrame; ++slot) {
    strip.assignments[slot] = squitters.latest.slotAssignments[slot - kCurrentFrameFirstSlot];
  }
  PostAcrossThreads(window_, block.release());
}

void QtUiLink::PostConstellationUpdate(int hfChannel, int withSlotCaption) {
  if (hfChannel != app_.ShownHfChannel()) return;
  HfdlChannel& shownChannel = app_.hfChannel(hfChannel);
  auto update = std::make_unique<ConstellationUpdate>(hfChannel);
  const ConstellationView view = shownChannel.modem.Constellation();
  ConstellationFrame& frame = update->frame;
  frame.points = view.points;
  frame.bottomCaption = FromUtf8(view.modeText);
  if (withSlotCaption == 1) {
    HfdlDecoder& decoder = shownChannel.decoders.decoder;
    frame.topCaption = decoder.SquitterSeen() == 1 ? QStringLiteral("TS(0) Squitter")
                                                   : FromUtf8(view.slotText + decoder.FrameOutcomeLabel());
  }
  PostAcrossThreads(window_, update.release());
}

void QtUiLink::PostStatisticsUpdate(int hfChannel) {
  if (hfChannel != app_.ShownHfChannel()) return;
  PostAcrossThreads(window_, new QEvent(kStatisticsUpdateEvent));
}

}  // namespace talvir
