#pragma once
// The user dialogs as real Qt dialogs.

#include <QString>
#include <QWidget>

#include "seams/UserDialogs.h"
#include "sound/WaveformService.h"

namespace widgets {

// "Text (*.txt)|*.txt|All files (*.*)|*.*" -> "Text (*.txt) (*.txt *.TXT);;All files (*.*) (*)".
// Patterns match in either letter case, as users of the board's files expect.
QString ToQtFilter(const std::string& filter);

class QtDialogs : public seams::UserDialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  // How AboutSound reads its file's waveform (LSU files unless told).
  void SetSoundReader(sound::WaveformService::Reader reader) { soundReader_ = std::move(reader); }
  seams::DialogResult Message(const std::string& text, seams::DialogIcon icon,
                              seams::DialogButtons buttons) override;
  seams::DialogResult AskCautiously(const std::string& text, seams::DialogIcon icon,
                                    seams::DialogButtons buttons) override;
  // The box has a waveform strip (InfoWaveformStrip) under its text.
  seams::DialogResult AboutSound(const std::string& text, const std::string& soundPath) override;
  std::optional<std::string> OpenFile(const seams::FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const seams::FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const std::string& initialFolder,
                                          const std::string& title) override;
  std::optional<int32_t> PickColor(int32_t initial) override;

 private:
  seams::DialogResult Ask(const std::string& text, seams::DialogIcon icon,
                          seams::DialogButtons buttons, bool cancelByDefault,
                          const std::string& soundPath = {});

  QWidget* parent_;
  sound::WaveformService::Reader soundReader_ = sound::SummariseLsu;
};

}  // namespace widgets
