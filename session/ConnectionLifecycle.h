#pragma once
// The connection's life as the main window sees it: set up the HID agent,
// search for the board, keep one device link per bound interface, go online
// (identify the board, show its serial number, switch the window's layout)
// and offline, retry once a second while offline, and say goodbye at exit.
// The window implements ConnectionView; tests use a recorder.

#include <set>
#include <string>

#include "devlink/BoardKind.h"
#include "devlink/DeviceLinks.h"
#include "devlink/HIDagentX.h"
#include "seams/UserDialogs.h"
#include "session/BoardLinks.h"

namespace session {

enum class ImageButton { LoadBtn, SaveBtn, ConfigBtn, SendBtn, UpdateBtn };

class ConnectionView {
 public:
  virtual ~ConnectionView() = default;
  virtual void SetOnlinePicture(bool online) = 0;  // "LS_on.bmp" or "LS_off.bmp"
  virtual void SetSNLabel(const std::string& text) = 0;
  // Enables or disables a button and shows its normal or "_off" picture.
  virtual void EnableButton(ImageButton button, bool enabled) = 0;
  virtual void ShowLedPanel(bool visible) = 0;  // frmLED
  // Fires GoOnlineTimerTick once, intervalMs from now (restarting it when
  // it runs already).
  virtual void StartGoOnlineTimer(int intervalMs) = 0;
  virtual void StopGoOnlineTimer() = 0;
  // The board's capacity in samples: the sound configuration's
  // MaxNrOfSamples and the maximum of the memory gauge.
  virtual void SetMemorySize(int samples) = 0;
  // The panels of the motion sensor and the LED driver.
  virtual void ReadAccData() {}
  virtual void EnableLedPanel(bool) {}
  virtual bool InitLedDrivers() { return true; }
  // After InitLedDrivers failed: why the catalogue could not be read, or
  // empty when it was read (and found wrong) or was not the cause.
  virtual std::string LedCatalogueProblem() const { return {}; }
  // After InitLedDrivers failed: the driver did not answer (a lost answer
  // or an unplugged board), so the catalogue is not to blame.
  virtual bool LedDriverSilent() const { return false; }
};

inline constexpr int kGoOnlineIntervalMs = 1000;
inline constexpr const char* kNoConnectionQuestion =
    "A connection with DudedAvori could not be established.\r\n Press OK to work offline or Cancel "
    "to exit the application";

class ConnectionLifecycle {
 public:
  // Takes over the agent's four events.
  ConnectionLifecycle(devlink::HIDagentX& agent, ConnectionView& view, seams::UserDialogs& dialogs);
  // Hands the agent's events back.
  ~ConnectionLifecycle();
  ConnectionLifecycle(const ConnectionLifecycle&) = delete;
  ConnectionLifecycle& operator=(const ConnectionLifecycle&) = delete;

  // Start-up: set up the agent and search for the board; online when found,
  // else offline after asking whether to go on. False when the user chose
  // to end the program.
  bool ConnectAtStartup();
  // Start-up without a board to work with: offline, the LED panel off, the
  // timer retrying.
  void StartOffline();
  // Exit: Bye to the first link, then close the agent; errors are ignored.
  void Exit();

  void SetUpHidAgent() { board_.SetUpHidAgent(); }
  bool SearchBoard() { return board_.SearchBoard(); }
  void GoOnline();
  void GoOffline();
  // While offline: asks the first board that has not been refused for its
  // serial number, and goes online with it when it answers. Still offline,
  // it starts the timer again for the next retry (the view's timer fires
  // once per start).
  void GoOnlineTimerTick();
  void CloseHidAgent() { board_.CloseHidAgent(); }

  // The agent's device events (its interface events go to the links).
  void DeviceArrived();
  void DeviceRemoved();

  // The board state the window keeps: one link per bound board interface
  // (commands go to the first), whether the window is in its online
  // layout, the kind of the board last identified (a sound board until
  // one was) and its firmware version (0 when it does not tell it).
  devlink::DeviceLinks& DeviceLinks() { return board_.Links(); }
  const devlink::DeviceLinks& DeviceLinks() const { return board_.Links(); }
  bool LS_ONLINE() const { return online_; }
  devlink::DeviceType DEVICE_TYPE() const { return deviceType_; }
  int FW_VERSION() const { return fwVersion_; }
  // The capacity in samples of the sound board last identified.
  int MemorySize() const { return memorySize_; }
  // Set by the window while its start-up runs: a device arriving then is
  // left to the start-up's own search.
  bool startupInProgress = false;

  // Named by the system's interface: the links are reached through
  // DeviceLinks.
  devlink::TLS* LastLink() const { return DeviceLinks().LastLink(); }

 private:
  void EnableSoundButtons(bool enabled);
  void TryToGoOnline();
  bool Refused(const devlink::TLS& link) const { return refused_.count(link.ClassDebugID) != 0; }

  BoardLinks board_;
  bool online_ = false;
  devlink::DeviceType deviceType_ = devlink::kSoundBoard;
  int fwVersion_ = 0;
  int memorySize_ = devlink::kDefaultCapacity;
  // Links (by ClassDebugID) of boards that the window could not work with
  // (an LED driver whose LED type the catalogue lacks): never taken online
  // again. Unplugging the board drops its link; plugged in again, it gets
  // a new one and is tried afresh.
  std::set<int> refused_;

  ConnectionView& view_;
  seams::UserDialogs& dialogs_;
};

}  // namespace session
