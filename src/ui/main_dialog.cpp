#include "ui/main_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/application.h"
#include "app/window_timers.h"
#include "ui/main_dialog_layout.h"
#include "ui/up_down_control.h"

namespace talvir {
namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The edit control shows CR LF as one line end.
QString ForTextWindow(const std::string& text) {
  QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  shown.remove(QLatin1Char('\r'));
  return shown;
}

struct MenuItem {
  int id;
  const char* text;
};
constexpr auto kSystemOptionsMenu = std::to_array<MenuItem>({
    {main_dialog::kDdeConfiguration, "&DDE Configuration"},
    {main_dialog::kLogfileConfiguration, "&Logfile Configuration"},
    {main_dialog::kTimeoutConfiguration, "&Timeout Configuration"},
    {main_dialog::kSoundcardConfiguration, "&Soundcard Configuration"},
    {main_dialog::kChannelConfiguration, "&Channel Configuration"},
    {main_dialog::kSpectrumConfiguration, "&Spectrum Configuration"},
    {main_dialog::kShowFrameStatistics, "S&how Frame Statistics"},
    {main_dialog::kExit, "&Exit"},
});

}  // namespace

CMainDialog::CMainDialog(Application& app)
    : app_(app),
      client_(new QWidget(this)),
      waterfall_(QSize(1, 1)),
      constellation_(QSize(1, 1)),
      link_(*this, *this, app),
      map_(app, [this] { static_cast<QCheckBox*>(control(main_dialog::kDxAtlas))->setChecked(false); }) {
  setWindowTitle(QString::fromLatin1(kMainDialogCaption));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  client_->setFont(font());
  const DialogUnits units(font());
  controls_ = BuildDialogControls(*client_, kMainDialogLayout, units);
  client_->setFixedSize(units.ToPixels(kMainDialogWidth, kMainDialogHeight));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(client_);
  BuildMenu();
  layout->setSizeConstraint(QLayout::SetFixedSize);

  textWindow_ = static_cast<QPlainTextEdit*>(control(main_dialog::kTextWindow));
  flightList_ = static_cast<QListWidget*>(control(main_dialog::kFlightList));
  flightDetails_ = static_cast<QLineEdit*>(control(main_dialog::kFlightDetails));
  squitterLine_ = static_cast<QLabel*>(control(main_dialog::kSquitterLine));
  modemStatus_ = static_cast<QLabel*>(control(main_dialog::kModemStatus));
  waterfallBox_ = control(main_dialog::kWaterfallBox);
  constellationBox_ = control(main_dialog::kConstellationBox);
  waterfall_ = WaterfallSurface(waterfallBox_->size());
  constellation_ = ConstellationSurface(constellationBox_->size());
  waterfallBox_->installEventFilter(this);
  constellationBox_->installEventFilter(this);
  client_->installEventFilter(this);
  ConnectControls();
  RegisterUiLink(&link_);
}

CMainDialog::~CMainDialog() { Shutdown(); }

QWidget* CMainDialog::control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

QAction* CMainDialog::menuCommand(int id) const {
  const auto found = commands_.find(id);
  return found == commands_.end() ? nullptr : found->second;
}

void CMainDialog::BuildMenu() {
  auto* menuBar = new QMenuBar(this);
  QMenu* menu = menuBar->addMenu(QStringLiteral("System-Options"));
  for (const MenuItem& item : kSystemOptionsMenu) {
    if (!commands_.empty()) menu->addSeparator();
    QAction* action = menu->addAction(QString::fromLatin1(item.text));
    commands_.emplace(item.id, action);
    // The settings dialogs and the Statistics window come in a later
    // version; their commands are there, greyed.
    action->setEnabled(item.id == main_dialog::kExit);
  }
  connect(menuCommand(main_dialog::kExit), &QAction::triggered, this, [this] { Exit(); });
  layout()->setMenuBar(menuBar);

  auto* offsets = new QAction(QStringLiteral("Display Timeslot offsets"), this);
  offsets->setCheckable(true);
  connect(offsets, &QAction::triggered, this, [this] { ToggleTimeslotOffsets(); });
  commands_.emplace(main_dialog::kDisplayTimeslotOffsets, offsets);
}

void CMainDialog::ConnectControls() {
  Settings& settings = app_.settings();
  for (const DisplayCheckBox& box : kDisplayCheckBoxes) {
    auto* check = static_cast<QCheckBox*>(control(box.id));
    check->setChecked(settings.On(box.field));
    // Read by the decoders on their next frame.
    connect(check, &QCheckBox::clicked, this,
            [&settings, field = box.field](bool checked) { settings.Set(field, checked ? 1 : 0); });
  }
  connect(static_cast<QPushButton*>(control(main_dialog::kClearText)), &QPushButton::clicked, this, [this] {
    accumulated_.clear();
    ShowText();
  });
  FlightDb& flights = app_.protocol().flights;
  connect(static_cast<QPushButton*>(control(main_dialog::kDeleteFlight)), &QPushButton::clicked, this,
          [this, &flights] { flights.FlightDbDeleteByListIndex(flightList_->currentRow()); });
  connect(flightList_, &QListWidget::currentRowChanged, this,
          [&flights](int row) { flights.FlightDbShowDetailsByListIndex(row); });
  connect(flightList_, &QListWidget::itemDoubleClicked, this, [this, &flights] {
    flights.FlightDbShowDetailsByListIndex(flightList_->currentRow());
    flights.FlightDbPublish(1);
  });
  connect(static_cast<QCheckBox*>(control(main_dialog::kDxAtlas)), &QCheckBox::clicked, this, [this](bool checked) {
    if (checked) {
      map_.SwitchOn();
    } else {
      map_.SwitchOff();
    }
  });
  connect(static_cast<QCheckBox*>(control(main_dialog::kGoogleEarth)), &QCheckBox::clicked, this,
          [this](bool checked) {
            if (checked) {
              app_.kml().KmlEnable(app_.paths().base);
            } else {
              app_.kml().KmlDisable();
            }
          });
  static_cast<UpDownControl*>(control(main_dialog::kGainUpDown))->onStep = [this](int delta) { StepGain(delta); };
}

OpenResult CMainDialog::StartUp() {
  // Before the worker runs: it calls the clock's restart handler.
  StartTimers();
  const OpenResult opened = app_.StartupSequence();
  running_ = true;
  if (opened.Reported()) {
    QMessageBox::warning(this, windowTitle(), QString::fromLatin1(OpenFailureMessage(opened.status).data()));
  }
  return opened;
}

void CMainDialog::StartTimers() {
  ProtocolStack& protocol = app_.protocol();
  const auto start = [this](QTimer& timer, std::chrono::milliseconds period, std::function<void()> tick) {
    timer.setInterval(period);
    connect(&timer, &QTimer::timeout, this, std::move(tick));
  };
  start(ageingTimer_, kAgeingPeriod, [&protocol] { protocol.flights.FlightDbAgeTick(); });
  start(publishTimer_, kPublishPeriod, [this, &protocol] {
    app_.DdePostAdvise();
    protocol.flights.FlightDbPublish(0);
  });
  start(clockTimer_, kClockPeriod, [this, &protocol] {
    protocol.utcClock.UtcClockTick();
    app_.kml().KmlRefreshGroundStations();
  });
  ageingTimer_.start();
  publishTimer_.start();
  // A good squitter sets the clock on the worker; its next tick comes a
  // second later.
  protocol.utcClock.SetRestartHandler(
      [this] { QMetaObject::invokeMethod(&clockTimer_, qOverload<>(&QTimer::start), Qt::QueuedConnection); });
}

bool CMainDialog::ConfirmExit() {
  return QMessageBox::question(this, windowTitle(), QStringLiteral("Really Exit ?"),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool CMainDialog::Exit(bool ask) {
  if (ask && !ConfirmExit()) return false;
  Shutdown();
  QDialog::reject();
  return true;
}

void CMainDialog::Shutdown() {
  // The worker may be waiting on the window: release it before joining it.
  RegisterUiLink(nullptr);
  link_.Close();
  if (!running_) return;
  running_ = false;
  ageingTimer_.stop();
  publishTimer_.stop();
  clockTimer_.stop();
  // Before the settings are saved, so that the map's view reaches the file.
  map_.SwitchOff();
  app_.ShutdownSequence();
  // Only now: the worker is joined and can no longer restart the clock.
  app_.protocol().utcClock.SetRestartHandler({});
}

void CMainDialog::reject() { Exit(); }

int CMainDialog::FlightListInsert(std::string_view text) {
  flightList_->addItem(ToQString(text));
  return flightList_->count() - 1;
}

void CMainDialog::FlightListClear() { flightList_->clear(); }

void CMainDialog::SetSquitterLine(std::string_view text) { squitterLine_->setText(ToQString(text)); }

void CMainDialog::SetModemStatus(std::string_view text) { modemStatus_->setText(ToQString(text)); }

void CMainDialog::SetFlightDetails(std::string_view text) { flightDetails_->setText(ToQString(text)); }

void CMainDialog::AppendDecodedText(std::string_view text) {
  if (text.empty()) return;
  // Newest first; the oldest falls off the end.
  std::string older = std::move(accumulated_);
  older.resize(std::min(older.size(), kKeptTextChars));
  accumulated_.reserve(text.size() + older.size());
  accumulated_.assign(text);
  accumulated_ += older;
  ShowText();
}

void CMainDialog::ShowText() {
  QScrollBar* scroll = textWindow_->verticalScrollBar();
  const int position = scroll->value();
  if (accumulated_.size() > kShownTextChars) accumulated_.resize(kShownTextChars);
  textWindow_->setPlainText(ForTextWindow(accumulated_));
  scroll->setValue(position);
}

void CMainDialog::ToggleTimeslotOffsets() {
  showTimeslotOffsets_ = showTimeslotOffsets_ == 1 ? 0 : 1;
  menuCommand(main_dialog::kDisplayTimeslotOffsets)->setChecked(showTimeslotOffsets_ == 1);
}

void CMainDialog::StepGain(int delta) {
  waterfallGain_ -= static_cast<float>(delta);
  if (waterfallGain_ <= 0.0f) waterfallGain_ = kMinWaterfallGain;
  waterfallGain_ = std::min(waterfallGain_, kMaxWaterfallGain);
}

std::optional<QPoint> CMainDialog::RightButtonMenuAt(QPoint clientPos) const {
  if (!QRect(QPoint(0, 0), waterfallBox_->size()).contains(clientPos)) return std::nullopt;
  return client_->mapToGlobal(clientPos);
}

void CMainDialog::DrawSpectrum(const SpectrumBlock& block) {
  if (!running_ || app_.settings().Get(&SettingsRecord::spectrumChannel) == kSpectrumOff) return;
  spectrum_.Process(block.samples, waterfallGain_);
  waterfall_.DrawColumn(spectrum_.levels(), block.strip, showTimeslotOffsets_ == 1);
  waterfallBox_->update();
}

bool CMainDialog::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case kSpectrumBlockEvent:
      link_.SpectrumBlockTaken();
      DrawSpectrum(static_cast<const SpectrumBlock&>(*event));
      return true;
    case kConstellationUpdateEvent:
      if (running_) {
        constellation_.Draw(static_cast<const ConstellationUpdate&>(*event).frame);
        constellationBox_->update();
      }
      return true;
    case kSquitterUpdateEvent:
    case kStatisticsUpdateEvent:
      // For the Squitters and Statistics windows, which come later.
      return true;
    default: return QDialog::event(event);
  }
}

bool CMainDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && (watched == waterfallBox_ || watched == constellationBox_)) {
    QPainter painter(static_cast<QWidget*>(watched));
    painter.drawImage(0, 0, watched == waterfallBox_ ? waterfall_.image() : constellation_.image());
    return true;
  }
  if (event->type() == QEvent::MouseButtonPress && watched == client_) {
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() != Qt::RightButton) return false;
    if (const std::optional<QPoint> at = RightButtonMenuAt(press->position().toPoint())) {
      QMenu menu(QStringLiteral("Right button menu"), this);
      QAction* offsets = menuCommand(main_dialog::kDisplayTimeslotOffsets);
      offsets->setChecked(showTimeslotOffsets_ == 1);
      menu.addAction(offsets);
      menu.exec(*at - QPoint(menu.sizeHint().width(), 0));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace talvir
