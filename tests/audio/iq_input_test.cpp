// I/Q recordings: the upper sideband above the dial becomes the audio an SSB
// receiver would give, whatever the form, rate and dial. (That it decodes is
// talvir-cli's test of the demo through a pipe.)

#include <gtest/gtest.h>
#include <sndfile.h>

#include <complex>
#include <fstream>
#include <numbers>

#include "audio/input_source.h"
#include "capture_sources.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

using Iq = std::vector<std::complex<double>>;

// The I/Q in each form a file can have it in.
enum class Form { kCu8, kCs16, kCf32, kWav };

std::filesystem::path WriteIq(const std::filesystem::path& dir, const Iq& iq, Form form, int rate) {
  const auto path = dir / ("iq" + std::to_string(static_cast<int>(form)));
  if (form == Form::kWav) {
    std::vector<float> interleaved;
    for (const auto& z : iq) interleaved.insert(interleaved.end(), {static_cast<float>(z.real()), static_cast<float>(z.imag())});
    return testing::WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, interleaved);
  }
  std::ofstream out(path, std::ios::binary);
  auto put = [&](double x) {
    if (form == Form::kCu8) {
      out.put(static_cast<char>(std::lround(127.5 + 127.5 * x)));
    } else if (form == Form::kCs16) {
      const auto v = static_cast<int16_t>(std::lround(32767 * x));
      out.write(reinterpret_cast<const char*>(&v), 2);
    } else {
      const auto v = static_cast<float>(x);
      out.write(reinterpret_cast<const char*>(&v), 4);
    }
  };
  for (const auto& z : iq) {
    put(z.real());
    put(z.imag());
  }
  return path;
}

InputSpec IqSpec(const std::filesystem::path& path, Form form, int rate, double dialHz) {
  InputSpec spec{.path = path.string(), .iq = true, .iqDialHz = dialHz};
  if (form != Form::kWav) {
    spec.iqFormat = form == Form::kCu8 ? IqFormat::kCu8 : form == Form::kCs16 ? IqFormat::kCs16 : IqFormat::kCf32;
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
    Form form;
    int rate;
    double dialHz;
  };
  const Case cases[] = {
      {Form::kCs16, 12000, 0},       {Form::kCu8, 250000, 61000}, {Form::kCf32, 48000, -9000},
      {Form::kWav, 8000, -3990},     {Form::kCf32, 96000, 20000},
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
    const auto frames = ReadIq(IqSpec(WriteIq(dir.path(), iq, c.form, c.rate), c.form, c.rate, c.dialHz));
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
    EXPECT_LT(wanted.residualRms, kAmplitude * (c.form == Form::kCu8 ? 3e-2 : 5e-3));
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
