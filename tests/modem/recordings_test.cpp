// Real on-air bursts recorded by others: the final word on the receiver.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/crc16.h"
#include "modem_harness.h"
#include "support/recording_ui_link.h"
#include "testbench/wav_file.h"
#include "testbench_frames/recorded_frames.h"

namespace talvir {
namespace {

class Recordings : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(TALVIR_RECORDINGS_DIR))
      GTEST_SKIP() << "no recordings folder at " << TALVIR_RECORDINGS_DIR;
  }
  testing::RecordingUiLink ui;
};

std::vector<testing::RecordingFrameReceiver::Frame> DecodeRecording(const std::string& name,
                                                                    UiLink& ui = UiLink::None()) {
  const auto wav = testbench::ReadWavFile(std::filesystem::path(TALVIR_RECORDINGS_DIR) / name);
  EXPECT_EQ(wav.sampleRate, kSampleRate);
  testing::ModemHarness harness(ui);
  harness.Feed(wav.samples.at(0));
  harness.FeedSilence(4.0);  // let the last burst finish
  return harness.receiver.frames;
}

constexpr int kSquitterFcsOffset = 64;

TEST_F(Recordings, SquitterFromGroundStation3Decodes) {
  const auto frames = DecodeRecording("hfdl-squitter-gs3.wav", ui);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, testbench::FromHex(testbench::kRecordedSquitter));
  EXPECT_EQ(frames[0].burst.rateCode, 6);
  ASSERT_EQ(ui.modemStatus.size(), 2u);
  EXPECT_TRUE(ui.modemStatus[0].starts_with("TS(1) 300  bps 1.8 sec Interleaver FREQ ERR ")) << ui.modemStatus[0];
  EXPECT_EQ(ui.modemStatus[1], "Listening");
  EXPECT_EQ(frames[0].burst.statusLine, ui.modemStatus[0]);
}

// Besides the two MPDUs the recording opens with a squitter of the same
// station, which must pass its frame check.
TEST_F(Recordings, DownlinkAndUplinkMpdusDecode) {
  const auto frames = DecodeRecording("hfdl-downlink-uplink-gs3.wav");
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_TRUE(HfdlCrcCheck(frames[0].bytes, kSquitterFcsOffset));
  EXPECT_EQ(frames[1].bytes, testbench::FromHex(testbench::kRecordedAirMpdu));
  EXPECT_EQ(frames[2].bytes, testbench::FromHex(testbench::kRecordedGroundMpdu));
  for (const auto& frame : frames) EXPECT_EQ(frame.burst.rateCode, 6);
}

}  // namespace
}  // namespace talvir
