#include "ui/alsa_mixer_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/sound_card_dialog.h"

namespace talvir {
namespace {

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
  EXPECT_FALSE(AlsaCardOfDevice("pulse").has_value());
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
