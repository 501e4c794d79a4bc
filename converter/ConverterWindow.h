#pragma once
// brelka's window "RiziRozod Converter": the file browser, the Convert
// button, the wait panel and the logo. A thin view over ConverterActions.

#include <QWidget>
#include <memory>

#include "converter/ConverterActions.h"
#include "seams/QtEventPump.h"
#include "seams/UserDialogs.h"
#include "widgets/HelpWindow.h"

class QCheckBox;
class QFrame;
class QProgressBar;
class QPushButton;

namespace widgets {
class FileBrowser;
}

namespace converter {

inline constexpr const char* kConvertCaption = "   Convert WAV     to LSU";
inline constexpr const char* kResampleCaption = "Convert other formats to mono 16 bit 48 kHz";

class ConverterWindow : public QWidget, public ConverterView {
 public:
  // dialogs null: real Qt dialogs. The logo comes from appFolder; the
  // browser starts in startFolder (empty: appFolder too).
  ConverterWindow(const QString& appFolder, seams::UserDialogs* dialogs = nullptr,
                  const QString& startFolder = {});
  ~ConverterWindow() override;

  widgets::FileBrowser& Browser() { return *browser_; }
  // The user guide, opened on F1 at its page on brelka.
  widgets::Guide& Guide() { return guide_; }
  ConverterActions& Actions() { return *actions_; }

  // ConverterView.
  void ShowWaitPanel(bool visible) override;
  void PlayWav(const std::string& path, double seconds) override;
  void ShowProgress(bool visible) override;
  void SetProgress(double part) override;

 private:
  std::unique_ptr<seams::UserDialogs> ownDialogs_;
  widgets::Guide guide_;
  WavFile wav_;
  seams::QtEventPump events_;
  std::unique_ptr<ConverterActions> actions_;
  widgets::FileBrowser* browser_ = nullptr;
  QFrame* waitFrame_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool cancelRequested_ = false;
};

}  // namespace converter
