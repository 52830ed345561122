#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <vector>

#include "acars/vhf_acars_printer.h"
#include "app/application.h"
#include "app_window_test.h"
#include "audio/fake_capture_driver.h"
#include "testbench/frames/demo_traffic.h"
#include "ui/information_windows.h"
#include "ui/information_windows_layout.h"
#include "ui/main_dialog_layout.h"
#include "ui/manual_location.h"
#include "ui/map_output.h"
#include "ui/settings_dialogs.h"
#include "ui/up_down_control.h"

namespace talvir {
namespace {

using testbench::BuildDemoTraffic;
using testbench::DemoBurst;
using testbench::DemoTraffic;

using MainDialogTest = testing::AppWindowTest;

// What one Display check box governs: a frame of the demo traffic (or a
// VHF message) and a text that only this box lets through.
struct FollowedText {
  int box;
  std::string_view burst;  // the demo burst's description; empty: the VHF message
  QRegularExpression shown;
};

const DemoBurst& DemoBurstNamed(const DemoTraffic& traffic, std::string_view description) {
  // An aircraft's bursts are described after its name.
  const auto found = std::ranges::find_if(
      traffic.bursts, [&](const DemoBurst& burst) { return burst.description.ends_with(description); });
  if (found == traffic.bursts.end()) throw std::logic_error("no demo burst " + std::string(description));
  return *found;
}

TEST_F(MainDialogTest, EachDisplayCheckBoxSwitchesItsFieldAndTheNextFrameFollows) {
  const auto app = MakeApp(std::make_unique<testing::FakeCaptureDriver>());
  for (const DisplayCheckBox& box : kDisplayCheckBoxes) app->settings().Set(box.field, 1);
  CMainDialog window(*app);
  auto* text = static_cast<QPlainTextEdit*>(window.control(main_dialog::kTextWindow));
  const DemoTraffic traffic = BuildDemoTraffic();
  // The second VHF message; the demodulator hands over SOH .. ETX.
  std::vector<uint8_t> vhfBlock = traffic.vhfMessages.at(1).block;
  vhfBlock.resize(vhfBlock.size() - 3);
  VhfAcarsPrinter vhf(app->VhfAcarsTargets());
  const BurstInfo burst{.rateCode = 6, .detectedSlotIndex = 1, .statusLine = "TS(1) 300bps 1.8s "};
  const auto feedAndRead = [&](std::string_view burstName) {
    QTest::mouseClick(window.control(main_dialog::kClearText), Qt::LeftButton);
    if (burstName.empty()) {
      vhf.PrintVhfAcars(vhfBlock, {});
    } else {
      app->hfChannel(0).decoders.decoder.ReceiveFrame(DemoBurstNamed(traffic, burstName).frame, burst);
    }
    return text->toPlainText();
  };

  const std::vector<FollowedText> cases = {
      {1005, "squitter", QRegularExpression(R"(\[Preamble TS\(1\) 300bps 1.8s \]\[OK\])")},
      {1003, "squitter", QRegularExpression("UTC LOCKED Active freqs")},
      {1007, "numbered data, performance report", QRegularExpression(R"(\[MPDU .* AIR )")},
      {1008, "numbered data, performance report", QRegularExpression(R"(\[LPDU NUMBERED DATA FM AIR )")},
      {1016, "numbered data, performance report", QRegularExpression(R"(\[BDU PQ = 3 )")},
      {1009, "numbered data, performance report", QRegularExpression(R"(\[HFNPDU PERFORMANCE\])")},
      {1058, "", QRegularExpression("VACARS mode: .*\n(.*\n)*/DUB OS ETA1712 STAND 302")},
      // The HFNPDU line shows the raw block: only the printer's text counts.
      {1059, "performance report, ACARS downlink", QRegularExpression("HACARS mode: .*\n(.*\n)*#DFB/ETA LHR 1412")},
      {1004, "squitter", QRegularExpression("^([0-9A-F]{2} ){15}", QRegularExpression::MultilineOption)},
      {1017, "squitter", QRegularExpression("LPDU ACK codes")},
  };
  ASSERT_EQ(cases.size(), kDisplayCheckBoxes.size());
  for (const FollowedText& item : cases) {
    const auto box = std::ranges::find(kDisplayCheckBoxes, item.box, &DisplayCheckBox::id);
    ASSERT_NE(box, kDisplayCheckBoxes.end()) << item.box;
    auto* check = static_cast<QCheckBox*>(window.control(item.box));
    ASSERT_TRUE(check->isChecked()) << item.box;
    const QString with = feedAndRead(item.burst);
    EXPECT_TRUE(with.contains(item.shown)) << item.box << " shown:\n" << with.toStdString();

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(app->settings().Get(box->field), 0) << item.box;
    const QString without = feedAndRead(item.burst);
    EXPECT_FALSE(without.contains(item.shown)) << item.box << " hidden:\n" << without.toStdString();

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(app->settings().Get(box->field), 1) << item.box;
    EXPECT_TRUE(feedAndRead(item.burst).contains(item.shown)) << item.box << " shown again";
  }
}

TEST_F(MainDialogTest, NewestTextOnTopOldestCutAndClearText) {
  const auto app = MakeApp(std::make_unique<testing::FakeCaptureDriver>());
  CMainDialog window(*app);
  auto* text = static_cast<QPlainTextEdit*>(window.control(main_dialog::kTextWindow));
  window.AppendDecodedText("first\r\n");
  window.AppendDecodedText("");
  window.AppendDecodedText("second\r\n");
  EXPECT_EQ(text->toPlainText(), "second\nfirst\n");

  // Each new text keeps 80000 characters of the older ones behind it, and
  // never more than 100000 are kept or shown.
  window.AppendDecodedText(std::string(kKeptTextChars + 5000, 'o'));
  window.AppendDecodedText(std::string(10000, 'x'));
  EXPECT_EQ(window.accumulatedText().size(), 10000 + kKeptTextChars);
  EXPECT_EQ(window.accumulatedText().back(), 'o');
  window.AppendDecodedText("top\r\n" + std::string(50000, 'n'));
  EXPECT_EQ(window.accumulatedText().size(), kShownTextChars);
  EXPECT_EQ(window.accumulatedText().back(), 'o');
  EXPECT_TRUE(text->toPlainText().startsWith("top\nnnn"));
  EXPECT_EQ(text->toPlainText().size(), static_cast<qsizetype>(kShownTextChars - 1));  // less one CR

  QTest::mouseClick(window.control(main_dialog::kClearText), Qt::LeftButton);
  EXPECT_TRUE(text->toPlainText().isEmpty());
  window.AppendDecodedText("alone\r\n");
  EXPECT_EQ(text->toPlainText(), "alone\n");
}

TEST_F(MainDialogTest, TimeslotOffsetsToggleAndGainStaysBetweenOneAndHundred) {
  const auto app = MakeApp(std::make_unique<testing::FakeCaptureDriver>());
  CMainDialog window(*app);
  QAction* offsets = window.menuCommand(main_dialog::kDisplayTimeslotOffsets);
  offsets->trigger();
  EXPECT_EQ(window.showTimeslotOffsets(), 1);
  EXPECT_TRUE(offsets->isChecked());
  offsets->trigger();
  EXPECT_EQ(window.showTimeslotOffsets(), 0);
  EXPECT_FALSE(offsets->isChecked());
  // Only a press over the waterfall opens the menu.
  EXPECT_TRUE(window.RightButtonMenuAt(QPoint(5, 5)).has_value());
  EXPECT_FALSE(window.RightButtonMenuAt(QPoint(5, 300)).has_value());

  auto* gain = static_cast<UpDownControl*>(window.control(main_dialog::kGainUpDown));
  EXPECT_EQ(window.waterfallGain(), 4.0f);
  for (int i = 0; i < 5; ++i) gain->downArrow()->click();
  EXPECT_EQ(window.waterfallGain(), 1.0f);
  for (int i = 0; i < 120; ++i) gain->upArrow()->click();
  EXPECT_EQ(window.waterfallGain(), 100.0f);
}

TEST_F(MainDialogTest, WorkerNotificationsWaitForTheWindowAndCloseReleasesThem) {
  const auto app = MakeApp(std::make_unique<testing::FakeCaptureDriver>());
  CMainDialog window(*app);
  auto* list = static_cast<QListWidget*>(window.control(main_dialog::kFlightList));
  // Polled while the worker runs.
  std::atomic<int> position{-2};
  std::thread worker([&] {
    app->ui().SetModemStatus(kShownHfChannel, "1800 BPS");
    app->ui().SetModemStatus(kShownHfChannel + 1, "another channel's burst");
    position = app->ui().FlightListInsert("BAW123");
  });
  while (position.load() == -2) QTest::qWait(5);
  worker.join();
  EXPECT_EQ(position.load(), 0);
  EXPECT_EQ(list->item(0)->text(), "BAW123");
  EXPECT_EQ(static_cast<QLabel*>(window.control(main_dialog::kModemStatus))->text(), "1800 BPS");

  // Spectrum blocks the window has not taken yet are bounded: the rest are
  // dropped and counted, and once it catches up they flow again.
  const std::vector<float> samples(kSpectrumPoints, 0.0f);
  for (int i = 0; i < QtUiLink::kMaxPendingSpectrumBlocks + 4; ++i) app->ui().PostSpectrumBlock(samples, 0);
  EXPECT_EQ(window.link().SpectrumBlocksDropped(), 4);
  QTest::qWait(50);
  app->ui().PostSpectrumBlock(samples, 0);
  EXPECT_EQ(window.link().SpectrumBlocksDropped(), 4);

  // A worker waiting on a window that has started to shut down returns.
  std::atomic<bool> returned{false};
  std::thread late([&] {
    app->ui().AppendDecodedText("late\r\n");
    returned = true;
  });
  // The window thread does not pump events meanwhile.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned);
  window.link().Close();
  late.join();
  EXPECT_TRUE(returned);
  QTest::qWait(10);
  EXPECT_FALSE(window.accumulatedText().starts_with("late"));
}

// A first run warns, then asks for the sound card before capture.
TEST_F(MainDialogTest, FirstRunAndMenuCommandsOpenTheirDialogsTheAboutBoxAndBothShowTheIcon) {
  const auto app = MakeApp(std::make_unique<testing::FakeCaptureDriver>(), false);
  CMainDialog window(*app);
  const testing::DialogCloser closer;
  EXPECT_TRUE(window.StartUp().Ok());
  for (int command : {main_dialog::kDdeConfiguration, main_dialog::kLogfileConfiguration,
                      main_dialog::kTimeoutConfiguration, main_dialog::kSoundcardConfiguration,
                      main_dialog::kChannelConfiguration, main_dialog::kSpectrumConfiguration}) {
    window.menuCommand(command)->trigger();
  }
  window.ShowAbout();
  EXPECT_EQ(closer.captions(),
            (std::vector<std::string>{"Critical Warning", "Sound Card Selection", "DDE Configuration",
                                      "Logfile Configuration", "Timeouts", "Sound Card Selection",
                                      "Channel Configuration", "Spectrum Channel Display", "About TALVIR"}));
  EXPECT_FALSE(window.statisticsWindow().isVisible());
  window.menuCommand(main_dialog::kShowFrameStatistics)->trigger();
  EXPECT_TRUE(window.statisticsWindow().isVisible());
  // A sound card's window has no channel list.
  EXPECT_EQ(window.channelList(), nullptr);
  EXPECT_EQ(window.findChild<QTableWidget*>(), nullptr);

  // The icon the desktop entry installs, drawn: its dark blue tile, not a
  // stock information icon.
  const QRgb tile = qRgb(0x0b, 0x25, 0x45);
  const QImage windowIcon = window.windowIcon().pixmap(32, 32).toImage();
  ASSERT_FALSE(windowIcon.isNull());
  EXPECT_EQ(windowIcon.pixel(16, 2), tile);
  EXPECT_EQ(qAlpha(windowIcon.pixel(0, 0)), 0) << "rounded corner";

  CAboutDlg about(&window);
  EXPECT_EQ(about.windowIcon().cacheKey(), window.windowIcon().cacheKey());
  const auto labels = about.findChildren<QLabel*>();
  const auto icon = std::ranges::find_if(labels, [](const QLabel* label) { return !label->pixmap().isNull(); });
  ASSERT_NE(icon, labels.end());
  const QImage shown = (*icon)->pixmap().toImage();
  EXPECT_EQ(shown.size(), QSize(32, 32));
  EXPECT_EQ(shown.pixel(16, 2), tile);
}

// Receives what Help asks the desktop to open.
class DocumentOpener : public QObject {
  Q_OBJECT
 public:
  QUrl opened;
 public slots:
  void Open(const QUrl& url) { opened = url; }
};

TEST_F(MainDialogTest, HelpOpensTheManualOrSaysItIsMissing) {
  const auto app = MakeApp(std::make_unique<testing::FakeCaptureDriver>());
  CMainDialog window(*app);
  DocumentOpener opener;
  QDesktopServices::setUrlHandler("file", &opener, "Open");
  static_cast<QPushButton*>(window.control(main_dialog::kHelp))->click();
  QDesktopServices::unsetUrlHandler("file");
  const auto manual = FindManual(ManualCandidates(QCoreApplication::applicationDirPath().toStdString()));
  if (manual) {
    EXPECT_EQ(opener.opened.toLocalFile().toStdString(), manual->string());
  } else {
    EXPECT_TRUE(opener.opened.isEmpty());
    EXPECT_EQ(static_cast<QLabel*>(window.control(main_dialog::kModemStatus))->text(),
              "Help: TALVIR Manual.htm is not installed");
  }
}

TEST_F(MainDialogTest, PlaysTheDemoIntoEveryWindowAndAsksBeforeExit) {
  auto stream = DemoDriver();
  const StreamDriver& driver = *stream;
  const auto app = MakeApp(std::move(stream));
  CMainDialog window(*app);
  window.show();
  QTest::mouseClick(window.control(main_dialog::kDxAtlas), Qt::LeftButton);
  QTest::mouseClick(window.control(main_dialog::kSquitters), Qt::LeftButton);
  CDialogSquitters& squitters = window.squittersWindow();
  EXPECT_TRUE(squitters.isVisible());
  EXPECT_TRUE(squitters.controlAs<QLabel>(squitters_window::kAcknowledgements)->text().isEmpty());
  EXPECT_TRUE(window.StartUp().Ok());
  PlayToTheEnd(driver);

  // The demo's aircraft and the station heard reach the map.
  app->shared().flights.FlightDbPublish(1);
  const MapWindow& map = *window.map().window();
  ASSERT_EQ(map.layers().size(), 3u);
  EXPECT_FALSE(map.layers()[0]->points().empty());
  const std::vector<AtlasPoint>& stations = map.layers()[2]->points();
  const int station = app->hfChannel(kShownHfChannel).decoders.decoder.CurrentGroundStationId();
  EXPECT_EQ(std::ranges::count(stations, "GS" + std::to_string(station) + "A", &AtlasPoint::label), 1);

  const QString text = static_cast<QPlainTextEdit*>(window.control(main_dialog::kTextWindow))->toPlainText();
  EXPECT_TRUE(text.contains("SYSTEM TABLE")) << text.left(400).toStdString();
  EXPECT_FALSE(static_cast<QLabel*>(window.control(main_dialog::kSquitterLine))->text().isEmpty());
  EXPECT_FALSE(static_cast<QLabel*>(window.control(main_dialog::kModemStatus))->text().isEmpty());

  // The squitter texts reached the Squitters window.
  EXPECT_TRUE(squitters.controlAs<QLabel>(squitters_window::kAcknowledgements)->text().contains(" ACK S11(N-3) ID "));
  EXPECT_TRUE(squitters.controlAs<QLabel>(squitters_window::kAssignments)->text().contains(" ASN S03 (N+0) "));
  EXPECT_TRUE(squitters.controlAs<QLabel>(squitters_window::kGroundStationStatus)->text().contains("GND"));
  EXPECT_TRUE(squitters.controlAs<QPlainTextEdit>(squitters_window::kStations)->toPlainText().contains("KHz"));
  QTest::mouseClick(squitters.control(squitters_window::kSmartDisplay), Qt::LeftButton);
  EXPECT_TRUE(app->settings().On(&SettingsRecord::squitterSmartDisplay));

  // Statistics follow the frames; Reset shows zeros at once.
  window.menuCommand(main_dialog::kShowFrameStatistics)->trigger();
  auto* statistics = window.statisticsWindow().controlAs<QPlainTextEdit>(kInformationText);
  EXPECT_TRUE(statistics->toPlainText().startsWith("Total frames ")) << statistics->toPlainText().toStdString();
  EXPECT_FALSE(statistics->toPlainText().startsWith("Total frames 0 "));
  QTest::mouseClick(window.statisticsWindow().control(kStatisticsReset), Qt::LeftButton);
  EXPECT_TRUE(statistics->toPlainText().startsWith("Total frames 0 errors 0\n\nSquitters 0 errors 0"));

  // The system table heard in the demo, built when the box is ticked.
  QTest::mouseClick(window.control(main_dialog::kSysTable), Qt::LeftButton);
  EXPECT_TRUE(window.systemTableWindow().isVisible());
  const QString table = window.systemTableWindow().controlAs<QPlainTextEdit>(kInformationText)->toPlainText();
  EXPECT_TRUE(table.startsWith("Version ")) << table.left(200).toStdString();
  EXPECT_TRUE(table.contains("Ground Station ID ")) << table.left(200).toStdString();
  QTest::mouseClick(window.control(main_dialog::kSysTable), Qt::LeftButton);
  EXPECT_FALSE(window.systemTableWindow().isVisible());

  auto* flights = static_cast<QListWidget*>(window.control(main_dialog::kFlightList));
  const int heard = flights->count();
  ASSERT_GT(heard, 1);
  flights->setCurrentRow(0);
  EXPECT_FALSE(static_cast<QLineEdit*>(window.control(main_dialog::kFlightDetails))->text().isEmpty());
  QTest::mouseClick(window.control(main_dialog::kDeleteFlight), Qt::LeftButton);
  EXPECT_EQ(flights->count(), heard - 1);

  // The waterfall and the constellation were drawn on. (Fed faster than
  // real time, the window may drop spectrum blocks; that is by design.)
  const auto count = [](const QImage& image, int rows, auto match) {
    int found = 0;
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < image.width(); ++x) found += match(image.pixel(x, y)) ? 1 : 0;
    }
    return found;
  };
  EXPECT_GT(count(window.waterfallImage(), kSpectrumRows, [](QRgb pixel) { return qGray(pixel) > 64; }), 100);
  const QImage& constellation = window.constellationImage();
  EXPECT_GT(count(constellation, constellation.height(), [](QRgb pixel) { return pixel == qRgb(200, 200, 255); }), 20);
  EXPECT_GT(count(constellation, constellation.height(), [](QRgb pixel) { return pixel == qRgb(255, 255, 0); }), 0);

  {
    const testing::MessageBoxAnswer no(QMessageBox::No);
    window.reject();
    EXPECT_EQ(no.asked(), "Really Exit ?");
    EXPECT_TRUE(window.isVisible());
  }
  // With information windows open, Yes still ends the application: a window
  // left showing would refuse the quit.
  QTest::mouseClick(window.control(main_dialog::kSysTable), Qt::LeftButton);
  const testing::MessageBoxAnswer yes(QMessageBox::Yes);
  window.reject();
  EXPECT_FALSE(window.isVisible());
  for (const QWidget* shown : QApplication::topLevelWidgets()) EXPECT_FALSE(shown->isVisible()) << shown->windowTitle().toStdString();
  EXPECT_TRUE(std::filesystem::exists(base_ / "configs" / "talvir.ini"));
}

}  // namespace
}  // namespace talvir

#include "main_dialog_test.moc"
