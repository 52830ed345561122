// The window's record outputs: the same options as talvir-cli, the same
// records for the same recording, and each peer's counts in the Statistics
// window.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <chrono>
#include <string>
#include <vector>

#include "app_window_test.h"
#include "outputs_json/schema_check.h"
#include "support/loopback_listeners.h"
#include "ui/information_windows_layout.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_layout.h"
#include "ui/window_record_outputs.h"

namespace talvir {
namespace {

using testing::Json;
using WindowRecordsTest = testing::AppWindowTest;

// What two runs of the same recording share: everything but when it was heard.
Json WithoutStamps(Json record) {
  if (record.contains("hfdl")) {
    record["hfdl"].erase("t");
  } else {
    record.erase("timestamp");
  }
  return record;
}

TEST_F(WindowRecordsTest, TheDemoThroughTheWindowGivesTalvirCliRecordsToAUdpPeer) {
  constexpr std::time_t kRecordingStart = 1796641200;  // 2026-12-07 11:00:00 UTC
  const std::vector<Json> expected = testing::DecodeToJson(TALVIR_DEMO_WAV, "--channel-a hf --channel-b vhf");
  ASSERT_GT(expected.size(), 20u);

  testing::UdpListener listener;
  const std::string target = "json:udp:127.0.0.1:" + std::to_string(listener.port());
  const std::vector<std::string> words = {"--output", target, "--station-id", "TEST-STATION", "--freq", "8977"};
  const std::vector<std::string_view> args(words.begin(), words.end());
  const TalvirParseResult parsed = ParseTalvirOptions(args);
  ASSERT_EQ(parsed.error, "");
  RecordOutputs outputs;
  ASSERT_EQ(OpenWindowRecordOutputs(parsed.options, outputs), "");

  const auto app = MakeApp(DemoDriver(), true, {.ddePort = std::nullopt, .records = outputs.Sink()});
  app->settings().Set(&SettingsRecord::channelAMode, kChannelHf);
  app->settings().Set(&SettingsRecord::channelBMode, kChannelVhf);
  app->stamps().StartOnAudio(kRecordingStart, StampClock::Source::kGivenStart);
  CMainDialog window(*app);
  AttachWindowRecordOutputs(outputs, *app, window.statisticsWindow());
  window.show();
  ASSERT_TRUE(window.StartUp().Ok());

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (listener.Lines() < expected.size() && std::chrono::steady_clock::now() < deadline) QTest::qWait(50);
  const std::vector<Json> received = testing::ParseLines(listener.Received());
  ASSERT_EQ(received.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(WithoutStamps(received[i]), WithoutStamps(expected[i])) << "record " << i;
  }
  // Stamped by the window's clock, here set to the recording's start.
  for (const Json& record : received) {
    const std::time_t heard = record.contains("hfdl") ? record["hfdl"]["t"]["sec"].get<std::time_t>()
                                                      : static_cast<std::time_t>(record["timestamp"].get<double>());
    EXPECT_GE(heard, kRecordingStart);
    EXPECT_LE(heard, kRecordingStart + 100);  // the demo's length
  }

  // The sender counts a record after the datagram has left, so the last
  // count may trail the listener's last line: wait for it, not for a time.
  window.menuCommand(main_dialog::kShowFrameStatistics)->trigger();
  const std::string sent = "\n\n" + target + " " + std::to_string(expected.size()) + " records sent";
  std::string statistics;
  for (int tries = 0; tries < 200 && statistics.find(sent) == std::string::npos; ++tries) {
    if (tries > 0) QTest::qWait(10);
    window.statisticsWindow().Refresh();
    statistics = window.statisticsWindow().controlAs<QPlainTextEdit>(kInformationText)->toPlainText().toStdString();
  }
  EXPECT_NE(statistics.find(sent), std::string::npos) << statistics;
  // Closed as a user closes it, which ends the application.
  const testing::MessageBoxAnswer yes(QMessageBox::Yes);
  window.reject();
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace talvir
