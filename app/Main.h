#pragma once
// The main window: the program's shell. It owns the connection to the board
// and the panels, carries the image buttons, shows the hint line, opens the
// help on F1, and runs the start-up and shutdown sequences.

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/ImageButtons.h"
#include "paths/AppPaths.h"
#include "seams/QtEventPump.h"
#include "seams/SoundPlayer.h"
#include "seams/UserDialogs.h"
#include "session/BoardAgent.h"
#include "session/ConnectionLifecycle.h"
#include "sound/LSU_Configuration.h"
#include "update/UpdateHost.h"
#include "update/UpdateManager.h"

class QProgressBar;
class QGroupBox;

namespace widgets {
class FileBrowser;
}

namespace app {

class DownloadPanel;
class Hints;
class MainHelp;
class MotionPanel;
class SoundPanel;
class UpdateForm;
class LedPanelWidget;

struct MainOptions {
  QString appFolder;
  // Where the window reads and writes; none: everything in appFolder, as
  // in a writable portable folder.
  std::optional<paths::AppPaths> folders;
  session::BoardAgent board;
  // Null: real dialogs. Tests pass scripted ones.
  seams::UserDialogs* dialogs = nullptr;
  // Null: the sound output. Plays the scratch WAV file of a Ctrl+click
  // while the window goes on; tests pass a player that keeps the time
  // without a sound.
  seams::SoundPlayer* play = nullptr;
  // Null: F1 opens the user guide in the help window. Else called with the
  // guide's page that F1 chose ("motion.html").
  std::function<void(const QString&)> openHelp;
  // HOST[:PORT] of the update service.
  std::string updateHost = update::kDefaultUpdateHost;
  // How long the update waits on the service; tests shorten it.
  update::HttpTimeouts updateTimeouts;
};

inline constexpr const char* kWindowTitle = "Taldrix Kestrane Launcher v2.2.2 ";
inline constexpr int kAgentPollMs = 250;

class Main : public QMainWindow, public session::ConnectionView {
 public:
  explicit Main(MainOptions options);
  ~Main() override;

  // The start-up sequence, run before the window is first shown. False when
  // the user chose to end the program; the shutdown sequence has then run.
  bool Startup();
  // The shutdown sequence; runs once, however the window goes.
  void Shutdown();

  session::ConnectionLifecycle& Lifecycle() { return *lifecycle_; }
  QString HelpFile() const { return helpFile_; }

  // ConnectionView.
  void SetOnlinePicture(bool online) override;
  void SetSNLabel(const std::string& text) override;
  void EnableButton(session::ImageButton button, bool enabled) override;
  void ShowLedPanel(bool visible) override;
  void StartGoOnlineTimer(int intervalMs) override;
  void StopGoOnlineTimer() override;
  void SetMemorySize(int samples) override;
  void EnableLedPanel(bool enabled) override;
  bool InitLedDrivers() override;
  std::string LedCatalogueProblem() const override;
  bool LedDriverSilent() const override;

  LedPanelWidget& LedPanel() { return *ledPanel_; }
  void ReadAccData() override;

  // The status line at the foot of the window: whether the board took
  // what was sent to it. A success goes after a while; an error stays until
  // the next message.
  void ShowStatus(const std::string& text, bool error);

  // The sound configuration and the memory gauge.
  sound::LSU_Configuration& Configuration() { return config_; }
  void UpdateMemoryStatus();
  DownloadPanel& Download() { return *downloadPanel_; }
  MotionPanel& Motion() { return *motionPanel_; }
  SoundPanel& Sounds() { return *soundPanel_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildTopRow();
  QWidget* BuildMiddle();
  QGroupBox* BuildFileBrowser();
  QToolButton* AddImageButton(const char* name, const QString& bitmap);
  QToolButton* Button(session::ImageButton button) const;
  void FillDriveList();
  void SetUpHints();
  // The image buttons' tooltips; load and save follow the board's kind.
  void SetButtonTips(bool ledDriver);
  // An unexpected error, in the window's own message box.
  void ShowError(const std::string& text);
  // The guide's page for the panel in use: the topmost panel shown over
  // the middle (download, motion, LED), else the sound font, at its part
  // on adding files while the keyboard focus is in the file browser.
  QString HelpPage() const;
  void UpdateBtnClick();
  void SendBtnClick();
  bool ConfigurationFits() const;
  void LockControls(bool locked);
  // LoadBtn and SaveBtn: the file kind follows DEVICE_TYPE.
  void LoadBtnClick();
  void SaveBtnClick();

  MainOptions options_;
  paths::AppPaths folders_;
  std::unique_ptr<seams::UserDialogs> ownDialogs_;
  seams::UserDialogs* dialogs_;
  Bitmaps bitmaps_;
  std::unique_ptr<session::ConnectionLifecycle> lifecycle_;
  QString helpFile_;
  QToolButton* loadBtn_ = nullptr;
  QToolButton* saveBtn_ = nullptr;
  QToolButton* configBtn_ = nullptr;
  QToolButton* sendBtn_ = nullptr;
  QToolButton* updateBtn_ = nullptr;
  QLabel* helpLabel_ = nullptr;
  QLabel* snLabel_ = nullptr;
  QLabel* onlinePicture_ = nullptr;
  QLabel* logo_ = nullptr;
  QWidget* middleArea_ = nullptr;  // the browser and the categories
  QGroupBox* ledFrame_ = nullptr;
  LedPanelWidget* ledPanel_ = nullptr;  // owned by ledFrame_
  QProgressBar* memoryStatus_ = nullptr;
  QTimer* goOnlineTimer_ = nullptr;
  QTimer agentPoll_;
  Hints* hints_ = nullptr;
  MainHelp* help_ = nullptr;  // owned by the window
  std::unique_ptr<UpdateForm> updateForm_;
  seams::QtEventPump events_;  // the update's
  std::unique_ptr<update::UpdateManager> updateManager_;
  QGroupBox* browserFrame_ = nullptr;
  widgets::FileBrowser* browser_ = nullptr;
  bool shutDown_ = false;
  sound::LSU_Configuration config_;
  devlink::AccParams motion_;  // the board's six motion values
  std::unique_ptr<DownloadPanel> downloadPanel_;
  std::unique_ptr<MotionPanel> motionPanel_;
  SoundPanel* soundPanel_ = nullptr;       // owned by the window
  std::map<QWidget*, bool> lockedStates_;  // while a download or a load runs
  QPointer<QWidget> focusBeforeLoad_;      // gets the focus back after a load
};

}  // namespace app
