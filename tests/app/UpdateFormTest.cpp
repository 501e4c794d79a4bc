// The update dialog by control names, and UpdateBtn on the main window
// against font-server on 127.0.0.1.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "app/Main.h"
#include "app/SoundPanel.h"
#include "app/UpdateForm.h"
#include "paths/AppPaths.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/Recorders.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/SilentPlayer.h"
#include "tests/support/TempFiles.h"
#include "tests/update/ScriptedHttpServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpdateManager.h"

namespace {

struct Form {
  app::UpdateForm form;
  template <typename W = QWidget>
  W* Child(const char* name) {
    return testing_support::Control<W>(form, name);
  }
  bool Shown(const char* name) { return Child(name)->isVisibleTo(&form); }
  QString Text(const char* name) { return Child<QLabel>(name)->text(); }
  int Width(const char* name) { return Child(name)->width(); }
  int FullWidth() { return Width("progressBackground1"); }
};

TEST(UpdateForm, LoadsWithItsDesignInAWindowFrame) {
  Form f;
  EXPECT_FALSE(f.form.isVisible());
  EXPECT_FALSE(f.form.windowFlags() & Qt::FramelessWindowHint) << "moved and closed as any window";
  EXPECT_EQ(f.form.windowTitle(), "Update");
  EXPECT_EQ(f.Text("formTitle"), "Updating items...");
  EXPECT_TRUE(f.Child<QLabel>("formTitle")->font().bold());
  EXPECT_EQ(f.Text("updateStep"), "Update Step");
  EXPECT_EQ(f.Text("updateElement"), "Update Element");
  EXPECT_EQ(f.Text("formButtonCaption1"), "Yes");
  EXPECT_EQ(f.Text("formButtonCaption2"), "No");
  // The requests own their network access: the dialog only shows.
  EXPECT_EQ(f.form.findChild<QObject*>("internetControl"), nullptr);
  EXPECT_NE(f.form.findChild<QObject*>("formBorder"), nullptr);
  f.form.showYesNoButtons();
  EXPECT_EQ(f.Text("formButtonCaption1"), "YES");
  EXPECT_EQ(f.Text("formButtonCaption2"), "NO");
}

TEST(UpdateForm, BarsFollowThePercentUnclamped) {
  Form f;
  f.form.resetForm();
  EXPECT_EQ(f.Width("progressBar1"), 0);
  f.form.progressA(65);
  EXPECT_EQ(f.Width("progressBar1"), qRound(f.FullWidth() * 0.65));
  f.form.progressB(100);
  EXPECT_EQ(f.Width("progressBar2"), f.Width("progressBackground2"));
  f.form.progressB(120);
  EXPECT_EQ(f.Width("progressBar2"), qRound(f.Width("progressBackground2") * 1.2));
}

TEST(UpdateForm, WarningThenANewRunStartsEmpty) {
  Form f;
  f.form.resetForm();
  f.form.updateStep(update::kStepChecking);
  f.form.progressA(30);
  f.form.progressB(50);
  f.form.showWarning(update::kCatalogueFailed);
  EXPECT_EQ(f.Text("formTitle"), "Warning!");
  EXPECT_EQ(f.Text("updateElement"), update::kCatalogueFailed);
  EXPECT_TRUE(f.Shown("warningIcon"));
  EXPECT_FALSE(f.Shown("okIcon"));
  EXPECT_FALSE(f.Shown("updateStep"));
  for (const char* bar : {"progressBar1", "progressBackground1", "progressBar2",
                          "progressBackground2", "formButtonBackground1", "formButtonCaption1"})
    EXPECT_FALSE(f.Shown(bar)) << bar;
  EXPECT_TRUE(f.Shown("formButtonBackground2"));
  EXPECT_EQ(f.Text("formButtonCaption2"), "OK");

  f.form.resetForm();
  EXPECT_EQ(f.Text("formTitle"), "Updating items ...");
  EXPECT_EQ(f.Text("updateStep"), "");
  EXPECT_EQ(f.Text("updateElement"), "");
  EXPECT_TRUE(f.Shown("updateStep"));
  EXPECT_EQ(f.Width("progressBar1"), 0);
  EXPECT_EQ(f.Width("progressBar2"), 0);
  for (const char* hidden :
       {"warningIcon", "okIcon", "formButtonBackground2", "formButtonCaption2"})
    EXPECT_FALSE(f.Shown(hidden)) << hidden;
  EXPECT_TRUE(f.Shown("progressBar2"));
}

TEST(UpdateForm, SuccessFillsTheOverallBarAndHidesTheItemBar) {
  Form f;
  f.form.resetForm();
  f.form.progressA(65);
  f.form.progressB(40);
  f.form.showMessage(update::kUpdated);
  EXPECT_EQ(f.Text("formTitle"), "Success");
  EXPECT_EQ(f.Text("updateStep"), "(3/3) Completed");
  EXPECT_EQ(f.Text("updateElement"), update::kUpdated);
  EXPECT_EQ(f.Width("progressBar1"), f.FullWidth());
  EXPECT_TRUE(f.Shown("progressBar1"));
  EXPECT_FALSE(f.Shown("progressBar2"));
  EXPECT_FALSE(f.Shown("progressBackground2"));
  EXPECT_TRUE(f.Shown("okIcon"));
  EXPECT_FALSE(f.Shown("warningIcon"));
  EXPECT_EQ(f.Text("formButtonCaption2"), "OK");
}

// The final message names the fonts folder; a long one is shown whole, and
// a new run gives the item bar its place back.
TEST(UpdateForm, FinalMessageWithALongFolderIsShownWhole) {
  Form f;
  f.form.resetForm();
  auto* element = f.Child<QLabel>("updateElement");
  const int duringRun = element->height();
  f.form.showMessage(update::FinalMessage(
      update::kUpdated, "/home/someone-with-a-long-name/.local/share/morvane/fonts/and/deeper"));
  EXPECT_LE(element->heightForWidth(element->width()), element->height()) << "text cut off";
  EXPECT_LE(element->geometry().bottom(), f.Child("okIcon")->geometry().top());
  f.form.resetForm();
  EXPECT_EQ(element->height(), duringRun);
  EXPECT_LT(element->geometry().bottom(), f.Child("progressBackground2")->geometry().top());
}

// Shows the dialog as the update does and runs `activated` in it; a dialog
// still open after 30 s is closed, so that the test fails instead of
// hanging. False when it had to be.
bool ShowModal(app::UpdateForm& form, const std::function<void()>& activated) {
  bool hung = false;
  QTimer guard;
  guard.setSingleShot(true);
  guard.callOnTimeout([&] {
    hung = true;
    form.hide();
  });
  guard.start(std::chrono::seconds(30));
  form.ShowModal(activated);
  return !hung;
}

// While the update runs nothing closes the dialog; once it has ended, OK,
// Esc, Enter and the frame's close button do.
TEST(UpdateForm, ClosesOnlyOnceTheUpdateHasEnded) {
  Form f;
  bool ran = false;
  f.form.resetForm();
  EXPECT_TRUE(ShowModal(f.form, [&] {
    ran = true;
    EXPECT_TRUE(f.form.isVisible());
    EXPECT_FALSE(f.form.close());  // the frame's close button
    QTest::keyClick(&f.form, Qt::Key_Escape);
    QTest::keyClick(&f.form, Qt::Key_Return);
    EXPECT_TRUE(f.form.isVisible()) << "nothing closes it while it runs";
    f.form.showMessage(update::kNoUpdates);
    QTimer::singleShot(0, [&] { QTest::keyClick(&f.form, Qt::Key_Escape); });
  }));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(f.form.isVisible());

  const std::vector<std::function<void()>> closers = {
      [&] { QTest::keyClick(&f.form, Qt::Key_Return); },
      [&] { QTest::keyClick(&f.form, Qt::Key_Enter); }, [&] { EXPECT_TRUE(f.form.close()); },
      [&] { QTest::mouseClick(f.Child("formButtonBackground2"), Qt::LeftButton); }};
  for (size_t i = 0; i < closers.size(); ++i) {
    f.form.resetForm();
    EXPECT_TRUE(ShowModal(f.form,
                          [&] {
                            f.form.showWarning(update::kCatalogueFailed);
                            QTimer::singleShot(0, closers[i]);
                          }))
        << "closer " << i;
    EXPECT_FALSE(f.form.isVisible());
  }
}

struct UpdateWindow {
  // readOnlyCopy: the application folder cannot be written, and the window
  // gets the folders that morvane finds for it at start.
  UpdateWindow(const std::string& spec, const std::string& host, update::HttpTimeouts timeouts = {},
               bool readOnlyCopy = false) {
    std::filesystem::create_directories(app);
    for (const auto& entry : std::filesystem::directory_iterator(APP_FOLDER))
      if (entry.path().extension() == ".bmp")
        std::filesystem::copy_file(entry.path(), app / entry.path().filename());
    session::FrontEndOptions o;
    o.virtualBoard = spec;
    app::MainOptions m;
    m.appFolder = QString::fromStdString(app.string());
    if (readOnlyCopy) {
      readOnly = std::make_unique<testing_support::ReadOnlyFolder>(app.string());
      m.folders = paths::ResolveAppPaths(app.string());
    }
    m.play = &player;
    m.board = session::MakeBoardAgent(o);
    firmware = m.board.firmware;
    m.dialogs = &dialogs;
    m.openHelp = [](const QString&) {};
    m.updateHost = host;
    m.updateTimeouts = timeouts;
    main = std::make_unique<app::Main>(std::move(m));
  }
  ~UpdateWindow() {
    main.reset();
    readOnly.reset();
    std::filesystem::remove_all(app);
  }
  // Clicks UpdateBtn; while the dialog is up, waits for its final state,
  // notes the texts and the fonts listed and presses OK, or leaves the
  // dialog to atEnd.
  void ClickUpdate(const std::function<void(QDialog*)>& atEnd = {}) {
    QTimer watch;
    watch.callOnTimeout([this, &watch, &atEnd] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      auto* ok = dialog->findChild<QWidget*>("formButtonBackground2");
      if (!ok->isVisible()) return;
      title = dialog->findChild<QLabel*>("formTitle")->text();
      element = dialog->findChild<QLabel*>("updateElement")->text();
      shownStep = Shown(dialog->findChild<QLabel*>("updateStep"));
      shownElement = Shown(dialog->findChild<QLabel*>("updateElement"));
      installed.clear();
      auto* list = dialog->findChild<QListWidget*>("installedList");
      for (int row = 0; list->isVisible() && row < list->count(); ++row)
        installed.push_back(list->item(row)->text().toStdString());
      ++dialogs_seen;
      watch.stop();
      if (atEnd)
        atEnd(dialog);
      else
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    watch.start(20);
    QTest::mouseClick(main->findChild<QToolButton*>("UpdateBtn"), Qt::LeftButton);
  }

  // What a label shows (and a screen reader reads): its text as rich text
  // renders it, when the label takes it for rich text.
  static QString Shown(QLabel* label) {
    return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
  }

  std::filesystem::path app = testing_support::UniqueTempPath("update_window");
  std::unique_ptr<testing_support::ReadOnlyFolder> readOnly;
  testing_support::SilentPlayer player;
  std::vector<std::string>& played = player.played;
  testing_support::ScriptedDialogs dialogs;
  std::shared_ptr<virtualboard::BoardFirmware> firmware;
  std::unique_ptr<app::Main> main;
  QString title, element, shownStep, shownElement;
  std::vector<std::string> installed;  // the rows of the dialog's font list
  int dialogs_seen = 0;
};

TEST(UpdateButton, RunsTheUpdateInTheDialog) {
  const std::string root = testing_support::UniqueTempPath("update_window_root");
  testing_support::MakeServedFont(root, "Alpha", {"A1.lsu"});
  testing_support::FontServer server(root);
  UpdateWindow w("usb2,sn=0A1B2C3D", server.Host());
  ASSERT_TRUE(w.main->Startup());
  auto* form = qobject_cast<QDialog*>([] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->objectName() == "updateForm") return top;
    return static_cast<QWidget*>(nullptr);
  }());
  ASSERT_NE(form, nullptr);  // loaded at start-up, hidden
  EXPECT_FALSE(form->isVisible());

  w.ClickUpdate();
  EXPECT_EQ(w.dialogs_seen, 1);
  EXPECT_EQ(w.title, "Success");
  EXPECT_EQ(w.element.toStdString(),
            update::FinalMessage(update::kUpdated, w.app.string() + "/fonts"));
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(testing_support::Exists(w.app.string() + "/fonts/Alpha/fnt"));
  EXPECT_EQ(server.Log().front(), "POST / svc=gct&did=0A1B2C3D -> 200");

  w.ClickUpdate();
  EXPECT_EQ(w.title, "Success");
  EXPECT_EQ(w.element.toStdString(),
            update::FinalMessage(update::kNoUpdates, w.app.string() + "/fonts"));
  std::filesystem::remove_all(root);
}

// A copy of the application folder that cannot be written: fonts go to the
// user's data folder and the dialog says so, the scratch sound to the
// user's cache, and the bitmaps still come from the copy.
TEST(UpdateButton, ReadOnlyCopyWritesToTheUsersPlaces) {
  const std::string root = testing_support::UniqueTempPath("update_window_root");
  const std::string home = root + "_home";
  const testing_support::ScopedEnv homeVar("HOME", home), data("XDG_DATA_HOME", nullptr),
      cache("XDG_CACHE_HOME", nullptr);
  testing_support::MakeServedFont(root, "Alpha", {"A1.lsu"});
  testing_support::FontServer server(root);
  {
    UpdateWindow w("usb2,sn=0A1B2C3D", server.Host(), {}, true);
    if (!w.readOnly->Holds()) GTEST_SKIP() << "this file system lets root write anywhere";
    ASSERT_TRUE(w.main->Startup());
    EXPECT_FALSE(w.main->findChild<QToolButton*>("UpdateBtn")->icon().isNull());
    w.ClickUpdate();
    const std::string fonts = home + "/.local/share/morvane/fonts";
    EXPECT_EQ(w.element.toStdString(), update::FinalMessage(update::kUpdated, fonts));
    const std::string sound = fonts + "/Alpha/A1.lsu";
    ASSERT_TRUE(testing_support::Exists(sound));

    // The fetched sound played from its category list with Ctrl+click.
    w.main->findChild<QRadioButton*>("MtOption")->setChecked(true);
    ASSERT_TRUE(w.main->Sounds().AddToCategory(QString::fromStdString(sound),
                                               w.main->Sounds().SelectedCategory()));
    auto* list = w.main->findChild<QListWidget*>("MtFileList");
    ASSERT_EQ(list->count(), 1);
    list->setCurrentRow(0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(0)).center());
    const std::string wav = home + "/.cache/morvane/temp.wav";
    EXPECT_EQ(w.played, std::vector<std::string>{wav});
    EXPECT_EQ(std::filesystem::file_size(wav), 44u + 3000 - 4);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.app), {}), 17)
        << "the 17 bitmaps and nothing else";
  }
  std::filesystem::remove_all(root);
  std::filesystem::remove_all(home);
}

TEST(UpdateButton, TricklingServiceStillEndsTheDialog) {
  // The catalogue comes a byte every 20 ms for as long as the client
  // listens: never silent long enough for the idle time-out. Should the
  // dialog not end by itself, the server is stopped after a minute so the
  // test fails instead of hanging.
  testing_support::ScriptedHttpServer server(
      {testing_support::ScriptedReply("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")
           .Then("y", 100000, std::chrono::milliseconds(20))});
  UpdateWindow w("usb2,sn=0A1B2C3D", server.Host(),
                 {std::chrono::seconds(5), std::chrono::seconds(5), std::chrono::seconds(1), 1024});
  ASSERT_TRUE(w.main->Startup());
  bool gaveUp = false;
  // A timer of the test's own: it goes with the test, never firing into a
  // later one.
  QTimer giveUp;
  giveUp.setSingleShot(true);
  QObject::connect(&giveUp, &QTimer::timeout, [&] {
    gaveUp = true;
    server.Stop();
  });
  giveUp.start(std::chrono::minutes(1));
  w.ClickUpdate();
  EXPECT_FALSE(gaveUp);
  EXPECT_EQ(w.dialogs_seen, 1);
  EXPECT_EQ(w.title, "Warning!");
  EXPECT_EQ(w.element.toStdString(),
            update::ConnectionWarning(update::kCatalogueFailed, server.Host(),
                                      "the server sends too slowly (less than 1024 bytes in 1 s)"));
}

TEST(UpdateButton, NamesFromTheServiceAreShownAsTheyAre) {
  // A font id that is markup shows as the characters it is, in the step
  // caption and in a warning that quotes it.
  const std::string header = "status:OK\r\nclientv:1\r\n";
  testing_support::ScriptedHttpServer server({testing_support::HttpAnswer(header + "<h1>Big"),
                                              testing_support::HttpAnswer("gone", 500),
                                              testing_support::HttpAnswer(header + "<i>x</i>")});
  UpdateWindow w("usb2,sn=0A1B2C3D", server.Host());
  ASSERT_TRUE(w.main->Startup());
  w.ClickUpdate();
  EXPECT_EQ(w.element.toStdString(),
            update::ConnectionWarning(update::kFontQueryFailed, server.Host(),
                                      "the server answered HTTP 500 X"));
  EXPECT_EQ(w.shownStep.toStdString(), "(3/3) Updating item: <h1>Big");
  w.ClickUpdate();
  EXPECT_EQ(w.shownElement.toStdString(), update::RefusedNameWarning("<i>x</i>"));
}

TEST(UpdateButton, BoardWithoutSerialNumberStartsNothing) {
  const std::string root = testing_support::UniqueTempPath("update_window_root");
  std::filesystem::create_directories(root);
  testing_support::FontServer server(root);
  UpdateWindow w("sound", server.Host());
  ASSERT_TRUE(w.main->Startup());
  w.firmware->Unplug();  // still listed, but its GetSN gets no answer
  w.ClickUpdate();
  EXPECT_EQ(w.dialogs_seen, 0);
  EXPECT_TRUE(server.Log().empty());
  std::filesystem::remove_all(root);
}

// The dialog opens over the middle of the window and follows it; a
// connection error names the service and why it failed.
TEST(UpdateButton, DialogStaysCentredOverTheWindow) {
  int port = 0;
  { port = testing_support::ScriptedHttpServer({testing_support::HttpAnswer("")}).Port(); }
  const std::string nobody = "127.0.0.1:" + std::to_string(port);
  UpdateWindow w("usb2,sn=0A1B2C3D", nobody);
  ASSERT_TRUE(w.main->Startup());
  w.main->setGeometry(40, 30, 900, 640);  // away from the screen's middle
  w.main->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.main.get()));
  const auto centred = [&](QDialog* dialog) {
    return (dialog->frameGeometry().center() - w.main->frameGeometry().center())
               .manhattanLength() <= 2;
  };
  bool atFirst = false, followed = false;
  w.ClickUpdate([&](QDialog* dialog) {
    atFirst = centred(dialog);
    w.main->move(300, 200);
    followed = QTest::qWaitFor([&] { return centred(dialog); }, 10000);
    QTest::mouseClick(dialog->findChild<QWidget*>("formButtonBackground2"), Qt::LeftButton);
  });
  EXPECT_TRUE(atFirst);
  EXPECT_TRUE(followed);
  EXPECT_EQ(w.title, "Warning!");
  EXPECT_EQ(w.element.toStdString(),
            update::ConnectionWarning(update::kCatalogueFailed, nobody, "Connection refused"));
}

// A success lists each new font with its folder; "Load" closes the dialog
// and loads the first new font's configuration into the categories.
TEST(UpdateButton, SuccessListsTheFontsAndLoadLoadsTheFirst) {
  const std::string root = testing_support::UniqueTempPath("update_window_root");
  testing_support::MakeServedFont(root, "Alpha",
                                  {"a-boot.lsu", "a-on.lsu", "a-off.lsu", "a-idle.lsu",
                                   "a-swing.lsu", "a-clash.lsu", "a-lock.lsu"});
  // Every category filled, the names bare as the service sends them.
  const std::string configuration =
      "BOOT\r\na-boot.lsu\r\n 100 \r\nPWRON\r\na-on.lsu\r\n 100 \r\nPWROFF\r\n"
      "a-off.lsu\r\n 100 \r\nIDLE\r\na-idle.lsu\r\n 100 \r\nMOTION-1\r\na-swing.lsu\r\n 70 \r\n"
      "IMPACT-1\r\na-clash.lsu\r\n 80 \r\nLOCKUP-1\r\na-lock.lsu\r\n 90 \r\n";
  testing_support::WriteBytes(root + "/Alpha/Alpha.lscfg", configuration);
  testing_support::MakeServedFont(root, "Beta", {"b.lsu"});
  testing_support::FontServer server(root);
  UpdateWindow w("usb2,sn=0A1B2C3D", server.Host());
  ASSERT_TRUE(w.main->Startup());
  w.main->show();
  const std::string fonts = w.app.string() + "/fonts";
  w.ClickUpdate([](QDialog* dialog) {
    QTest::mouseClick(dialog->findChild<QWidget*>("formLoadBackground"), Qt::LeftButton);
  });
  EXPECT_EQ(w.title, "Success");
  EXPECT_EQ(w.installed, (std::vector<std::string>{"Alpha \u2014 " + fonts + "/Alpha",
                                                   "Beta \u2014 " + fonts + "/Beta"}));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Load closed the dialog";
  EXPECT_EQ(w.main->findChild<QLabel*>("BootFileList")->text(), "a-boot.lsu");
  auto* lockup = w.main->findChild<QListWidget*>("LkfileList");
  ASSERT_EQ(lockup->count(), 1);
  EXPECT_EQ(lockup->item(0)->text(), "a-lock.lsu");
  EXPECT_EQ(w.main->Configuration().GetVolume(sound::kLockup, 1), 90);
  EXPECT_TRUE(w.dialogs.messages.empty());

  // Nothing new the next time: no list, no Load.
  bool loadShown = true;
  w.ClickUpdate([&](QDialog* dialog) {
    loadShown = dialog->findChild<QWidget*>("formLoadBackground")->isVisible();
    QTest::mouseClick(dialog->findChild<QWidget*>("formButtonBackground2"), Qt::LeftButton);
  });
  EXPECT_EQ(w.element.toStdString(), update::FinalMessage(update::kNoUpdates, fonts));
  EXPECT_TRUE(w.installed.empty());
  EXPECT_FALSE(loadShown);
  std::filesystem::remove_all(root);
}

}  // namespace
