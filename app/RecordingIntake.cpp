#include "app/RecordingIntake.h"

#include <QString>
#include <optional>
#include <set>

#include "app/ConversionProgress.h"
#include "converter/LsuOutput.h"
#include "fileio/Utf8Path.h"
#include "paths/AppPaths.h"

namespace app {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

int RecordingIntake::Room(int category) const {
  const sound::SoundCategory* c = sound::FindCategory(category);
  if (!c) return 0;
  if (!c->isList) return 1;  // a new file takes the place of the old one
  return sound::LSU_Configuration::kMaxListFiles - setup_.config->Count(c->code);
}

std::vector<std::string> RecordingIntake::Prepare(const std::vector<std::string>& paths,
                                                  int category) {
  // What becomes of each path: kept as it is, left out, or the job's output.
  std::vector<std::optional<size_t>> jobOf(paths.size());
  std::vector<bool> leftOut(paths.size());
  std::vector<converter::ConversionJob> jobs;
  std::set<std::string> taken;
  int room = Room(category);
  for (size_t i = 0; i < paths.size() && room > 0; ++i) {
    const std::string& path = paths[i];
    if (!converter::IsConvertibleRecording(path)) continue;
    const QString question =
        QString(kConvertQuestion).arg(QString::fromStdString(fileio::FileNameOf(path)));
    if (setup_.dialogs->Message(question.toStdString(), seams::DialogIcon::Question,
                                seams::DialogButtons::YesNo) != seams::DialogResult::Yes)
      continue;
    std::string folder = FolderOf(path);
    if (!paths::FolderIsWritable(folder)) {
      const auto chosen = setup_.dialogs->ChooseFolder(setup_.startFolder, kConvertFolderTitle);
      if (!chosen) {
        leftOut[i] = true;
        continue;
      }
      folder = *chosen;
    }
    jobOf[i] = jobs.size();
    jobs.push_back({path, converter::FreeLsuPath(folder, path, taken)});
    --room;
  }
  std::vector<converter::ConversionResult> results;
  if (!jobs.empty())
    results = ConvertShowingProgress(
        setup_.window,
        jobs.size() == 1 ? "Converting the recording ..." : "Converting the recordings ...", jobs);

  std::vector<std::string> prepared;
  std::string problems;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (leftOut[i]) continue;
    if (!jobOf[i]) {
      prepared.push_back(paths[i]);
      continue;
    }
    const converter::ConversionResult& result = results[*jobOf[i]];
    if (result.Ok())
      prepared.push_back(jobs[*jobOf[i]].output);
    else if (result.status != converter::ConversionStatus::Cancelled)
      problems +=
          (problems.empty() ? "" : "\n") + fileio::FileNameOf(paths[i]) + ": " + result.message;
  }
  if (!problems.empty())
    setup_.dialogs->Message("Not converted:\n" + problems, seams::DialogIcon::Critical,
                            seams::DialogButtons::Ok);
  return prepared;
}

}  // namespace app
