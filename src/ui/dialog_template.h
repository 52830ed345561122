#pragma once
// Dialog layouts as data: each control's id, kind, text and rectangle in
// dialog units, turned into widgets by one builder. A dialog unit is a
// quarter of the font's average character width across and an eighth of its
// height down, so layouts keep their proportions whatever the screen.

#include <QFont>
#include <QRect>
#include <QWidget>
#include <span>
#include <string_view>
#include <unordered_map>

namespace talvir {

enum class ControlKind {
  kStaticBox,         // an empty frame that something draws into
  kUpDown,
  kReadOnlyLine,
  kStaticText,
  kCentredText,
  kMultiLineEdit,     // read-only, vertical scroll bar
  kReadOnlyText,      // multi-line, read-only, no scroll bar
  kTextBlock,         // multi-line static text, top left, wrapped
  kEdit,
  kRadioButton,       // its dialog groups it with its row
  kRadioButtonLeftText,
  kDropDownList,
  kIcon,              // the application's icon
  kListBox,
  kGroupBox,
  kCheckBox,
  kButton,
  kDefaultButton,
  kHiddenButton,
};

// The framework's ids of the OK and Cancel buttons.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A control with no id of its own (captions, group frames).
inline constexpr int kNoControlId = -1;

struct ControlSpec {
  int id;
  ControlKind kind;
  const char* text;
  int x, y, w, h;  // dialog units
};

// Every dialog's font: 8-point Arial, or its metric twin Liberation Sans.
QFont DialogFont();
// The same face for text drawn on the off-screen surfaces, in whole pixels of
// the surface's colours.
QFont SurfaceFont();

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

  QRect ToPixels(int x, int y, int w, int h) const;
  QSize ToPixels(int w, int h) const { return ToPixels(0, 0, w, h).size(); }
  int baseX() const { return baseX_; }
  int baseY() const { return baseY_; }

 private:
  int baseX_;  // average character width, pixels
  int baseY_;  // character height, pixels
};

// Text for a control: bytes as Latin-1, each CR LF one line end.
QString ControlText(std::string_view text);

// The widgets made, by control id (controls without one are not listed).
using DialogControls = std::unordered_map<int, QWidget*>;

// Makes each control a child of parent, placed and sized in pixels.
DialogControls BuildDialogControls(QWidget& parent, std::span<const ControlSpec> layout, const DialogUnits& units);

}  // namespace talvir
