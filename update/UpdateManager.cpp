#include "update/UpdateManager.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "text/NumberReading.h"

namespace update {

namespace {

int RoundedPercent(double value) {
  return static_cast<int>(text::RoundHalfEven(value));
}

}  // namespace

std::string RefusedNameWarning(const std::string& name) {
  return "Update stopped. The update service sent a name that cannot be used as a file name: \"" +
         name + "\".";
}

std::string FontStoreWarning(const std::string& folder) {
  return "Update failed! The fonts could not be saved in " + folder +
         ". Please check that the disk has room and the folder can be written.";
}

std::string FinalMessage(const std::string& text, const std::string& fontsFolder) {
  return text + " Fonts folder: " + fontsFolder;
}

UpdateManager::UpdateManager(std::string host, std::string appFolder)
    : requestManager(std::move(host)), fontStore(std::move(appFolder)) {
  requestManager.OnProgress = [this](int16_t percent) { requestManager_OnProgress(percent); };
}

void UpdateManager::Initialize(UpdateView& form) {
  formReference_ = &form;
  fontStore.Initialize();
  requestManager.Initialize(form.internetControl());
}

void UpdateManager::startUpdate() {
  formReference_->resetForm();
  formReference_->ShowModal([this] { RunProcedure(); });
}

void UpdateManager::RunProcedure() {
  outcome_ = UpdateOutcome::NotRun;
  if (!checkForUpdates() || !updateItems()) return;
  if (catalogueCut_) {
    Warn(kFontsCapped);
    return;
  }
  formReference_->showMessage(FinalMessage(kUpdated, fontStore.FontsFolder()));
  outcome_ = UpdateOutcome::Updated;
}

void UpdateManager::Warn(const std::string& text) {
  formReference_->showWarning(text);
  outcome_ = UpdateOutcome::Warning;
}

void UpdateManager::requestManager_OnProgress(int16_t percent) {
  if (formReference_) formReference_->progressB(percent);
}

bool UpdateManager::checkForUpdates() {
  UpdateView& form = *formReference_;
  form.updateStep(kStepChecking);
  form.updateElement(kElementCatalogue);
  form.DoEvents();
  const std::string answer = requestManager.requestText("svc=gct&did=" + deviceId);
  if (requestManager.requestState() != kRequestOk) {
    Warn(kCatalogueFailed);
    return false;
  }
  form.progressA(10);
  form.DoEvents();
  const std::vector<std::string> lines = SliceText(answer);
  if (!checkAnswerHeader(lines)) return false;
  switch (validateCatalogue(lines)) {
    case Catalogue::Refused:
      return false;
    case Catalogue::NothingToUpdate:
      if (catalogueCut_) {
        Warn(kFontsCapped);
        return false;
      }
      form.showMessage(FinalMessage(kNoUpdates, fontStore.FontsFolder()));
      outcome_ = UpdateOutcome::NothingToUpdate;
      return false;
    case Catalogue::HasUpdates:
      break;
  }
  return true;
}

bool UpdateManager::checkAnswerHeader(const std::vector<std::string>& lines) {
  const auto problem = AnswerHeaderProblem(lines);
  if (problem) Warn(*problem);
  return !problem;
}

// Empty lines (a final CR LF) name no font, and a font listed twice is
// looked at once. A catalogue of one font is checked like any other; one
// of more than kMaxFontsPerCatalogue is cut there.
UpdateManager::Catalogue UpdateManager::validateCatalogue(const std::vector<std::string>& lines) {
  UpdateView& form = *formReference_;
  form.updateStep(kStepValidating);
  form.updateElement(kElementChecking);
  form.DoEvents();
  fontsToUpdate_.clear();
  catalogueCut_ = false;
  std::vector<std::string_view> items;
  std::unordered_set<std::string_view> listed;
  for (size_t i = 2; i < lines.size() && !catalogueCut_; ++i) {
    if (lines[i].empty() || !listed.insert(lines[i]).second) continue;
    catalogueCut_ = items.size() == kMaxFontsPerCatalogue;
    if (!catalogueCut_) items.push_back(lines[i]);
  }
  for (size_t j = 0; j < items.size(); ++j) {
    const std::string item(items[j]);
    if (!IsFontId(item)) {
      Warn(RefusedNameWarning(item));
      return Catalogue::Refused;
    }
    form.updateElement(kElementChecking + item);
    form.progressB(items.size() == 1 ? 100 : RoundedPercent(j * 100.0 / (items.size() - 1)));
    form.DoEvents();
    if (!fontStore.FontExistsAndCompleted(item)) fontsToUpdate_.push_back(item);
  }
  form.progressA(30);
  form.DoEvents();
  return fontsToUpdate_.empty() ? Catalogue::NothingToUpdate : Catalogue::HasUpdates;
}

bool UpdateManager::updateItems() {
  UpdateView& form = *formReference_;
  form.progressB(0);
  const size_t m = fontsToUpdate_.size();
  for (size_t k = 1; k <= m; ++k) {
    const std::string& font = fontsToUpdate_[k - 1];
    form.updateStep(kStepUpdating + font);
    form.updateElement(kElementDownloading);
    form.progressA(30 + RoundedPercent(k * 70.0 / m));
    form.DoEvents();
    if (!updateItem(font)) return false;
  }
  return true;
}

bool UpdateManager::updateItem(const std::string& fontId) {
  UpdateView& form = *formReference_;
  const std::string answer =
      requestManager.requestText("svc=fqr&did=" + deviceId + "&fid=" + fontId);
  if (requestManager.requestState() != kRequestOk) {
    Warn(kFontQueryFailed);
    return false;
  }
  const std::vector<std::string> lines = SliceText(answer);
  if (!checkAnswerHeader(lines)) return false;
  const std::vector<std::string> payload(lines.begin() + std::min<size_t>(2, lines.size()),
                                         lines.end());
  // Every name is checked before anything is written.
  const auto folder = fontStore.FontFolder(fontId);
  if (!folder) {
    Warn(RefusedNameWarning(fontId));
    return false;
  }
  for (const std::string& line : payload) {
    if (NamesSoundFile(line) && !fontStore.IsItemName(fontId, line)) {
      Warn(RefusedNameWarning(line));
      return false;
    }
  }
  if (!fontStore.CreateFont(fontId) || !fontStore.WriteDescriptor(fontId, lines)) {
    Warn(FontStoreWarning(fontStore.FontsFolder()));
    return false;
  }
  for (const std::string& line : payload) {
    if (NamesSoundFile(line)) {
      form.updateElement(kElementDownloading + line);
      form.progressB(0);
      if (!fontStore.FontItemExists(fontId, line) && !DownloadItem(fontId, *folder, line))
        return false;
      form.progressB(100);
    }
    form.DoEvents();
  }
  if (!fontStore.CompleteFont(fontId)) {
    Warn(FontStoreWarning(fontStore.FontsFolder()));
    return false;
  }
  return true;
}

// A download that fails leaves the font incomplete: the next update
// fetches what is still missing.
bool UpdateManager::DownloadItem(const std::string& fontId, const std::string& folder,
                                 const std::string& item) {
  if (fontStore.FontItemExists(fontId, kDownloadName) &&
      !fontStore.DeleteFontItem(fontId, kDownloadName)) {
    Warn(FontStoreWarning(fontStore.FontsFolder()));
    return false;
  }
  requestManager.requestData("svc=dld&did=" + deviceId + "&fid=" + fontId + "&ffd=" + item, folder,
                             item);
  switch (requestManager.requestState()) {
    case kRequestOk:
      return true;
    case kRequestFailure:
      Warn(requestManager.AnswerUnusable() ? kBadDownload
                                           : FontStoreWarning(fontStore.FontsFolder()));
      return false;
    default:
      Warn(kDownloadFailed);
      return false;
  }
}

}  // namespace update
