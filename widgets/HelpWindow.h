#pragma once
// The user guide inside the programs: a window of its own over the guide's
// HTML pages (the sources the CHM file is compiled from), with the
// contents as a tree, Back, Forward and Home. It needs nothing of the
// desktop, so F1 always opens the guide; the compiled CHM file is offered
// beside it ("Open as CHM") where the desktop has a viewer for it.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class QTextBrowser;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace widgets {

// In the data folder (paths::AppPaths): the compiled guide and the folder
// of its pages.
inline constexpr const char* kHelpFileName = "morvane.chm";
inline constexpr const char* kHelpFolderName = "help";

// One entry of the guide's contents: its title, its page (a file name,
// with "#section" for a part of a page) and the entries under it.
struct GuideTopic {
  QString title;
  QString page;
  std::vector<GuideTopic> children;
};

// The contents from the guide's contents file (toc.hhc, the nested lists
// of sitemap objects the CHM compiler reads). Empty when the file is
// missing, too large for a contents file, or holds no entry.
std::vector<GuideTopic> ReadGuideContents(const QString& tocFile);

// Whether the desktop has an application registered for CHM files.
bool HasChmViewer();

class HelpWindow : public QWidget {
 public:
  // helpFolder holds the pages (index.html the first) and toc.hhc; chmFile
  // is the compiled guide.
  HelpWindow(const QString& helpFolder, const QString& chmFile, QWidget* parent = nullptr);

  // Shows the page ("led.html", "building-a-font.html#adding") and brings
  // the window forward. A page that is not there shows the first page.
  void ShowPage(const QString& page);
  // The page shown: its file name, and "#section" when one was asked for.
  QString CurrentPage() const;

 private:
  void FillContents(QTreeWidgetItem* parent, const std::vector<GuideTopic>& topics);
  void MarkInContents(const QString& page);
  QUrl UrlOf(const QString& page) const;

  QString folder_;
  QString chmFile_;
  QTreeWidget* contents_;
  QTextBrowser* browser_;
  QToolButton* openChm_;
};

// The guide of one program: one help window, made on the first F1 and kept
// with its history, shown over the window where F1 was pressed (a modal
// dialog's help must be a window of that dialog to take input).
class Guide {
 public:
  // The guide in the data folder.
  explicit Guide(const QString& dataFolder);
  ~Guide();
  Guide(const Guide&) = delete;
  Guide& operator=(const Guide&) = delete;

  // False, and nothing shown, when the guide's pages are missing.
  bool Open(QWidget* over, const QString& page);
  HelpWindow* Window() const { return window_; }
  QString ChmFile() const { return chmFile_; }
  // What the user is told when the pages are missing.
  QString MissingText() const;

 private:
  QString folder_;
  QString chmFile_;
  QPointer<HelpWindow> window_;
};

}  // namespace widgets
