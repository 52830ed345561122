#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <thread>

#include "app/application.h"
#include "audio/fake_capture_driver.h"
#include "audio/input_source.h"
#include "audio/stream_driver.h"
#include "qt_test_app.h"
#include "ui/main_dialog_layout.h"
#include "ui/up_down_control.h"

namespace talvir {
namespace {

class MainDialogTest : public ::testing::Test {
 protected:
  MainDialogTest() {
    testing::QtTestApp();
    std::filesystem::remove_all(base_);
    std::filesystem::create_directories(base_);
  }
  ~MainDialogTest() override { std::filesystem::remove_all(base_); }

  std::unique_ptr<Application> MakeApp(std::unique_ptr<CaptureDriver> driver) {
    return std::make_unique<Application>(DataPaths{base_}, std::move(driver));
  }
  // Answers the next message box with button, and says what it asked.
  void AnswerNextMessageBox(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      asked_ = box->text().toStdString();
      box->button(button)->click();
    });
  }

  const std::filesystem::path base_ =
      std::filesystem::temp_directory_path() / ("talvir_ui_test_" + std::to_string(::getpid()));
  std::string asked_;
};

TEST_F(MainDialogTest, DisplayCheckBoxesSwitchTheirSettingsFields) {
  const auto app = MakeApp(std::make_unique<testing::FakeCaptureDriver>());
  app->settings().Set(&SettingsRecord::showHex, 1);
  CMainDialog window(*app);
  EXPECT_EQ(window.windowTitle(), "TALVIR 635-4 HFDL Decoder V2.042");
  for (const DisplayCheckBox& box : kDisplayCheckBoxes) {
    auto* check = static_cast<QCheckBox*>(window.control(box.id));
    EXPECT_EQ(check->isChecked(), app->settings().On(box.field)) << box.id;
    const int before = app->settings().Get(box.field);
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(app->settings().Get(box.field), 1 - before) << box.id;
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(app->settings().Get(box.field), before) << box.id;
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
  int position = -2;
  std::thread worker([&] {
    UiSetModemStatus("1800 BPS");
    position = UiFlightListInsert("BAW123");
  });
  while (position == -2) QTest::qWait(5);
  worker.join();
  EXPECT_EQ(position, 0);
  EXPECT_EQ(list->item(0)->text(), "BAW123");
  EXPECT_EQ(static_cast<QLabel*>(window.control(main_dialog::kModemStatus))->text(), "1800 BPS");

  // A worker waiting on a window that has started to shut down returns.
  std::atomic<bool> returned{false};
  std::thread late([&] {
    AppendDecodedText("late\r\n");
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

TEST_F(MainDialogTest, PlaysTheDemoAndAsksBeforeExit) {
  std::string error;
  auto input = OpenInputSource({.path = TALVIR_DEMO_WAV}, error);
  ASSERT_TRUE(input) << error;
  auto stream = std::make_unique<StreamDriver>(std::move(input->reader), Pacing::kAsFastAsTaken);
  const StreamDriver& driver = *stream;
  const auto app = MakeApp(std::move(stream));
  CMainDialog window(*app);
  window.show();
  EXPECT_TRUE(window.StartUp().Ok());
  while (!driver.Exhausted()) QTest::qWait(20);
  QTest::qWait(300);

  const QString text = static_cast<QPlainTextEdit*>(window.control(main_dialog::kTextWindow))->toPlainText();
  EXPECT_TRUE(text.contains("SYSTEM TABLE")) << text.left(400).toStdString();
  EXPECT_GT(static_cast<QListWidget*>(window.control(main_dialog::kFlightList))->count(), 0);
  EXPECT_FALSE(static_cast<QLabel*>(window.control(main_dialog::kSquitterLine))->text().isEmpty());
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

  AnswerNextMessageBox(QMessageBox::No);
  window.reject();
  EXPECT_EQ(asked_, "Really Exit ?");
  EXPECT_TRUE(window.isVisible());
  AnswerNextMessageBox(QMessageBox::Yes);
  window.reject();
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(std::filesystem::exists(base_ / "configs" / "talvir.ini"));
}

}  // namespace
}  // namespace talvir
