// Real VHF ACARS received by others: each file holds one message with a
// correct BCS.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/acars_characters.h"
#include "testbench/wav_file.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

struct OnAirMessage {
  const char* file;
  const char* registration;  // block bytes 2 .. 8
  // The first characters after the STX. The two VH-OGE blocks carry no
  // block id, so the STX sits one byte early there.
  const char* textStart;
  // What another decoder gives as the level of the same message, where we
  // have it.
  std::optional<double> feederLevelDb;
};

void PrintTo(const OnAirMessage& m, std::ostream* os) { *os << m.file; }

class VhfRecordings : public ::testing::TestWithParam<OnAirMessage> {};

TEST_P(VhfRecordings, DeliversTheOneMessageWithItsRegistrationAndFlightAlsoOffZero) {
  const OnAirMessage& expected = GetParam();
  const std::filesystem::path path = std::filesystem::path(TALVIR_RECORDINGS_DIR) / expected.file;
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "recording not found: " << path;
  const testbench::WavAudio wav = testbench::ReadWavFile(path);
  ASSERT_EQ(wav.sampleRate, kSampleRate);
  ASSERT_EQ(wav.channels, 1);

  const testing::RecordingVhfSink received = testing::DemodulateWithQuality(wav.samples[0]);
  const auto& delivered = received.blocks;
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(received.qualities[0].correctedBits, 0) << "sent with a correct BCS, received cleanly";
  if (expected.feederLevelDb) {
    EXPECT_NEAR(received.qualities[0].levelDb, *expected.feederLevelDb, 1.0);
  }
  // Half of full scale off zero, as some receivers and sound cards deliver
  // it: the same block, once.
  std::vector<float> offZero = wav.samples[0];
  testbench::AddDcOffset(offZero, {.level = 0.5});
  EXPECT_EQ(testing::Demodulate(testing::AsSoundCard(std::move(offZero))), delivered);

  const std::string text = testing::RecordingVhfSink::Text(delivered[0]);
  ASSERT_GE(text.size(), 24u);
  EXPECT_EQ(text.substr(2, 7), expected.registration);
  const std::size_t stx = text.find(static_cast<char>(kAcarsStx));
  ASSERT_NE(stx, std::string::npos);
  EXPECT_EQ(text.substr(stx + 1, std::string(expected.textStart).size()), expected.textStart);
}

INSTANTIATE_TEST_SUITE_P(OnAir, VhfRecordings,
                         ::testing::Values(OnAirMessage{"vhf-acars-01.wav", "..GXONE", "M56AGS0001", -22.1},
                                           OnAirMessage{"vhf-acars-02.wav", "..GXONE", "M57AGS0001", -23.7},
                                           OnAirMessage{"vhf-acars-03.wav", "..GXONE", "M58AGS0001", std::nullopt},
                                           OnAirMessage{"vhf-acars-04.wav", "..GXONE", "M59AGS0001", -2.1},
                                           OnAirMessage{"vhf-acars-05.wav", ".VH-OGE", "4026QF0039/MEL", std::nullopt},
                                           OnAirMessage{"vhf-acars-06.wav", ".VH-OGE", "D029QF0039#1BBTKO", std::nullopt}));

}  // namespace
}  // namespace talvir
