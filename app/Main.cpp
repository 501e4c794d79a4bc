#include "app/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/BrowserFolder.h"
#include "app/DownloadPanel.h"
#include "app/FontImportDialog.h"
#include "app/FontMenu.h"
#include "app/HelpViewer.h"
#include "app/Hints.h"
#include "app/LedPanelWidget.h"
#include "app/MotionPanel.h"
#include "app/OverlayFrame.h"
#include "app/RecordingIntake.h"
#include "app/SoundPanel.h"
#include "app/UpdateForm.h"
#include "sound/MemoryGauge.h"
#include "widgets/FileBrowser.h"
#include "widgets/Named.h"
#include "widgets/QtDialogs.h"

namespace app {

using widgets::Named;

namespace {

constexpr const char* kHelpHint = "Press F1 for help";
// How long the status line tells of a success.
constexpr int kStatusShownMs = 15000;

}  // namespace

Main::Main(MainOptions options)
    : options_(std::move(options)),
      folders_(options_.folders ? *options_.folders
                                : paths::PortableAppPaths(options_.appFolder.toStdString())),
      bitmaps_(QString::fromStdString(folders_.dataFolder)) {
  setObjectName("Main");
  setWindowTitle(kWindowTitle);
  if (options_.dialogs) {
    dialogs_ = options_.dialogs;
  } else {
    ownDialogs_ = std::make_unique<widgets::QtDialogs>(this);
    dialogs_ = ownDialogs_.get();
  }
  lifecycle_ =
      std::make_unique<session::ConnectionLifecycle>(*options_.board.agent, *this, *dialogs_);
  // An error that escapes one of the window's handlers is shown in the
  // window's own message box, and the window goes on.
  if (Application* a = RunningApplication())
    a->SetErrorReporter([this](const std::string& text) { ShowError(text); });

  auto* central = Named<QWidget>("MainBackground");
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(BuildTopRow());
  layout->addWidget(BuildMiddle(), 1);
  memoryStatus_ = Named<QProgressBar>("MemoryStatus");
  memoryStatus_->setTextVisible(true);
  // Centred in every style: the red style sheet of an overflow would
  // otherwise draw it at the left.
  memoryStatus_->setAlignment(Qt::AlignCenter);
  layout->addWidget(memoryStatus_);
  setCentralWidget(central);
  statusBar()->setObjectName("StatusLine");
  ledPanel_->showStatus = [this](const std::string& text, bool error) { ShowStatus(text, error); };
  motionPanel_->showStatus = ledPanel_->showStatus;

  goOnlineTimer_ = Named<QTimer>("GoOnlineTimer", this);
  // One retry per start: the tick starts the next one when it has ended.
  goOnlineTimer_->setSingleShot(true);
  connect(goOnlineTimer_, &QTimer::timeout, this, [this] { lifecycle_->GoOnlineTimerTick(); });
  // Device arrival and removal come from the agent's look at the bus.
  connect(&agentPoll_, &QTimer::timeout, this, [this] { options_.board.agent->ProcessEvents(); });

  help_ = new MainHelp(
      this, *dialogs_, QString::fromStdString(folders_.dataFolder), [this] { return HelpPage(); },
      options_.openHelp);
  SetUpHints();
  connect(sendBtn_, &QToolButton::clicked, this, [this] { SendBtnClick(); });
  connect(configBtn_, &QToolButton::clicked, this, [this] { motionPanel_->Show(); });
  connect(updateBtn_, &QToolButton::clicked, this, [this] { UpdateBtnClick(); });
  connect(loadBtn_, &QToolButton::clicked, this, [this] { LoadBtnClick(); });
  connect(saveBtn_, &QToolButton::clicked, this, [this] { SaveBtnClick(); });
}

Main::~Main() {
  if (Application* a = RunningApplication()) a->SetErrorReporter(nullptr);
  Shutdown();
}

// A click leaves the focus where it was (in the browser or a category);
// Tab reaches the button.
QToolButton* Main::AddImageButton(const char* name, const QString& bitmap) {
  auto* b = Named<QToolButton>(name);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::TabFocus);
  SetUpImageButton(b, bitmaps_, bitmap);
  return b;
}

QWidget* Main::BuildTopRow() {
  auto* row = Named<QWidget>("TopRow");
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(0, 0, 0, 0);
  logo_ = Named<QLabel>("Image2");
  h->addWidget(logo_, 0, Qt::AlignTop);
  snLabel_ = Named<QLabel>("SNLabel", "Serial number:");
  QFont bookman("Bookman Old Style");
  bookman.setStyleHint(QFont::Serif);
  bookman.setPointSize(12);
  snLabel_->setFont(bookman);
  h->addWidget(snLabel_, 1, Qt::AlignTop | Qt::AlignLeft);

  auto* right = new QVBoxLayout;
  auto* buttons = new QHBoxLayout;
  onlinePicture_ = Named<QLabel>("OnlinePicture");
  buttons->addWidget(onlinePicture_, 0, Qt::AlignVCenter);
  buttons->addSpacing(8);
  loadBtn_ = AddImageButton("LoadBtn", "open.bmp");
  saveBtn_ = AddImageButton("SaveBtn", "save.bmp");
  configBtn_ = AddImageButton("ConfigBtn", "setup.bmp");
  sendBtn_ = AddImageButton("SendBtn", "download.bmp");
  updateBtn_ = AddImageButton("UpdateBtn", "update.bmp");
  for (QToolButton* b : {loadBtn_, saveBtn_, configBtn_, sendBtn_, updateBtn_})
    buttons->addWidget(b);
  loadBtn_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  saveBtn_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  sendBtn_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
  SetButtonTips(false);
  right->addLayout(buttons);
  helpLabel_ = Named<QLabel>("HelpLabel", "Press F1 for Help");
  helpLabel_->setAlignment(Qt::AlignRight);
  right->addWidget(helpLabel_);
  h->addLayout(right);
  return row;
}

QGroupBox* Main::BuildFileBrowser() {
  browserFrame_ = Named<QGroupBox>("DiscFilesFrame", "File Explorer");
  auto* v = new QVBoxLayout(browserFrame_);
  auto* drives = Named<QComboBox>("DriveList");
  auto* dirs = Named<QTreeView>("DirList");
  auto* files = Named<widgets::FileListWidget>("FileList");
  v->addWidget(drives);
  auto* split = new QHBoxLayout;
  split->addWidget(dirs, 1);
  split->addWidget(files, 1);
  v->addLayout(split, 1);
  v->addWidget(
      Named<QLabel>("Label3", "Double-click to add/remove files CTRL+Click to play LSU File"));
  browser_ = new widgets::FileBrowser(drives, dirs, files);
  browser_->onFolderChosen = RememberBrowserFolder;
  return browserFrame_;
}

// The file browser and the category panel side by side; the LED panel, the
// motion panel and the download panel are shown over them when in use.
QWidget* Main::BuildMiddle() {
  auto* middle = new QWidget;
  auto* grid = new QGridLayout(middle);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* frames = middleArea_ = Named<QWidget>("MiddleArea");
  auto* sideBySide = new QHBoxLayout(frames);
  sideBySide->setContentsMargins(0, 0, 0, 0);
  sideBySide->setSpacing(8);  // the same gap between the frames in every style
  sideBySide->addWidget(BuildFileBrowser());
  soundPanel_ = new SoundPanel({this, &config_, dialogs_, browser_,
                                QString::fromStdString(folders_.cacheFolder),
                                QString::fromStdString(paths::StartFolder(folders_)),
                                [this] { UpdateMemoryStatus(); }, options_.play});
  sideBySide->addWidget(soundPanel_->Frame());
  new FontMenu({soundPanel_->Frame(), &config_, dialogs_,
                [this]() -> devlink::TLS* {
                  const bool soundBoard =
                      lifecycle_->LS_ONLINE() && lifecycle_->DEVICE_TYPE() == devlink::kSoundBoard;
                  return soundBoard ? lifecycle_->DeviceLinks().First() : nullptr;
                },
                options_.appFolder});
  new FontImportDialog(
      {this, browser_, soundPanel_->Frame(), &soundPanel_->Logic(), &config_, dialogs_});
  soundPanel_->prepareFiles = [intake = std::make_shared<RecordingIntake>(RecordingIntake::Setup{
                                   this, &config_, dialogs_, paths::StartFolder(folders_)})](
                                  const std::vector<std::string>& paths, int category) {
    return intake->Prepare(paths, category);
  };
  // A locked control loses the focus; the user's place comes back after
  // the load, quietly (it selects nothing).
  soundPanel_->lockControls = [this](bool locked) {
    if (locked) focusBeforeLoad_ = QApplication::focusWidget();
    LockControls(locked);
    if (!locked && focusBeforeLoad_) focusBeforeLoad_->setFocus(Qt::ActiveWindowFocusReason);
  };
  grid->addWidget(frames, 0, 0, 1, 2);

  ledFrame_ = OverlayFrame("frmLED", "LED DRIVER SETUP");
  ledPanel_ = new LedPanelWidget(ledFrame_, bitmaps_, *dialogs_,
                                 QString::fromStdString(folders_.dataFolder), *lifecycle_, *this);
  ledPanel_->Logic().SettingsFolder = paths::StartFolder(folders_);
  grid->addWidget(ledFrame_, 0, 0, 1, 2);

  motionPanel_ = std::make_unique<MotionPanel>(
      [this] { return lifecycle_->DeviceLinks().First(); }, motion_,
      [this] { return lifecycle_->FW_VERSION(); },
      LiveSensorHooks{dialogs_,
                      // A download lets window events run between its commands,
                      // and so does a question asked in the middle of work.
                      [this] {
                        return downloadPanel_->Running() ||
                               QApplication::activeModalWidget() != nullptr;
                      },
                      [this] {
                        options_.board.agent->ProcessEvents();
                        return lifecycle_->LS_ONLINE();
                      }});
  grid->addWidget(motionPanel_->Frame(), 0, 0, 1, 2, Qt::AlignCenter);

  downloadPanel_ = std::make_unique<DownloadPanel>([this](bool locked) { LockControls(locked); });
  grid->addWidget(downloadPanel_->Frame(), 0, 0, 1, 2, Qt::AlignCenter);

  // Shown while an LSU file is turned into a WAV file for playing.
  grid->addWidget(soundPanel_->WaitNote(), 0, 0, 1, 2, Qt::AlignCenter);
  return middle;
}

void Main::SetUpHints() {
  hints_ = new Hints(helpLabel_, this);
  const std::pair<const char*, const char*> table[] = {
      {"LoadBtn", "LOAD Configuration File"},
      {"SaveBtn", "SAVE Configuration File"},
      {"ConfigBtn", "CONFIGURE Hardware"},
      {"SendBtn", "DOWNLOAD Sound Files to Kestrane"},
      {"UpdateBtn", "UPDATE Sound Files (Requires Internet)"},
      // The window background: its margins and the empty parts of the top
      // row (around the serial label and the buttons) and of the middle
      // (between the frames).
      {"MainBackground", kHelpHint},
      {"TopRow", kHelpHint},
      {"MiddleArea", kHelpHint},
      {"Frame1", kHelpHint},
      {"frmLED", kHelpHint},
      {"FrameFoc", kHelpHint},
      {"PickColor_frame", kHelpHint},
      {"labelLED1", kHelpHint},
      {"btnUpdateLED", "Update LED Configuration"},
      {"btnSendPulse", "Apply and Test"},
      {"btnSendFoc", "Apply and Test"},
      {"OnlinePicture", kHelpHint},
      {"HelpLabel", kHelpHint},
  };
  for (const auto& [name, hint] : table) hints_->Add(name, hint);
}

void Main::FillDriveList() {
  browser_->FillDrives();
  browser_->OpenFolder(BrowserStartFolder(QString::fromStdString(paths::StartFolder(folders_))));
}

bool Main::Startup() {
  lifecycle_->startupInProgress = true;
  helpFile_ = QString::fromStdString(folders_.dataFolder) + "/" + widgets::kHelpFileName;
  logo_->setPixmap(bitmaps_.Load("taldrix_small.bmp"));
  FillDriveList();
  SetMemorySize(devlink::kDefaultCapacity);
  bool goOn = true;
  try {
    goOn = lifecycle_->ConnectAtStartup();
  } catch (...) {
    // The barrier at the event loop is not running yet: the error is shown
    // as it shows errors, and the window starts offline; its retries go on
    // looking for a board that works.
    ShowError(UnexpectedErrorText(std::current_exception()));
    lifecycle_->StartOffline();
  }
  if (!goOn) {
    Shutdown();
    return false;
  }
  lifecycle_->startupInProgress = false;
  soundPanel_->CheckOption(sound::kBoot);
  // Start in the browser: a category list that took the focus would select
  // its own category.
  browser_->FileList()->setFocus();
  // The update manager, with its dialog loaded but not shown.
  updateForm_ = std::make_unique<UpdateForm>(this);
  updateManager_ =
      std::make_unique<update::UpdateManager>(options_.updateHost, folders_.userFolder, events_);
  updateManager_->requestManager.SetTimeouts(options_.updateTimeouts);
  updateManager_->Initialize(*updateForm_);
  help_->AddWindow(updateForm_.get(), "update.html");
  agentPoll_.start(kAgentPollMs);
  return true;
}

void Main::ShowStatus(const std::string& text, bool error) {
  QStatusBar* line = statusBar();
  line->setProperty("error", error);
  line->setStyleSheet(error ? "QStatusBar { color: #b00000; font-weight: bold; }" : "");
  line->showMessage(QString::fromStdString(text), error ? 0 : kStatusShownMs);
}

void Main::ShowError(const std::string& text) {
  dialogs_->Message(text, seams::DialogIcon::Critical, seams::DialogButtons::Ok);
}

void Main::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  motionPanel_->StopLive();
  agentPoll_.stop();
  goOnlineTimer_->stop();
  lifecycle_->Exit();
  updateManager_.reset();
  updateForm_.reset();
}

void Main::closeEvent(QCloseEvent* event) {
  // A download or a load runs inside this window's handlers (the controls
  // are locked meanwhile): it ends (or the download is cancelled) before the
  // window can go. Work that was not saved is offered for saving first;
  // Cancel keeps the window.
  if (downloadPanel_->Running() || !lockedStates_.empty() ||
      !soundPanel_->Logic().SaveChangesFirst(sound::kSaveBeforeClosing) ||
      !ledPanel_->Logic().SaveChangesFirst(led::kSaveLedBeforeClosing)) {
    event->ignore();
    return;
  }
  Shutdown();
  event->accept();
}

void Main::SendBtnClick() {
  motionPanel_->StopLive();
  if (devlink::TLS* link = lifecycle_->DeviceLinks().First())
    downloadPanel_->Run(config_, *link, *dialogs_, motion_);
}

void Main::ReadAccData() {
  motionPanel_->ReadAccData();
}

bool Main::ConfigurationFits() const {
  return config_.TotalNrOfSamples() <= config_.MaxNrOfSamples;
}

// The memory gauge: the samples in use and their playing time; full and red
// when they do not fit, saying by how long. The download is possible only
// when they fit and a sound board is online.
void Main::UpdateMemoryStatus() {
  const bool fits = ConfigurationFits();
  memoryStatus_->setValue(fits ? int(config_.TotalNrOfSamples()) : config_.MaxNrOfSamples);
  memoryStatus_->setFormat(QString::fromStdString(
      sound::MemoryGaugeText(config_.TotalNrOfSamples(), config_.MaxNrOfSamples)));
  memoryStatus_->setProperty("overflow", !fits);
  memoryStatus_->setStyleSheet(fits ? "" : "QProgressBar::chunk { background-color: #d02020; }");
  EnableButton(session::ImageButton::SendBtn,
               lifecycle_->LS_ONLINE() && lifecycle_->DEVICE_TYPE() == devlink::kSoundBoard);
}

// While a download or a load runs nothing else may reach the board or
// change the configuration: the buttons, the browser, the category lists
// and the panels are locked, and the agent is not asked for devices coming
// or going (a board dropped from under the download would take its link).
void Main::LockControls(bool locked) {
  if (locked) {
    if (!lockedStates_.empty()) return;  // locked already: keep the states it keeps
    agentPoll_.stop();
    lockedStates_.clear();
    const std::initializer_list<QWidget*> lockable = {loadBtn_,      saveBtn_,
                                                      configBtn_,    sendBtn_,
                                                      updateBtn_,    soundPanel_->Frame(),
                                                      browserFrame_, motionPanel_->Frame(),
                                                      ledFrame_};
    for (QWidget* w : lockable) {
      lockedStates_[w] = w->isEnabled();
      w->setEnabled(false);
    }
    return;
  }
  for (const auto& [w, enabled] : lockedStates_) {
    if (auto* b = qobject_cast<QToolButton*>(w))
      EnableImageButton(b, enabled);
    else
      w->setEnabled(enabled);
  }
  lockedStates_.clear();
  if (!shutDown_) agentPoll_.start(kAgentPollMs);
}

void Main::SetOnlinePicture(bool online) {
  onlinePicture_->setPixmap(bitmaps_.Load(online ? "LS_on.bmp" : "LS_off.bmp"));
  onlinePicture_->setProperty("picture", online ? "on" : "off");
  onlinePicture_->setToolTip(online ? "A board is connected"
                                    : "No board is connected: the program keeps looking for one");
}

void Main::SetSNLabel(const std::string& text) {
  snLabel_->setText(QString::fromStdString(text));
}

void Main::EnableButton(session::ImageButton button, bool enabled) {
  // A configuration that does not fit cannot be downloaded.
  if (button == session::ImageButton::SendBtn) enabled = enabled && ConfigurationFits();
  // The live sensor goes with the motion settings: offline, polling ends.
  if (button == session::ImageButton::ConfigBtn && motionPanel_)
    motionPanel_->SetLiveAvailable(enabled);
  QToolButton* b = Button(button);
  if (lockedStates_.count(b)) {
    lockedStates_[b] = enabled;  // applied when the download ends
    return;
  }
  EnableImageButton(b, enabled);
}

QToolButton* Main::Button(session::ImageButton button) const {
  switch (button) {
    case session::ImageButton::LoadBtn:
      return loadBtn_;
    case session::ImageButton::SaveBtn:
      return saveBtn_;
    case session::ImageButton::ConfigBtn:
      return configBtn_;
    case session::ImageButton::SendBtn:
      return sendBtn_;
    case session::ImageButton::UpdateBtn:
      return updateBtn_;
  }
  return sendBtn_;
}

void Main::ShowLedPanel(bool visible) {
  ledFrame_->setVisible(visible);
  // The browser and the categories under the LED panel go: Tab must not
  // take the focus where no one can see it.
  middleArea_->setVisible(!visible);
  memoryStatus_->setVisible(!visible);  // an LED driver has no sound memory
  if (visible) ledFrame_->raise();
  SetButtonTips(visible);
}

void Main::StartGoOnlineTimer(int intervalMs) {
  if (shutDown_) return;
  goOnlineTimer_->start(intervalMs);
}

void Main::StopGoOnlineTimer() {
  goOnlineTimer_->stop();
}

void Main::SetMemorySize(int samples) {
  config_.MaxNrOfSamples = samples;
  memoryStatus_->setRange(0, samples);
  UpdateMemoryStatus();
}

void Main::EnableLedPanel(bool enabled) {
  ledPanel_->Logic().EnableLedPanel(enabled);
}

bool Main::InitLedDrivers() {
  return ledPanel_->Logic().InitLedDrivers();
}

std::string Main::LedCatalogueProblem() const {
  return ledPanel_->Logic().CatalogueProblem();
}

bool Main::LedDriverSilent() const {
  return ledPanel_->Logic().DriverSilent();
}

void Main::SetButtonTips(bool ledDriver) {
  loadBtn_->setToolTip(ledDriver ? "Load LED settings from a file (Ctrl+O)"
                                 : "Load a sound configuration from a file (Ctrl+O)");
  saveBtn_->setToolTip(ledDriver ? "Save the LED settings to a file (Ctrl+S)"
                                 : "Save the sound configuration to a file (Ctrl+S)");
  configBtn_->setToolTip("Motion and impact settings of the board");
  sendBtn_->setToolTip("Download the sound configuration to the board (Ctrl+D)");
  updateBtn_->setToolTip("Fetch new sound fonts for this board (requires internet)");
}

void Main::LoadBtnClick() {
  if (lifecycle_->DEVICE_TYPE() == devlink::kLedDriver)
    ledPanel_->Logic().LoadLedSettings();
  else if (lifecycle_->DEVICE_TYPE() == devlink::kSoundBoard)
    soundPanel_->Logic().LoadConfigurationFile();
}

void Main::SaveBtnClick() {
  if (lifecycle_->DEVICE_TYPE() == devlink::kLedDriver)
    ledPanel_->Logic().SaveLedSettings();
  else if (lifecycle_->DEVICE_TYPE() == devlink::kSoundBoard)
    soundPanel_->Logic().SaveConfigurationFile();
}

// Online font update for the board's serial number; a board that does not
// tell it cannot start one.
QString Main::HelpPage() const {
  // Topmost first: the download is shown over the other panels.
  const std::pair<const QWidget*, const char*> overlays[] = {
      {downloadPanel_->Frame(), "downloading.html"},
      {motionPanel_->Frame(), "motion.html"},
      {ledFrame_, "led.html"},
  };
  for (const auto& [frame, page] : overlays) {
    if (frame->isVisibleTo(this)) return page;
  }
  const QWidget* focus = QApplication::focusWidget();
  if (focus && browserFrame_->isAncestorOf(focus)) return "building-a-font.html#adding";
  return "building-a-font.html";
}

void Main::UpdateBtnClick() {
  devlink::TLS* link = lifecycle_->DeviceLinks().First();
  if (!link || !updateManager_) return;
  const std::string serial = link->GetSN();
  if (serial == devlink::kNoSerialNumber) return;
  updateManager_->deviceId = serial;
  updateManager_->startUpdate();
  // "Load" in the dialog: the first new font, as the load button would.
  if (const auto configuration = updateForm_->TakeFontToLoad())
    soundPanel_->Logic().LoadConfigurationFrom(*configuration);
}

}  // namespace app
