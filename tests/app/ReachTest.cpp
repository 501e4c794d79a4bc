// Everything in the window can be reached: keys in the file list and the
// categories, the buttons' shortcuts, Tab to every button with a visible
// focus, files dragged from the file list, the browser's folder kept
// between runs and following the disk, tooltips; and the volume is visible.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileSystemModel>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <filesystem>
#include <set>

#include "tests/app/SoundWindow.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;
using namespace app_test;  // the window and its clicks and keys

// Selects the browser's entries of these names, as a click on the first
// and Shift+Down to the last would (they follow each other in the list).
void SelectFiles(SoundWindow& w, const QString& first, int count) {
  auto* files = w.Child<QListWidget>("FileList");
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualItemRect(w.FileItem(first)).center());
  for (int i = 1; i < count; ++i) QTest::keyClick(files, Qt::Key_Down, Qt::ShiftModifier);
}

TEST(Reach, EnterAddsTheSelectedFilesAndDeleteRemoves) {
  SoundWindow w({"a.lsu", "b.lsu", "c.lsu", "d.lsu"});
  w.Show();
  auto* motion = w.Child<QListWidget>("MtFileList");
  QTest::mouseClick(w.Child<QRadioButton>("MtOption"), Qt::LeftButton);
  SelectFiles(w, "a.lsu", 3);
  PressKey(Qt::Key_Return);
  EXPECT_EQ(Rows(motion), (QStringList{"a.lsu", "b.lsu", "c.lsu"}));
  EXPECT_EQ(w.main->Configuration().GetFile(sound::kMotion, 3).FileName, w.dir.Path("c.lsu"));

  ClickRow(motion, 1);
  PressKey(Qt::Key_Delete);
  EXPECT_EQ(Rows(motion), (QStringList{"a.lsu", "c.lsu"}));

  // A single category: Enter in the list, Delete on its option button.
  auto* boot = w.Child<QRadioButton>("BootOption");
  QTest::mouseClick(boot, Qt::LeftButton);
  SelectFiles(w, "d.lsu", 1);
  PressKey(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "d.lsu");
  boot->setFocus(Qt::TabFocusReason);
  PressKey(Qt::Key_Delete);
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "");
  EXPECT_EQ(w.main->Configuration().Count(sound::kBoot), 0);
  EXPECT_EQ(motion->count(), 2);
  EXPECT_TRUE(w.Messages().empty());
}

// The drag of the file list carries the selected files as file URLs in
// list order. QDrag::exec cannot be driven under the offscreen platform
// (its drag ends at once), so the test takes the drag's data from the
// list's model as the drag does and delivers the drag-enter, move and
// drop events to the category list as the window system would.
TEST(Reach, FilesDraggedFromTheFileListAreAddedInOrderUntilTheListIsFull) {
  // In the list: x1.lsu, x15.txt (not an LSU file), x2.lsu, x3.lsu.
  std::vector<std::string> names = {"x1.lsu", "x15.txt", "x2.lsu", "x3.lsu"};
  for (int i = 0; i < 10; ++i) names.push_back("m" + std::to_string(i) + ".lsu");
  SoundWindow w(names);
  for (int i = 0; i < 10; ++i) w.Add(w.dir.Path(names[size_t(4 + i)]), "MtOption");
  w.Show();
  auto* files = w.Child<QListWidget>("FileList");
  auto* motion = w.Child<QListWidget>("MtFileList");
  const int listed = files->count();
  // Chosen out of order: the drag still carries them in list order.
  for (const char* name : {"x3.lsu", "x15.txt", "x1.lsu", "x2.lsu"})
    w.FileItem(name)->setSelected(true);
  std::unique_ptr<QMimeData> data(
      files->model()->mimeData(files->selectionModel()->selectedIndexes()));
  ASSERT_TRUE(data->hasUrls());
  QList<QUrl> urls = data->urls();
  ASSERT_EQ(urls.size(), 4);
  EXPECT_EQ(urls[0].toLocalFile().toStdString(), w.dir.Path("x1.lsu"));
  EXPECT_EQ(urls[1].toLocalFile().toStdString(), w.dir.Path("x15.txt"));
  EXPECT_EQ(urls[3].toLocalFile().toStdString(), w.dir.Path("x3.lsu"));

  QWidget* target = motion->viewport();
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
  QApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
  QApplication::sendEvent(target, &move);
  EXPECT_TRUE(move.isAccepted());
  QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
  QApplication::sendEvent(target, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the file list keeps its files";
  EXPECT_EQ(files->count(), listed);

  ASSERT_EQ(motion->count(), 12);
  EXPECT_EQ(motion->item(10)->text(), "x1.lsu");
  EXPECT_EQ(motion->item(11)->text(), "x2.lsu");
  EXPECT_EQ(w.Messages(), (std::vector<std::string>{"Maximum number of Motion files reached",
                                                    "Not a valid file"}));
  // The drop is one step.
  motion->setFocus();
  PressKey(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(motion->count(), 10);
}

TEST(Reach, ShortcutsPressTheButtons) {
  SoundWindow w;
  w.Show();
  PressKey(Qt::Key_O, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.dialogs.fileRequests.size() == 1; }, 30000));
  EXPECT_EQ(w.dialogs.fileRequests[0].defaultSuffix, "") << "the open dialog";
  PressKey(Qt::Key_S, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.dialogs.fileRequests.size() == 2; }, 30000));
  EXPECT_EQ(w.dialogs.fileRequests[1].defaultSuffix, "lscfg") << "the save dialog";
  PressKey(Qt::Key_D, Qt::ControlModifier);  // the download: the categories are empty
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dialogs.messages.empty(); }, 30000));
  EXPECT_EQ(w.dialogs.messages[0].text, "Boot file is missing");
}

// The share of the outermost ring of pixels that differs between two
// pictures of a control.
double ChangedEdge(const QImage& a, const QImage& b) {
  int ring = 0, changed = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (x != 0 && y != 0 && x != a.width() - 1 && y != a.height() - 1) continue;
      ++ring;
      changed += a.pixel(x, y) != b.pixel(x, y);
    }
  return ring ? double(changed) / ring : 0;
}

// Tab goes through the whole window; every button shown on a sound board
// and on an LED driver gets the focus (of a group of option buttons, the
// checked one, as arrow keys move within the group). An image button with
// the focus shows it, and Enter and Space press it.
TEST(Reach, TabReachesEveryButtonWithAVisibleFocus) {
  for (const char* board : {"sound", "led"}) {
    SoundWindow w({}, board);
    w.Show();
    std::set<QWidget*> reached;
    for (int i = 0; i < 200; ++i) {
      PressKey(Qt::Key_Tab);
      reached.insert(QApplication::focusWidget());
    }
    int buttons = 0;
    for (QAbstractButton* b : w.main->findChildren<QAbstractButton*>()) {
      if (!b->isVisibleTo(w.main.get()) || !b->isEnabled()) continue;
      if (qobject_cast<QRadioButton*>(b) && !b->isChecked()) continue;
      ++buttons;
      EXPECT_TRUE(reached.count(b)) << board << ": " << b->objectName().toStdString();
    }
    EXPECT_GE(buttons, std::string(board) == "led" ? 5 : 6) << board;

    auto* load = w.Child<QToolButton>("LoadBtn");
    load->clearFocus();
    const QImage plain = load->grab().toImage();
    load->setFocus(Qt::TabFocusReason);
    const QImage focused = load->grab().toImage();
    EXPECT_GT(ChangedEdge(plain, focused), 0.75) << board << ": a frame shows the focus";
    PressKey(Qt::Key_Return);
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.dialogs.fileRequests.size() == 2; }, 30000))
        << board;
  }
}

QString CurrentFolder(SoundWindow& w) {
  auto* tree = w.Child<QTreeView>("DirList");
  return static_cast<QFileSystemModel*>(tree->model())->filePath(tree->currentIndex());
}

// The folder the user goes to in the browser is where the next start
// opens it, while it exists; then the start folder is as before.
TEST(Reach, BrowserStartsInTheLastFolderUsed) {
  auto first = std::make_unique<SoundWindow>();
  const QString kept = QString::fromStdString(first->dir.Path("kept"));
  fs::create_directory(kept.toStdString());
  sound_test::WriteLsu(first->dir.Path("kept/k.lsu"), sound_test::Samples(100));
  first->Show();
  auto* tree = first->Child<QTreeView>("DirList");
  auto* model = static_cast<QFileSystemModel*>(tree->model());
  ASSERT_EQ(CurrentFolder(*first), QString::fromStdString(first->dir.dir().string()));
  tree->setFocus(Qt::TabFocusReason);
  // Right opens the folder in the tree, Down goes to its (only) subfolder.
  QTest::keyClick(tree, Qt::Key_Right);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return tree->isExpanded(tree->currentIndex()) && model->index(kept).isValid(); },
      30000));
  QTest::keyClick(tree, Qt::Key_Down);
  ASSERT_EQ(CurrentFolder(*first), kept);
  EXPECT_EQ(Rows(first->Child<QListWidget>("FileList")), QStringList{"k.lsu"});
  first->main.reset();  // the program ends; its folder stays

  {
    SoundWindow second;  // and starts again
    EXPECT_EQ(CurrentFolder(second), kept);
    EXPECT_EQ(Rows(second.Child<QListWidget>("FileList")), QStringList{"k.lsu"});
  }

  fs::remove_all(kept.toStdString());
  SoundWindow third({"own.lsu"});
  EXPECT_EQ(CurrentFolder(third), QString::fromStdString(third.dir.dir().string()));
  EXPECT_EQ(Rows(third.Child<QListWidget>("FileList")), QStringList{"own.lsu"});
}

// The folder shown is removed on disk: the browser goes up to the nearest
// folder that still exists, and no neighbour the user never chose becomes
// the folder the next start opens.
TEST(Reach, RemovedFolderLeadsUpNotToANeighbour) {
  SoundWindow w({"top.lsu"});
  const QString gone = QString::fromStdString(w.dir.Path("gone"));
  const QString neighbour = QString::fromStdString(w.dir.Path("neighbour"));
  for (const QString& folder : {gone, neighbour}) fs::create_directory(folder.toStdString());
  sound_test::WriteLsu(w.dir.Path("gone/g.lsu"), sound_test::Samples(100));
  w.Show();
  auto* tree = w.Child<QTreeView>("DirList");
  auto* model = static_cast<QFileSystemModel*>(tree->model());
  tree->setFocus(Qt::TabFocusReason);
  QTest::keyClick(tree, Qt::Key_Right);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return tree->isExpanded(tree->currentIndex()) && model->index(gone).isValid(); },
      30000));
  QTest::keyClick(tree, Qt::Key_Down);
  ASSERT_EQ(CurrentFolder(w), gone);

  fs::remove_all(gone.toStdString());
  const QString parent = QString::fromStdString(w.dir.dir().string());
  auto* files = w.Child<QListWidget>("FileList");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !model->index(gone).isValid() && CurrentFolder(w) == parent; }, 30000))
      << CurrentFolder(w).toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Rows(files) == QStringList{"top.lsu"}; }, 30000));
  QTest::qWait(300);  // the list of a burst of changes is made a moment later
  EXPECT_EQ(CurrentFolder(w), parent);

  SoundWindow next({"own.lsu"});  // started while the neighbour still exists
  EXPECT_NE(CurrentFolder(next), neighbour);
}

// Files made or removed in the folder shown appear and go without leaving
// it; the marked entry stays marked. The drive list offers the home folder.
TEST(Reach, FileListFollowsTheDisk) {
  SoundWindow w({"a.lsu", "c.lsu"});
  w.Show();
  auto* files = w.Child<QListWidget>("FileList");
  ClickRow(files, 1);
  w.Lsu("b.lsu");
  ASSERT_TRUE(QTest::qWaitFor([&] { return files->count() == 3; }, 30000));
  EXPECT_EQ(Rows(files), (QStringList{"a.lsu", "b.lsu", "c.lsu"}));
  EXPECT_EQ(files->currentItem()->text(), "c.lsu");
  fs::remove(w.dir.Path("a.lsu"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return files->count() == 2; }, 30000));
  EXPECT_EQ(Rows(files), (QStringList{"b.lsu", "c.lsu"}));
  EXPECT_TRUE(files->currentItem()->isSelected());

  auto* drives = w.Child<QComboBox>("DriveList");
  ASSERT_GE(drives->count(), 3);
  EXPECT_EQ(drives->itemText(2), "Home");
  EXPECT_EQ(drives->itemData(2).toString(), QDir::homePath());
}

// The tooltip a control shows when the mouse rests on it; empty for none.
QString TipOf(QWidget* w, QPoint at) {
  QToolTip::hideText();
  QHelpEvent help(QEvent::ToolTip, at, w->mapToGlobal(at));
  QApplication::sendEvent(w, &help);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// The five image buttons and the indicator say what they are (load and
// save by the board's kind); the hint line stays as it was.
TEST(Reach, ButtonsAndIndicatorHaveTooltips) {
  for (const char* board : {"sound", "led"}) {
    SoundWindow w({}, board);
    w.Show();
    auto* hint = w.Child<QLabel>("HelpLabel");
    const QString hintBefore = hint->text();
    std::set<QString> tips;
    for (const char* name :
         {"LoadBtn", "SaveBtn", "ConfigBtn", "SendBtn", "UpdateBtn", "OnlinePicture"}) {
      auto* control = w.Child<QWidget>(name);
      const QString tip = TipOf(control, control->rect().center());
      EXPECT_FALSE(tip.isEmpty()) << board << ": " << name;
      tips.insert(tip);
    }
    EXPECT_EQ(tips.size(), 6u) << board;
    const QString load = TipOf(w.Child<QWidget>("LoadBtn"), {2, 2});
    EXPECT_TRUE(load.contains(std::string(board) == "led" ? "LED settings" : "sound configuration"))
        << load.toStdString();
    EXPECT_EQ(hint->text(), hintBefore);
  }
}

// The slider shows its value and its file's name; a file of a category
// shows its volume and length in seconds when the mouse rests on it.
TEST(VolumeIsVisible, SliderShowsValueAndFileAndFilesTheirVolumeAndLength) {
  SoundWindow w({"swing.lsu", "hum.lsu"});
  w.Lsu("swing.lsu", 120000);  // 2.5 s
  w.Lsu("hum.lsu", 480000);    // 10 s
  w.Show();
  w.DoubleClickFile("MtOption", "swing.lsu");
  w.DoubleClickFile("IdleOption", "hum.lsu");
  auto* motion = w.Child<QListWidget>("MtFileList");
  auto* value = w.Child<QLabel>("VolValueLabel");
  auto* file = w.Child<QLabel>("VolFileLabel");
  ClickRow(motion, 0);
  ASSERT_TRUE(value->isVisibleTo(w.main.get()));
  EXPECT_EQ(value->text(), "100 %");
  EXPECT_EQ(file->text(), "swing.lsu");
  auto* slider = w.Child<QSlider>("VolSlider");
  slider->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < 3; ++i) PressKey(Qt::Key_Down);
  EXPECT_EQ(value->text(), "97 %");
  EXPECT_EQ(w.main->Configuration().GetVolume(sound::kMotion, 1), 97);

  const QPoint row = motion->visualItemRect(motion->item(0)).center();
  EXPECT_EQ(TipOf(motion->viewport(), row), "Volume: 97 %\nLength: 2.5 s");
  auto* idle = w.Child<QLabel>("IdleFileList");
  EXPECT_EQ(TipOf(idle, {3, 3}), "Volume: 100 %\nLength: 10.0 s");
  QTest::mouseClick(idle, Qt::LeftButton);
  EXPECT_EQ(file->text(), "hum.lsu");
  EXPECT_EQ(value->text(), "100 %");
  EXPECT_EQ(TipOf(w.Child<QLabel>("BootFileList"), {3, 3}), "") << "an empty category";
}

}  // namespace
