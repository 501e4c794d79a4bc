#pragma once
// The sound side of the main window: the category frame (Frame1) with an
// option button and a label or list box per category, the volume slider and
// the line a load ends with (LoadNoteLabel), and the "Please wait ..." note
// (PleaseWaitLabel) shown while an LSU file is turned into a WAV file. Files come from the browser
// by double-click or Enter, or dragged from its file list (or the desktop's file manager), go by
// double-click or Delete, and an LSU file plays by Ctrl+click while the window goes on; the note
// PlayingLabel names it until it ends, and Esc or a Ctrl+click on it again stops it. The volume
// slider shows its value (VolValueLabel) and its file's name (VolFileLabel); resting the mouse on
// a file shows its volume and length. Under the lists, a waveform strip (WaveformStrip) shows the
// file chosen in a category or in the browser at its volume, with a play head while it plays
// (moved by PlayHeadTimer). A thin view over sound::CategoryPanel: it shows what the
// logic tells it and hands every click, key, drop and focus change on. It is also what the
// configuration loader fills. Its changes can be undone (ConfigurationUndo).

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "seams/QtEventPump.h"
#include "seams/SoundPlayer.h"
#include "seams/UserDialogs.h"
#include "sound/CategoryPanel.h"

class QGridLayout;
class QGroupBox;
class QHelpEvent;
class QKeyEvent;
class QLabel;
class QListWidget;
class QRadioButton;
class QShortcut;
class QSlider;
class QTimer;
class QWidget;

namespace widgets {
class FileBrowser;
class WavPlayer;
class WaveformStrip;
}  // namespace widgets

namespace app {

class ConfigurationUndo;

class SoundPanel : public QObject, public sound::CategoryPanelView {
 public:
  struct Setup {
    QWidget* window;  // its activation hides the slider
    sound::LSU_Configuration* config;
    seams::UserDialogs* dialogs;
    // Its file list adds by double-click and plays by Ctrl+click; the focus
    // in any of its controls hides the slider.
    widgets::FileBrowser* browser;
    QString scratchFolder;  // where temp.wav is written
    QString startFolder;    // where the load and save dialogs start
    std::function<void()> updateMemoryStatus;
    // Plays the scratch WAV file; null: the sound output.
    seams::SoundPlayer* player = nullptr;
  };
  // Builds the category frame and the wait note for the window to place.
  explicit SoundPanel(Setup setup);
  ~SoundPanel() override;

  QGroupBox* Frame() const { return frame_; }
  QGroupBox* WaitNote() const { return wait_; }
  widgets::WaveformStrip* Waveform() const { return waveform_; }

  sound::CategoryPanel& Logic() { return logic_; }
  ConfigurationUndo& Undo() { return *undo_; }
  // The category of the first option button that is set, 0 for none.
  int SelectedCategory() const;
  // Adds a file to a category as a double-click does; true when added.
  bool AddToCategory(const QString& path, int category);
  // Files the user adds (double-click, Enter, drop) pass through this
  // before the category takes them: it gives the paths to add instead
  // (the window converts recordings there). None: added as they are.
  std::function<std::vector<std::string>(const std::vector<std::string>& paths, int category)>
      prepareFiles;
  // Locks (true) and unlocks the window's controls while a configuration
  // loads. None: nothing is locked.
  std::function<void(bool locked)> lockControls;
  // Named by the system's interface: plays an LSU file through "temp.wav"
  // in the scratch folder (the panel's own clicks go to the logic).
  void PlayLSU(const QString& path);

  // CategoryPanelView.
  void SetFileLabel(sound::FileType category, const std::string& name) override;
  void ClearList(sound::FileType category) override;
  void AddToList(sound::FileType category, const std::string& name) override;
  void UpdateMemoryStatus() override { updateMemoryStatus_(); }
  void CheckOption(sound::FileType category) override;
  void RemoveFromList(sound::FileType category, int row) override;
  void ShowVolume(int volume, const std::string& fileName) override;
  void HideVolume() override;
  void ShowList(sound::FileType category, const std::vector<std::string>& names) override;
  void MarkRow(sound::FileType category, int row) override;
  void ShowConverting(bool visible) override;
  void ShowLoading(bool loading) override {
    if (lockControls) lockControls(loading);
  }
  void ShowLoadNote(const std::string& text) override;
  void ShowPlaying(const std::string& name) override;
  void ShowSound(const std::string& path, int volume) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Category {
    sound::FileType code;
    QRadioButton* option;
    QLabel* label;      // single categories
    QListWidget* list;  // list categories
    QWidget* viewport;  // the list's, where its mouse events arrive
  };
  void BuildFrame();
  void BuildWaitNote();
  // Hands the user's clicks, drops and focus changes on the category's
  // controls to the logic.
  void Wire(const Category& c);
  const Category* CategoryOf(const QObject* control) const;
  const Category& CategoryFor(int code) const;
  // Selects the category as a click on its control does.
  void Select(const Category& c);
  // The row a list category's volume and Ctrl+click go to; 0 for a label.
  static int Row(const Category& c);
  // The category whose option button this is; null for any other control.
  const Category* OptionCategory(const QObject* control) const;
  // Keys: Enter in the file list adds its selected files, Delete on a
  // category (its list or option button) removes its selected file.
  bool KeyPressed(QObject* watched, QKeyEvent* key);
  // The tooltip of the file under the mouse in a category.
  bool ShowFileTip(const Category& c, QHelpEvent* help);
  // Drags of files (from the file list or the desktop) onto a category.
  bool Dragged(const Category& c, QEvent* event);
  // Adds the user's files to a category, through prepareFiles.
  void AddFiles(const std::vector<std::string>& paths, int category);
  void BuildVolumeBox(QGridLayout* grid, int rows);
  void ShowVolumeValue(int volume);
  // The play head follows the sound that plays, while the strip shows it.
  void MovePlayHead();
  // The browser's current file shows in the strip.
  void ShowBrowserFile();
  seams::QtEventPump events_;
  std::unique_ptr<widgets::WavPlayer> ownPlayer_;  // when the window gives none
  seams::SoundPlayer* player_;
  sound::CategoryPanel logic_;
  QWidget* window_;
  widgets::FileBrowser* browser_;
  std::function<void()> updateMemoryStatus_;
  QGroupBox* frame_;
  std::vector<Category> categories_;  // in option order: boot .. lock-up
  QSlider* volume_;
  QWidget* volumeBox_;       // the slider with its value and its file's name
  QLabel* volumeValue_;      // VolValueLabel
  QLabel* volumeFile_;       // VolFileLabel
  bool volumeHeld_ = false;  // the mouse holds the slider since its last change
  QLabel* loadNote_;         // under the categories: how the last load found its files
  QLabel* playingNote_;      // which file plays
  QShortcut* stopKey_;       // Esc, while a sound plays
  widgets::WaveformStrip* waveform_;
  QTimer* playHead_;  // moves the strip's play head while a sound plays
  QGroupBox* wait_;
  QListWidget* files_;
  QWidget* filesViewport_;
  ConfigurationUndo* undo_;
};

}  // namespace app
