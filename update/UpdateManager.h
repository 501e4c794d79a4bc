#pragma once
// The online font update. Three steps inside the update dialog: fetch the
// catalogue of fonts meant for this board, find those not yet complete in
// the font store, then for each fetch its configuration and download its
// missing sound files. The steps report how they went as a seams::Result:
// the first failure ends the update with its message as the warning.
//
// Requests (form bodies, values unchanged):
//   "svc=gct&did=SERIAL"                      -> catalogue, at the root
//   "svc=fqr&did=SERIAL&fid=FONT"             -> the font's configuration
//   "svc=dld&did=SERIAL&fid=FONT&ffd=ITEM"    -> the file, at /tst/gct/
// Text answers start with "status:OK" and "clientv:1".

#include <string>
#include <vector>

#include "seams/Result.h"
#include "update/HttpRequest.h"
#include "update/UpdateUtils.h"
#include "update/UpdateView.h"

namespace update {

inline constexpr const char* kStepChecking = "(1/3) Checking for updates";
inline constexpr const char* kStepValidating = "(2/3) Validating catalogue items";
inline constexpr const char* kStepUpdating = "(3/3) Updating item: ";
inline constexpr const char* kStepCompleted = "(3/3) Completed";
inline constexpr const char* kElementCatalogue = "Retrieving item catalogue";
inline constexpr const char* kElementChecking = "Checking item: ";
inline constexpr const char* kElementDownloading = "Downloading: ";

inline constexpr const char* kCatalogueFailed =
    "Failed! Connection error 0002.  Please try again later.";
inline constexpr const char* kFontQueryFailed =
    "Failed! Connection error 0003.  Please try again later.";
inline constexpr const char* kDownloadFailed =
    "Failed! Connection error 0004.  Please try again later.";
inline constexpr const char* kBadDownload =
    "Update failed! The update service sent a file with a bad length. Please try again later.";
inline constexpr const char* kNoUpdates =
    "Update process finished. No updates available or required.";
inline constexpr const char* kUpdated = "Update finished. New fonts installed successfully.";
// No real service offers this many fonts; more ids in one catalogue are
// not looked at.
inline constexpr size_t kMaxFontsPerCatalogue = 10000;
inline constexpr const char* kFontsCapped =
    "Update finished with the first 10000 fonts only: the update service offered more fonts "
    "than one update takes.";

// A final message with the fonts folder it speaks of: the folder beside
// the program or the user's own, whichever this installation uses.
std::string FinalMessage(const std::string& text, const std::string& fontsFolder);

// A connection warning with the service's host and what went wrong, on a
// line of its own: "Failed! Connection error 0002.  Please try again
// later.\nUpdate service fonts.example.org: Connection refused".
std::string ConnectionWarning(const char* warning, const std::string& host,
                              const std::string& reason);

// How the last run ended.
enum class UpdateOutcome { NotRun, Updated, NothingToUpdate, Warning };

class UpdateManager {
 public:
  // events: lets window events run between the steps and during transfers.
  UpdateManager(std::string host, std::string appFolder, seams::EventPump& events);

  // Binds the dialog (loaded, not shown).
  void Initialize(UpdateView& form);
  // Resets the dialog and shows it modally; the procedure runs when it
  // becomes active. Returns when the user closed it.
  void startUpdate();
  // The procedure itself, as the dialog's activation runs it.
  void RunProcedure();

  std::string deviceId;
  HttpRequest requestManager;
  UpdateUtils fontStore;

  UpdateOutcome LastOutcome() const { return outcome_; }
  const std::vector<std::string>& FontsToUpdate() const { return fontsToUpdate_; }
  // The fonts the last run made complete, in the order they came; those
  // completed before a warning ended the run are in it too.
  const std::vector<InstalledFont>& InstalledFonts() const { return installed_; }

 private:
  // The three steps; fontsToUpdate_ tells what the catalogue asked for.
  seams::Result UpdateFonts();
  seams::Result checkForUpdates();
  seams::Result checkAnswerHeader(const std::vector<std::string>& lines);
  seams::Result validateCatalogue(const std::vector<std::string>& lines);
  seams::Result updateItems();
  seams::Result updateItem(const std::string& fontId);
  seams::Result DownloadItem(const std::string& fontId, const std::string& folder,
                             const std::string& item);
  // A text request: the answer's lines, or `failed` when it did not come.
  seams::ResultOf<std::vector<std::string>> Ask(const std::string& body, const char* failed);
  seams::Result StoreFailed() const;
  // The request failed: the warning, with the host and the reason.
  seams::Result ConnectionFailed(const char* warning) const;
  void requestManager_OnProgress(int16_t percent);

  UpdateView* formReference_ = nullptr;
  seams::EventPump& events_;
  std::vector<std::string> fontsToUpdate_;
  std::vector<InstalledFont> installed_;
  // The catalogue held more than kMaxFontsPerCatalogue fonts.
  bool catalogueCut_ = false;
  UpdateOutcome outcome_ = UpdateOutcome::NotRun;
};

// The warnings for names from the service that are not plain file names,
// and for a font store that cannot be written.
std::string RefusedNameWarning(const std::string& name);
std::string FontStoreWarning(const std::string& folder);

}  // namespace update
