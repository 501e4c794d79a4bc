#pragma once
// brelka's window "RiziRozod Converter": the file browser, the Convert
// button, the wait panel and the logo. A thin view over ConverterActions.

#include <QWidget>
#include <memory>

#include "converter/ConverterActions.h"
#include "seams/UserDialogs.h"

class QFrame;

namespace widgets {
class FileBrowser;
}

namespace converter {

inline constexpr const char* kConvertCaption = "   Convert WAV     to LSU";

class ConverterWindow : public QWidget, public ConverterView, public seams::WindowHooks {
 public:
  // dialogs null: real Qt dialogs. The logo comes from appFolder; the
  // browser starts in startFolder (empty: appFolder too).
  ConverterWindow(const QString& appFolder, seams::UserDialogs* dialogs = nullptr,
                  const QString& startFolder = {});
  ~ConverterWindow() override;

  widgets::FileBrowser& Browser() { return *browser_; }
  ConverterActions& Actions() { return *actions_; }

  // ConverterView.
  void ShowWaitPanel(bool visible) override;
  void PlayWav(const std::string& path, double seconds) override;
  // WindowHooks: only the event pump is used.
  void SetInfoLabel(const std::string&) override {}
  void SetPercentLabel(const std::string&) override {}
  void SetPercentComplete(double) override {}
  bool CancelDownload() const override { return false; }
  void DoEvents() override;

 private:
  std::unique_ptr<seams::UserDialogs> ownDialogs_;
  WavFile wav_;
  std::unique_ptr<ConverterActions> actions_;
  widgets::FileBrowser* browser_ = nullptr;
  QFrame* waitFrame_ = nullptr;
};

}  // namespace converter
