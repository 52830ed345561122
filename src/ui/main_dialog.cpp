#include "ui/main_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
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
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/application.h"
#include "app/window_timers.h"
#include "ui/application_icon.h"
#include "ui/channel_list.h"
#include "ui/information_windows.h"
#include "ui/main_dialog_layout.h"
#include "ui/manual_location.h"
#include "ui/settings_dialogs.h"
#include "ui/thread_handover.h"
#include "ui/sound_card_dialog.h"
#include "ui/up_down_control.h"

namespace talvir {
namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

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

constexpr const char* kAboutCommand = "&About TALVIR...";
constexpr const char* kNoMixerControl =
    "The sound card has no capture source to select: its recording input is left as it is";

}  // namespace

CMainDialog::CMainDialog(Application& app, bool soundCard)
    : app_(app),
      client_(new QWidget(this)),
      waterfall_(QSize(1, 1)),
      constellation_(QSize(1, 1)),
      soundCard_(soundCard),
      link_(*this, *this, app),
      map_(app, [this] { static_cast<QCheckBox*>(control(main_dialog::kDxAtlas))->setChecked(false); }) {
  setWindowTitle(QString::fromLatin1(kMainDialogCaption));
  // The information windows and dialogs take it from here.
  setWindowIcon(ApplicationIcon());
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
  // Many channels of a band: the list under the window's usual face.
  if (!app_.HfChannelDials().empty()) {
    channelList_ = new ChannelList(app_, this);
    layout->addWidget(channelList_);
    connect(channelList_, &QTableWidget::itemSelectionChanged, this, [this] { ShowChosenChannel(); });
  }
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
  ConnectInformationWindows();
  BuildSystemMenu();
  app_.ui().Attach(&link_);
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
    connect(action, &QAction::triggered, this, [this, id = item.id] { OpenSettingsDialog(id); });
  }
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
  FlightDb& flights = app_.shared().flights;
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
  auto* help = static_cast<QPushButton*>(control(main_dialog::kHelp));
  connect(help, &QPushButton::clicked, this, [this] { OpenManual(); });
  connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, help, &QPushButton::click);
}

void CMainDialog::ConnectInformationWindows() {
  // Created hidden; each lives as long as the window.
  squittersWindow_ = new CDialogSquitters(app_.settings(), app_.shared().formatters, this);
  systemTableWindow_ = new CDialogSystemTable(this);
  statisticsWindow_ = new CStatisticsDialog([this] { return app_.hfChannel(app_.ShownHfChannel()).modem.Counters(); },
                                            [this] { app_.ResetFrameCounters(); }, this);
  connect(static_cast<QCheckBox*>(control(main_dialog::kSquitters)), &QCheckBox::clicked, this,
          [this](bool checked) { squittersWindow_->setVisible(checked); });
  connect(static_cast<QCheckBox*>(control(main_dialog::kSysTable)), &QCheckBox::clicked, this, [this](bool checked) {
    // Built only now: a table received while it is open shows once the box
    // is ticked again.
    if (checked) {
      const SharedDecoderState& shared = app_.shared();
      systemTableWindow_->SetTableText(RenderSystemTableWindow(shared.systemTable, shared.stations));
    }
    systemTableWindow_->setVisible(checked);
  });
}

void CMainDialog::BuildSystemMenu() {
  // The desktop's own window menu cannot be extended: the program's items
  // are on Alt+Space and a right click beside the waterfall.
  systemMenu_ = new QMenu(this);
  QAction* about = systemMenu_->addAction(QString::fromLatin1(kAboutCommand));
  connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
  connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this), &QShortcut::activated, this,
          [this] { systemMenu_->popup(mapToGlobal(QPoint(0, 0))); });
}

void CMainDialog::OpenSettingsDialog(int command) {
  Settings& settings = app_.settings();
  const auto save = [this] { app_.SettingsSave(); };
  switch (command) {
    case main_dialog::kDdeConfiguration: CDialogDdeConfig(settings, save, this).exec(); break;
    case main_dialog::kLogfileConfiguration: CDialogLogfileConfig(settings, save, this).exec(); break;
    case main_dialog::kTimeoutConfiguration: CDialogTimeouts(settings, this).exec(); break;
    case main_dialog::kChannelConfiguration:
      CDialogChannelConfig(settings, [this] { ReopenCapture(); }, this).exec();
      break;
    case main_dialog::kSpectrumConfiguration: CDialogSpectrumChannel(settings, this).exec(); break;
    case main_dialog::kSoundcardConfiguration: SoundcardConfiguration(); break;
    case main_dialog::kShowFrameStatistics: statisticsWindow_->show(); break;
    case main_dialog::kExit: Exit(); break;
    default: break;
  }
}

void CMainDialog::SoundcardConfiguration() {
  CDialogSoundCard(app_.settings(), CaptureDeviceNames(), this).exec();
  ReopenCapture();
}

void CMainDialog::ReopenCapture() {
  if (!running_) return;
  ReportOpenFailure(app_.ReconfigureCapture());
  SelectInputLine();
}

void CMainDialog::ReportOpenFailure(const OpenResult& opened) {
  if (opened.Reported()) {
    QMessageBox::warning(this, windowTitle(), QString::fromLatin1(OpenFailureMessage(opened.status).data()));
  }
}

void CMainDialog::SelectInputLine() {
  if (!soundCard_) return;
  const Settings& settings = app_.settings();
  // The stored name is cut short; the card is named at the end of the whole.
  const std::string device = ChosenDeviceName(CaptureDeviceNames(), settings.Text(&SettingsRecord::soundCardName));
  if (mixer_.MixerSelectInput(device, settings.Get(&SettingsRecord::inputLine)) || mixerNoteShown_) return;
  mixerNoteShown_ = true;
  SetModemStatus(app_.ShownHfChannel(), kNoMixerControl);
}

void CMainDialog::ShowAbout() { CAboutDlg(this).exec(); }

void CMainDialog::OpenManual() {
  const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
  const std::vector<std::filesystem::path> candidates = ManualCandidates(programDir);
  const std::optional<std::filesystem::path> manual = FindManual(candidates);
  if (!manual) {
    SetModemStatus(app_.ShownHfChannel(), std::string("Help: ") + kManualFileName + " is not installed");
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(manual->string())))) {
    SetModemStatus(app_.ShownHfChannel(), "Help: no program to open " + manual->string());
  }
}

OpenResult CMainDialog::StartUp() {
  if (!app_.settings().On(&SettingsRecord::settingsLoaded)) {
    CDialogCriticalWarning(this).exec();
    CDialogSoundCard(app_.settings(), CaptureDeviceNames(), this).exec();
  }
  // Before the worker runs: it calls the clock's restart handler.
  StartTimers();
  const OpenResult opened = app_.StartupSequence();
  running_ = true;
  ReportOpenFailure(opened);
  SelectInputLine();
  return opened;
}

void CMainDialog::StartTimers() {
  FlightDb& flights = app_.shared().flights;
  const auto start = [this](QTimer& timer, std::chrono::milliseconds period, std::function<void()> tick) {
    timer.setInterval(period);
    connect(&timer, &QTimer::timeout, this, std::move(tick));
  };
  start(ageingTimer_, kAgeingPeriod, [&flights] { flights.FlightDbAgeTick(); });
  start(publishTimer_, kPublishPeriod, [this, &flights] {
    app_.DdePostAdvise();
    flights.FlightDbPublish(0);
  });
  start(clockTimer_, kClockPeriod, [this] {
    app_.TickUtcClocks();
    app_.kml().KmlRefreshGroundStations();
  });
  ageingTimer_.start();
  publishTimer_.start();
  // A good squitter sets the clock on the worker; its next tick comes a
  // second later.
  app_.SetUtcClockRestartHandler([this](const HfdlUtcClock&) { link_.PostToWindow([this] { clockTimer_.start(); }); });
}

bool CMainDialog::ConfirmExit() {
  return QMessageBox::question(this, windowTitle(), QStringLiteral("Really Exit ?"),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool CMainDialog::Exit(bool ask) {
  if (ask && !ConfirmExit()) return false;
  Shutdown();
  // The windows without a close box refuse to close, which would hold up
  // the application's quit.
  for (QDialog* window : {static_cast<QDialog*>(squittersWindow_), static_cast<QDialog*>(systemTableWindow_),
                          static_cast<QDialog*>(statisticsWindow_)}) {
    window->hide();
  }
  QDialog::reject();
  return true;
}

void CMainDialog::Shutdown() {
  // The worker may be waiting on the window: release it before joining it.
  app_.ui().Attach(nullptr);
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
  app_.SetUtcClockRestartHandler({});
}

void CMainDialog::reject() { Exit(); }

int CMainDialog::FlightListInsert(std::string_view text) {
  flightList_->addItem(ToQString(text));
  return flightList_->count() - 1;
}

void CMainDialog::FlightListClear() { flightList_->clear(); }

void CMainDialog::SetSquitterLine(int /*hfChannel*/, std::string_view text) { squitterLine_->setText(ToQString(text)); }

void CMainDialog::SetModemStatus(int /*hfChannel*/, std::string_view text) { modemStatus_->setText(ToQString(text)); }

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
  textWindow_->setPlainText(ControlText(accumulated_));
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

void CMainDialog::ShowChosenChannel() {
  const HfdlDecoder& decoder = app_.hfChannel(app_.ShownHfChannel()).decoders.decoder;
  const SquitterHistory::Snapshot squitters = decoder.Squitters();
  const std::string summary = decoder.FormatSquitterSummary(squitters.latest);
  squitterLine_->setText(squitters.latest.crcOk == 1 ? ToQString(summary) : QString());
  modemStatus_->setText(ToQString(kListeningText));
  constellation_.Draw(ConstellationFrame{});
  constellationBox_->update();
  squittersWindow_->Refresh(squitters, summary);
  statisticsWindow_->Refresh();
}

bool CMainDialog::event(QEvent* event) {
  // Even its type is written on the worker for the events it posts.
  TakeFromOtherThread(event);
  switch (static_cast<int>(event->type())) {
    case kSpectrumBlockEvent:
      link_.SpectrumBlockTaken();
      DrawSpectrum(static_cast<const SpectrumBlock&>(*event));
      return true;
    case kConstellationUpdateEvent: {
      const auto& update = static_cast<const ConstellationUpdate&>(*event);
      if (running_ && update.hfChannel == app_.ShownHfChannel()) {
        constellation_.Draw(update.frame);
        constellationBox_->update();
      }
      return true;
    }
    case kSquitterUpdateEvent: {
      const auto& update = static_cast<const SquitterUpdate&>(*event);
      if (running_ && update.hfChannel == app_.ShownHfChannel()) {
        const HfdlDecoder& decoder = app_.hfChannel(update.hfChannel).decoders.decoder;
        squittersWindow_->Refresh(update.squitters, decoder.FormatSquitterSummary(update.squitters.latest));
      }
      return true;
    }
    case kStatisticsUpdateEvent:
      if (running_) statisticsWindow_->Refresh();
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
    const std::optional<QPoint> at = RightButtonMenuAt(press->position().toPoint());
    if (!at) {
      systemMenu_->popup(press->globalPosition().toPoint());
      return true;
    }
    QMenu menu(QStringLiteral("Right button menu"), this);
    QAction* offsets = menuCommand(main_dialog::kDisplayTimeslotOffsets);
    offsets->setChecked(showTimeslotOffsets_ == 1);
    menu.addAction(offsets);
    menu.exec(*at - QPoint(menu.sizeHint().width(), 0));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace talvir
