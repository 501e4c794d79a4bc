// brelka's window, driven by control names.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "converter/ConverterWindow.h"
#include "tests/converter/WavFixtures.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

using namespace testing_support;

namespace {

TEST(ConverterWindow, ConvertsTheSelectedFiles) {
  const std::string dir = UniqueTempPath("brelka_window");
  std::filesystem::create_directories(dir);
  WriteFile(dir + "/a.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(20, 1)));
  WriteFile(dir + "/b.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(20, 1)));
  ScriptedDialogs dialogs;
  converter::ConverterWindow window(QString::fromStdString(dir), &dialogs);
  EXPECT_EQ(window.windowTitle(), "RiziRozod Converter");
  auto* convert = window.findChild<QPushButton*>("ConvertBtn");
  ASSERT_NE(convert, nullptr);
  EXPECT_EQ(convert->text(), "   Convert WAV     to LSU");
  auto* files = window.findChild<QListWidget*>("FileList");
  ASSERT_NE(files, nullptr);
  ASSERT_EQ(files->count(), 2);  // the program's folder is shown first
  EXPECT_EQ(files->selectionMode(), QAbstractItemView::ExtendedSelection);

  convert->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "No file selected");

  files->setCurrentRow(0);
  files->item(1)->setSelected(true);
  convert->click();
  EXPECT_EQ(dialogs.messages.back().text, "THE FOLLOWING FILES WERE CONVERTED: \r\na.wav\r\nb.wav");
  EXPECT_TRUE(std::filesystem::exists(dir + "/b.lsu"));
  std::filesystem::remove_all(dir);
}

// Real clicks: select in.wav, press Convert. While the conversion runs (the
// wait panel shows and events are let through) a second click on Convert
// must not start another conversion; afterwards the new LSU file is listed.
TEST(ConverterWindow, OneConversionAtATimeAndTheNewFileIsListed) {
  const std::string dir = UniqueTempPath("brelka_clicks");
  std::filesystem::create_directories(dir);
  WriteFile(dir + "/in.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(4 << 20, 1)));
  ScriptedDialogs dialogs;
  dialogs.savePaths = {dir + "/in.lsu", dir + "/again.lsu"};
  converter::ConverterWindow window(QString::fromStdString(dir), &dialogs);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* convert = window.findChild<QPushButton*>("ConvertBtn");
  auto* files = window.findChild<QListWidget*>("FileList");
  auto* wait = window.findChild<QWidget*>("PleaseWaitFrame");
  ASSERT_TRUE(convert && files && wait);
  ASSERT_EQ(files->count(), 1);
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualItemRect(files->item(0)).center());
  ASSERT_EQ(files->currentItem()->text(), "in.wav");

  int seen = 0;
  bool enabledWhileConverting = false;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (!wait->isVisible() || seen++) return;
    enabledWhileConverting = convert->isEnabled() || files->isEnabled();
    QTest::mouseClick(convert, Qt::LeftButton);
  });
  during.start(0);
  QTest::mouseClick(convert, Qt::LeftButton);
  during.stop();

  EXPECT_GT(seen, 0) << "the conversion let events through";
  EXPECT_FALSE(enabledWhileConverting);
  EXPECT_EQ(dialogs.fileRequests.size(), 1u) << "a second conversion was started";
  EXPECT_FALSE(std::filesystem::exists(dir + "/again.lsu"));
  EXPECT_TRUE(convert->isEnabled());
  EXPECT_TRUE(files->isEnabled());
  QStringList listed;
  for (int row = 0; row < files->count(); ++row) listed << files->item(row)->text();
  EXPECT_EQ(listed.join(", ").toStdString(), "in.lsu, in.wav");
  EXPECT_EQ(files->currentItem()->text().toStdString(), "in.wav") << "the selection stays";
  std::filesystem::remove_all(dir);
}

}  // namespace
