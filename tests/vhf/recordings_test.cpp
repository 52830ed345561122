// Real VHF ACARS received by others: each file holds one message with a
// correct BCS.

#include <gtest/gtest.h>

#include <filesystem>
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

  const auto delivered = testing::Demodulate(wav.samples[0]);
  ASSERT_EQ(delivered.size(), 1u);
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
                         ::testing::Values(OnAirMessage{"vhf-acars-01.wav", "..GXONE", "M56AGS0001"},
                                           OnAirMessage{"vhf-acars-02.wav", "..GXONE", "M57AGS0001"},
                                           OnAirMessage{"vhf-acars-03.wav", "..GXONE", "M58AGS0001"},
                                           OnAirMessage{"vhf-acars-04.wav", "..GXONE", "M59AGS0001"},
                                           OnAirMessage{"vhf-acars-05.wav", ".VH-OGE", "4026QF0039/MEL"},
                                           OnAirMessage{"vhf-acars-06.wav", ".VH-OGE", "D029QF0039#1BBTKO"}));

}  // namespace
}  // namespace talvir
