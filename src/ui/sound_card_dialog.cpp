#include "ui/sound_card_dialog.h"

#include <QComboBox>
#include <QRadioButton>
#include <array>

#include "audio/portaudio_driver.h"
#include "ui/settings_dialogs_layout.h"

namespace talvir {
namespace {

// In the order of the inputLine values.
constexpr std::array<int, 3> kInputLineButtons = {sound_card_dialog::kMicInput, sound_card_dialog::kLineInput,
                                                  sound_card_dialog::kMixerInput};

}  // namespace

CDialogSoundCard::CDialogSoundCard(Settings& settings, const std::vector<std::string>& deviceNames, QWidget* parent)
    : TemplateDialog(kSoundCardDialog, parent), settings_(settings) {
  const int32_t line = settings_.Get(&SettingsRecord::inputLine);
  for (int value = 0; value < static_cast<int>(kInputLineButtons.size()); ++value) {
    auto* button = controlAs<QRadioButton>(kInputLineButtons[static_cast<std::size_t>(value)]);
    button->setAutoExclusive(true);
    button->setChecked(value == line);
  }
  auto* list = controlAs<QComboBox>(sound_card_dialog::kDeviceList);
  const std::string stored = settings_.Text(&SettingsRecord::soundCardName);
  int selected = -1;
  for (const std::string& name : deviceNames) {
    if (MatchesProductName(name, stored)) selected = list->count();  // the last match
    list->addItem(QString::fromStdString(name));
  }
  list->setCurrentIndex(selected);
  // With nothing chosen, capture takes the system's default input.
  list->setPlaceholderText(deviceNames.empty() ? QStringLiteral("No capture device found: the default input is used")
                                               : QStringLiteral("The default input"));
}

void CDialogSoundCard::Store() {
  for (int value = 0; value < static_cast<int>(kInputLineButtons.size()); ++value) {
    if (IsChecked(kInputLineButtons[static_cast<std::size_t>(value)])) settings_.Set(&SettingsRecord::inputLine, value);
  }
  const auto* list = controlAs<QComboBox>(sound_card_dialog::kDeviceList);
  // The field keeps the first 31 characters.
  if (list->currentIndex() >= 0) settings_.SetText(&SettingsRecord::soundCardName, list->currentText().toStdString());
}

std::vector<std::string> CaptureDeviceNames() {
  const PortAudioSession session;
  std::vector<std::string> names;
  for (const CaptureDevice& device : ListCaptureDevices(session)) names.push_back(device.name);
  return names;
}

}  // namespace talvir

namespace talvir {

std::string ChosenDeviceName(const std::vector<std::string>& deviceNames, const std::string& storedName) {
  std::string chosen = storedName;
  for (const std::string& name : deviceNames) {
    if (MatchesProductName(name, storedName)) chosen = name;
  }
  return chosen;
}

}  // namespace talvir
