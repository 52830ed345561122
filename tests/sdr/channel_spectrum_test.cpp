// The waterfall of a band's chosen channel: the channel's baseband turned
// back into a receiver's audio, a spectrum column at a time.

#include "app/channel_spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "support/recording_ui_link.h"

namespace talvir {
namespace {

constexpr double kRate = 7200;  // the lowest channel rate

TEST(ChannelSpectrum, TheCarrierComesOutAt1440HzInWholeColumnsOfTheShownChannel) {
  testing::RecordingUiLink ui;
  ChannelSpectrum spectrum(ui);
  EXPECT_EQ(spectrum.TappedChannel(), 0);
  // A steady carrier on the channel's frequency is DC in its baseband.
  const std::vector<std::complex<float>> carrier(300, {0.5F, 0.0F});
  spectrum.OnTappedBaseband(carrier, kRate);
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
        0.05F * std::sqrt(2.0F) * static_cast<float>(std::cos(2 * std::numbers::pi * 1440.0 * k / kRate));
    ASSERT_NEAR(ui.spectrum[k / ChannelSpectrum::kPoints].samples[k % ChannelSpectrum::kPoints], expected, 1e-3F) << k;
  }
  // A channel a hundred times weaker comes out alike: an SDR's levels are
  // not a receiver's.
  const std::vector<std::complex<float>> weak(2 * ChannelSpectrum::kPoints, {0.005F, 0.0F});
  ChannelSpectrum quiet(ui);
  quiet.OnTappedBaseband(weak, kRate);
  for (std::size_t k = 0; k < ChannelSpectrum::kPoints; ++k)
    ASSERT_NEAR(ui.spectrum[2].samples[k], ui.spectrum[0].samples[k], 1e-3F) << k;
  ui.spectrum.resize(2);

  // Another channel chosen: what waited of the first is dropped, not drawn
  // as the new one's.
  spectrum.Show(3);
  EXPECT_EQ(spectrum.TappedChannel(), 3);
  spectrum.OnTappedBaseband(std::span(carrier).first(100), kRate);
  EXPECT_EQ(ui.spectrum.size(), 2u);
  spectrum.OnTappedBaseband(std::span(carrier).first(28), kRate);
  EXPECT_EQ(ui.spectrum.size(), 3u);
}

}  // namespace
}  // namespace talvir
