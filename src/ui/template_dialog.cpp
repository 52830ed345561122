#include "ui/template_dialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "ui/framework_checks.h"

namespace talvir {

TemplateDialog::TemplateDialog(const DialogTemplate& layout, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromLatin1(layout.caption));
  setFont(DialogFont());
  const DialogUnits units(font());
  controls_ = BuildDialogControls(*this, layout.controls, units);
  setFixedSize(units.ToPixels(layout.width, layout.height));
  if (auto* ok = qobject_cast<QPushButton*>(control(kIdOk))) {
    connect(ok, &QPushButton::clicked, this, &TemplateDialog::accept);
  }
  if (auto* cancel = qobject_cast<QPushButton*>(control(kIdCancel))) {
    connect(cancel, &QPushButton::clicked, this, &TemplateDialog::reject);
  }
}

QWidget* TemplateDialog::control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void TemplateDialog::accept() {
  if (!Validate()) return;
  Store();
  QDialog::accept();
}

bool TemplateDialog::Refuse(QLineEdit* edit, const std::string& message) {
  QMessageBox::warning(this, QString::fromLatin1(kMessageBoxCaption), QString::fromStdString(message));
  edit->setFocus();
  edit->selectAll();
  return false;
}

bool TemplateDialog::CheckMaxChars(int id, int maxChars) {
  auto* edit = controlAs<QLineEdit>(id);
  const std::optional<std::string> refusal = talvir::CheckMaxChars(EditText(id), maxChars);
  return refusal ? Refuse(edit, *refusal) : true;
}

bool TemplateDialog::ReadInteger(int id, int min, int max, int& value) {
  const IntegerCheck check = CheckInteger(EditText(id), min, max);
  if (check.refusal) return Refuse(controlAs<QLineEdit>(id), *check.refusal);
  value = check.value;
  return true;
}

std::string TemplateDialog::EditText(int id) const { return controlAs<QLineEdit>(id)->text().toLatin1().toStdString(); }

void TemplateDialog::SetEditText(int id, const std::string& text) {
  controlAs<QLineEdit>(id)->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TemplateDialog::SetChecked(int id, bool checked) { controlAs<QAbstractButton>(id)->setChecked(checked); }

bool TemplateDialog::IsChecked(int id) const { return controlAs<QAbstractButton>(id)->isChecked(); }

}  // namespace talvir
