// Where the programs read and write: a writable portable folder keeps
// everything, a read-only one and an installed tree send what is written
// to the user's standard places, and the read-only files are found in both.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "paths/AppPaths.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFiles.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ScopedEnv;

struct AppPathsTest : ::testing::Test {
  const std::string root = testing_support::UniqueTempPath("app_paths");
  const std::string home = root + "/home";
  // The user's places come from HOME, as on a desktop without XDG
  // variables.
  const ScopedEnv homeVar{"HOME", home}, dataVar{"XDG_DATA_HOME", nullptr},
      cacheVar{"XDG_CACHE_HOME", nullptr};

  void SetUp() override { fs::create_directories(home); }
  void TearDown() override { fs::remove_all(root); }

  // A folder holding a program's files, as a build's bin/ does.
  std::string AppFolder(const std::string& name) {
    const std::string folder = root + "/" + name;
    fs::create_directories(folder);
    std::ofstream(folder + "/" + paths::kMarkerFile) << "BM";
    return folder;
  }
  static std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    return names;
  }
};

TEST_F(AppPathsTest, WritablePortableFolderKeepsEverythingBesideThePrograms) {
  const std::string app = AppFolder("portable");
  const paths::AppPaths p = paths::ResolveAppPaths(app);
  EXPECT_FALSE(p.perUser);
  EXPECT_EQ(p.dataFolder, app);
  EXPECT_EQ(p.userFolder, app);
  EXPECT_EQ(p.cacheFolder, app);
  EXPECT_EQ(p.HidLogFile(), app + "/HidLog.txt");
  EXPECT_EQ(paths::StartFolder(p), app);
  // The look at the folder leaves nothing behind, in it or in the home.
  EXPECT_EQ(Names(app), std::vector<std::string>{paths::kMarkerFile});
  EXPECT_TRUE(fs::is_empty(home));
}

TEST_F(AppPathsTest, ReadOnlyPortableFolderWritesToTheUsersPlaces) {
  const std::string app = AppFolder("read-only");
  const testing_support::ReadOnlyFolder readOnly(app);
  if (!readOnly.Holds()) GTEST_SKIP() << "this file system lets root write anywhere";
  EXPECT_FALSE(paths::FolderIsWritable(app));
  const paths::AppPaths p = paths::ResolveAppPaths(app);
  EXPECT_TRUE(p.perUser);
  EXPECT_EQ(p.dataFolder, app);
  EXPECT_EQ(p.userFolder, home + "/.local/share/morvane");
  EXPECT_EQ(p.cacheFolder, home + "/.cache/morvane");
  EXPECT_EQ(p.HidLogFile(), home + "/.local/share/morvane/HidLog.txt");
  // Browsers start in the home until the user folder exists.
  EXPECT_EQ(paths::StartFolder(p), home);
  const std::string wav = paths::PrepareFileIn(p.cacheFolder, paths::kScratchWavName);
  EXPECT_EQ(wav, home + "/.cache/morvane/temp.wav");
  EXPECT_TRUE(fs::is_directory(p.cacheFolder));
  fs::create_directories(p.userFolder);
  EXPECT_EQ(paths::StartFolder(p), p.userFolder);

  // The desktop's own variables win over HOME.
  const ScopedEnv data("XDG_DATA_HOME", root + "/data"), cache("XDG_CACHE_HOME", root + "/cache");
  const paths::AppPaths x = paths::ResolveAppPaths(app);
  EXPECT_EQ(x.userFolder, root + "/data/morvane");
  EXPECT_EQ(x.cacheFolder, root + "/cache/morvane");
}

TEST_F(AppPathsTest, InstalledTreeReadsShareAndNeverWritesIntoThePrefix) {
  // bin/ can be written (a prefix in the home, or /usr for root): the
  // programs still keep their files in the user's places.
  const std::string prefix = root + "/prefix";
  fs::create_directories(prefix + "/bin");
  AppFolder("prefix/share/morvane");
  ASSERT_TRUE(paths::FolderIsWritable(prefix + "/bin"));
  const paths::AppPaths p = paths::ResolveAppPaths(prefix + "/bin");
  EXPECT_TRUE(p.perUser);
  EXPECT_EQ(p.programFolder, prefix + "/bin");
  EXPECT_EQ(p.dataFolder, fs::canonical(prefix + "/share/morvane").string());
  EXPECT_EQ(p.userFolder, home + "/.local/share/morvane");
  EXPECT_EQ(p.cacheFolder, home + "/.cache/morvane");

  // The programs' own files beside them make a portable folder, whatever
  // lies next to it.
  AppFolder("prefix/bin");
  EXPECT_EQ(paths::ResolveAppPaths(prefix + "/bin").dataFolder, prefix + "/bin");
}

TEST_F(AppPathsTest, FoldersThatCannotTakeAFile) {
  EXPECT_FALSE(paths::FolderIsWritable(root + "/missing"));
  std::ofstream(root + "/file") << "x";
  EXPECT_FALSE(paths::FolderIsWritable(root + "/file"));
  EXPECT_FALSE(paths::FolderIsWritable(""));
  // A program folder that does not exist (a deleted build) is no place to
  // write either.
  EXPECT_TRUE(paths::ResolveAppPaths(root + "/missing").perUser);
}

}  // namespace
