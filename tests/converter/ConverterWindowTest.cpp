// brelka's window, driven by control names.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
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

}  // namespace
