#pragma once
// The three modeless information windows the main window owns: Squitters,
// System Table and Statistics. Their texts are built by the protocol side;
// these windows show them.

#include <array>
#include <functional>
#include <string>

#include "config/settings.h"
#include "protocol/information_texts.h"
#include "ui/template_dialog.h"

namespace talvir {

class CDialogSquitters final : public TemplateDialog {
 public:
  CDialogSquitters(Settings& settings, const TextFormatters& formatters, QWidget* parent);

  // summary: the latest squitter's one-line summary.
  void Refresh(const SquitterHistory::Snapshot& squitters, const std::string& summary);
  // No close box: the main window's check box shows and hides it.
  void reject() override {}

 private:
  Settings& settings_;
  SquittersWindowText text_;
};

class CDialogSystemTable final : public TemplateDialog {
 public:
  explicit CDialogSystemTable(QWidget* parent);
  void SetTableText(const std::string& text);
  void reject() override {}
};

class CStatisticsDialog final : public TemplateDialog {
 public:
  using Counters = std::array<int32_t, kFrameCounterCount>;
  // read: the frame counters now; reset: sets them to zero.
  CStatisticsDialog(std::function<Counters()> read, std::function<void()> reset, QWidget* parent);

  void Refresh();
  // Text to show after the frame counts, read at each refresh.
  void SetFollowingText(std::function<std::string()> read);

 private:
  std::function<Counters()> read_;
  std::function<void()> reset_;
  std::function<std::string()> following_;
};

}  // namespace talvir
