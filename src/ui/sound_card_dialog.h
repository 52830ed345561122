#pragma once
// "Sound Card Selection": the capture devices by product name and the input
// line the card's mixer records from. OK stores both; the caller closes and
// reopens capture after either button.

#include <string>
#include <vector>

#include "config/settings.h"
#include "ui/template_dialog.h"

namespace talvir {

class CDialogSoundCard final : public TemplateDialog {
 public:
  // deviceNames: the capture devices' product names, in device order.
  CDialogSoundCard(Settings& settings, const std::vector<std::string>& deviceNames, QWidget* parent);

 private:
  void Store() override;

  Settings& settings_;
};

// The names of PortAudio's capture devices; empty when there are none.
std::vector<std::string> CaptureDeviceNames();
// The whole name of the device a stored (cut) name chooses: the last match,
// or the stored name itself when none matches.
std::string ChosenDeviceName(const std::vector<std::string>& deviceNames, const std::string& storedName);

}  // namespace talvir
