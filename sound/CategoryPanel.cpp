#include "sound/CategoryPanel.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "fileio/Utf8Path.h"
#include "sound/FontLocator.h"

namespace sound {

namespace {

void Tell(seams::UserDialogs& dialogs, const std::string& text) {
  dialogs.Message(text, seams::DialogIcon::None, seams::DialogButtons::Ok);
}

bool HasLsuExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return extension == "lsu";
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
      player_(player) {
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
  const SoundCategory* category = FindCategory(code);
  if (!category) return false;
  if (category->isList && config_.Count(code) >= LSU_Configuration::kMaxListFiles) {
    Tell(dialogs_, std::string("Maximum number of ") + category->caption + " files reached");
    return false;
  }
  if (!config_.AddFile(path, code)) {
    Tell(dialogs_, "Not a valid file");
    return false;
  }
  if (category->isList)
    view_.AddToList(category->code, fileio::FileNameOf(path));
  else
    view_.SetFileLabel(category->code, fileio::FileNameOf(path));
  view_.UpdateMemoryStatus();
  return true;
}

void CategoryPanel::SelectSingle(FileType category) {
  view_.CheckOption(category);
  if (config_.GetFile(category, 0).FileName.empty()) {
    HideVolume();
    return;
  }
  volumeType_ = category;
  volumeIndex_ = 0;
  view_.ShowVolume(config_.GetVolume(category, 0));
}

void CategoryPanel::SelectInList(FileType category, int row) {
  view_.CheckOption(category);
  if (row < 0 || row >= config_.Count(category)) {
    HideVolume();
    return;
  }
  volumeType_ = category;
  volumeIndex_ = row + 1;
  view_.ShowVolume(config_.GetVolume(category, row + 1));
}

void CategoryPanel::SetVolume(int volume) {
  config_.SetVolume(volumeType_, volumeIndex_, volume);
}

void CategoryPanel::HideVolume() {
  view_.HideVolume();
}

void CategoryPanel::Remove(FileType category, int row) {
  const SoundCategory* c = FindCategory(category);
  if (!c) return;
  if (c->isList) {
    if (row < 0 || row >= config_.Count(category)) return;
    config_.RemoveFile(row, category);
    view_.RemoveFromList(category, row);
  } else {
    view_.SetFileLabel(category, "");
    config_.RemoveFile(0, category);
  }
  HideVolume();
  view_.UpdateMemoryStatus();
}

void CategoryPanel::PlayFromCategory(FileType category, int row) {
  const SoundCategory* c = FindCategory(category);
  if (!c) return;
  if (!c->isList)
    PlayLsu(config_.GetFile(category, 0).FileName);
  else if (row >= 0 && row < config_.Count(category))
    PlayLsu(config_.GetFile(category, row + 1).FileName);
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
  HideVolume();
  return Loaded(LoadConfigurationWithDialog(config_, view_, events_, dialogs_, folders_.start));
}

LoadOutcome CategoryPanel::LoadConfigurationFrom(const std::string& path) {
  HideVolume();
  return Loaded(LoadConfiguration(path, config_, view_, events_, dialogs_));
}

LoadOutcome CategoryPanel::Loaded(LoadOutcome outcome) {
  if (outcome.result != LoadResult::Cancelled)
    view_.ShowLoadNote(FoundBesideMessage(outcome.foundBeside));
  view_.UpdateMemoryStatus();
  return outcome;
}

SaveResult CategoryPanel::SaveConfigurationFile() const {
  return SaveConfigurationWithDialog(config_, dialogs_, folders_.start);
}

}  // namespace sound
