#include "ui/settings_dialogs.h"

#include <QRadioButton>
#include <array>

#include "ui/settings_dialogs_layout.h"

namespace talvir {
namespace {

// Names up to the settings field's width less its terminator; the two items
// have the dialog's own, shorter limits.
constexpr int kDdeNameChars = 24;
constexpr int kAcarsItemChars = 20;
constexpr int kOstraleFileNameChars = 79;
constexpr int kMaxTimeoutMinutes = 10000;

using TextField = char (SettingsRecord::*)[25];
struct DdeName {
  int id;
  TextField field;
  int maxChars;
};
constexpr auto kDdeNames = std::to_array<DdeName>({
    {dde_dialog::kHfdlService, &SettingsRecord::hfdlDdeService, kDdeNameChars},
    {dde_dialog::kHfdlTopic, &SettingsRecord::hfdlDdeTopic, kDdeNameChars},
    {dde_dialog::kHfdlItem, &SettingsRecord::hfdlDdeItem, kDdeNameChars},
    {dde_dialog::kAcarsService, &SettingsRecord::acarsDdeService, kDdeNameChars},
    {dde_dialog::kAcarsTopic, &SettingsRecord::acarsDdeTopic, kDdeNameChars},
    {dde_dialog::kAcarsItem, &SettingsRecord::acarsDdeItem, kAcarsItemChars},
});

struct LogfileCheck {
  int id;
  int32_t SettingsRecord::*field;
};
constexpr auto kLogfileChecks = std::to_array<LogfileCheck>({
    {logfile_dialog::kOstraleLogging, &SettingsRecord::ostraleLogging},
    {logfile_dialog::kOstraleSingleFile, &SettingsRecord::ostraleSingleFile},
    {logfile_dialog::kHfdlLogging, &SettingsRecord::hfdlLogging},
});

// Each row's buttons in the order of their values: NONE, VHF, HF.
struct ChannelRow {
  std::array<int, 3> buttonForValue;
  int32_t SettingsRecord::*field;
};
constexpr auto kChannelRows = std::to_array<ChannelRow>({
    {{channel_dialog::kANone, channel_dialog::kAVhf, channel_dialog::kAHf}, &SettingsRecord::channelAMode},
    {{channel_dialog::kBNone, channel_dialog::kBVhf, channel_dialog::kBHf}, &SettingsRecord::channelBMode},
});

struct SpectrumChoice {
  int id;
  SpectrumChannel value;
};
constexpr auto kSpectrumChoices = std::to_array<SpectrumChoice>({
    {spectrum_dialog::kDisabled, kSpectrumOff},
    {spectrum_dialog::kChannelA, kSpectrumChannelA},
    {spectrum_dialog::kChannelB, kSpectrumChannelB},
    {spectrum_dialog::kChannelAB, kSpectrumSum},
});

}  // namespace

CDialogDdeConfig::CDialogDdeConfig(Settings& settings, std::function<void()> save, QWidget* parent)
    : TemplateDialog(kDdeDialog, parent), settings_(settings), save_(std::move(save)) {
  for (const DdeName& name : kDdeNames) SetEditText(name.id, settings_.Text(name.field));
}

bool CDialogDdeConfig::Validate() {
  for (const DdeName& name : kDdeNames) {
    if (!CheckMaxChars(name.id, name.maxChars)) return false;
  }
  return true;
}

void CDialogDdeConfig::Store() {
  for (const DdeName& name : kDdeNames) settings_.SetText(name.field, EditText(name.id));
  save_();
}

CDialogLogfileConfig::CDialogLogfileConfig(Settings& settings, std::function<void()> save, QWidget* parent)
    : TemplateDialog(kLogfileDialog, parent), settings_(settings), save_(std::move(save)) {
  for (const LogfileCheck& check : kLogfileChecks) SetChecked(check.id, settings_.On(check.field));
  SetEditText(logfile_dialog::kOstraleFileName, settings_.Text(&SettingsRecord::ostraleFileName));
}

bool CDialogLogfileConfig::Validate() { return CheckMaxChars(logfile_dialog::kOstraleFileName, kOstraleFileNameChars); }

void CDialogLogfileConfig::Store() {
  for (const LogfileCheck& check : kLogfileChecks) settings_.Set(check.field, IsChecked(check.id) ? 1 : 0);
  settings_.SetText(&SettingsRecord::ostraleFileName, EditText(logfile_dialog::kOstraleFileName));
  save_();
}

CDialogTimeouts::CDialogTimeouts(Settings& settings, QWidget* parent)
    : TemplateDialog(kTimeoutsDialog, parent), settings_(settings) {
  SetEditText(kTimeoutEdit, std::to_string(settings_.Get(&SettingsRecord::aircraftTimeoutMinutes)));
}

bool CDialogTimeouts::Validate() { return ReadInteger(kTimeoutEdit, 0, kMaxTimeoutMinutes, minutes_); }

CDialogChannelConfig::CDialogChannelConfig(Settings& settings, std::function<void()> reopenCapture,
                                           QWidget* parent)
    : TemplateDialog(kChannelDialog, parent), settings_(settings), reopenCapture_(std::move(reopenCapture)) {
  for (int row = 0; row < static_cast<int>(kChannelRows.size()); ++row) {
    const ChannelRow& channel = kChannelRows[static_cast<std::size_t>(row)];
    // A value outside the three leaves the row unchecked.
    const int32_t value = settings_.Get(channel.field);
    for (int choice = 0; choice < 3; ++choice) {
      auto* button = controlAs<QRadioButton>(channel.buttonForValue[static_cast<std::size_t>(choice)]);
      button->setChecked(choice == value);
      connect(button, &QRadioButton::clicked, this, [this, row, channel, choice] {
        for (int other = 0; other < 3; ++other) SetChecked(channel.buttonForValue[static_cast<std::size_t>(other)], other == choice);
        if (choice == kChannelHf) HfChosen(row);
      });
    }
  }
}

void CDialogChannelConfig::HfChosen(int row) {
  // One HFDL modem: the other channel gives HF up.
  const ChannelRow& other = kChannelRows[static_cast<std::size_t>(1 - row)];
  if (!IsChecked(other.buttonForValue[kChannelHf])) return;
  for (int choice = 0; choice < 3; ++choice) SetChecked(other.buttonForValue[static_cast<std::size_t>(choice)], choice == kChannelNone);
}

void CDialogChannelConfig::Store() {
  for (const ChannelRow& channel : kChannelRows) {
    for (int choice = 0; choice < 3; ++choice) {
      if (IsChecked(channel.buttonForValue[static_cast<std::size_t>(choice)])) settings_.Set(channel.field, choice);
    }
  }
  reopenCapture_();
}

CDialogSpectrumChannel::CDialogSpectrumChannel(Settings& settings, QWidget* parent)
    : TemplateDialog(kSpectrumDialog, parent) {
  const int32_t shown = settings.Get(&SettingsRecord::spectrumChannel);
  for (const SpectrumChoice& choice : kSpectrumChoices) {
    auto* button = controlAs<QRadioButton>(choice.id);
    button->setAutoExclusive(true);
    button->setChecked(choice.value == shown);
    // The waterfall follows while the dialog is open; neither button undoes.
    connect(button, &QRadioButton::clicked, this,
            [&settings, value = choice.value] { settings.Set(&SettingsRecord::spectrumChannel, value); });
  }
}

CDialogCriticalWarning::CDialogCriticalWarning(QWidget* parent) : TemplateDialog(kCriticalWarning, parent) {}

CAboutDlg::CAboutDlg(QWidget* parent) : TemplateDialog(kAboutDialog, parent) {}

}  // namespace talvir
