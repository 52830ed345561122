#pragma once
// The main window: decoded text (newest first), the Flight list, the status
// lines, the waterfall and the constellation box, the Display check boxes
// and the "System-Options" menu. It owns the window timers and drives the
// application's start-up and shutdown.

#include <QDialog>
#include <QTimer>
#include <optional>
#include <string>

#include "audio/capture_driver.h"
#include "ui/alsa_mixer_input.h"
#include "ui/constellation_surface.h"
#include "ui/dialog_template.h"
#include "ui/map_output.h"
#include "ui/qt_ui_link.h"
#include "ui/spectrum_column.h"
#include "ui/waterfall_surface.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;

namespace talvir {

class Application;
class CDialogSquitters;
class ChannelList;
class CDialogSystemTable;
class CStatisticsDialog;

// The text window keeps the newest text and this much of the older...
inline constexpr std::size_t kKeptTextChars = 80000;
// ...and never shows more than this.
inline constexpr std::size_t kShownTextChars = 100000;

inline constexpr float kInitialWaterfallGain = 4.0f;
inline constexpr float kMinWaterfallGain = 1.0f;
inline constexpr float kMaxWaterfallGain = 100.0f;

class CMainDialog final : public QDialog, public WindowNotifications {
 public:
  // Registers the window with the decoders for as long as it lives; shuts
  // the application down if it is still running when the window goes.
  // soundCard: false when a recording plays instead, which has no mixer.
  explicit CMainDialog(Application& app, bool soundCard = true);
  ~CMainDialog() override;

  // The timers, then the application's start-up; without a settings file
  // first the "Critical Warning" and the sound-card dialog. A capture failure
  // the user must hear of is shown in a message box.
  OpenResult StartUp();
  // The sound-card dialog, then capture closed and reopened, whichever
  // button ended it.
  void SoundcardConfiguration();
  // The settings dialog of a "System-Options" command, modal.
  void OpenSettingsDialog(int command);
  void ShowAbout();
  // Opens the manual, or says on the status line that it is missing.
  void OpenManual();
  // Asks "Really Exit ?" unless told not to; on yes shuts the application
  // down and closes. Returns whether it did.
  bool Exit(bool ask = true);

  // WindowNotifications, on the window thread.
  int FlightListInsert(std::string_view text) override;
  void FlightListClear() override;
  // The link passes on only the shown channel's lines.
  void SetSquitterLine(int hfChannel, std::string_view text) override;
  void SetModemStatus(int hfChannel, std::string_view text) override;
  void SetFlightDetails(std::string_view text) override;
  void AppendDecodedText(std::string_view text) override;

  void reject() override;  // Escape and the close box: Exit()

  QWidget* control(int id) const;
  QAction* menuCommand(int id) const;
  const std::string& accumulatedText() const { return accumulated_; }
  float waterfallGain() const { return waterfallGain_; }
  int showTimeslotOffsets() const { return showTimeslotOffsets_; }
  const QImage& waterfallImage() const { return waterfall_.image(); }
  const QImage& constellationImage() const { return constellation_.image(); }
  QtUiLink& link() { return link_; }
  CDialogSquitters& squittersWindow() const { return *squittersWindow_; }
  CDialogSystemTable& systemTableWindow() const { return *systemTableWindow_; }
  CStatisticsDialog& statisticsWindow() const { return *statisticsWindow_; }
  MapOutput& map() { return map_; }
  // A band's channels; nullptr for a sound card's.
  ChannelList* channelList() const { return channelList_; }
  // The right-button menu, built as a press at pos would open it.
  std::optional<QPoint> RightButtonMenuAt(QPoint clientPos) const;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();
  void ConnectControls();
  void ConnectInformationWindows();
  void BuildSystemMenu();
  // Closes and reopens capture, then selects the input line again.
  void ReopenCapture();
  void ReportOpenFailure(const OpenResult& opened);
  void SelectInputLine();
  void StartTimers();
  void ShowText();
  void ToggleTimeslotOffsets();
  void StepGain(int delta);
  void DrawSpectrum(const SpectrumBlock& block);
  // The channel list chose another channel: what showed the last one goes.
  void ShowChosenChannel();
  bool ConfirmExit();
  // The application's shutdown, once; the window stays open.
  void Shutdown();

  Application& app_;
  QWidget* client_;
  DialogControls controls_;
  std::unordered_map<int, QAction*> commands_;
  QPlainTextEdit* textWindow_ = nullptr;
  QListWidget* flightList_ = nullptr;
  QLineEdit* flightDetails_ = nullptr;
  QLabel* squitterLine_ = nullptr;
  QLabel* modemStatus_ = nullptr;
  QWidget* waterfallBox_ = nullptr;
  QWidget* constellationBox_ = nullptr;
  CDialogSquitters* squittersWindow_ = nullptr;
  CDialogSystemTable* systemTableWindow_ = nullptr;
  CStatisticsDialog* statisticsWindow_ = nullptr;
  QMenu* systemMenu_ = nullptr;
  ChannelList* channelList_ = nullptr;

  std::string accumulated_;  // CR LF line ends, newest first
  bool running_ = false;
  float waterfallGain_ = kInitialWaterfallGain;
  int showTimeslotOffsets_ = 0;
  SpectrumColumn spectrum_;
  WaterfallSurface waterfall_;
  ConstellationSurface constellation_;
  QTimer ageingTimer_;
  QTimer publishTimer_;
  QTimer clockTimer_;
  const bool soundCard_;
  AlsaMixerInput mixer_;
  bool mixerNoteShown_ = false;
  QtUiLink link_;
  MapOutput map_;
};

}  // namespace talvir
