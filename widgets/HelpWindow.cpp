#include "widgets/HelpWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>

#include "widgets/Named.h"

namespace widgets {

namespace {

constexpr const char* kFirstPage = "index.html";
constexpr const char* kTitle = "morvane User Guide";
// A contents file of a few hundred entries is some kilobytes.
constexpr qint64 kMaxContentsBytes = 1 << 20;
constexpr int kPageRole = Qt::UserRole;

// A page of the guide as the contents name it: "motion.html#live".
QString PageOf(const QUrl& url) {
  const QString file = url.fileName();
  return url.hasFragment() ? file + "#" + url.fragment() : file;
}

QString PlainText(const QString& html) {
  return QTextDocumentFragment::fromHtml(html).toPlainText().trimmed();
}

// A button of the window's bar. Its key works anywhere in the window and
// at once (a button's own shortcut would click it with a delay).
QToolButton* ToolButton(QWidget* window, const char* name, const QString& text,
                        const QKeySequence& key = {}) {
  auto* action = new QAction(text, window);
  auto* b = Named<QToolButton>(name);
  b->setDefaultAction(action);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  if (!key.isEmpty()) {
    action->setShortcut(key);
    action->setToolTip(QString("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    window->addAction(action);
  }
  return b;
}

// The pages' pictures of the windows are as large as the windows: they are
// shown scaled down, smoothly, to the width of the page as it is when
// they are loaded (never below kMinPictureWidth).
class GuideBrowser : public QTextBrowser {
 public:
  QVariant loadResource(int type, const QUrl& name) override {
    QVariant resource = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::ImageResource || resource.typeId() != QMetaType::QByteArray)
      return resource;
    QImage picture;
    if (!picture.loadFromData(resource.toByteArray())) return resource;
    constexpr int kMinPictureWidth = 480, kPageMargins = 40;
    const int room = std::max(kMinPictureWidth, viewport()->width() - kPageMargins);
    if (picture.width() > room) picture = picture.scaledToWidth(room, Qt::SmoothTransformation);
    return picture;
  }
};

}  // namespace

std::vector<GuideTopic> ReadGuideContents(const QString& tocFile) {
  QFile file(tocFile);
  if (!QFileInfo(tocFile).isFile() || QFileInfo(tocFile).size() > kMaxContentsBytes ||
      !file.open(QIODevice::ReadOnly))
    return {};
  const QString text = QString::fromUtf8(file.read(kMaxContentsBytes));
  // The lists nest the entries: <UL> opens the entries under the last one
  // read, </UL> closes them; each <OBJECT> carries a Name and a Local.
  static const QRegularExpression token(
      R"re(<(/?)(ul|object)\b[^>]*>|<param\s+name\s*=\s*"(\w+)"\s+value\s*=\s*"([^"]*)"[^>]*>)re",
      QRegularExpression::CaseInsensitiveOption);
  std::vector<GuideTopic> root;
  std::vector<std::vector<GuideTopic>*> open;
  GuideTopic entry;
  bool inEntry = false;
  for (auto it = token.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    const bool closing = !m.captured(1).isEmpty();
    const QString tag = m.captured(2).toLower();
    if (tag == "ul" && !closing) {
      if (open.empty())
        open.push_back(&root);
      else if (!open.back()->empty())
        open.push_back(&open.back()->back().children);
      else
        open.push_back(open.back());  // a list without an entry before it
    } else if (tag == "ul") {
      if (!open.empty()) open.pop_back();
    } else if (tag == "object" && !closing) {
      entry = {};
      inEntry = true;
    } else if (tag == "object") {
      if (inEntry && !open.empty() && !entry.title.isEmpty() && !entry.page.isEmpty())
        open.back()->push_back(entry);
      inEntry = false;
    } else if (inEntry) {
      const QString name = m.captured(3).toLower();
      if (name == "name") entry.title = PlainText(m.captured(4));
      if (name == "local") entry.page = PlainText(m.captured(4));
    }
  }
  return root;
}

bool HasChmViewer() {
  if (QStandardPaths::findExecutable("xdg-mime").isEmpty()) return false;
  for (const char* type : {"application/vnd.ms-htmlhelp", "application/x-chm"}) {
    QProcess query;
    query.start("xdg-mime", {"query", "default", type});
    if (!query.waitForFinished(2000)) {
      query.kill();
      query.waitForFinished(1000);
      continue;
    }
    if (!query.readAllStandardOutput().trimmed().isEmpty()) return true;
  }
  return false;
}

HelpWindow::HelpWindow(const QString& helpFolder, const QString& chmFile, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(helpFolder), chmFile_(chmFile) {
  setObjectName("HelpWindow");
  setWindowTitle(kTitle);
  // The guide is read beside the work: it never keeps the program running.
  setAttribute(Qt::WA_QuitOnClose, false);

  QToolButton* backButton = ToolButton(this, "HelpBack", "Back", QKeySequence::Back);
  QToolButton* forwardButton = ToolButton(this, "HelpForward", "Forward", QKeySequence::Forward);
  QToolButton* homeButton =
      ToolButton(this, "HelpHome", "Home", QKeySequence(Qt::ALT | Qt::Key_Home));
  openChm_ = ToolButton(this, "HelpOpenChm", "Open as CHM");
  openChm_->defaultAction()->setToolTip("Opens the compiled guide " +
                                        QDir::toNativeSeparators(chmFile_) +
                                        " in the desktop's CHM viewer");
  QAction* back = backButton->defaultAction();
  QAction* forward = forwardButton->defaultAction();
  back->setEnabled(false);
  forward->setEnabled(false);
  auto* bar = new QHBoxLayout;
  for (QToolButton* b : {backButton, forwardButton, homeButton}) bar->addWidget(b);
  bar->addStretch(1);
  bar->addWidget(openChm_);
  // Only where the desktop can show the compiled guide.
  openChm_->setVisible(QFileInfo::exists(chmFile_) && HasChmViewer());

  contents_ = Named<QTreeWidget>("HelpContents");
  contents_->setHeaderHidden(true);
  contents_->setColumnCount(1);
  FillContents(nullptr, ReadGuideContents(folder_ + "/toc.hhc"));
  contents_->expandAll();
  contents_->setVisible(contents_->topLevelItemCount() > 0);

  browser_ = Named<GuideBrowser>("HelpBrowser");
  browser_->setSearchPaths({folder_});
  browser_->setOpenLinks(true);
  // Links that leave the guide go to the desktop's browser.
  browser_->setOpenExternalLinks(true);

  auto* split = new QSplitter;
  split->addWidget(contents_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({270, 730});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(split, 1);
  resize(1000, 720);  // fits a 1366 x 768 screen

  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(homeButton->defaultAction(), &QAction::triggered, this,
          [this] { browser_->setSource(UrlOf(kFirstPage)); });
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  // While the signal is sent, source() may still be the page before.
  connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& shown) {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QString(kTitle) : title);
    MarkInContents(PageOf(shown));
  });
  // A click, or Enter on the keyboard, opens an entry.
  auto open = [this](QTreeWidgetItem* item) {
    const QString page = item->data(0, kPageRole).toString();
    if (page != CurrentPage()) browser_->setSource(UrlOf(page));
  };
  connect(contents_, &QTreeWidget::itemActivated, this, open);
  connect(contents_, &QTreeWidget::itemClicked, this, open);
  connect(openChm_->defaultAction(), &QAction::triggered, this, [this] {
    // xdg-open may wait for the viewer to end: it is started detached.
    if (!QProcess::startDetached("xdg-open", {chmFile_}))
      QDesktopServices::openUrl(QUrl::fromLocalFile(chmFile_));
  });
}

void HelpWindow::FillContents(QTreeWidgetItem* parent, const std::vector<GuideTopic>& topics) {
  for (const GuideTopic& topic : topics) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
    item->setText(0, topic.title);
    item->setData(0, kPageRole, topic.page);
    FillContents(item, topic.children);
  }
}

// The entry of the page shown is marked: the one of its section when there
// is one, else the page's own.
void HelpWindow::MarkInContents(const QString& page) {
  const QString file = page.section('#', 0, 0);
  QTreeWidgetItem* best = nullptr;
  for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
    const QString entry = (*it)->data(0, kPageRole).toString();
    if (entry == page) {
      best = *it;
      break;
    }
    if (!best && entry == file) best = *it;
  }
  const QSignalBlocker quiet(contents_);
  contents_->setCurrentItem(best);
  if (!best) contents_->clearSelection();
}

QUrl HelpWindow::UrlOf(const QString& page) const {
  const QString file = page.section('#', 0, 0);
  const QString section = page.section('#', 1);
  QString path = folder_ + "/" + file;
  if (file.isEmpty() || !QFileInfo(path).isFile()) path = folder_ + "/" + kFirstPage;
  QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
  if (!section.isEmpty() && path.endsWith("/" + file)) url.setFragment(section);
  return url;
}

void HelpWindow::ShowPage(const QString& page) {
  // Shown first: the page's pictures are fitted to its laid-out width.
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  browser_->setSource(UrlOf(page));
}

QString HelpWindow::CurrentPage() const {
  return PageOf(browser_->source());
}

Guide::Guide(const QString& dataFolder)
    : folder_(dataFolder + "/" + kHelpFolderName), chmFile_(dataFolder + "/" + kHelpFileName) {}

Guide::~Guide() {
  delete window_.data();
}

bool Guide::Open(QWidget* over, const QString& page) {
  if (!QFileInfo(folder_ + "/" + kFirstPage).isFile()) return false;
  if (!window_)
    window_ = new HelpWindow(folder_, chmFile_, over);
  else if (window_->parentWidget() != over)
    window_->setParent(over, window_->windowFlags());
  window_->ShowPage(page);
  return true;
}

QString Guide::MissingText() const {
  return QString("The user guide could not be opened: its pages are missing from \"%1\".")
      .arg(QDir::toNativeSeparators(folder_));
}

}  // namespace widgets
