// The window on many channels of a band: the channel list, its counts as
// the decoders hear bursts, and the views following the chosen channel.

#include "ui/channel_list.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <fstream>

#include "app_window_test.h"
#include "testbench/frames/squitter_builder.h"
#include "testbench/hfdl_band_scenario.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_layout.h"

namespace talvir {
namespace {

constexpr double kRate = 96000;
constexpr double kCentreKhz = 8950;
const std::vector<double> kDials{8912.0, 8942.0, 8977.0};

class ChannelListTest : public testing::AppWindowTest {
 protected:
  // Each channel a squitter of its own station (2, 3, 4); the last one a
  // second squitter too.
  std::filesystem::path WriteBand() {
    testbench::HfdlBandScenario scenario{.centreKhz = kCentreKhz, .sampleRate = kRate, .seed = 5};
    for (int c = 0; c < 3; ++c) {
      testbench::HfdlBandChannel channel{.dialKhz = kDials[c], .snrDb = 25.0,
                                         .fading = testbench::FadingPreset::kQuiet};
      for (int repeat = 0; repeat < (c == 2 ? 2 : 1); ++repeat) {
        testbench::SquitterFields fields;
        fields.stations[0] = {.id = 2 + c, .utcSynced = true, .frequencyMask = 1};
        fields.frameIndex = 100 + repeat;
        channel.bursts.push_back({0.4 + 0.3 * c + 2.5 * repeat, 6, testbench::BuildSquitter(fields)});
      }
      scenario.channels.push_back(std::move(channel));
    }
    const auto band = testbench::RenderHfdlBand(scenario);
    const auto file = base_ / "band.cf32";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(band.data()), static_cast<std::streamsize>(band.size() * sizeof band[0]));
    return file;
  }

  static QString Cell(const ChannelList& list, int row, ChannelList::Column column) {
    return list.item(row, column)->text();
  }
};

TEST_F(ChannelListTest, EveryChannelCountsItsOwnBurstsAndTheChosenOneIsShown) {
  std::string error;
  auto input = OpenInputSource(
      {.path = WriteBand().string(), .iq = true, .iqFormat = IqFormat::kCf32, .iqRate = kRate, .band = true}, error);
  ASSERT_TRUE(input) << error;
  auto stream = std::make_unique<StreamDriver>(std::move(input->reader), Pacing::kAsFastAsTaken, kRate);
  const StreamDriver& driver = *stream;
  const auto app = MakeApp(std::move(stream), true,
                           {.band = HfdlBandOptions{.rate = kRate, .centreKhz = kCentreKhz, .dialsKhz = kDials}});
  CMainDialog window(*app, false);
  ChannelList* list = window.channelList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->rowCount(), 3);
  EXPECT_EQ(Cell(*list, 1, ChannelList::kFrequency), "8942 kHz");
  EXPECT_EQ(list->selectedItems().front()->row(), 0);
  window.show();
  ASSERT_TRUE(window.StartUp().Ok());
  PlayToTheEnd(driver);
  list->Refresh();

  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(Cell(*list, c, ChannelList::kGoodFrames), c == 2 ? "2" : "1") << c;
    EXPECT_EQ(Cell(*list, c, ChannelList::kFailedFrames), "0") << c;
    EXPECT_FALSE(Cell(*list, c, ChannelList::kLastBurst).isEmpty()) << c;
    // "hh:mm:ss  ID name": each channel's own station.
    const QString squitter = Cell(*list, c, ChannelList::kLastSquitter);
    EXPECT_TRUE(squitter.contains(QStringLiteral("  %1 ").arg(2 + c))) << squitter.toStdString();
  }
  // The Statistics window's Reset: the counts start again from zero, the
  // times of the last burst and squitter stay.
  const QString lastBurst = Cell(*list, 2, ChannelList::kLastBurst);
  const QString lastSquitter = Cell(*list, 2, ChannelList::kLastSquitter);
  app->ResetFrameCounters();
  list->Refresh();
  EXPECT_EQ(Cell(*list, 2, ChannelList::kGoodFrames), "0");
  EXPECT_EQ(Cell(*list, 2, ChannelList::kLastBurst), lastBurst);
  EXPECT_EQ(Cell(*list, 2, ChannelList::kLastSquitter), lastSquitter);

  // Choosing a channel moves the status line, constellation and waterfall
  // to it: its notifications reach the window, the others' no longer do,
  // not even one still on its way.
  app->ui().PostConstellationUpdate(0, 1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(2, ChannelList::kFrequency)).center());
  EXPECT_EQ(app->ShownHfChannel(), 2);
  const QImage cleared = window.constellationImage();
  QTest::qWait(50);
  EXPECT_EQ(window.constellationImage(), cleared) << "channel 0's constellation drawn as channel 2's";
  EXPECT_TRUE(static_cast<QLabel*>(window.control(main_dialog::kSquitterLine))->text().contains("RIVERHEAD"));
  auto* status = static_cast<QLabel*>(window.control(main_dialog::kModemStatus));
  EXPECT_EQ(status->text(), "Listening");
  app->ui().SetModemStatus(0, "1800 BPS on 8912");
  EXPECT_EQ(status->text(), "Listening");
  app->ui().SetModemStatus(2, "300 BPS on 8977");
  EXPECT_EQ(status->text(), "300 BPS on 8977");
  window.Exit(false);
}

}  // namespace
}  // namespace talvir
