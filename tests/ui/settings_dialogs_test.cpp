// The settings dialogs: their limits, what OK and Cancel store, and the
// sound card's capture source as the mixer finds it.

#include "ui/settings_dialogs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <string>
#include <vector>

#include "qt_test_app.h"
#include "ui/alsa_mixer_input.h"
#include "ui/framework_checks.h"
#include "ui/settings_dialogs_layout.h"
#include "ui/sound_card_dialog.h"

namespace talvir {
namespace {

class SettingsDialogsTest : public ::testing::Test {
 protected:
  SettingsDialogsTest() { testing::QtTestApp(); }

  // Types text into the edit box and presses OK; returns the framework's
  // message, empty when OK went through.
  std::string TypeAndOk(TemplateDialog& dialog, int id, const std::string& text) {
    auto* edit = dialog.controlAs<QLineEdit>(id);
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(text));
    const testing::MessageBoxAnswer answer(QMessageBox::Ok);
    QTest::mouseClick(dialog.control(kIdOk), Qt::LeftButton);
    return answer.asked();
  }

  Settings settings_;
  int saves_ = 0;
  std::function<void()> save_ = [this] { ++saves_; };
};

TEST_F(SettingsDialogsTest, DdeNamesAreRefusedOverTheirLimitsAndStoredAndSavedOnOk) {
  settings_.SetText(&SettingsRecord::hfdlDdeService, "SERVICE");
  {
    CDialogDdeConfig dialog(settings_, save_, nullptr);
    EXPECT_EQ(dialog.controlAs<QLineEdit>(dde_dialog::kHfdlService)->text(), "SERVICE");
    EXPECT_EQ(TypeAndOk(dialog, dde_dialog::kHfdlItem, std::string(25, 'i')), "Please enter no more than 24 characters.");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(TypeAndOk(dialog, dde_dialog::kHfdlItem, std::string(24, 'i')), "");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(settings_.Text(&SettingsRecord::hfdlDdeItem), std::string(24, 'i'));
  EXPECT_EQ(saves_, 1);

  CDialogDdeConfig dialog(settings_, save_, nullptr);
  // The ACARS item has a shorter limit; the names the dialog does not limit
  // are still kept within the settings field.
  EXPECT_EQ(TypeAndOk(dialog, dde_dialog::kAcarsItem, std::string(21, 'a')), "Please enter no more than 20 characters.");
  dialog.controlAs<QLineEdit>(dde_dialog::kAcarsItem)->setText("LiveData");
  EXPECT_EQ(TypeAndOk(dialog, dde_dialog::kAcarsTopic, std::string(25, 't')), "Please enter no more than 24 characters.");
  dialog.controlAs<QLineEdit>(dde_dialog::kHfdlService)->setText("CHANGED");
  dialog.reject();
  EXPECT_EQ(settings_.Text(&SettingsRecord::hfdlDdeService), "SERVICE");
  EXPECT_EQ(saves_, 1);
}

TEST_F(SettingsDialogsTest, LogfileNameOver79IsRefusedAndTheBoxesAreStoredOnOk) {
  CDialogLogfileConfig dialog(settings_, save_, nullptr);
  EXPECT_EQ(TypeAndOk(dialog, logfile_dialog::kOstraleFileName, std::string(80, 'n')),
            "Please enter no more than 79 characters.");
  EXPECT_EQ(saves_, 0);
  const int before = settings_.Get(&SettingsRecord::ostraleLogging);
  QTest::mouseClick(dialog.control(logfile_dialog::kOstraleLogging), Qt::LeftButton);
  EXPECT_EQ(settings_.Get(&SettingsRecord::ostraleLogging), before) << "stored only on OK";
  TypeAndOk(dialog, logfile_dialog::kOstraleFileName, "single.log");
  EXPECT_EQ(settings_.Get(&SettingsRecord::ostraleLogging), 1 - before);
  EXPECT_EQ(settings_.Text(&SettingsRecord::ostraleFileName), "single.log");
  EXPECT_EQ(saves_, 1);
}

TEST_F(SettingsDialogsTest, TimeoutIsAnIntegerFromZeroToTenThousandAsTheFrameworkChecksIt) {
  settings_.Set(&SettingsRecord::aircraftTimeoutMinutes, 30);
  CDialogTimeouts dialog(settings_, nullptr);
  EXPECT_EQ(dialog.controlAs<QLineEdit>(kTimeoutEdit)->text(), "30");
  EXPECT_EQ(TypeAndOk(dialog, kTimeoutEdit, "10001"), "Please enter an integer between 0 and 10000.");
  EXPECT_EQ(TypeAndOk(dialog, kTimeoutEdit, "-1"), "Please enter an integer between 0 and 10000.");
  EXPECT_EQ(TypeAndOk(dialog, kTimeoutEdit, "12x"), "Please enter an integer.");
  EXPECT_EQ(settings_.Get(&SettingsRecord::aircraftTimeoutMinutes), 30);
  EXPECT_EQ(TypeAndOk(dialog, kTimeoutEdit, "0"), "");
  EXPECT_EQ(settings_.Get(&SettingsRecord::aircraftTimeoutMinutes), 0);

  // The framework's checks allow blanks and refuse overflow and empty text.
  EXPECT_EQ(CheckInteger(" 42 ", 0, 100).value, 42);
  EXPECT_FALSE(CheckInteger(" 42 ", 0, 100).refusal);
  EXPECT_EQ(CheckInteger("", 0, 100).refusal, "Please enter an integer.");
  EXPECT_EQ(CheckInteger("99999999999999999999", 0, 100).refusal, "Please enter an integer between 0 and 100.");
  EXPECT_EQ(CheckInteger("1.5", 0, 100).refusal, "Please enter an integer.");
  EXPECT_FALSE(CheckMaxChars("", 0));
}

TEST_F(SettingsDialogsTest, AtMostOneChannelIsHfAndOkReopensCapture) {
  settings_.Set(&SettingsRecord::channelAMode, kChannelHf);
  settings_.Set(&SettingsRecord::channelBMode, 7);  // out of range: row unchecked
  int reopened = 0;
  {
    CDialogChannelConfig dialog(settings_, [&] { ++reopened; }, nullptr);
    EXPECT_TRUE(dialog.controlAs<QRadioButton>(channel_dialog::kAHf)->isChecked());
    for (int id : {channel_dialog::kBVhf, channel_dialog::kBHf, channel_dialog::kBNone}) {
      EXPECT_FALSE(dialog.controlAs<QRadioButton>(id)->isChecked()) << id;
    }
    QTest::mouseClick(dialog.control(channel_dialog::kBHf), Qt::LeftButton);
    EXPECT_TRUE(dialog.controlAs<QRadioButton>(channel_dialog::kANone)->isChecked());
    EXPECT_FALSE(dialog.controlAs<QRadioButton>(channel_dialog::kAHf)->isChecked());
    // Clicking a checked button keeps it checked.
    QTest::mouseClick(dialog.control(channel_dialog::kBHf), Qt::LeftButton);
    EXPECT_TRUE(dialog.controlAs<QRadioButton>(channel_dialog::kBHf)->isChecked());
    dialog.reject();
  }
  EXPECT_EQ(settings_.Get(&SettingsRecord::channelAMode), kChannelHf);
  EXPECT_EQ(reopened, 0) << "Cancel leaves the capture device alone";

  CDialogChannelConfig dialog(settings_, [&] { ++reopened; }, nullptr);
  QTest::mouseClick(dialog.control(channel_dialog::kBVhf), Qt::LeftButton);
  QTest::mouseClick(dialog.control(kIdOk), Qt::LeftButton);
  EXPECT_EQ(settings_.Get(&SettingsRecord::channelAMode), kChannelHf);
  EXPECT_EQ(settings_.Get(&SettingsRecord::channelBMode), kChannelVhf);
  EXPECT_EQ(reopened, 1);
}

TEST_F(SettingsDialogsTest, SpectrumChoiceTakesEffectAtOnceAndCancelKeepsIt) {
  settings_.Set(&SettingsRecord::spectrumChannel, kSpectrumOff);
  CDialogSpectrumChannel dialog(settings_, nullptr);
  EXPECT_TRUE(dialog.controlAs<QRadioButton>(spectrum_dialog::kDisabled)->isChecked());
  QTest::mouseClick(dialog.control(spectrum_dialog::kChannelB), Qt::LeftButton);
  EXPECT_EQ(settings_.Get(&SettingsRecord::spectrumChannel), kSpectrumChannelB);
  EXPECT_FALSE(dialog.controlAs<QRadioButton>(spectrum_dialog::kDisabled)->isChecked());
  QTest::mouseClick(dialog.control(kIdCancel), Qt::LeftButton);
  EXPECT_EQ(settings_.Get(&SettingsRecord::spectrumChannel), kSpectrumChannelB);
}

TEST_F(SettingsDialogsTest, SoundCardListSelectsTheLastMatchAndOkStoresNameAndLine) {
  settings_.SetText(&SettingsRecord::soundCardName, "USB Audio");
  settings_.Set(&SettingsRecord::inputLine, 1);
  const std::vector<std::string> devices = {"USB Audio", "HDA Intel PCH: ALC892 Analog (hw:0,0)", "USB Audio"};
  {
    CDialogSoundCard dialog(settings_, devices, nullptr);
    EXPECT_EQ(dialog.controlAs<QComboBox>(sound_card_dialog::kDeviceList)->currentIndex(), 2);
    EXPECT_TRUE(dialog.controlAs<QRadioButton>(sound_card_dialog::kLineInput)->isChecked());
    dialog.controlAs<QComboBox>(sound_card_dialog::kDeviceList)->setCurrentIndex(1);
    QTest::mouseClick(dialog.control(sound_card_dialog::kMixerInput), Qt::LeftButton);
    dialog.reject();
    EXPECT_EQ(settings_.Text(&SettingsRecord::soundCardName), "USB Audio");
  }
  {
    CDialogSoundCard dialog(settings_, devices, nullptr);
    dialog.controlAs<QComboBox>(sound_card_dialog::kDeviceList)->setCurrentIndex(1);
    QTest::mouseClick(dialog.control(sound_card_dialog::kMixerInput), Qt::LeftButton);
    dialog.accept();
  }
  // Cut to the field's 31 characters.
  EXPECT_EQ(settings_.Text(&SettingsRecord::soundCardName), "HDA Intel PCH: ALC892 Analog (h");
  EXPECT_EQ(settings_.Get(&SettingsRecord::inputLine), 2);

  // With no devices nothing is selected and the name stays.
  CDialogSoundCard empty(settings_, {}, nullptr);
  EXPECT_EQ(empty.controlAs<QComboBox>(sound_card_dialog::kDeviceList)->currentIndex(), -1);
  empty.accept();
  EXPECT_EQ(settings_.Text(&SettingsRecord::soundCardName), "HDA Intel PCH: ALC892 Analog (h");
}

TEST(CaptureSourceItems, FindTheMicrophoneLineAndMixAndKeepOldIndicesForMissingKinds) {
  CaptureSourceItems items;
  // A card whose list has no mix item: the mix index stays at 0.
  const std::vector<std::string> first = {"Mic", "CD", "Line", "Front Mic"};
  items.Classify(first);
  EXPECT_EQ(items.ItemFor(kInputMicrophone), 3) << "a later item of the same kind overrides";
  EXPECT_EQ(items.ItemFor(kInputLine), 2);
  EXPECT_EQ(items.ItemFor(kInputMix), 0);
  EXPECT_FALSE(items.ItemFor(3).has_value());
  // "Stereo Mix" is the mix, not a microphone; the line index is kept.
  const std::vector<std::string> second = {"Stereo Mix", "Internal Mic"};
  items.Classify(second);
  EXPECT_EQ(items.ItemFor(kInputMix), 0);
  EXPECT_EQ(items.ItemFor(kInputMicrophone), 1);
  EXPECT_EQ(items.ItemFor(kInputLine), 2);
}

TEST(AlsaCardOfDevice, OnlyHardwareDevicesHaveACard) {
  EXPECT_EQ(AlsaCardOfDevice("HDA Intel PCH: ALC892 Analog (hw:0,0)"), 0);
  EXPECT_EQ(AlsaCardOfDevice("USB Audio CODEC: - (hw:12,0)"), 12);
  EXPECT_FALSE(AlsaCardOfDevice("default").has_value());
  EXPECT_FALSE(AlsaCardOfDevice("").has_value());
  EXPECT_FALSE(AlsaCardOfDevice("odd (hw:x,0)").has_value());
  // The stored name is cut to 31 characters and loses the card number; the
  // whole name of the device it chooses has it.
  const std::vector<std::string> devices = {"HDA Intel PCH: ALC892 Analog (hw:0,0)", "USB Audio CODEC: - (hw:1,0)"};
  EXPECT_FALSE(AlsaCardOfDevice("HDA Intel PCH: ALC892 Analog (h").has_value());
  EXPECT_EQ(AlsaCardOfDevice(ChosenDeviceName(devices, "HDA Intel PCH: ALC892 Analog (h")), 0);
  EXPECT_EQ(ChosenDeviceName(devices, "gone"), "gone");
  AlsaMixerInput mixer;
  EXPECT_FALSE(mixer.MixerSelectInput("pulse", kInputLine)) << "a sound server has no capture source to set";
}

}  // namespace
}  // namespace talvir
