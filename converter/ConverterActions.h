#pragma once
// What the converter's window does when the user double-clicks a file or
// presses Convert, without the window: messages and the save dialog go
// through UserDialogs, the wait panel and playback through ConverterView,
// and the window's events (the cancel button's click among them) run
// through the event pump while a conversion works.

#include <functional>
#include <string>
#include <vector>

#include "converter/BatchConversion.h"
#include "converter/WavFile.h"
#include "seams/EventPump.h"
#include "seams/UserDialogs.h"

namespace converter {

inline constexpr const char* kLsuFilter =
    "Duded Avori Uncompressed File (*.LSU)|*.lsu|All files (*.*)|*.*";

class ConverterView {
 public:
  virtual ~ConverterView() = default;
  virtual void ShowWaitPanel(bool visible) = 0;
  // Plays a WAV file and returns when it has ended (at most its length and
  // a little more, with or without a sound device).
  virtual void PlayWav(const std::string& path, double seconds) = 0;
  // The progress bar and the cancel button of a conversion that resamples
  // (the wait panel shows as well); part done from 0 to 1.
  virtual void ShowProgress(bool) {}
  virtual void SetProgress(double) {}
};

class ConverterActions {
 public:
  // cancelled: whether the cancel button of a resampling conversion was
  // pressed; none: no cancel.
  ConverterActions(WavFile& wav, seams::UserDialogs& dialogs, ConverterView& view,
                   seams::EventPump& events, std::function<bool()> cancelled = nullptr)
      : wav_(wav),
        dialogs_(dialogs),
        view_(view),
        events_(events),
        cancelled_(std::move(cancelled)) {}

  // Resampling on: files of other formats are shown and converted too.
  void SetResample(bool on) { resample_ = on; }
  bool Resample() const { return resample_; }

  // Double-click on a file: play it, then show what it is.
  void ShowInformation(const std::string& path);
  // Convert: `selected` are the selected entries of the folder's list in
  // list order, `current` the list's current entry.
  void Convert(const std::string& folder, const std::vector<std::string>& selected,
               const std::string& current);

 private:
  void ConvertOne(const std::string& folder, const std::string& name);
  void ConvertBatch(const std::string& folder, const std::vector<std::string>& names);
  void ConvertBatchResampling(const std::string& folder, const std::vector<std::string>& names);
  // Runs the entries with the wait panel, the progress bar and the cancel
  // button shown; each result goes to `each`. True when cancelled.
  bool RunShowingProgress(const std::vector<BatchEntry>& entries,
                          const std::function<void(size_t, const ConversionResult&)>& each);
  bool ConvertShowingWait(const std::string& output);
  void Refuse(const std::string& text);

  WavFile& wav_;
  seams::UserDialogs& dialogs_;
  ConverterView& view_;
  seams::EventPump& events_;
  std::function<bool()> cancelled_;
  bool resample_ = false;
};

}  // namespace converter
