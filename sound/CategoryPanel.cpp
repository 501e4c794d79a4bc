#include "sound/CategoryPanel.h"

#include <algorithm>
#include <filesystem>

#include "fileio/Utf8Path.h"
#include "seams/UnsavedChanges.h"
#include "sound/FontLocator.h"
#include "sound/Waveform.h"

namespace sound {

namespace {

void Tell(seams::UserDialogs& dialogs, const std::string& text) {
  dialogs.Message(text, seams::DialogIcon::None, seams::DialogButtons::Ok);
}

}  // namespace

CategoryPanel::CategoryPanel(LSU_Configuration& config, CategoryPanelView& view,
                             seams::EventPump& events, seams::UserDialogs& dialogs, Folders folders,
                             seams::SoundPlayer* player)
    : config_(config),
      view_(view),
      events_(events),
      dialogs_(dialogs),
      folders_(std::move(folders)),
      player_(player),
      saved_(ConfigurationText(config_)) {
  if (player_)
    finishedListener_ = player_->WhenFinished([this] {
      playing_.clear();
      view_.ShowPlaying("");
    });
}

CategoryPanel::~CategoryPanel() {
  if (player_) player_->Forget(finishedListener_);
}

bool CategoryPanel::Add(const std::string& path, int code) {
  return AddFiles({path}, code) == 1;
}

int CategoryPanel::AddFiles(const std::vector<std::string>& paths, int code) {
  const SoundCategory* category = FindCategory(code);
  if (!category || paths.empty()) return 0;
  ConfigurationContents before = TakeContents(config_, {category->code});
  int added = 0;
  bool refused = false;
  for (const std::string& path : paths) {
    if (category->isList && config_.Count(code) >= LSU_Configuration::kMaxListFiles) {
      Tell(dialogs_, std::string("Maximum number of ") + category->caption + " files reached");
      break;
    }
    if (!config_.AddFile(path, code)) {
      refused = true;
      continue;
    }
    ++added;
    if (!category->isList) {
      view_.SetFileLabel(category->code, fileio::FileNameOf(path));
      break;  // a single category holds one file
    }
    view_.AddToList(category->code, fileio::FileNameOf(path));
  }
  if (refused) Tell(dialogs_, "Not a valid file");
  if (added == 0) return 0;
  view_.UpdateMemoryStatus();
  Record(ConfigurationEdit::Kind::Add, std::move(before));
  return added;
}

void CategoryPanel::SelectSingle(FileType category) {
  view_.CheckOption(category);
  if (config_.GetFile(category, 0).FileName.empty()) {
    HideVolume();
    view_.ShowSound("", 0);
    return;
  }
  volumeType_ = category;
  volumeIndex_ = 0;
  ShowChosen();
}

void CategoryPanel::SelectInList(FileType category, int row) {
  view_.CheckOption(category);
  if (row < 0 || row >= config_.Count(category)) {
    HideVolume();
    view_.ShowSound("", 0);
    return;
  }
  volumeType_ = category;
  volumeIndex_ = row + 1;
  ShowChosen();
}

void CategoryPanel::ShowChosen() {
  const LSU_SoundFile& file = config_.GetFile(FileType(volumeType_), volumeIndex_);
  view_.ShowVolume(file.Volume, fileio::FileNameOf(file.FileName));
  view_.ShowSound(file.FileName, file.Volume);
}

void CategoryPanel::SetVolume(int volume, bool sameMove) {
  if (!IsFileType(volumeType_)) return;
  const FileType category = FileType(volumeType_);
  ConfigurationContents before = TakeContents(config_, {category});
  const int16_t old = config_.GetVolume(category, volumeIndex_);
  config_.SetVolume(category, volumeIndex_, volume);
  if (config_.GetVolume(category, volumeIndex_) == old) return;
  const LSU_SoundFile& file = config_.GetFile(category, volumeIndex_);
  view_.ShowSound(file.FileName, file.Volume);
  Record(ConfigurationEdit::Kind::Volume, std::move(before), sameMove);
}

void CategoryPanel::HideVolume() {
  view_.HideVolume();
}

void CategoryPanel::ChooseInBrowser(const std::string& path) {
  view_.ShowSound(path, LSU_SoundFile().Volume);
}

void CategoryPanel::Remove(FileType category, int row) {
  const SoundCategory* c = FindCategory(category);
  if (!c) return;
  ConfigurationContents before = TakeContents(config_, {category});
  if (c->isList) {
    if (row < 0 || row >= config_.Count(category)) return;
    config_.RemoveFile(row, category);
    view_.RemoveFromList(category, row);
  } else {
    view_.SetFileLabel(category, "");
    config_.RemoveFile(0, category);
  }
  HideVolume();
  view_.ShowSound("", 0);
  view_.UpdateMemoryStatus();
  if (!SameContents(before, TakeContents(config_, {category})))
    Record(ConfigurationEdit::Kind::Remove, std::move(before));
}

void CategoryPanel::PlayFromCategory(FileType category, int row) {
  const SoundCategory* c = FindCategory(category);
  if (!c) return;
  const int index = c->isList ? row + 1 : 0;
  if (c->isList && (row < 0 || row >= config_.Count(category))) return;
  const LSU_SoundFile& file = config_.GetFile(category, index);
  if (file.FileName.empty()) return;
  view_.ShowSound(file.FileName, file.Volume);
  PlayLsu(file.FileName);
}

void CategoryPanel::PlayLsu(const std::string& path) {
  if (!HasLsuExtension(path) || !player_) return;
  if (Playing() && path == playing_) {
    StopPlaying();
    return;
  }
  if (!player_->OutputAvailable()) {
    if (!toldNoOutput_) Tell(dialogs_, kNoSoundOutput);
    toldNoOutput_ = true;
    return;
  }
  player_->Stop();  // the file is rewritten
  view_.ShowConverting(true);
  LSU_SoundFile file;
  // The user's cache folder may not exist yet.
  std::error_code ignored;
  std::filesystem::create_directories(fileio::PathFromUtf8(folders_.scratch), ignored);
  const std::string wav = folders_.scratch + "/" + kPlaybackWav;
  const bool valid = file.ReadFile(path) && file.WriteWav(wav);
  view_.ShowConverting(false);
  if (!valid || !player_->Play(wav, double(file.NrOfSamples) / LSU_SoundFile::kSamplesPerSecond))
    return;
  playing_ = path;
  view_.ShowPlaying(fileio::FileNameOf(path));
}

void CategoryPanel::StopPlaying() {
  if (player_) player_->Stop();
}

LoadOutcome CategoryPanel::LoadConfigurationFile() {
  return LoadAfterAsking([this] { return ChooseConfigurationToLoad(dialogs_, folders_.start); });
}

LoadOutcome CategoryPanel::LoadConfigurationFrom(const std::string& path) {
  return LoadAfterAsking([&] { return std::optional<std::string>(path); });
}

LoadOutcome CategoryPanel::LoadAfterAsking(
    const std::function<std::optional<std::string>()>& choose) {
  if (!SaveChangesFirst(kSaveBeforeLoading)) return {LoadResult::Cancelled, {}};
  const std::optional<std::string> path = choose();
  if (!path) return {LoadResult::Cancelled, {}};
  HideVolume();
  view_.ShowSound("", 0);
  ConfigurationContents before = TakeAllContents(config_);
  struct Loading {
    CategoryPanelView& view;
    explicit Loading(CategoryPanelView& v) : view(v) { view.ShowLoading(true); }
    ~Loading() { view.ShowLoading(false); }
  };
  LoadOutcome outcome = [&] {
    const Loading loading(view_);
    return LoadConfiguration(*path, config_, view_, events_, dialogs_);
  }();
  if (outcome.result != LoadResult::Cancelled)
    view_.ShowLoadNote(FoundBesideMessage(outcome.foundBeside));
  view_.UpdateMemoryStatus();
  if (!SameContents(before, TakeAllContents(config_)))
    Record(ConfigurationEdit::Kind::Load, std::move(before));
  // A file that turned out not valid left a mix of old and new categories:
  // that is no configuration the user has on disk.
  if (outcome.result == LoadResult::Loaded || outcome.result == LoadResult::FilesNotFound)
    MarkSaved();
  return outcome;
}

SaveResult CategoryPanel::SaveConfigurationFile() {
  const SaveResult saved = SaveConfigurationWithDialog(config_, dialogs_, folders_.start);
  if (saved == SaveResult::Saved) MarkSaved();
  return saved;
}

std::string CategoryPanel::FileTip(FileType category, int row) const {
  const SoundCategory* c = FindCategory(category);
  if (!c || (c->isList && (row < 0 || row >= config_.Count(category)))) return "";
  const LSU_SoundFile& file = config_.GetFile(category, c->isList ? row + 1 : 0);
  if (file.FileName.empty()) return "";
  return "Volume: " + std::to_string(file.Volume) +
         " %\nLength: " + LengthText(double(file.NrOfSamples) / LSU_SoundFile::kSamplesPerSecond);
}

void CategoryPanel::MarkSaved() {
  saved_ = ConfigurationText(config_);
}

bool CategoryPanel::Changed() const {
  return ConfigurationText(config_) != saved_;
}

bool CategoryPanel::SaveChangesFirst(const std::string& question) {
  return !Changed() || seams::SaveChangesFirst(dialogs_, question, [this] {
    return SaveConfigurationFile() == SaveResult::Saved;
  });
}

void CategoryPanel::Record(ConfigurationEdit::Kind kind, ConfigurationContents before,
                           bool continuesLast) {
  if (!record_) return;
  ConfigurationEdit edit;
  edit.kind = kind;
  edit.continuesLast = continuesLast;
  std::vector<FileType> touched;
  for (const CategoryContents& c : before) touched.push_back(c.category);
  edit.after = TakeContents(config_, touched);
  edit.before = std::move(before);
  if (kind == ConfigurationEdit::Kind::Volume) {
    edit.volumeCategory = FileType(volumeType_);
    edit.volumeIndex = volumeIndex_;
  }
  record_(std::move(edit));
}

void CategoryPanel::ShowContents(const ConfigurationContents& contents) {
  for (const CategoryContents& c : contents) {
    const SoundCategory* category = FindCategory(c.category);
    if (!category) continue;
    std::vector<std::string> names;
    for (const LSU_SoundFile& file : config_.Contents(c.category))
      names.push_back(fileio::FileNameOf(file.FileName));
    if (category->isList)
      view_.ShowList(c.category, names);
    else
      view_.SetFileLabel(c.category, names.front());
  }
  view_.UpdateMemoryStatus();
}

void CategoryPanel::Restore(const ConfigurationEdit& edit, bool after) {
  const ConfigurationContents& contents = after ? edit.after : edit.before;
  PutContents(config_, contents);
  ShowContents(contents);
  if (edit.kind != ConfigurationEdit::Kind::Volume) {
    HideVolume();
    view_.ShowSound("", 0);
    return;
  }
  if (FindCategory(edit.volumeCategory)->isList) {
    view_.MarkRow(edit.volumeCategory, edit.volumeIndex - 1);
    SelectInList(edit.volumeCategory, edit.volumeIndex - 1);
  } else {
    SelectSingle(edit.volumeCategory);
  }
}

}  // namespace sound
