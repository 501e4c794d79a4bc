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

std::string ConnectionWarning(const char* warning, const std::string& host,
                              const std::string& reason) {
  return std::string(warning) + "\nUpdate service " + host + ": " +
         (reason.empty() ? "no usable answer" : reason);
}

// The closing message names the folder the fonts are in, on a line of its
// own below the message itself.
std::string FinalMessage(const std::string& text, const std::string& fontsFolder) {
  return text + "\nFonts folder: " + fontsFolder;
}

UpdateManager::UpdateManager(std::string host, std::string appFolder, seams::EventPump& events)
    : requestManager(std::move(host), events), fontStore(std::move(appFolder)), events_(events) {
  requestManager.OnProgress = [this](int16_t percent) { requestManager_OnProgress(percent); };
}

void UpdateManager::Initialize(UpdateView& form) {
  formReference_ = &form;
  fontStore.Initialize();
}

void UpdateManager::startUpdate() {
  formReference_->resetForm();
  formReference_->ShowModal([this] { RunProcedure(); });
}

void UpdateManager::RunProcedure() {
  outcome_ = UpdateOutcome::NotRun;
  installed_.clear();
  const seams::Result updated = UpdateFonts();
  if (!updated) {
    formReference_->showWarning(updated.Message());
    outcome_ = UpdateOutcome::Warning;
  } else if (fontsToUpdate_.empty()) {
    formReference_->showMessage(FinalMessage(kNoUpdates, fontStore.FontsFolder()));
    outcome_ = UpdateOutcome::NothingToUpdate;
  } else {
    formReference_->showMessage(FinalMessage(kUpdated, fontStore.FontsFolder()));
    formReference_->showInstalled(installed_);
    outcome_ = UpdateOutcome::Updated;
  }
}

void UpdateManager::requestManager_OnProgress(int16_t percent) {
  if (formReference_) formReference_->progressB(percent);
}

seams::Result UpdateManager::StoreFailed() const {
  return seams::Result::Failure(FontStoreWarning(fontStore.FontsFolder()));
}

seams::Result UpdateManager::ConnectionFailed(const char* warning) const {
  return seams::Result::Failure(
      ConnectionWarning(warning, requestManager.Host(), requestManager.ErrorText()));
}

seams::Result UpdateManager::UpdateFonts() {
  if (const seams::Result checked = checkForUpdates(); !checked) return checked;
  if (!fontsToUpdate_.empty())
    if (const seams::Result updated = updateItems(); !updated) return updated;
  return catalogueCut_ ? seams::Result::Failure(kFontsCapped) : seams::Result();
}

seams::ResultOf<std::vector<std::string>> UpdateManager::Ask(const std::string& body,
                                                             const char* failed) {
  const std::string answer = requestManager.requestText(body);
  if (requestManager.requestState() != kRequestOk) return ConnectionFailed(failed);
  return SliceText(answer);
}

seams::Result UpdateManager::checkForUpdates() {
  UpdateView& form = *formReference_;
  form.updateStep(kStepChecking);
  form.updateElement(kElementCatalogue);
  events_.LetEventsRun();
  const auto lines = Ask("svc=gct&did=" + deviceId, kCatalogueFailed);
  if (!lines) return lines;
  form.progressA(10);
  events_.LetEventsRun();
  if (const seams::Result header = checkAnswerHeader(*lines); !header) return header;
  return validateCatalogue(*lines);
}

seams::Result UpdateManager::checkAnswerHeader(const std::vector<std::string>& lines) {
  const auto problem = AnswerHeaderProblem(lines);
  return problem ? seams::Result::Failure(*problem) : seams::Result();
}

// Empty lines (a final CR LF) name no font, and a font listed twice is
// looked at once. A catalogue of one font is checked like any other; one
// of more than kMaxFontsPerCatalogue is cut there.
seams::Result UpdateManager::validateCatalogue(const std::vector<std::string>& lines) {
  UpdateView& form = *formReference_;
  form.updateStep(kStepValidating);
  form.updateElement(kElementChecking);
  events_.LetEventsRun();
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
    if (!IsFontId(item)) return seams::Result::Failure(RefusedNameWarning(item));
    form.updateElement(kElementChecking + item);
    form.progressB(items.size() == 1 ? 100 : RoundedPercent(j * 100.0 / (items.size() - 1)));
    events_.LetEventsRun();
    if (!fontStore.FontExistsAndCompleted(item)) fontsToUpdate_.push_back(item);
  }
  form.progressA(30);
  events_.LetEventsRun();
  return {};
}

seams::Result UpdateManager::updateItems() {
  UpdateView& form = *formReference_;
  form.progressB(0);
  const size_t m = fontsToUpdate_.size();
  for (size_t k = 1; k <= m; ++k) {
    const std::string& font = fontsToUpdate_[k - 1];
    form.updateStep(kStepUpdating + font);
    form.updateElement(kElementDownloading);
    form.progressA(30 + RoundedPercent(k * 70.0 / m));
    events_.LetEventsRun();
    if (const seams::Result updated = updateItem(font); !updated) return updated;
  }
  return {};
}

seams::Result UpdateManager::updateItem(const std::string& fontId) {
  UpdateView& form = *formReference_;
  const auto lines = Ask("svc=fqr&did=" + deviceId + "&fid=" + fontId, kFontQueryFailed);
  if (!lines) return lines;
  if (const seams::Result header = checkAnswerHeader(*lines); !header) return header;
  const std::vector<std::string> payload(lines->begin() + std::min<size_t>(2, lines->size()),
                                         lines->end());
  // Every name is checked before anything is written.
  const auto folder = fontStore.FontFolder(fontId);
  if (!folder) return seams::Result::Failure(RefusedNameWarning(fontId));
  for (const std::string& line : payload)
    if (NamesSoundFile(line) && !fontStore.IsItemName(fontId, line))
      return seams::Result::Failure(RefusedNameWarning(line));
  if (!fontStore.CreateFont(fontId) || !fontStore.WriteDescriptor(fontId, *lines))
    return StoreFailed();
  for (const std::string& line : payload) {
    if (NamesSoundFile(line)) {
      form.updateElement(kElementDownloading + line);
      form.progressB(0);
      if (!fontStore.FontItemExists(fontId, line))
        if (const seams::Result got = DownloadItem(fontId, *folder, line); !got) return got;
      form.progressB(100);
    }
    events_.LetEventsRun();
  }
  if (!fontStore.CompleteFont(fontId)) return StoreFailed();
  installed_.push_back({fontId, *folder, *folder + "/" + fontId + kConfigurationExtension});
  return {};
}

// A download that fails leaves the font incomplete: the next update
// fetches what is still missing.
seams::Result UpdateManager::DownloadItem(const std::string& fontId, const std::string& folder,
                                          const std::string& item) {
  if (fontStore.FontItemExists(fontId, kDownloadName) &&
      !fontStore.DeleteFontItem(fontId, kDownloadName))
    return StoreFailed();
  requestManager.requestData("svc=dld&did=" + deviceId + "&fid=" + fontId + "&ffd=" + item, folder,
                             item);
  switch (requestManager.requestState()) {
    case kRequestOk:
      return {};
    case kRequestFailure:
      return requestManager.AnswerUnusable() ? seams::Result::Failure(kBadDownload) : StoreFailed();
    default:
      return ConnectionFailed(kDownloadFailed);
  }
}

}  // namespace update
