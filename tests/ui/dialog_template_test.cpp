#include "ui/dialog_template.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>

#include "qt_test_app.h"
#include "ui/information_windows_layout.h"
#include "ui/main_dialog_layout.h"
#include "ui/settings_dialogs_layout.h"

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

}  // namespace
}  // namespace talvir
