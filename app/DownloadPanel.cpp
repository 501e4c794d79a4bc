#include "app/DownloadPanel.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/OverlayFrame.h"
#include "widgets/Named.h"

namespace app {

DownloadPanel::DownloadPanel(std::function<void(bool)> lock)
    : frame_(OverlayFrame("DownloadFrame", "Downloading")),
      info_(widgets::Named<QLabel>("InfoLabel")),
      percent_(widgets::Named<QLabel>("PercentLabel")),
      boardState_(widgets::Named<QLabel>("BoardStateLabel")),
      button_(widgets::Named<QPushButton>("FrameButton", "Cancel")),
      hideTimer_(widgets::Named<QTimer>("HideFrameTimer", frame_)),
      lock_(std::move(lock)) {
  auto* layout = new QVBoxLayout(frame_);
  layout->addWidget(info_);
  layout->addWidget(percent_);
  boardState_->setWordWrap(true);
  boardState_->hide();
  layout->addWidget(boardState_);
  layout->addWidget(button_);
  frame_->setMinimumWidth(300);
  hideTimer_->setSingleShot(true);
  QObject::connect(button_, &QPushButton::clicked, frame_, [this] {
    const std::string caption = button_->text().toStdString();
    if (download_)
      download_->FrameButtonClick(caption);
    else if (caption != "Cancel")
      ShowDownloadFrame(false);
  });
  QObject::connect(hideTimer_, &QTimer::timeout, frame_, [this] {
    hideTimer_->stop();
    ShowDownloadFrame(false);
  });
}

sound::FlashDownload::Outcome DownloadPanel::Run(sound::LSU_Configuration& config,
                                                 devlink::TLS& link, seams::UserDialogs& dialogs,
                                                 devlink::AccParams& motion) {
  // The timer of an earlier success would hide this download's frame.
  hideTimer_->stop();
  download_ = std::make_unique<sound::FlashDownload>(config, link, *this, events_, dialogs, motion);
  const auto outcome = download_->Run();
  download_.reset();
  return outcome;
}

void DownloadPanel::SetInfoLabel(const std::string& text) {
  info_->setText(QString::fromStdString(text));
}

void DownloadPanel::SetPercentLabel(const std::string& text) {
  percent_->setText(QString::fromStdString(text));
}

void DownloadPanel::ShowBoardState(const std::string& text) {
  boardState_->setText(QString::fromStdString(text));
  boardState_->setVisible(!text.empty());
}

void DownloadPanel::ShowDownloadFrame(bool visible) {
  frame_->setVisible(visible);
  if (visible) frame_->raise();
}

void DownloadPanel::SetFrameButton(const std::string& caption) {
  button_->setText(QString::fromStdString(caption));
}

void DownloadPanel::StartHideFrameTimer(int intervalMs) {
  hideTimer_->start(intervalMs);
}

}  // namespace app
