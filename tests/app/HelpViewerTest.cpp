// F1 in morvane: the user guide in its own window, at the page of the
// panel in use, with contents, Back and Forward; and the compiled guide
// where the desktop can show it. The desktop's programs are taken away (an
// empty PATH) unless a test brings its own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>

#include "app/Main.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/Recorders.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFiles.h"
#include "widgets/HelpWindow.h"

namespace {

using testing_support::Control;

// A folder for PATH, with the given shell scripts as programs.
std::string ProgramFolder(const std::vector<std::pair<std::string, std::string>>& programs) {
  const std::string folder = testing_support::UniqueTempPath("help_programs");
  std::filesystem::create_directories(folder);
  for (const auto& [name, script] : programs) {
    testing_support::WriteBytes(folder + "/" + name, "#!/bin/sh\n" + script + "\n");
    std::filesystem::permissions(folder + "/" + name, std::filesystem::perms::owner_all);
  }
  return folder;
}

// The window becomes the active one. (A window of another counts as
// active with it for QTest::qWaitForWindowActive: the application's own
// record of the active window is awaited instead.)
std::string Page(const widgets::HelpWindow* help) {
  return help->CurrentPage().toStdString();
}

// The help window, whichever window it belongs to.
widgets::HelpWindow* AnyHelpWindow() {
  for (QWidget* w : QApplication::allWidgets())
    if (w->objectName() == "HelpWindow" && w->isVisible())
      return static_cast<widgets::HelpWindow*>(w);
  return nullptr;
}

void Activate(QWidget* window) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }, 30000));
}

// The main window on a virtual board, F1 opening the real help window.
struct HelpWindowTest {
  explicit HelpWindowTest(const std::string& spec, const QString& appFolder = APP_FOLDER,
                          const std::string& updateHost = "127.0.0.1:1") {
    session::FrontEndOptions o;
    o.virtualBoard = spec;
    app::MainOptions m;
    m.appFolder = appFolder;
    m.board = session::MakeBoardAgent(o);
    m.dialogs = &dialogs;
    m.updateHost = updateHost;
    main = std::make_unique<app::Main>(std::move(m));
    EXPECT_TRUE(main->Startup());
    main->show();
  }
  // F1 pressed in the main window: the help window it opened, or null.
  widgets::HelpWindow* PressF1() {
    Activate(main.get());
    QTest::keyClick(main.get(), Qt::Key_F1);
    auto* help = main->findChild<widgets::HelpWindow*>("HelpWindow");
    if (!help || !help->isVisible()) return nullptr;
    return help;
  }
  std::string Page() {
    widgets::HelpWindow* help = PressF1();
    return help ? ::Page(help) : "(no help window)";
  }

  testing_support::ScopedEnv noPrograms{"PATH", ProgramFolder({}).c_str()};
  testing_support::ScopedEnv noBrowser{"BROWSER", nullptr};
  testing_support::ScriptedDialogs dialogs;
  std::unique_ptr<app::Main> main;
};

QString ShownText(widgets::HelpWindow* help) {
  return Control<QTextBrowser>(*help, "HelpBrowser")->toPlainText();
}

// Nothing on the desktop can show a guide: the help window needs nothing of
// it, and opens at the sound font's page, at adding files while the focus
// is in the file browser (as at start).
TEST(HelpWindow, F1OpensTheSoundPageWithNothingOnTheDesktop) {
  HelpWindowTest w("sound");
  widgets::HelpWindow* help = w.PressF1();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(w.dialogs.messages.empty());
  EXPECT_EQ(Page(help), "building-a-font.html#adding");
  EXPECT_TRUE(ShownText(help).contains("The seven categories"));
  EXPECT_EQ(help->windowTitle(), "Building a sound font – morvane User Guide");
  // No CHM viewer: the compiled guide is not offered.
  EXPECT_FALSE(Control<QToolButton>(*help, "HelpOpenChm")->isVisible());

  // The focus in a category: the page itself.
  QListWidget* motion = Control<QListWidget>(*w.main, "MtFileList");
  QTest::mouseClick(motion->viewport(), Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(w.Page(), "building-a-font.html");
}

// The panel shown over the middle of the window decides the page.
TEST(HelpWindow, F1OpensThePageOfThePanelInUse) {
  HelpWindowTest sound("sound");
  QTest::mouseClick(Control<QToolButton>(*sound.main, "ConfigBtn"), Qt::LeftButton);
  EXPECT_EQ(sound.Page(), "motion.html");
  QTest::mouseClick(Control<QPushButton>(*sound.main, "CloseCfgBtn"), Qt::LeftButton);
  EXPECT_NE(sound.Page(), "motion.html");

  HelpWindowTest led("led");
  EXPECT_EQ(led.Page(), "led.html");
}

// The contents lead to any page and section; Back and Forward (buttons and
// keys) walk the pages seen, and Home returns to the first page.
TEST(HelpWindow, ContentsBackAndForward) {
  HelpWindowTest w("sound");
  widgets::HelpWindow* help = w.PressF1();
  ASSERT_NE(help, nullptr);
  auto* contents = Control<QTreeWidget>(*help, "HelpContents");
  auto* back = Control<QToolButton>(*help, "HelpBack");
  auto* forward = Control<QToolButton>(*help, "HelpForward");
  const auto click = [&](const QString& title) {
    const auto found = contents->findItems(title, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << title.toStdString();
    contents->scrollToItem(found[0]);
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {},
                      contents->visualItemRect(found[0]).center());
  };
  // The page F1 opened is marked in the contents.
  ASSERT_NE(contents->currentItem(), nullptr);
  EXPECT_EQ(contents->currentItem()->text(0), "Adding files");
  EXPECT_FALSE(back->isEnabled());

  click("Motion and impact settings");
  EXPECT_EQ(Page(help), "motion.html");
  auto* browser = Control<QTextBrowser>(*help, "HelpBrowser");
  EXPECT_EQ(browser->verticalScrollBar()->value(), 0);
  click("Live sensor values");  // a section, under its page
  EXPECT_EQ(Page(help), "motion.html#live");
  EXPECT_GT(browser->verticalScrollBar()->value(), 0) << "scrolled to the section";
  EXPECT_EQ(contents->currentItem()->parent()->text(0), "Motion and impact settings");

  QTest::mouseClick(back, Qt::LeftButton);
  EXPECT_EQ(Page(help), "motion.html");
  QTest::mouseClick(back, Qt::LeftButton);
  EXPECT_EQ(Page(help), "building-a-font.html#adding");
  EXPECT_FALSE(back->isEnabled());
  QTest::mouseClick(forward, Qt::LeftButton);
  EXPECT_EQ(Page(help), "motion.html");
  EXPECT_EQ(contents->currentItem()->text(0), "Motion and impact settings");

  // The keys, with the focus in the contents.
  Activate(help);
  contents->setFocus();
  QTest::keyClick(contents, Qt::Key_Right, Qt::AltModifier);
  EXPECT_EQ(Page(help), "motion.html#live");
  QTest::keyClick(contents, Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(Page(help), "motion.html");

  QTest::mouseClick(Control<QToolButton>(*help, "HelpHome"), Qt::LeftButton);
  EXPECT_EQ(Page(help), "index.html");
  EXPECT_TRUE(back->isEnabled());

  // A link in the page.
  ASSERT_TRUE(browser->find("Troubleshooting"));
  browser->setFocus();
  QTest::keyClick(browser, Qt::Key_Return);
  EXPECT_EQ(Page(help), "troubleshooting.html");

  // F1 again in the main window shows the same window, with its history.
  EXPECT_EQ(w.PressF1(), help);
  EXPECT_EQ(Page(help), "building-a-font.html#adding");
  QTest::mouseClick(back, Qt::LeftButton);
  EXPECT_EQ(Page(help), "troubleshooting.html");
}

// F1 in the update dialog: the page on the update, in a window that takes
// input while the modal dialog is up.
TEST(HelpWindow, F1InTheUpdateDialog) {
  HelpWindowTest w("usb2,sn=0A1B2C3D", APP_FOLDER, "127.0.0.1:1");  // nothing listens there
  std::string page;
  bool usable = false;
  QTimer watch;
  watch.callOnTimeout([&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    auto* ok = dialog->findChild<QWidget*>("formButtonBackground2");
    if (!ok || !ok->isVisible()) return;
    watch.stop();
    QTest::keyClick(dialog, Qt::Key_F1);
    if (widgets::HelpWindow* help = AnyHelpWindow()) {
      page = Page(help);
      // A click through the window system: a window that the modal dialog
      // blocks would drop it.
      auto* home = help->findChild<QToolButton*>("HelpHome");
      QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {},
                        home->mapTo(help, home->rect().center()));
      usable = QTest::qWaitFor([&] { return Page(help) == "index.html"; }, 5000);
    }
    QTest::mouseClick(ok, Qt::LeftButton);
  });
  watch.start(20);
  Activate(w.main.get());
  QTest::mouseClick(Control<QToolButton>(*w.main, "UpdateBtn"), Qt::LeftButton);
  EXPECT_EQ(page, "update.html");
  EXPECT_TRUE(usable);
}

// Where the desktop has a CHM viewer, the help window offers the compiled
// guide and hands it to the desktop's opener.
TEST(HelpWindow, OpenAsChm) {
  const std::string opened = testing_support::UniqueTempPath("help_opened");
  HelpWindowTest w("sound");
  testing_support::ScopedEnv desktop(
      "PATH", ProgramFolder({{"xdg-mime", "echo xchm.desktop"},
                             {"xdg-open", "echo \"$1\" > '" + opened + "'"}}));
  widgets::HelpWindow* help = w.PressF1();
  ASSERT_NE(help, nullptr);
  auto* openChm = Control<QToolButton>(*help, "HelpOpenChm");
  ASSERT_TRUE(openChm->isVisible());
  QTest::mouseClick(openChm, Qt::LeftButton);
  const std::string expected = std::string(APP_FOLDER) + "/morvane.chm\n";
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return std::filesystem::exists(opened) && testing_support::ReadBytes(opened) == expected;
      },
      30000));
}

// Without the guide's pages (and without a CHM viewer) the user is told
// where they should be.
TEST(HelpWindow, MissingPagesAreNamed) {
  const std::string empty = testing_support::UniqueTempPath("no_guide");
  std::filesystem::create_directories(empty);
  HelpWindowTest w("sound", QString::fromStdString(empty));
  EXPECT_EQ(w.PressF1(), nullptr);
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "The user guide could not be opened: its pages are missing from \"" + empty +
                "/help\".\r\nNo viewer could open the help file \"" + empty +
                "/morvane.chm\" either.");
}

}  // namespace
