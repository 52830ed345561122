// Real VHF ACARS received by others: each file holds one message with a
// correct BCS.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testbench/wav_file.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

struct OnAirMessage {
  const char* file;
  const char* registration;            // block bytes 2 .. 8
  const char* messageNumberAndFlight;  // bytes 14 .. 23; null where not known
  // Why the demodulator misses this one, measured; empty when it decodes.
  const char* shortfall;
};

void PrintTo(const OnAirMessage& m, std::ostream* os) { *os << m.file; }

class VhfRecordings : public ::testing::TestWithParam<OnAirMessage> {};

TEST_P(VhfRecordings, DeliversTheOneMessageWithItsRegistrationAndFlight) {
  const OnAirMessage& expected = GetParam();
  const std::filesystem::path path = std::filesystem::path(TALVIR_RECORDINGS_DIR) / expected.file;
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "recording not found: " << path;
  const testbench::WavAudio wav = testbench::ReadWavFile(path);
  ASSERT_EQ(wav.sampleRate, kSampleRate);
  ASSERT_EQ(wav.channels, 1);

  const auto delivered = testing::Demodulate(wav.samples[0]);
  // Whatever the demodulator makes of a hard recording, it hands over
  // nothing but this one message.
  ASSERT_LE(delivered.size(), 1u);
  if (delivered.empty() && expected.shortfall[0] != '\0') GTEST_SKIP() << expected.shortfall;
  ASSERT_EQ(delivered.size(), 1u);

  const std::string text = testing::RecordingVhfSink::Text(delivered[0]);
  ASSERT_GE(text.size(), 24u);
  EXPECT_EQ(text.substr(2, 7), expected.registration);
  if (expected.messageNumberAndFlight != nullptr) {
    EXPECT_EQ(text.substr(14, 10), expected.messageNumberAndFlight);
  }
}

INSTANTIATE_TEST_SUITE_P(
    OnAir, VhfRecordings,
    ::testing::Values(
        OnAirMessage{"vhf-acars-01.wav", "..GXONE", "M56AGS0001", ""},
        OnAirMessage{"vhf-acars-02.wav", "..GXONE", "M57AGS0001",
                     "only 4 adjacent bit positions see the sync without error; the lock needs 5"},
        OnAirMessage{"vhf-acars-03.wav", "..GXONE", "M58AGS0001", ""},
        OnAirMessage{"vhf-acars-04.wav", "..GXONE", "M59AGS0001", ""},
        OnAirMessage{"vhf-acars-05.wav", ".VH-OGE", nullptr, "no bit position sees the sync without error"},
        OnAirMessage{"vhf-acars-06.wav", ".VH-OGE", "D029QF0039",
                     "only 3 adjacent bit positions see the sync without error; the lock needs 5"}));

}  // namespace
}  // namespace talvir
