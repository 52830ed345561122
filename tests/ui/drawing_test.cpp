// The waterfall column, the slot strip and the constellation box, pixel by
// pixel.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "qt_test_app.h"
#include "ui/constellation_surface.h"
#include "ui/spectrum_column.h"
#include "ui/waterfall_surface.h"

namespace talvir {
namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kBlue = 0xFF0000FF;

std::vector<float> Tone(double hertz, float amplitude) {
  std::vector<float> samples(kSpectrumPoints * 2);
  for (std::size_t n = 0; n < samples.size(); ++n) {
    samples[n] = amplitude * static_cast<float>(std::cos(2.0 * std::numbers::pi * hertz * static_cast<double>(n) / 48000.0));
  }
  return samples;
}

TEST(SpectrumColumn, SilenceIsBlackAndAToneLightsItsRow) {
  SpectrumColumn column;
  column.Process(std::vector<float>(kSpectrumPoints, 0.0f), 4.0f);
  for (float level : column.levels()) EXPECT_EQ(level, 0.0f);

  // Row i shows (64 - i) × 375 Hz: 3000 Hz is row 56.
  column.Process(Tone(3000.0, 1000.0f), 4.0f);
  const auto& levels = column.levels();
  const auto peak = std::max_element(levels.begin(), levels.end()) - levels.begin();
  EXPECT_EQ(peak, 56);
  // Against a plain DFT of the tapered block.
  for (int i = 0; i < kSpectrumRows; ++i) {
    std::complex<double> bin = 0.0;
    for (int n = 0; n < kSpectrumPoints; ++n) {
      const double window = 0.54 + 0.46 * std::cos(std::numbers::pi * (n - 64) / 128.0);
      bin += static_cast<double>(Tone(3000.0, 1000.0f)[static_cast<std::size_t>(n)]) * window *
             std::polar(1.0, -2.0 * std::numbers::pi * n * (64 + i) / kSpectrumPoints);
    }
    EXPECT_NEAR(levels[i], 80.0 * std::log10(std::norm(bin) + 1.0), 0.05) << "row " << i;
  }
  // Gain scales the level, not the shape.
  const float atFour = levels[56];
  column.Process(Tone(3000.0, 1000.0f), 1.0f);
  EXPECT_NEAR(column.levels()[56], atFour / 4.0f, 1e-3f);
}

class WaterfallTest : public ::testing::Test {
 protected:
  WaterfallTest() { testing::QtTestApp(); }
  std::array<float, kSpectrumRows> Levels(float value) {
    std::array<float, kSpectrumRows> levels;
    levels.fill(value);
    return levels;
  }
  WaterfallSurface surface{QSize(40, 86)};
};

TEST_F(WaterfallTest, ColumnsEnterAtTheLeftScrollRightAndSaturate) {
  surface.DrawColumn(Levels(300.0f), {}, false);
  EXPECT_EQ(surface.image().pixel(2, 10), 0xFFFFFFFF);
  surface.DrawColumn(Levels(100.9f), {}, false);
  EXPECT_EQ(surface.image().pixel(2, 10), qRgb(100, 100, 100));
  EXPECT_EQ(surface.image().pixel(3, 10), 0xFFFFFFFF);
  // Without HFDL there is no strip.
  for (int y = kSpectrumRows; y < 86; ++y) EXPECT_EQ(surface.image().pixel(2, y), kBlack);
}

TEST_F(WaterfallTest, SlotStripMarksBoundariesAndNumbersTheSlotMidwayWhenThereIsRoom) {
  SlotStripState strip{.hfdl = true, .currentSlot = 0};
  strip.assignments.fill(0xFE);
  strip.assignments[5] = 0x23;  // assigned to an aircraft
  // Slot 0 is where the comparison starts: no boundary yet.
  surface.DrawColumn(Levels(0.0f), strip, false);
  EXPECT_EQ(surface.image().pixel(2, 70), kBlack);
  strip.currentSlot = 5;
  surface.DrawColumn(Levels(0.0f), strip, false);
  EXPECT_EQ(surface.image().pixel(2, 0), kBlue);
  EXPECT_EQ(surface.image().pixel(2, 85), kBlue);
  // The previous slot had 1 column: the number comes with the 5th column
  // (count 4 = 1 / 2 + 4), brown for an assigned slot.
  for (int i = 0; i < 4; ++i) surface.DrawColumn(Levels(0.0f), strip, false);
  const QImage strip5 = surface.image().copy(4, kSpectrumRows, 10, 22);
  EXPECT_EQ(strip5.pixelColor(0, 0), QColor(Qt::black));
  bool brown = false;
  for (int y = 0; y < strip5.height(); ++y) {
    for (int x = 0; x < strip5.width(); ++x) brown = brown || strip5.pixel(x, y) == qRgb(200, 100, 0);
  }
  EXPECT_TRUE(brown);

  // A slot change at every column draws boundaries but no number.
  WaterfallSurface busy{QSize(40, 86)};
  for (int column = 1; column <= 30; ++column) {
    strip.currentSlot = column % 13;
    busy.DrawColumn(Levels(0.0f), strip, true);
  }
  for (int x = 2; x < 32; ++x) {
    for (int y = kSpectrumRows; y < 85; ++y) {
      const QRgb pixel = busy.image().pixel(x, y);
      EXPECT_TRUE(pixel == kBlue || pixel == kBlack) << x << "," << y;
    }
  }
}

TEST(ConstellationSurface, SymbolsAroundTheStarWithCaptions) {
  testing::QtTestApp();
  ConstellationSurface surface(QSize(88, 86));
  ConstellationFrame frame;
  frame.points[0] = {0.1f, 0.0f};   // tip of the right spoke
  frame.points[1] = {0.0f, 0.05f};  // positive imaginary: below the centre
  frame.points[2] = {0.3f, -0.3f};  // outside: clipped
  frame.bottomCaption = "1800bps 1.8s";
  surface.Draw(frame);
  const QImage& image = surface.image();
  const int cx = 44;
  const int cy = 43;
  EXPECT_EQ(image.pixel(cx + 17, cy), qRgb(150, 150, 0));  // the star over the symbol
  EXPECT_EQ(image.pixel(cx, cy + 8), qRgb(150, 150, 0));
  EXPECT_EQ(image.pixel(cx + 10, cy - 4), kBlack);
  // Symbols off the spokes stay light blue.
  frame.points[3] = {0.05f, 0.1f};
  surface.Draw(frame);
  EXPECT_EQ(surface.image().pixel(cx + 8, cy + 17), qRgb(200, 200, 255));
  // Captions are yellow: the bottom one near the foot, none on top.
  bool bottomYellow = false;
  bool topYellow = false;
  for (int x = 0; x < 88; ++x) {
    for (int y = 0; y < 86; ++y) {
      if (surface.image().pixel(x, y) != qRgb(255, 255, 0)) continue;
      (y >= 86 - 15 ? bottomYellow : topYellow) = true;
    }
  }
  EXPECT_TRUE(bottomYellow);
  EXPECT_FALSE(topYellow);
}

}  // namespace
}  // namespace talvir
