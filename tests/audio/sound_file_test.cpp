// Sound files as listeners have them: any rate and sample form libsndfile
// reads, two kinds of damaged WAV file, and I/Q recordings, whose upper
// sideband above the dial becomes the audio an SSB receiver would give
// whatever the form, rate and dial. (That I/Q decodes is talvir-cli's test of
// the demo through a pipe.)

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <fstream>
#include <numbers>

#include "audio/input_source.h"
#include "capture_sources.h"
#include "support/read_file.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

using testing::ChannelOf;
using testing::FitTone;

class SoundFileTest : public ::testing::Test {
 protected:
  template <typename Sample>
  std::filesystem::path Write(const char* name, int format, int rate, int channels,
                              const std::vector<Sample>& samples) {
    return testing::WriteSoundFile(dir.path() / name, format, rate, channels, samples);
  }
  std::optional<OpenedInput> Open(const std::filesystem::path& path) {
    std::string error;
    auto input = OpenInputSource({.path = path.string()}, error);
    EXPECT_TRUE(input) << error;
    return input;
  }
  std::vector<int16_t> ReadAll(const std::filesystem::path& path) {
    auto input = Open(path);
    return input ? testing::ReadAllSamples(*input->reader) : std::vector<int16_t>{};
  }
  // The samples of a file read with the one warning that names `says`.
  std::vector<int16_t> ReadWarned(const std::filesystem::path& path, const char* says) {
    auto input = Open(path);
    if (!input) return {};
    EXPECT_EQ(input->warnings.size(), 1u);
    for (const std::string& warning : input->warnings) EXPECT_NE(warning.find(says), std::string::npos) << warning;
    return testing::ReadAllSamples(*input->reader);
  }
  std::string OpenError(const std::filesystem::path& path) {
    std::string error;
    EXPECT_FALSE(OpenInputSource({.path = path.string()}, error));
    return error;
  }

  testing::TempDir dir;
};

// Samples of `hz` at `rate`, amplitude 0.5 of full scale.
std::vector<float> Sine(double hz, int rate, double seconds) {
  std::vector<float> x(static_cast<std::size_t>(seconds * rate));
  for (std::size_t n = 0; n < x.size(); ++n) {
    x[n] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(n) / rate));
  }
  return x;
}

TEST_F(SoundFileTest, At48000StereoKeepsLeftAndRightMonoFeedsChannelAOnly) {
  const std::vector<int16_t> samples{1, -1, 32767, -32768, 258, 0};
  EXPECT_EQ(ReadAll(Write("s.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kSampleRate, 2, samples)), samples);
  const auto mono =
      Open(Write("m.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kSampleRate, 1, std::vector<int16_t>{100, -200, 300}));
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono->channels, 1);
  EXPECT_EQ(testing::ReadAllSamples(*mono->reader), (std::vector<int16_t>{100, 0, -200, 0, 300, 0}));
}

// A wrong rate shifts the tone, a wrong scale changes its level, a swap puts
// it on the other channel, and a poor filter leaves a residue.
TEST_F(SoundFileTest, AnyRateAndSampleFormBecomes48000WithTheSameTones) {
  struct Case {
    const char* name;
    int format;
    int rate;
    int channels;
  };
  const Case cases[] = {
      {"cd.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 2},
      {"sdr.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 12600, 1},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 2},
      {"studio.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 96000, 1},
  };
  constexpr double kSeconds = 2.0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto left = Sine(1000, c.rate, kSeconds);
    const auto right = Sine(1700, c.rate, kSeconds);
    std::vector<float> interleaved;
    for (std::size_t n = 0; n < left.size(); ++n) {
      interleaved.push_back(left[n]);
      if (c.channels == 2) interleaved.push_back(right[n]);
    }
    const auto frames = ReadAll(Write(c.name, c.format, c.rate, c.channels, interleaved));
    EXPECT_NEAR(static_cast<double>(frames.size() / 2), kSeconds * kSampleRate, 2.0);
    // Away from the ends, where the filter starts and stops.
    const auto a = ChannelOf(frames, 0);
    const auto b = ChannelOf(frames, 1);
    const std::span middleA = std::span(a).subspan(kSampleRate / 2, kSampleRate);
    const std::span middleB = std::span(b).subspan(kSampleRate / 2, kSampleRate);
    const auto toneA = FitTone(middleA, 1000);
    EXPECT_NEAR(toneA.amplitude, 0.5, 0.005);
    EXPECT_LT(toneA.residualRms, 1e-3);
    if (c.channels == 2) {
      const auto toneB = FitTone(middleB, 1700);
      EXPECT_NEAR(toneB.amplitude, 0.5, 0.005);
      EXPECT_LT(toneB.residualRms, 1e-3);
    } else {
      EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](float x) { return x == 0; })) << "mono: channel B silent";
    }
  }
}

// A missing file and one that is not audio are talvir-cli's bad-input cases.
TEST_F(SoundFileTest, RefusesWhatItCannotDecode) {
  const auto surround = Write("six.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kSampleRate, 6, std::vector<int16_t>(12));
  EXPECT_NE(OpenError(surround).find("6 channels"), std::string::npos);
  EXPECT_NE(OpenError(dir.path()).find("directory"), std::string::npos);
  // A chunk size near 2^32 once wrapped the header walk's step to nothing:
  // the program hung on the file.
  const auto wrapped = Write("wrapped.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kSampleRate, 2, std::vector<int16_t>(8));
  std::string image = testing::ReadFile(wrapped);
  image.replace(16, 4, "\xF8\xFF\xFF\xFF");  // the fmt chunk's size
  std::ofstream(wrapped, std::ios::binary) << image;
  EXPECT_FALSE(OpenError(wrapped).empty());
}

// A recorder that died before it wrote the sizes leaves 0 in the data
// chunk's header; the samples are all there.
TEST_F(SoundFileTest, AHeaderThatSaysNoSamplesIsReadToTheFileEndWithAWarning) {
  std::vector<int16_t> samples(2 * 7777);
  for (std::size_t n = 0; n < samples.size(); ++n) samples[n] = static_cast<int16_t>(n * 31 - 9000);
  const auto path = Write("open.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kSampleRate, 2, samples);
  std::string image = testing::ReadFile(path);
  const std::size_t data = image.find("data");
  ASSERT_NE(data, std::string::npos);
  image.replace(4, 4, 4, '\0');         // RIFF size
  image.replace(data + 4, 4, 4, '\0');  // data size
  std::ofstream(path, std::ios::binary) << image;
  EXPECT_EQ(ReadWarned(path, "holds no samples"), samples);
}

// Some SDR programs write float samples under a header that says 32-bit
// integers; read as integers they are a roar. Real integer files are not
// taken for floats.
TEST_F(SoundFileTest, FloatSamplesUnderAnIntegerHeaderAreReadAsFloats) {
  const std::vector<float> values{1206.3F, -1951.29F, 0.0F, 32767.0F, -32768.0F, 0.4F};
  std::vector<float> floats;
  std::vector<int16_t> expected;
  for (int repeat = 0; repeat < 100; ++repeat) {
    for (const float v : values) {
      floats.push_back(v);
      expected.insert(expected.end(), {static_cast<int16_t>(std::nearbyint(v)), 0});
    }
  }
  // A 32-bit integer file whose data are the floats' bits.
  const auto mislabelled =
      Write("s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, kSampleRate, 1, std::vector<int16_t>(floats.size()));
  std::string image = testing::ReadFile(mislabelled);
  std::memcpy(image.data() + image.find("data") + 8, floats.data(), floats.size() * 4);
  std::ofstream(mislabelled, std::ios::binary) << image;
  EXPECT_EQ(ReadWarned(mislabelled, "floating-point"), expected);

  std::vector<int16_t> ramp(4000);
  for (std::size_t n = 0; n < ramp.size(); ++n) ramp[n] = static_cast<int16_t>(n * 16 - 32000);
  const auto integers = Write("i32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, kSampleRate, 1, ramp);
  const auto plain = Open(integers);
  ASSERT_TRUE(plain);
  EXPECT_TRUE(plain->warnings.empty());
  EXPECT_EQ(ChannelOf(testing::ReadAllSamples(*plain->reader), 0).at(100), static_cast<float>(ramp[100]) / 32768.0F);
}

using Iq = std::vector<std::complex<double>>;
using testing::IqForm;

InputSpec IqSpec(const std::filesystem::path& path, IqForm form, int rate, double dialHz) {
  InputSpec spec{.path = path.string(), .iq = true, .iqDialHz = dialHz};
  if (form != IqForm::kWav) {
    spec.iqFormat = form == IqForm::kCu8 ? IqFormat::kCu8 : form == IqForm::kCs16 ? IqFormat::kCs16 : IqFormat::kCf32;
    spec.iqRate = rate;
  }
  return spec;
}

std::vector<int16_t> ReadIq(const InputSpec& spec) {
  std::string error;
  auto input = OpenInputSource(spec, error);
  EXPECT_TRUE(input) << error;
  if (!input) return {};
  EXPECT_EQ(input->channels, 1);
  return testing::ReadAllSamples(*input->reader);
}

// Tones at dial + 1000 Hz (wanted), dial - 1700 Hz (the lower sideband) and
// dial + 4500 Hz (beyond the 3 kHz sideband).
TEST(IqInput, TheUpperSidebandIsTheAudioTheLowerAndTheRestAreGone) {
  struct Case {
    IqForm form;
    int rate;
    double dialHz;
  };
  const Case cases[] = {
      {IqForm::kCs16, 12000, 0},   {IqForm::kCu8, 250000, 61000}, {IqForm::kCf32, 48000, -9000},
      {IqForm::kWav, 8000, -3990}, {IqForm::kCf32, 96000, 20000},
  };
  testing::TempDir dir;
  constexpr double kSeconds = 2.0;
  constexpr double kAmplitude = 0.3;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "form " << static_cast<int>(c.form) << ", " << c.rate << " Hz, dial "
                                      << c.dialHz);
    Iq iq(static_cast<std::size_t>(kSeconds * c.rate));
    for (std::size_t n = 0; n < iq.size(); ++n) {
      const double t = static_cast<double>(n) / c.rate;
      for (const double hz : {c.dialHz + 1000, c.dialHz - 1700, c.dialHz + 4500}) {
        if (std::abs(hz) < c.rate / 2.0) iq[n] += std::polar(kAmplitude, 2.0 * std::numbers::pi * hz * t);
      }
    }
    const auto frames =
        ReadIq(IqSpec(testing::WriteIq(dir.path() / "iq", iq, c.form, c.rate), c.form, c.rate, c.dialHz));
    EXPECT_NEAR(static_cast<double>(frames.size() / 2), kSeconds * kSampleRate, 0.001 * kSampleRate);
    const auto audio = testing::ChannelOf(frames, 0);
    const auto right = testing::ChannelOf(frames, 1);
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](float x) { return x == 0; })) << "channel B is off";
    const auto middle = std::span(audio).subspan(kSampleRate / 2, kSampleRate);
    const auto wanted = testing::FitTone(middle, 1000);
    EXPECT_NEAR(wanted.amplitude, kAmplitude, 0.03 * kAmplitude);
    // Rejected 50 dB down, and nothing else left (8-bit samples are noisy).
    EXPECT_LT(testing::FitTone(middle, 1700).amplitude, kAmplitude * 3e-3);
    EXPECT_LT(testing::FitTone(middle, 4500).amplitude, kAmplitude * 3e-3);
    EXPECT_LT(wanted.residualRms, kAmplitude * (c.form == IqForm::kCu8 ? 3e-2 : 5e-3));
  }
}

TEST(IqInput, RefusesWhatCannotBeIq) {
  testing::TempDir dir;
  const auto mono = testing::WriteSoundFile(dir.path() / "mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 12000, 1,
                                            std::vector<int16_t>{1, 2});
  const auto stereo = testing::WriteSoundFile(dir.path() / "iq.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 12000, 2,
                                              std::vector<int16_t>{1, 2});
  struct Case {
    InputSpec spec;
    const char* says;
  };
  const Case cases[] = {
      {{.path = mono.string(), .iq = true}, "two channels"},
      {{.path = stereo.string(), .iq = true, .iqRate = 48000}, "12000 Hz"},
      {{.path = stereo.string(), .iq = true, .iqDialHz = 3001}, "upper sideband"},
      {{.path = stereo.string(), .iq = true, .iqDialHz = -6001}, "upper sideband"},
      {{.path = stereo.string(), .iq = true, .iqFormat = IqFormat::kCs16}, "--iq-rate"},
      {{.path = (dir.path() / "none.cu8").string(), .iq = true, .iqFormat = IqFormat::kCu8, .iqRate = 1e6},
       "cannot be read"},
      {{.path = "udp:7355", .iq = true}, "not I/Q"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(OpenInputSource(c.spec, error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace talvir
