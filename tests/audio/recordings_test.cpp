// The on-air recordings as they were made (their own rates and sample
// forms) decode to the same frames as the copies converted to 48000 Hz.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "app/sample_conversion.h"
#include "audio/input_source.h"
#include "capture_sources.h"
#include "modem/modem_harness.h"

namespace talvir {
namespace {

struct Recording {
  std::vector<int16_t> samples;  // left, right at 48000/s
  std::vector<std::string> warnings;
};

Recording Read(const std::filesystem::path& path) {
  std::string error;
  auto input = OpenInputSource({.path = path.string()}, error);
  EXPECT_TRUE(input) << error;
  if (!input) return {};
  return {testing::ReadAllSamples(*input->reader), input->warnings};
}

// The frames the modem makes of the samples, converted as the worker
// converts them: their bytes, and their burst reports on stdout to compare
// the votes.
std::vector<std::vector<uint8_t>> DecodedFrames(const std::vector<int16_t>& samples, const char* name) {
  testing::ModemHarness harness;
  std::array<float, kBlockFrames> a{};
  std::array<float, kBlockFrames> b{};
  CaptureBlock block{};
  const std::vector<uint8_t> bytes = testing::FrameBytes(samples);
  for (std::size_t at = 0; at < bytes.size(); at += block.size()) {
    block.fill(0);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), std::min(block.size(), bytes.size() - at),
                block.begin());
    ConvertCaptureBlock(block, a, b);
    harness.modem->ModemFeedSamples(a);
  }
  harness.FeedSilence(4.0);
  std::vector<std::vector<uint8_t>> frames;
  for (const auto& frame : harness.receiver.frames) {
    std::printf("%s: %s\n", name, frame.burst.statusLine.c_str());
    frames.push_back(frame.bytes);
  }
  return frames;
}

// Normalised correlation of channel A of both, over the shorter.
double Likeness(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  double ab = 0;
  double aa = 0;
  double bb = 0;
  for (std::size_t k = 0; k < std::min(a.size(), b.size()); k += 2) {
    ab += static_cast<double>(a[k]) * b[k];
    aa += static_cast<double>(a[k]) * a[k];
    bb += static_cast<double>(b[k]) * b[k];
  }
  return ab / std::sqrt(aa * bb);
}

TEST(OriginalRecordings, DecodeToTheBytesOfTheirConvertedCopies) {
  const std::filesystem::path dir = TALVIR_RECORDINGS_DIR;
  if (!std::filesystem::is_directory(dir / "orig")) GTEST_SKIP() << "no original recordings at " << dir / "orig";
  struct Pair {
    const char* original;  // what it is
    const char* converted;
    std::size_t frames;
    std::size_t warnings;
    double likeness;  // of the audio to the copy's, at least
  };
  const Pair pairs[] = {
      // 12600 Hz, 16-bit mono audio.
      {"orig/sgvr_rl_i16-hfdl_12600.wav", "hfdl-squitter-gs3.wav", 1, 0, 0.99},
      // 8000 Hz mono audio, floats at 16-bit scale under a header that says
      // 32-bit integers. The copy was made from the integers their bits
      // make, which are the signal's sign and the log of its size: a
      // hard-limited signal that the PSK modem still decodes.
      {"orig/sgvr_rl_s32-hfdl_8000.wav", "hfdl-downlink-uplink-gs3.wav", 3, 1, 0.5},
  };
  for (const Pair& pair : pairs) {
    SCOPED_TRACE(pair.original);
    const Recording original = Read(dir / pair.original);
    const Recording converted = Read(dir / pair.converted);
    std::printf("%s: %zu frames at 48000/s, like its copy to %.4f\n", pair.original, original.samples.size() / 2,
                Likeness(original.samples, converted.samples));
    EXPECT_GT(Likeness(original.samples, converted.samples), pair.likeness);
    EXPECT_EQ(original.warnings.size(), pair.warnings);
    const auto frames = DecodedFrames(converted.samples, pair.converted);
    ASSERT_EQ(frames.size(), pair.frames);
    EXPECT_EQ(DecodedFrames(original.samples, pair.original), frames);
  }
}

}  // namespace
}  // namespace talvir
