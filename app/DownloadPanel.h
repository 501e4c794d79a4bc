#pragma once
// The download frame (DownloadFrame with InfoLabel, PercentLabel and
// FrameButton): shows the download's phase and progress, asks before a
// cancel, and hides itself two seconds after a success (HideFrameTimer).
// After a failure or a cancel, BoardStateLabel says what the board holds.
// A thin view over sound::FlashDownload.

#include <functional>
#include <memory>

#include "seams/QtEventPump.h"
#include "sound/FlashDownload.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace app {

class DownloadPanel : public sound::DownloadView {
 public:
  // Builds the frame, hidden, for the window to place. lock: locks or
  // unlocks the window's other controls.
  explicit DownloadPanel(std::function<void(bool)> lock);

  QGroupBox* Frame() const { return frame_; }

  sound::FlashDownload::Outcome Run(sound::LSU_Configuration& config, devlink::TLS& link,
                                    seams::UserDialogs& dialogs, devlink::AccParams& motion);
  bool Running() const { return download_ != nullptr; }

  // DownloadView.
  void SetInfoLabel(const std::string& text) override;
  void SetPercentLabel(const std::string& text) override;
  void SetPercentComplete(double) override {}
  void ShowDownloadFrame(bool visible) override;
  void SetFrameButton(const std::string& caption) override;
  void StartHideFrameTimer(int intervalMs) override;
  void LockControls(bool locked) override { lock_(locked); }
  void ShowBoardState(const std::string& text) override;

 private:
  QGroupBox* frame_;
  QLabel* info_;
  QLabel* percent_;
  QLabel* boardState_;
  QPushButton* button_;
  QTimer* hideTimer_;
  std::function<void(bool)> lock_;
  // The frame's button is clicked while the download lets events run.
  seams::QtEventPump events_;
  std::unique_ptr<sound::FlashDownload> download_;
};

}  // namespace app
