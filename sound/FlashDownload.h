#pragma once
// The download of a sound configuration into the board's flash: check that
// every category is filled, keep the motion values across the erase, erase,
// code, send every file in 1024-byte blocks, write the file table and check
// it, restart the board. The window, the command line and the tests run
// this same sequence through DownloadView and an event pump: a click on the
// frame's button (or Ctrl+C) arrives while the pump lets events run.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "devlink/TLS.h"
#include "seams/EventPump.h"
#include "seams/UserDialogs.h"
#include "seams/WindowHooks.h"
#include "sound/LSU_Configuration.h"

namespace sound {

// What the download shows besides the window hooks' labels.
class DownloadView : public seams::WindowHooks {
 public:
  virtual void ShowDownloadFrame(bool visible) = 0;
  virtual void SetFrameButton(const std::string& caption) = 0;
  virtual void StartHideFrameTimer(int intervalMs) = 0;
  // Locks (or unlocks) every control that could start another board
  // command or change the configuration.
  virtual void LockControls(bool locked) = 0;
  // One line on the state the board is left in ("" when there is nothing
  // to say): after a download that failed or was cancelled once the erase
  // had been asked for.
  virtual void ShowBoardState(const std::string& /*text*/) {}
};

inline constexpr const char* kErasing = "Erasing flash memory ...";
inline constexpr const char* kCoding = "Coding data...";
inline constexpr const char* kDownloading = "Downloading...";
inline constexpr const char* kSuccess = "SUCCESS !";
inline constexpr const char* kConnectionLost = "Connection lost";
inline constexpr const char* kMemoryCheckError = "Memory check error";
inline constexpr const char* kCanceled = "Canceled";
inline constexpr const char* kNotCoded = "A sound file could not be coded";
inline constexpr const char* kCancelQuestion =
    "Are you sure you want to cancel downloading ? \r\nThis might result in unsable behaviour !\r\n"
    "Press OK to resume downloading or Cancel to abort";
// After a cancel during an erase that has not finished; the values follow
// as NAME=VALUE, as `morvane-cli motion set` takes them.
inline constexpr const char* kMotionNotRestored =
    "The board had not finished erasing when the download was cancelled, so its motion values "
    "could not be restored. Set them again once the erase has finished. They were: ";
// After a download that failed or was cancelled once the erase had been
// asked for: the board cannot be trusted to hold a whole font.
inline constexpr const char* kBoardNotReady =
    "The board's sound memory is empty or incomplete: download again.";
inline constexpr int kEraseRounds = 20;
inline constexpr int kHideFrameMs = 2000;

// The 16-bit byte sum of a buffer, each value taken modulo 256.
uint32_t CRC_16b(std::span<const uint8_t> Data);

// "N %" with the percentage rounded to a whole number, halves to even.
std::string WholePercent(double percent);
// "37.5 %" or "40 %": one decimal, halves to even, no needless zero.
std::string TenthPercent(double percent);
// The erase's progress with the whole seconds it has taken: "10 % – 3 s".
std::string EraseProgress(double percent, int64_t seconds);

class FlashDownload {
 public:
  // How the download ended: the system's own values, which morvane-cli's
  // exit status and the tests rely on (the frame shows the failure's text).
  enum class Outcome { Missing, Success, ConnectionLost, MemoryCheckError, NotCoded, Canceled };

  // motion: the main window's six motion values, read before the erase and
  // written back after it. events: lets the window's events run while the
  // download waits and sends.
  FlashDownload(LSU_Configuration& config, devlink::TLS& link, DownloadView& view,
                seams::EventPump& events, seams::UserDialogs& dialogs, devlink::AccParams& motion);

  // The download button.
  Outcome Run();
  // The frame's button: "Cancel" asks whether to abort, any other caption
  // hides the frame. The caption is the one it shows now.
  void FrameButtonClick(const std::string& caption);

  bool DownloadSoundFile(const LSU_SoundFile& file);
  bool WriteFileTable();
  // After a download: each file's range on the board summed and compared
  // with its coded bytes. One entry per file in flash order.
  struct FileCheck {
    std::string fileName;
    bool matches;
  };
  std::vector<FileCheck> VerifyFiles();

  // Set by the frame's button once the user confirmed the cancel.
  bool CancelDownload = false;
  double PercentComplete = 0;
  // Also check every file's range after the table (before the restart); a
  // file that differs is a memory check error. The results land in
  // fileChecks.
  bool verify = false;
  std::vector<FileCheck> fileChecks;

 private:
  // The download's steps; Run adds what state the board is left in.
  Outcome RunSteps();
  Outcome Fail(const char* text, Outcome outcome);
  // Polls until the erase ends, at most kEraseRounds times.
  bool WaitForErase();
  void RestoreMotionAfterCancel();
  bool SendPiece(uint32_t address, const std::vector<uint8_t>& bytes);
  void Progress(int64_t bytes);

  LSU_Configuration& config_;
  devlink::TLS& link_;
  DownloadView& view_;
  seams::EventPump& events_;
  seams::UserDialogs& dialogs_;
  devlink::AccParams& motion_;
  bool eraseAsked_ = false;  // ClearFlash was sent: the flash may be gone
};

}  // namespace sound
