#pragma once
// The settings dialogs of the "System-Options" menu, the start-up warning and
// the About box. Each works on the settings directly; OK stores what passed
// the framework's checks, Cancel stores nothing (the Spectrum dialog stores
// on each click).

#include <functional>

#include "config/settings.h"
#include "ui/template_dialog.h"

class QButtonGroup;

namespace talvir {

class CDialogDdeConfig final : public TemplateDialog {
 public:
  // save writes the settings file; OK runs it after storing.
  CDialogDdeConfig(Settings& settings, std::function<void()> save, QWidget* parent);

 private:
  bool Validate() override;
  void Store() override;

  Settings& settings_;
  std::function<void()> save_;
};

class CDialogLogfileConfig final : public TemplateDialog {
 public:
  CDialogLogfileConfig(Settings& settings, std::function<void()> save, QWidget* parent);

 private:
  bool Validate() override;
  void Store() override;

  Settings& settings_;
  std::function<void()> save_;
};

class CDialogTimeouts final : public TemplateDialog {
 public:
  CDialogTimeouts(Settings& settings, QWidget* parent);

 private:
  bool Validate() override;
  void Store() override { settings_.Set(&SettingsRecord::aircraftTimeoutMinutes, minutes_); }

  Settings& settings_;
  int minutes_ = 0;
};

class CDialogChannelConfig final : public TemplateDialog {
 public:
  // reopenCapture closes and reopens the capture device so that the new
  // assignment takes effect at once; OK runs it after storing.
  CDialogChannelConfig(Settings& settings, std::function<void()> reopenCapture, QWidget* parent);

 private:
  void Store() override;
  void HfChosen(int row);

  Settings& settings_;
  std::function<void()> reopenCapture_;
};

class CDialogSpectrumChannel final : public TemplateDialog {
 public:
  CDialogSpectrumChannel(Settings& settings, QWidget* parent);
};

class CDialogCriticalWarning final : public TemplateDialog {
 public:
  explicit CDialogCriticalWarning(QWidget* parent);
};

class CAboutDlg final : public TemplateDialog {
 public:
  explicit CAboutDlg(QWidget* parent);
};

}  // namespace talvir
