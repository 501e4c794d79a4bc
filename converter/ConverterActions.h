#pragma once
// What the converter's window does when the user double-clicks a file or
// presses Convert, without the window: messages and the save dialog go
// through UserDialogs, the wait panel and playback through ConverterView.

#include <string>
#include <vector>

#include "converter/WavFile.h"
#include "seams/UserDialogs.h"
#include "seams/WindowHooks.h"

namespace converter {

inline constexpr const char* kLsuFilter =
    "Duded Avori Uncompressed File (*.LSU)|*.lsu|All files (*.*)|*.*";
inline constexpr const char* kInvalidWav = "Invalid WAV file";
inline constexpr const char* kWrongFormat = "Only mono files coded 16bit @ 48kHz can be converted";

class ConverterView {
 public:
  virtual ~ConverterView() = default;
  virtual void ShowWaitPanel(bool visible) = 0;
  // Plays a WAV file and returns when it has ended (at most its length and
  // a little more, with or without a sound device).
  virtual void PlayWav(const std::string& path, double seconds) = 0;
};

// The refusal for an output that cannot be written or would replace the
// input; empty for a conversion that went through.
std::string ConversionProblem(WavFile::Result result, const std::string& output);

// Every "wav" of the name, in any case, becomes "lsu": Hum1.WAV -> Hum1.lsu.
std::string LsuNameFor(const std::string& wavName);

class ConverterActions {
 public:
  ConverterActions(WavFile& wav, seams::UserDialogs& dialogs, ConverterView& view,
                   seams::WindowHooks& hooks)
      : wav_(wav), dialogs_(dialogs), view_(view), hooks_(hooks) {}

  // Double-click on a file: play it, then show what it is.
  void ShowInformation(const std::string& path);
  // Convert: `selected` are the selected entries of the folder's list in
  // list order, `current` the list's current entry.
  void Convert(const std::string& folder, const std::vector<std::string>& selected,
               const std::string& current);

 private:
  void ConvertOne(const std::string& folder, const std::string& name);
  void ConvertBatch(const std::string& folder, const std::vector<std::string>& names);
  bool ConvertShowingWait(const std::string& output);
  void Refuse(const std::string& text);

  WavFile& wav_;
  seams::UserDialogs& dialogs_;
  ConverterView& view_;
  seams::WindowHooks& hooks_;
};

}  // namespace converter
