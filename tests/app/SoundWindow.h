#pragma once
// The main window on a virtual board (a sound board unless said otherwise)
// with its application folder in a private temporary folder, scripted
// dialogs and a recorded playback: what the window tests drive.

#include <QApplication>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/SoundPanel.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Controls.h"
#include "tests/support/Recorders.h"
#include "tests/support/SilentPlayer.h"
#include "tests/support/TempFiles.h"

namespace app_test {

struct SoundWindow {
  // lsuFiles: LSU files made in the application folder before the window
  // starts, so that its file browser lists them. board: the virtual
  // board's SPEC ("led" for an LED driver).
  explicit SoundWindow(const std::vector<std::string>& lsuFiles = {},
                       const std::string& board = "sound") {
    for (const std::string& name : lsuFiles) Lsu(name);
    // An LED driver's panel reads the LED catalogue of the application folder.
    if (board.rfind("led", 0) == 0)
      std::filesystem::copy_file(std::filesystem::path(APP_FOLDER) / "KestraneLEDS.ldcfg",
                                 dir.dir() / "KestraneLEDS.ldcfg");
    session::FrontEndOptions o;
    o.virtualBoard = board;
    app::MainOptions m;
    m.appFolder = QString::fromStdString(dir.dir().string());
    m.board = session::MakeBoardAgent(o);
    m.dialogs = &dialogs;
    m.openHelp = [](const QString&) {};
    m.play = &player;
    main = std::make_unique<app::Main>(std::move(m));
    EXPECT_TRUE(main->Startup());
  }
  template <typename W>
  W* Child(const char* name) {
    return testing_support::Control<W>(*main, name);
  }
  std::string Lsu(const std::string& name, size_t samples = 200) {
    const std::string path = dir.Path(name);
    sound_test::WriteLsu(path, sound_test::Samples(samples));
    return path;
  }
  bool Add(const std::string& path, const char* option) {
    Child<QRadioButton>(option)->setChecked(true);
    return main->Sounds().AddToCategory(QString::fromStdString(path),
                                        main->Sounds().SelectedCategory());
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : dialogs.messages) texts.push_back(m.text);
    return texts;
  }
  // Shows the window and makes it the active one, as the user's click on
  // it does: keys and shortcuts reach it then.
  void Show() {
    main->show();
    QApplication::setActiveWindow(main.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
  }

  // The browser's entry of that name; null, and a test failure, when the
  // file list does not show it.
  QListWidgetItem* FileItem(const QString& name) {
    const auto found = Child<QListWidget>("FileList")->findItems(name, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << name.toStdString();
    return found.empty() ? nullptr : found[0];
  }
  // The user chooses a category by its option button and double-clicks a
  // file of the browser, as a click then a double-click.
  void DoubleClickFile(const char* option, const QString& name) {
    QTest::mouseClick(Child<QRadioButton>(option), Qt::LeftButton);
    auto* files = Child<QListWidget>("FileList");
    QListWidgetItem* item = FileItem(name);
    ASSERT_NE(item, nullptr);
    const QPoint at = files->visualItemRect(item).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
  }

  testing_support::TempFolder dir;
  testing_support::ScriptedDialogs dialogs;
  testing_support::SilentPlayer player;
  std::vector<std::string>& played = player.played;
  std::unique_ptr<app::Main> main;
};

// A real click on a row of a list.
inline void ClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(row)).center());
  QApplication::processEvents();
}

// A key pressed where the focus is, as the keyboard sends it.
inline void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

inline QStringList Rows(QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
  return rows;
}

}  // namespace app_test
