#pragma once
// The download frame: shows the download's phase and progress, asks before
// a cancel, and hides itself two seconds after a success. A thin view over
// sound::FlashDownload.

#include <QGroupBox>
#include <QTimer>
#include <functional>
#include <memory>

#include "sound/FlashDownload.h"

class QLabel;
class QPushButton;

namespace app {

class DownloadPanel : public sound::DownloadView {
 public:
  // frame: DownloadFrame with InfoLabel, PercentLabel and FrameButton;
  // lock: locks or unlocks the window's other controls.
  DownloadPanel(QGroupBox* frame, QTimer* hideFrameTimer, std::function<void(bool)> lock);

  sound::FlashDownload::Outcome Run(sound::LSU_Configuration& config, devlink::TLS& link,
                                    seams::UserDialogs& dialogs, devlink::AccParams& motion);
  bool Running() const { return download_ != nullptr; }

  // DownloadView.
  void SetInfoLabel(const std::string& text) override;
  void SetPercentLabel(const std::string& text) override;
  void SetPercentComplete(double) override {}
  bool CancelDownload() const override { return download_ && download_->CancelDownload; }
  void DoEvents() override;
  void ShowDownloadFrame(bool visible) override;
  void SetFrameButton(const std::string& caption) override;
  void StartHideFrameTimer(int intervalMs) override;
  void LockControls(bool locked) override { lock_(locked); }

 private:
  QGroupBox* frame_;
  QLabel* info_;
  QLabel* percent_;
  QPushButton* button_;
  QTimer* hideTimer_;
  std::function<void(bool)> lock_;
  std::unique_ptr<sound::FlashDownload> download_;
};

}  // namespace app
