#pragma once
// A modal or modeless dialog built from its template. OK runs the checks of
// the values typed, as the dialog framework does, and stores only when all
// pass; a failed check says why in a message box and keeps the dialog open.

#include <QDialog>
#include <span>
#include <string>

#include "ui/dialog_template.h"

class QLineEdit;

namespace talvir {

struct DialogTemplate {
  const char* caption;
  int width, height;  // dialog units
  std::span<const ControlSpec> controls;
};

class TemplateDialog : public QDialog {
 public:
  TemplateDialog(const DialogTemplate& layout, QWidget* parent);

  QWidget* control(int id) const;
  template <typename Widget>
  Widget* controlAs(int id) const {
    return static_cast<Widget*>(control(id));
  }

  void accept() override;

 protected:
  // False once a check has failed and been reported.
  virtual bool Validate() { return true; }
  virtual void Store() {}

  // The framework's checks on an edit box: each reports the failure and puts
  // the caret back into the box.
  bool CheckMaxChars(int id, int maxChars);
  bool ReadInteger(int id, int min, int max, int& value);
  std::string EditText(int id) const;
  void SetEditText(int id, const std::string& text);
  void SetChecked(int id, bool checked);
  bool IsChecked(int id) const;

 private:
  bool Refuse(QLineEdit* edit, const std::string& message);

  DialogControls controls_;
};

// The caption of the framework's message boxes.
inline constexpr const char* kMessageBoxCaption = "TALVIR";

}  // namespace talvir
