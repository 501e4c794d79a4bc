// The waveform strip under the category lists: it follows the file the
// user chooses in a category or in the browser, at that file's volume, and
// a play head moves over it while the sound plays.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <algorithm>

#include "tests/app/SoundWindow.h"
#include "widgets/WaveformStrip.h"

namespace {

using app_test::ClickRow;
using app_test::SoundWindow;
using widgets::WaveformStrip;

// Waits (bounded) until the strip shows the file's waveform.
bool ShowsFile(WaveformStrip* strip, const std::string& path) {
  return QTest::qWaitFor(
      [&] {
        return strip->CurrentState() == WaveformStrip::State::Shown &&
               strip->Path() == QString::fromStdString(path);
      },
      60000);
}

int Highest(const WaveformStrip* strip) {
  int highest = -1000;
  for (const auto& column : strip->Picture().columns) highest = std::max<int>(highest, column.high);
  return highest;
}

int Lowest(const WaveformStrip* strip) {
  int lowest = 1000;
  for (const auto& column : strip->Picture().columns) lowest = std::min<int>(lowest, column.low);
  return lowest;
}

void ClickFile(SoundWindow& w, const QString& name, Qt::KeyboardModifiers modifiers = {}) {
  auto* files = w.Child<QListWidget>("FileList");
  QListWidgetItem* item = w.FileItem(name);
  ASSERT_NE(item, nullptr);
  QTest::mouseClick(files->viewport(), Qt::LeftButton, modifiers,
                    files->visualItemRect(item).center());
  QApplication::processEvents();
}

TEST(WaveformStrip, FollowsTheFileChosenInACategoryOrTheBrowser) {
  SoundWindow w({"browse.lsu", "notes.txt"});
  const std::string m1 = w.Lsu("m1.lsu", 4800);  // 0.1 s, its loudest sample positive
  const std::string m2 = w.Lsu("m2.lsu", 96000);
  w.Add(m1, "MtOption");
  w.Add(m2, "MtOption");
  const std::string boot = w.Lsu("boot.lsu", 24000);
  w.Add(boot, "BootOption");
  w.main->Configuration().SetVolume(sound::kMotion, 2, 40);
  w.Show();
  auto* strip = w.Child<WaveformStrip>("WaveformStrip");
  auto* motion = w.Child<QListWidget>("MtFileList");
  EXPECT_EQ(strip->CurrentState(), WaveformStrip::State::Empty) << strip->Path().toStdString();

  ClickRow(motion, 0);
  ASSERT_TRUE(ShowsFile(strip, m1));
  EXPECT_EQ(strip->Volume(), 100);
  EXPECT_EQ(strip->Picture().columns.size(), size_t(strip->contentsRect().width()));
  EXPECT_EQ(Highest(strip), 999) << "the loudest sample reaches full scale at volume 100";
  EXPECT_DOUBLE_EQ(strip->Picture().seconds, 0.1);

  ClickRow(motion, 1);
  ASSERT_TRUE(ShowsFile(strip, m2));
  EXPECT_EQ(strip->Volume(), 40);
  EXPECT_EQ(Highest(strip), 400);  // 999 x 40 / 100, rounded
  EXPECT_DOUBLE_EQ(strip->Picture().seconds, 2.0);

  // The user takes the slider down to 0: the strip goes flat.
  QTest::keyClick(w.Child<QSlider>("VolSlider"), Qt::Key_Home);
  EXPECT_EQ(w.main->Configuration().GetVolume(sound::kMotion, 2), 0);
  EXPECT_EQ(strip->Volume(), 0);
  EXPECT_EQ(Highest(strip), 0);
  EXPECT_EQ(Lowest(strip), 0);

  QTest::mouseClick(w.Child<QLabel>("BootFileList"), Qt::LeftButton);
  ASSERT_TRUE(ShowsFile(strip, boot));

  ClickFile(w, "browse.lsu");
  ASSERT_TRUE(ShowsFile(strip, w.dir.Path("browse.lsu")));
  EXPECT_EQ(strip->Volume(), 100);

  // Back to a list, then the same browser entry again.
  ClickRow(motion, 0);
  ASSERT_TRUE(ShowsFile(strip, m1));
  ClickFile(w, "browse.lsu");
  ASSERT_TRUE(ShowsFile(strip, w.dir.Path("browse.lsu")));
  EXPECT_EQ(strip->Service().Readings(), 4) << "each file was read once";

  ClickFile(w, "notes.txt");
  EXPECT_TRUE(QTest::qWaitFor([&] { return strip->CurrentState() == WaveformStrip::State::Failed; },
                              60000));
  EXPECT_EQ(strip->Note(), "notes.txt is not an LSU file");
  // The keyboard moves in the browser as well: Home goes to its first file.
  auto* files = w.Child<QListWidget>("FileList");
  QTest::keyClick(files, Qt::Key_Home);
  const QString first = QString::fromStdString(w.dir.Path(files->item(0)->text().toStdString()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return strip->Path() == first; }, 60000))
      << strip->Path().toStdString();

  // A removed file leaves the strip empty.
  ClickRow(motion, 0);
  ASSERT_TRUE(ShowsFile(strip, m1));
  QTest::mouseDClick(motion->viewport(), Qt::LeftButton, {},
                     motion->visualItemRect(motion->item(0)).center());
  EXPECT_EQ(motion->count(), 1);
  EXPECT_EQ(strip->CurrentState(), WaveformStrip::State::Empty);
  EXPECT_TRUE(w.Messages().empty());
}

// A Ctrl+click on a row of a list, or on an entry of the file browser.
void CtrlClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualItemRect(list->item(row)).center());
}

TEST(WaveformStrip, PlayHeadMovesWhileTheSoundPlays) {
  SoundWindow w({"other.lsu"});
  const std::string swing = w.Lsu("swing.lsu", 48000 * 20);  // plays on while the test runs
  const std::string clash = w.Lsu("clash.lsu", 24000);       // half a second
  w.Lsu("other.lsu", 48000 * 20);                            // in the browser
  w.Add(swing, "MtOption");
  w.Add(clash, "MtOption");
  w.Show();
  auto* strip = w.Child<WaveformStrip>("WaveformStrip");
  auto* motion = w.Child<QListWidget>("MtFileList");
  EXPECT_FALSE(strip->PlayHead());

  CtrlClickRow(motion, 0);
  ASSERT_TRUE(w.player.Playing());
  ASSERT_TRUE(ShowsFile(strip, swing));
  ASSERT_TRUE(QTest::qWaitFor([&] { return strip->PlayHead() && *strip->PlayHead() > 0; }, 30000))
      << "the play head moves from the start";
  const double first = *strip->PlayHead();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return strip->PlayHead() && *strip->PlayHead() > first; }, 30000));
  EXPECT_LE(*strip->PlayHead(), 20);

  // Another file chosen meanwhile: no play head over it; back to the
  // playing one, the head is there again.
  ClickFile(w, "other.lsu");
  ASSERT_TRUE(ShowsFile(strip, w.dir.Path("other.lsu")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !strip->PlayHead(); }, 30000));
  ASSERT_TRUE(w.player.Playing());
  ClickRow(motion, 0);
  ASSERT_TRUE(ShowsFile(strip, swing));
  EXPECT_TRUE(QTest::qWaitFor([&] { return strip->PlayHead().has_value(); }, 30000));

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(w.player.Playing());
  EXPECT_FALSE(strip->PlayHead()) << "stopped: the head goes";

  // A Ctrl+click in the browser shows the file it plays, head and all.
  ClickFile(w, "other.lsu", Qt::ControlModifier);
  ASSERT_TRUE(w.player.Playing());
  ASSERT_TRUE(ShowsFile(strip, w.dir.Path("other.lsu")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return strip->PlayHead().has_value(); }, 30000));

  // A sound that ends by itself takes its head with it.
  CtrlClickRow(motion, 1);
  ASSERT_TRUE(w.player.Playing());
  EXPECT_TRUE(strip->PlayHead().has_value());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.player.Playing(); }, 30000));
  EXPECT_FALSE(strip->PlayHead());
  EXPECT_TRUE(ShowsFile(strip, clash));
}

}  // namespace
