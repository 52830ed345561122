// What the window is built from: its dialog templates and their units, and
// the waterfall column, the slot strip and the constellation box, pixel by
// pixel.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "qt_test_app.h"
#include "ui/constellation_surface.h"
#include "ui/dialog_template.h"
#include "ui/information_windows_layout.h"
#include "ui/main_dialog_layout.h"
#include "ui/settings_dialogs_layout.h"
#include "ui/spectrum_column.h"
#include "ui/waterfall_surface.h"

namespace talvir {
namespace {

TEST(DialogUnits, QuarterCharacterAcrossEighthDownRoundedAtTheEdgesOfTheEightPointFace) {
  const DialogUnits units(6, 13);
  EXPECT_EQ(units.ToPixels(4, 0, 385, 53), QRect(6, 0, 578, 86));
  // Adjacent controls stay adjacent: one's right edge is the next's left.
  const QRect left = units.ToPixels(4, 55, 333, 12);
  const QRect right = units.ToPixels(337, 55, 20, 12);
  EXPECT_EQ(left.right() + 1, right.left());
  EXPECT_EQ(units.ToPixels(465, 267), QSize(698, 434));

  // They come from the eight-point sans face.
  testing::QtTestApp();
  const QFont font = DialogFont();
  EXPECT_EQ(font.pointSize(), 8);
  EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans") << "fonts-liberation is what scripts/install-deps installs";
  const DialogUnits fontUnits(font);
  // 8-point Arial at 96 dots per inch.
  EXPECT_EQ(fontUnits.baseX(), 6);
  EXPECT_GE(fontUnits.baseY(), 12);
  EXPECT_LE(fontUnits.baseY(), 14);
}

TEST(DialogTemplate, BuildsEveryControlOfTheMainWindowWhereTheLayoutSays) {
  testing::QtTestApp();
  QWidget parent;
  const DialogUnits units(6, 13);
  const DialogControls controls = BuildDialogControls(parent, kMainDialogLayout, units);
  // Every control with an id is listed; captions and group frames are not.
  EXPECT_EQ(controls.size(), kMainDialogLayout.size() - 3);
  EXPECT_EQ(parent.children().size(), static_cast<qsizetype>(kMainDialogLayout.size()));
  EXPECT_EQ(controls.at(main_dialog::kFlightList)->geometry(), units.ToPixels(338, 67, 55, 193));
  auto* clear = qobject_cast<QPushButton*>(controls.at(main_dialog::kClearText));
  ASSERT_NE(clear, nullptr);
  EXPECT_EQ(clear->text(), "Clear Text");
  EXPECT_TRUE(controls.at(main_dialog::kHelp)->isHidden());
  for (const DisplayCheckBox& box : kDisplayCheckBoxes) {
    auto* check = qobject_cast<QCheckBox*>(controls.at(box.id));
    ASSERT_NE(check, nullptr) << box.id;
    // Given only a position: as wide as its text, one 10-unit line high.
    EXPECT_EQ(check->width(), check->sizeHint().width());
    EXPECT_EQ(check->height(), units.ToPixels(0, 10).height());
  }
  const auto groups = parent.findChildren<QGroupBox*>();
  ASSERT_EQ(groups.size(), 2);
  EXPECT_EQ(groups[1]->title(), "Display");
  EXPECT_EQ(groups[1]->geometry(), units.ToPixels(397, 110, 63, 103));
}

// Every template's controls lie inside the dialog and, groups aside, none
// covers another: caught a Squitters window whose texts ran off its bottom.
TEST(DialogTemplate, EveryDialogsControlsFitAndDoNotOverlap) {
  for (const DialogTemplate& layout : {kDdeDialog, kLogfileDialog, kTimeoutsDialog, kChannelDialog, kSpectrumDialog,
                                       kCriticalWarning, kSoundCardDialog, kAboutDialog, kSquittersWindow,
                                       kSystemTableWindow, kStatisticsWindow}) {
    const QRect dialog(0, 0, layout.width, layout.height);
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
      const ControlSpec& a = layout.controls[i];
      const QRect placeA(a.x, a.y, a.w, a.h);
      EXPECT_TRUE(dialog.contains(placeA)) << layout.caption << ": " << a.text;
      if (a.kind == ControlKind::kGroupBox) continue;
      for (std::size_t j = i + 1; j < layout.controls.size(); ++j) {
        const ControlSpec& b = layout.controls[j];
        if (b.kind == ControlKind::kGroupBox) continue;
        EXPECT_FALSE(placeA.intersects(QRect(b.x, b.y, b.w, b.h))) << layout.caption << ": " << a.text << " / " << b.text;
      }
    }
  }
}

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

  // Against a plain DFT of the tapered block: row i shows (64 - i) × 375 Hz,
  // 3000 Hz is row 56.
  column.Process(Tone(3000.0, 1000.0f), 4.0f);
  const auto& levels = column.levels();
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
