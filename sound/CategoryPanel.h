#pragma once
// The logic of the sound category panel, without widgets: which file goes
// into which category (only valid LSU files, at most 12 in a list), which
// file the volume control belongs to, removing files, playing an LSU file
// through "temp.wav" in the scratch folder (the window goes on meanwhile;
// Esc or a Ctrl+click on the same sound stops it), and the load and save
// buttons. It knows whether the configuration changed since it was loaded
// or saved, and asks before such a configuration is lost; it reports every
// change as one step that can be undone. The window's panel
// (app::SoundPanel) shows what it is told through CategoryPanelView and
// hands the user's clicks, double-clicks, keys, drops and Ctrl+clicks to
// it; messages go through UserDialogs.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "seams/EventPump.h"
#include "seams/SoundPlayer.h"
#include "seams/UserDialogs.h"
#include "sound/CategoryDisplays.h"
#include "sound/ConfigurationEdit.h"
#include "sound/ConfigurationFile.h"
#include "sound/LSU_Configuration.h"

namespace sound {

// The temporary WAV file an LSU file is played through, in the scratch
// folder (the application folder when it may be written, else the user's
// cache folder).
inline constexpr const char* kPlaybackWav = "temp.wav";
// Said once, at the first Ctrl+click on a computer without an audio output.
inline constexpr const char* kNoSoundOutput =
    "No sound output is available: the sound files cannot be played on this computer.";

// The questions before a configuration that changed since it was loaded or
// saved would be lost.
inline constexpr const char* kSaveBeforeClosing =
    "The sound configuration has changed. Save it before closing?";
inline constexpr const char* kSaveBeforeLoading =
    "The sound configuration has changed. Save it before loading another?";

class CategoryPanel {
 public:
  // Where the panel writes its scratch WAV file and where the load and
  // save dialogs start.
  struct Folders {
    std::string scratch;
    std::string start;
  };
  // events: lets the window's events run while a configuration loads.
  // player: plays the scratch WAV file; null plays nothing.
  CategoryPanel(LSU_Configuration& config, CategoryPanelView& view, seams::EventPump& events,
                seams::UserDialogs& dialogs, Folders folders, seams::SoundPlayer* player);
  ~CategoryPanel();
  CategoryPanel(const CategoryPanel&) = delete;
  CategoryPanel& operator=(const CategoryPanel&) = delete;

  // Adds a file to a category as a double-click in the file browser or a
  // drop does: a single category's label shows it, a list gets it at its
  // end. A full list ("Maximum number of Motion files reached") and a file
  // that is not a valid LSU file ("Not a valid file") are refused with a
  // message. False when refused, or for no category (0).
  bool Add(const std::string& path, int category);
  // Adds several files in order, as a drop or Enter on several selected
  // files does, as one step: a list takes them until it is full (its
  // "Maximum number of ... reached" once), a single category takes the
  // first. Files that are not valid are passed over, with "Not a valid
  // file" once. The number of files added.
  int AddFiles(const std::vector<std::string>& paths, int category);

  // The user chose a single category (its option button or its label): the
  // volume control shows its file's volume and the view its waveform, or
  // both hide when it is empty.
  void SelectSingle(FileType category);
  // The user chose a list category with its 0-based marked row (-1: none):
  // the volume control shows that file's volume and the view its waveform,
  // or both hide.
  void SelectInList(FileType category, int row);
  // The user moved the volume control: the file it belongs to gets it, and
  // its waveform shows at it.
  // sameMove: the mouse still holds the control since the last volume, so
  // both are one step.
  void SetVolume(int volume, bool sameMove = false);
  // The user went elsewhere (the file browser, another window, a load).
  void HideVolume();
  // The user chose a file in the file browser: its waveform shows, at the
  // volume a file gets when it is added.
  void ChooseInBrowser(const std::string& path);

  // A double-click: empties a single category (row ignored) or removes the
  // 0-based row of a list (-1: nothing), the later files moving up.
  void Remove(FileType category, int row);

  // Ctrl+click on a category: plays its file, or the file at the 0-based
  // row of a list, and shows its waveform.
  void PlayFromCategory(FileType category, int row);
  // Plays an LSU file: writes its samples as kPlaybackWav into the scratch
  // folder, starts playing that and returns; the view shows the playing
  // file until the sound ends. The file that is playing stops instead;
  // another one takes its place. A path that does not end in ".lsu" (any
  // case), or a file that cannot be read or written, plays nothing. Without
  // a sound output nothing plays, and the user is told so the first time.
  void PlayLsu(const std::string& path);
  // Esc: the sound stops.
  void StopPlaying();
  bool Playing() const { return player_ && player_->Playing(); }
  // The LSU file that plays; "" when none does.
  const std::string& PlayingFile() const { return playing_; }

  // What a file of a category shows when the mouse rests on it: its
  // volume and length ("Volume: 80 %\nLength: 2.4 s"); empty for an empty
  // category or a row that is not there.
  std::string FileTip(FileType category, int row) const;

  // The load button: asks for a configuration file and loads it; the view's
  // load note then tells how many files were found beside it. A
  // configuration that changed is offered for saving first.
  LoadOutcome LoadConfigurationFile();
  // Loads the configuration file at path as the load button does once its
  // dialog is answered (the update dialog's "Load" does), the question
  // first included.
  LoadOutcome LoadConfigurationFrom(const std::string& path);
  // The save button: asks for a file name and saves the configuration. A
  // name typed without an extension gets ".lscfg".
  SaveResult SaveConfigurationFile();

  // Whether the configuration differs from the one last loaded or saved
  // (or the one the panel started with).
  bool Changed() const;
  // Before the configuration would be lost: when it changed, asks
  // `question` (Save / Discard / Cancel). True when the caller may go on:
  // nothing changed, Discard, or Save and it was saved.
  bool SaveChangesFirst(const std::string& question);

  // Every change to the categories (add, remove, volume, load) is handed
  // to `record` as one step that can be undone; without one (the command
  // line), changes are not kept.
  void OnEdit(std::function<void(ConfigurationEdit)> record) { record_ = std::move(record); }
  // Undo (after false) or redo (after true): puts the categories the edit
  // touched back as they were before or after it and shows them; after a
  // volume edit its file is selected with that volume.
  void Restore(const ConfigurationEdit& edit, bool after);

  // Named by the system's interface: the category and 1-based list number
  // of the file the volume control belongs to (category 0 before the first
  // choice, number 0 for a single category). The panel keeps them for
  // SetVolume; nothing else reads them.
  int VolumeType() const { return volumeType_; }
  int VolumeIndex() const { return volumeIndex_; }

 private:
  LSU_Configuration& config_;
  CategoryPanelView& view_;
  seams::EventPump& events_;
  seams::UserDialogs& dialogs_;
  Folders folders_;
  seams::SoundPlayer* player_;
  int finishedListener_ = 0;
  std::string playing_;  // the LSU file that plays
  bool toldNoOutput_ = false;
  // A load of the file `choose` names (none: cancelled) after the question
  // for a changed configuration: one step to undo, and what is loaded is
  // saved work. The window is locked while the file loads, not while the
  // user chooses it.
  LoadOutcome LoadAfterAsking(const std::function<std::optional<std::string>()>& choose);
  // Shows the files of the categories as the configuration holds them.
  void ShowContents(const ConfigurationContents& contents);
  // Hands the edit that took the categories of `before` to their present
  // contents to the recorder.
  void Record(ConfigurationEdit::Kind kind, ConfigurationContents before,
              bool continuesLast = false);
  void MarkSaved();
  // The volume control and the waveform show the file they belong to.
  void ShowChosen();

  int volumeType_ = 0;
  int volumeIndex_ = 0;
  std::function<void(ConfigurationEdit)> record_;
  std::optional<std::string> saved_;  // the configuration's text when last loaded or saved
};

}  // namespace sound
