#include "ui/dialog_template.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/application_icon.h"
#include "ui/up_down_control.h"

namespace talvir {
namespace {

constexpr int kDialogFontPoints = 8;
constexpr int kIconPixels = 32;
// Check boxes given only a position take the width of their text.
constexpr int kCheckBoxDefaultHeight = 10;

QWidget* MakeControl(QWidget& parent, const ControlSpec& spec) {
  const QString text = QString::fromUtf8(spec.text);
  switch (spec.kind) {
    case ControlKind::kStaticBox: {
      auto* box = new QFrame(&parent);
      box->setFrameShape(QFrame::NoFrame);
      return box;
    }
    case ControlKind::kUpDown: return new UpDownControl(&parent);
    case ControlKind::kReadOnlyLine: {
      auto* line = new QLineEdit(text, &parent);
      line->setReadOnly(true);
      return line;
    }
    case ControlKind::kStaticText: return new QLabel(text, &parent);
    case ControlKind::kCentredText: {
      auto* label = new QLabel(text, &parent);
      label->setAlignment(Qt::AlignCenter);
      return label;
    }
    case ControlKind::kMultiLineEdit: {
      auto* edit = new QPlainTextEdit(text, &parent);
      edit->setReadOnly(true);
      edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      return edit;
    }
    case ControlKind::kReadOnlyText: {
      auto* edit = new QPlainTextEdit(text, &parent);
      edit->setReadOnly(true);
      edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      return edit;
    }
    case ControlKind::kTextBlock: {
      auto* label = new QLabel(text, &parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::kEdit: return new QLineEdit(text, &parent);
    case ControlKind::kRadioButton:
    case ControlKind::kRadioButtonLeftText: {
      auto* radio = new QRadioButton(text, &parent);
      radio->setAutoExclusive(false);
      if (spec.kind == ControlKind::kRadioButtonLeftText) radio->setLayoutDirection(Qt::RightToLeft);
      return radio;
    }
    case ControlKind::kDropDownList: return new QComboBox(&parent);
    case ControlKind::kIcon: {
      auto* icon = new QLabel(&parent);
      icon->setPixmap(ApplicationIcon().pixmap(kIconPixels, kIconPixels));
      return icon;
    }
    case ControlKind::kListBox: return new QListWidget(&parent);
    case ControlKind::kGroupBox: {
      // The caption sits on the frame's top line, as dialog templates place
      // their contents below it.
      auto* group = new QGroupBox(text, &parent);
      group->setStyleSheet(QStringLiteral("QGroupBox { margin-top: 0.5em; border: 1px solid palette(mid); }"
                                          "QGroupBox::title { subcontrol-origin: margin; left: 4px; padding: 0 2px; }"));
      return group;
    }
    case ControlKind::kCheckBox: return new QCheckBox(text, &parent);
    case ControlKind::kButton: return new QPushButton(text, &parent);
    case ControlKind::kDefaultButton: {
      auto* button = new QPushButton(text, &parent);
      button->setDefault(true);
      return button;
    }
    case ControlKind::kHiddenButton: {
      auto* button = new QPushButton(text, &parent);
      button->setVisible(false);
      return button;
    }
  }
  return nullptr;
}

}  // namespace

QFont DialogFont() {
  QFont font(QStringLiteral("Arial"), kDialogFontPoints);
  // Liberation Sans has Arial's metrics; fontconfig substitutes it, and the
  // hint keeps a sans face where neither is installed.
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QFont SurfaceFont() {
  QFont font = DialogFont();
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QString ControlText(std::string_view text) {
  QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  shown.remove(QLatin1Char('\r'));
  return shown;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 letters, rounded to the nearest pixel.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = (letters / 26 + 1) / 2;
  baseY_ = metrics.height();
}

QRect DialogUnits::ToPixels(int x, int y, int w, int h) const {
  // Edges are converted, not sizes, so adjacent controls stay adjacent.
  const auto across = [this](int units) { return (units * baseX_ + 2) / 4; };
  const auto down = [this](int units) { return (units * baseY_ + 4) / 8; };
  const int left = across(x);
  const int top = down(y);
  return QRect(left, top, across(x + w) - left, down(y + h) - top);
}

DialogControls BuildDialogControls(QWidget& parent, std::span<const ControlSpec> layout, const DialogUnits& units) {
  DialogControls controls;
  for (const ControlSpec& spec : layout) {
    QWidget* control = MakeControl(parent, spec);
    control->setFont(parent.font());
    QRect place = units.ToPixels(spec.x, spec.y, spec.w, spec.h);
    if (spec.kind == ControlKind::kCheckBox && spec.w == 0) {
      place.setSize(QSize(control->sizeHint().width(), units.ToPixels(0, kCheckBoxDefaultHeight).height()));
    }
    control->setGeometry(place);
    if (spec.id != kNoControlId) {
      control->setObjectName(QString::number(spec.id));
      controls.emplace(spec.id, control);
    }
  }
  return controls;
}

}  // namespace talvir
