#include "app/FontImportDialog.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "app/ConversionProgress.h"
#include "converter/FontImport.h"
#include "devlink/BoardKind.h"
#include "fileio/Utf8Path.h"
#include "widgets/FileBrowser.h"

namespace app {

namespace fs = std::filesystem;

namespace {

void Tell(seams::UserDialogs& dialogs, const std::string& text, seams::DialogIcon icon) {
  dialogs.Message(text, icon, seams::DialogButtons::Ok);
}

// The one local folder a drag carries; empty for anything else.
QString DraggedFolder(const QMimeData* data) {
  if (!data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isDir()) return {};
  return url.toLocalFile();
}

// What the user reads after the font was made: where it went, whether it
// was loaded, the recordings left out and why, the categories left empty
// and the memory the sounds take.
std::string Summary(const converter::FontImportReport& report, const std::string& fontFolder,
                    bool loaded) {
  const int used = int(std::count_if(report.files.begin(), report.files.end(),
                                     [](const converter::FontImportFile& f) { return f.Used(); }));
  std::string text = "The font was made in " + fontFolder + ": " + std::to_string(used) +
                     (used == 1 ? " sound file and " : " sound files and ") +
                     fileio::FileNameOf(report.configuration) + ".";
  text += loaded ? " It was loaded into the categories."
                 : " It was not loaded; the load button loads it.";
  std::string leftOut;
  for (const converter::FontImportFile& file : report.files)
    if (!file.Used()) leftOut += "\n" + file.Line();
  text += leftOut.empty() ? "\n\nNothing was left out." : "\n\nLeft out:" + leftOut;
  if (!report.missing.empty()) text += "\n";
  for (const sound::FileType category : report.missing)
    text += std::string("\n") + sound::FindCategory(category)->missingMessage;
  return text + "\n\n" + report.MemoryLine();
}

}  // namespace

FontImportDialog::FontImportDialog(Setup setup) : QObject(setup.frame), setup_(std::move(setup)) {
  QTreeView* tree = setup_.browser->DirList();
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tree, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowMenu(at); });
  // The frame and every control in it that takes drops (the category
  // lists and labels): filters installed later run first, so a folder is
  // taken here before the category's own drop handling sees it.
  setup_.frame->setAcceptDrops(true);
  setup_.frame->installEventFilter(this);
  for (QWidget* control : setup_.frame->findChildren<QWidget*>())
    if (control->acceptDrops()) control->installEventFilter(this);
}

void FontImportDialog::ShowMenu(const QPoint& at) {
  const QString folder = setup_.browser->FolderAt(at);
  if (folder.isEmpty()) return;
  QTreeView* tree = setup_.browser->DirList();
  QMenu menu(tree);
  menu.setObjectName("FolderMenu");
  QAction* makeFont = menu.addAction(kMakeFontAction);
  makeFont->setObjectName("MakeFontAction");
  if (menu.exec(tree->viewport()->mapToGlobal(at)) == makeFont) MakeFont(folder.toStdString());
}

bool FontImportDialog::eventFilter(QObject*, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  auto* drag = static_cast<QDropEvent*>(event);
  const QString folder = DraggedFolder(drag->mimeData());
  if (folder.isEmpty()) return false;
  drag->setDropAction(Qt::CopyAction);
  drag->accept();
  if (type == QEvent::Drop) MakeFont(folder.toStdString());
  return true;
}

bool FontImportDialog::MayWriteInto(const std::string& fontFolder) {
  std::error_code error;
  const fs::path path = fileio::PathFromUtf8(fontFolder);
  if (!fs::exists(path, error) || fs::is_empty(path, error)) return true;
  return setup_.dialogs->AskCautiously(
             fontFolder +
                 " is not empty. Files in it with the names of the new font's files will be "
                 "replaced. Make the font there?",
             seams::DialogIcon::Question, seams::DialogButtons::YesNo) == seams::DialogResult::Yes;
}

void FontImportDialog::MakeFont(const std::string& folder) {
  seams::UserDialogs& dialogs = *setup_.dialogs;
  // Nothing to make: said before the user picks a folder for it.
  std::vector<sound::FontFile> plan;
  try {
    plan = sound::PlanFontImport(converter::FindRecordings(folder));
  } catch (const fs::filesystem_error& e) {
    Tell(dialogs, folder + " cannot be read: " + e.code().message(), seams::DialogIcon::Critical);
    return;
  }
  if (std::none_of(plan.begin(), plan.end(),
                   [](const sound::FontFile& f) { return f.fate == sound::FontFate::Used; })) {
    Tell(dialogs,
         folder +
             " holds no recording named for a sound category (boot, on, off, hum, swing, clash, "
             "lockup, ...). No font was made.",
         seams::DialogIcon::Exclamation);
    return;
  }
  const std::string parent = fileio::Utf8FromPath(fileio::PathFromUtf8(folder).parent_path());
  const auto fontFolder = dialogs.ChooseFolder(parent, kFontFolderTitle);
  if (!fontFolder || !MayWriteInto(*fontFolder)) return;

  converter::FontImportRequest request;
  request.folder = folder;
  request.fontFolder = *fontFolder;
  request.name = converter::FolderName(folder);
  if (request.name.empty()) request.name = "font";
  request.capacity =
      setup_.config->MaxNrOfSamples > 0 ? setup_.config->MaxNrOfSamples : devlink::kDefaultCapacity;
  converter::FontImportReport report;
  {
    ConversionProgress progress(
        setup_.window, QString("Making the font %1 ...").arg(QString::fromStdString(request.name)));
    double part = 0;
    request.progress = [&part](double done) { part = done; };
    request.cancelled = [&] { return progress.Pump(part); };
    report = converter::ImportFont(request);
  }

  if (report.cancelled) {
    std::string text =
        "The import was cancelled: no font was loaded and no configuration file "
        "was written.";
    if (std::any_of(report.files.begin(), report.files.end(),
                    [](const converter::FontImportFile& f) { return f.result.Ok(); }))
      text += " The sound files converted before stay in " + *fontFolder + ".";
    Tell(dialogs, text, seams::DialogIcon::Information);
    return;
  }
  if (report.configuration.empty()) {
    Tell(dialogs, report.error + "\nNo font was loaded.", seams::DialogIcon::Critical);
    return;
  }
  const sound::LoadResult loaded = setup_.panel->LoadConfigurationFrom(report.configuration).result;
  const bool inCategories =
      loaded == sound::LoadResult::Loaded || loaded == sound::LoadResult::FilesNotFound;
  Tell(dialogs, Summary(report, *fontFolder, inCategories),
       report.Complete() && inCategories ? seams::DialogIcon::Information
                                         : seams::DialogIcon::Exclamation);
}

}  // namespace app
