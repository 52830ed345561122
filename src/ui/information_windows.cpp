#include "ui/information_windows.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/information_windows_layout.h"

namespace talvir {
namespace {

constexpr Qt::WindowFlags kCaptionOnly = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
constexpr Qt::WindowFlags kCaptionAndCloseBox = kCaptionOnly | Qt::WindowCloseButtonHint;

}  // namespace

CDialogSquitters::CDialogSquitters(Settings& settings, const TextFormatters& formatters, QWidget* parent)
    : TemplateDialog(kSquittersWindow, parent), settings_(settings), text_(formatters) {
  setWindowFlags(kCaptionOnly);
  auto* smart = controlAs<QCheckBox>(squitters_window::kSmartDisplay);
  smart->setChecked(settings_.On(&SettingsRecord::squitterSmartDisplay));
  // The text builder reads it on the next squitter.
  connect(smart, &QCheckBox::clicked, this,
          [this](bool checked) { settings_.Set(&SettingsRecord::squitterSmartDisplay, checked ? 1 : 0); });
}

void CDialogSquitters::Refresh(const SquitterHistory::Snapshot& squitters, const std::string& summary) {
  const SquittersWindowFields fields =
      text_.RenderSquittersWindow(squitters, settings_.On(&SettingsRecord::squitterSmartDisplay), summary);
  controlAs<QLabel>(squitters_window::kAcknowledgements)->setText(ControlText(fields.acknowledgements));
  controlAs<QLabel>(squitters_window::kAssignments)->setText(ControlText(fields.assignments));
  controlAs<QLabel>(squitters_window::kGroundStationStatus)->setText(ControlText(fields.groundStationStatus));
  controlAs<QPlainTextEdit>(squitters_window::kStations)->setPlainText(ControlText(fields.stations));
}

CDialogSystemTable::CDialogSystemTable(QWidget* parent) : TemplateDialog(kSystemTableWindow, parent) {
  setWindowFlags(kCaptionOnly);
}

void CDialogSystemTable::SetTableText(const std::string& text) {
  controlAs<QPlainTextEdit>(kInformationText)->setPlainText(ControlText(text));
}

CStatisticsDialog::CStatisticsDialog(std::function<Counters()> read, std::function<void()> reset, QWidget* parent)
    : TemplateDialog(kStatisticsWindow, parent), read_(std::move(read)), reset_(std::move(reset)) {
  setWindowFlags(kCaptionAndCloseBox);
  connect(controlAs<QPushButton>(kStatisticsReset), &QPushButton::clicked, this, [this] {
    reset_();
    Refresh();
  });
  Refresh();
}

void CStatisticsDialog::Refresh() {
  const Counters counters = read_();
  const std::string text = RenderStatisticsWindow(counters) + (following_ ? following_() : std::string());
  controlAs<QPlainTextEdit>(kInformationText)->setPlainText(ControlText(text));
}

void CStatisticsDialog::SetFollowingText(std::function<std::string()> read) {
  following_ = std::move(read);
  Refresh();
}

}  // namespace talvir
