// The channel chain of a band: cutting it into channels, the AM demodulator
// after an airband channel, and the waterfall of a band's chosen channel (its
// baseband turned back into a receiver's audio, a spectrum column at a time).

#include "sdr/channel_cutter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "app/channel_spectrum.h"
#include "sdr/am_demodulator.h"
#include "support/recording_ui_link.h"

namespace talvir {
namespace {

// Each channel's baseband, gathered.
struct Collected final : BasebandSink {
  std::vector<std::vector<std::complex<float>>> channels;
  explicit Collected(std::size_t count) : channels(count) {}
  void OnBaseband(std::size_t channel, std::span<const std::complex<float>> samples) override {
    channels.at(channel).insert(channels.at(channel).end(), samples.begin(), samples.end());
  }
};

std::vector<std::complex<float>> Tones(double rate, std::size_t length,
                                       std::initializer_list<std::pair<double, double>> hzAndAmplitude) {
  std::vector<std::complex<float>> band(length);
  for (std::size_t n = 0; n < length; ++n) {
    std::complex<double> sum;
    for (const auto& [hz, amplitude] : hzAndAmplitude) {
      sum += std::polar(amplitude, 2.0 * std::numbers::pi * hz * static_cast<double>(n) / rate);
    }
    band[n] = std::complex<float>(sum);
  }
  return band;
}

std::unique_ptr<ChannelCutter> MakeCutter(double rate, ChannelShape shape, std::vector<double> offsets) {
  std::string error;
  auto cutter = ChannelCutter::Create(rate, shape, offsets, error);
  EXPECT_NE(cutter, nullptr) << error;
  return cutter;
}

// Worst distance of the output, past the filter's settling, from the one tone
// it should be: amplitude and a phase that runs on evenly across hops.
double WorstToneError(const std::vector<std::complex<float>>& out, double hz, double amplitude, double rate) {
  const std::size_t settled = out.size() / 4;
  const std::complex<double> step = std::polar(1.0, 2.0 * std::numbers::pi * hz / rate);
  std::complex<double> expected = std::complex<double>(out[settled]) / std::abs(std::complex<double>(out[settled])) * amplitude;
  double worst = 0;
  for (std::size_t n = settled; n < out.size(); ++n) {
    worst = std::max(worst, std::abs(std::complex<double>(out[n]) - expected));
    expected *= step;
  }
  return worst;
}

double Rms(const std::vector<std::complex<float>>& out) {
  double sum = 0;
  for (std::size_t n = out.size() / 4; n < out.size(); ++n) sum += std::norm(std::complex<double>(out[n]));
  return std::sqrt(sum / static_cast<double>(out.size() - out.size() / 4));
}

struct Band {
  const char* name;
  double rate;
  ChannelShape shape;
  double spacingHz;  // to the next channel
};

// An airband channel from an RTL-SDR's usual rate, and HFDL channels at two
// rates a modem might take.
const Band kBands[] = {
    {"airband", 2.4e6, {.decimation = 50, .passHz = 7000, .stopHz = 14000}, 25000},
    {"hf 10 kS/s", 250e3, {.decimation = 25, .passHz = 1700, .stopHz = 3200}, 5000},
    {"hf 7353 S/s", 250e3, {.decimation = 34, .passHz = 1700, .stopHz = 3200}, 5000},
};

TEST(ChannelCutter, EachChannelIsItsOwnToneMovedToBasebandAndItsNeighboursAreStopped) {
  for (const Band& band : kBands) {
    SCOPED_TRACE(band.name);
    // Centres off the bin grid on both sides of the band's centre; each
    // channel's tone a little off its centre and at its own level, the other
    // channels' tones one spacing away.
    const std::vector<double> centres = {-3.1 * band.spacingHz, 1234.5, 2.37 * band.spacingHz};
    const double within = band.shape.passHz * 0.6;
    auto cutter = MakeCutter(band.rate, band.shape, centres);
    ASSERT_NE(cutter, nullptr);
    EXPECT_DOUBLE_EQ(cutter->OutputRate(), band.rate / band.shape.decimation);
    const auto input = Tones(band.rate, 40 * cutter->HopSamples(),
                             {{centres[0] + within, 0.5}, {centres[1] - within, 0.05}, {centres[2] + 17.0, 0.01}});
    Collected out(3);
    cutter->Process(input, out);
    const double outRate = cutter->OutputRate();
    for (const auto& channel : out.channels) EXPECT_EQ(channel.size(), 40 * cutter->HopSamples() / band.shape.decimation);
    // 0.01 dB of ripple is 0.1 % of the amplitude; the other tones are 70 dB
    // down, 0.03 % of theirs.
    EXPECT_LT(WorstToneError(out.channels[0], within, 0.5, outRate), 0.5 * 2e-3);
    EXPECT_LT(WorstToneError(out.channels[1], -within, 0.05, outRate), 0.05 * 2e-3 + 0.5 * 4e-4);
    EXPECT_LT(WorstToneError(out.channels[2], 17.0, 0.01, outRate), 0.01 * 2e-3 + 0.5 * 4e-4);

    // A neighbour one spacing away is stopped: either side, and where a
    // decimated neighbour would fold onto the centre.
    auto alone = MakeCutter(band.rate, band.shape, {0.0});
    Collected stopped(1);
    alone->Process(Tones(band.rate, 30 * alone->HopSamples(),
                         {{band.spacingHz, 1.0}, {-band.spacingHz, 1.0}, {outRate + 100.0, 1.0}}),
                   stopped);
    EXPECT_LT(20 * std::log10(Rms(stopped.channels[0])), -65.0);
  }
}

TEST(ChannelCutter, SameOutputHoweverTheBandArrivesInPieces) {
  const Band& band = kBands[0];
  auto whole = MakeCutter(band.rate, band.shape, {-50000.0, 130000.0});
  auto pieces = MakeCutter(band.rate, band.shape, {-50000.0, 130000.0});
  const auto input = Tones(band.rate, 5 * whole->HopSamples() + 777, {{-47000.0, 0.3}, {131000.0, 0.2}});
  Collected a(2), b(2);
  whole->Process(input, a);
  std::span<const std::complex<float>> rest(input);
  for (std::size_t piece = 1; !rest.empty(); piece = piece * 3 + 1) {
    const std::size_t take = std::min(rest.size(), piece);
    pieces->Process(rest.first(take), b);
    rest = rest.subspan(take);
  }
  EXPECT_EQ(a.channels, b.channels);
  EXPECT_EQ(a.channels[0].size(), 5 * whole->HopSamples() / band.shape.decimation);
}

TEST(ChannelCutter, RefusesWhatCannotBeCutAndDecimatesToAtLeastTheRateAsked) {
  std::string error;
  const std::vector<double> centre = {0.0};
  EXPECT_EQ(ChannelCutter::Create(0.0, kBands[0].shape, centre, error), nullptr);
  EXPECT_EQ(ChannelCutter::Create(2.4e6, {.decimation = 0, .passHz = 7000, .stopHz = 14000}, centre, error), nullptr);
  // The stop edge beyond what the channel rate can hold without folding.
  EXPECT_EQ(ChannelCutter::Create(2.4e6, {.decimation = 50, .passHz = 7000, .stopHz = 42000}, centre, error), nullptr);
  EXPECT_EQ(ChannelCutter::Create(2.4e6, {.decimation = 50, .passHz = 7000, .stopHz = 7000}, centre, error), nullptr);
  const std::vector<double> outside = {0.0, 1.195e6};
  EXPECT_EQ(ChannelCutter::Create(2.4e6, kBands[0].shape, outside, error), nullptr);
  EXPECT_NE(error.find("1.195e+06 Hz"), std::string::npos) << error;
  // The decimation keeps the rate at least as asked.
  EXPECT_EQ(DecimationFor(2.4e6, 48000), 50);
  EXPECT_EQ(DecimationFor(2.048e6, 48000), 42);
  EXPECT_EQ(DecimationFor(250e3, 7200), 34);
  EXPECT_EQ(DecimationFor(8000, 48000), 1);
}

constexpr double kRate = 48000;

// A carrier of `level` carrying a 1200 Hz tone at `depth`.
std::vector<std::complex<float>> AmTone(float level, double depth, std::size_t length) {
  std::vector<std::complex<float>> in(length);
  for (std::size_t n = 0; n < length; ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double envelope = static_cast<double>(level) * (1.0 + depth * std::sin(2 * std::numbers::pi * 1200 * t));
    in[n] = std::complex<float>(std::polar(envelope, 0.3 + 2 * std::numbers::pi * 700 * t));
  }
  return in;
}

// Peak of the audio after the carrier follower has settled.
float SettledPeak(const std::vector<float>& audio) {
  float peak = 0;
  for (std::size_t n = audio.size() / 2; n < audio.size(); ++n) peak = std::max(peak, std::abs(audio[n]));
  return peak;
}

TEST(AmDemodulator, AudioFollowsTheDepthWhateverTheCarrierLevelAndBadSamplesLeaveNoNan) {
  for (const float level : {1e-4f, 0.02f, 0.9f}) {
    SCOPED_TRACE(level);
    const auto in = AmTone(level, 0.5, 4800);
    std::vector<float> audio(in.size());
    AmDemodulator am(kRate);
    am.Process(in, audio);
    EXPECT_NEAR(SettledPeak(audio), 0.5f * AmDemodulator::kFullDepthLevel, 0.02f);
    // The carrier is gone: no DC is left.
    double sum = 0;
    for (std::size_t n = 2400; n < 4800; ++n) sum += static_cast<double>(audio[n]);
    EXPECT_NEAR(sum / 2400, 0.0, 0.005);
  }
  // Silence and bad samples give quiet audio, not NaN.
  AmDemodulator am(kRate);
  std::vector<std::complex<float>> in(960);
  std::vector<float> audio(in.size(), 1.0f);
  am.Process(in, audio);
  for (const float sample : audio) EXPECT_EQ(sample, 0.0f);
  // A NaN in a file must not stay in the carrier for good.
  in = AmTone(0.1f, 0.5, 4800);
  in[10] = {std::nanf(""), 0.0f};
  audio.assign(in.size(), 0.0f);
  am.Process(in, audio);
  for (const float sample : audio) ASSERT_TRUE(std::isfinite(sample));
  EXPECT_NEAR(SettledPeak(audio), 0.5f * AmDemodulator::kFullDepthLevel, 0.02f);
}

constexpr double kLowestChannelRate = 7200;  // the lowest channel rate

TEST(ChannelSpectrum, TheCarrierComesOutAt1440HzInWholeColumnsOfTheShownChannel) {
  testing::RecordingUiLink ui;
  ChannelSpectrum spectrum(ui);
  EXPECT_EQ(spectrum.TappedChannel(), 0);
  // A steady carrier on the channel's frequency is DC in its baseband.
  const std::vector<std::complex<float>> carrier(300, {0.5F, 0.0F});
  spectrum.OnTappedBaseband(carrier, kLowestChannelRate);
  ASSERT_EQ(ui.spectrum.size(), 2u);  // 300 samples: two columns, 44 waiting
  for (const auto& post : ui.spectrum) {
    ASSERT_EQ(post.samples.size(), ChannelSpectrum::kPoints);
    EXPECT_EQ(post.channel, 0);
  }
  // The receiver's audio: the carrier at 1440 Hz at the level of a
  // receiver's line output, its phase running on from column to column (a
  // jump would smear the waterfall).
  for (std::size_t k = 0; k < 2 * ChannelSpectrum::kPoints; ++k) {
    const float expected =
        0.05F * std::sqrt(2.0F) * static_cast<float>(std::cos(2 * std::numbers::pi * 1440.0 * k / kLowestChannelRate));
    ASSERT_NEAR(ui.spectrum[k / ChannelSpectrum::kPoints].samples[k % ChannelSpectrum::kPoints], expected, 1e-3F) << k;
  }
  // A channel a hundred times weaker comes out alike: an SDR's levels are
  // not a receiver's.
  const std::vector<std::complex<float>> weak(2 * ChannelSpectrum::kPoints, {0.005F, 0.0F});
  ChannelSpectrum quiet(ui);
  quiet.OnTappedBaseband(weak, kLowestChannelRate);
  for (std::size_t k = 0; k < ChannelSpectrum::kPoints; ++k)
    ASSERT_NEAR(ui.spectrum[2].samples[k], ui.spectrum[0].samples[k], 1e-3F) << k;
  ui.spectrum.resize(2);

  // Another channel chosen: what waited of the first is dropped, not drawn
  // as the new one's.
  spectrum.Show(3);
  EXPECT_EQ(spectrum.TappedChannel(), 3);
  spectrum.OnTappedBaseband(std::span(carrier).first(100), kLowestChannelRate);
  EXPECT_EQ(ui.spectrum.size(), 2u);
  spectrum.OnTappedBaseband(std::span(carrier).first(28), kLowestChannelRate);
  EXPECT_EQ(ui.spectrum.size(), 3u);
}

}  // namespace
}  // namespace talvir
