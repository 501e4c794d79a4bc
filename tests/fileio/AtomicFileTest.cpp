// Saving a user's file: whole or not at all, through a temporary file of a
// name nobody else has, never through a link.

#include "fileio/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "tests/support/Files.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

namespace fs = std::filesystem;
using testing_support::ReadBytes;

namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  const fs::path dir = testing_support::UniqueTempPath("fileio");
  const std::string target = (dir / "settings.ldset").string();
};

TEST_F(AtomicFileTest, AWriteCutShortByAFileSizeLimitKeepsTheOldFile) {
  std::ofstream(target) << "old content\r\n";
  fs::permissions(target, fs::perms(0640));
  // The limit holds for the whole process: try it in a child.
  const pid_t child = fork();
  if (child == 0) {
    const rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
    fileio::AtomicWriter writer(target);
    const bool wrote = writer.Write(std::string(50, 'a')) && writer.Write(std::string(500, 'b'));
    const bool committed = writer.Commit();
    _exit(!wrote && !committed && writer.Error() == "cannot write: File too large" ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write did not fail cleanly";
  EXPECT_EQ(ReadBytes(target), "old content\r\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"settings.ldset"}) << "the temporary file is gone";

  std::string error;
  ASSERT_TRUE(fileio::WriteFileAtomically(target, "new", &error)) << error;
  EXPECT_EQ(ReadBytes(target), "new");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640)) << "permissions are kept";
  EXPECT_EQ(Names(), std::vector<std::string>{"settings.ldset"});
}

TEST_F(AtomicFileTest, TemporaryNamesAreUniqueAndNeverAnExistingFile) {
  // Files that an older writer's fixed names would have hit, one a link to
  // a file that must not change.
  std::ofstream(dir / "victim") << "victim";
  fs::create_symlink(dir / "victim", target + ".tmp");
  std::ofstream(target + ".part") << "someone's file";

  fileio::AtomicWriter first(target), second(target);
  ASSERT_TRUE(first.IsOpen() && second.IsOpen());
  EXPECT_NE(first.TempPath(), second.TempPath());
  EXPECT_EQ(first.TempPath().parent_path(), dir);
  for (const auto* w : {&first, &second}) {
    const fs::path t = w->TempPath();
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(t))) << t;
    EXPECT_TRUE(fs::is_regular_file(t)) << t;
    EXPECT_NE(t.string(), target + ".tmp");
    EXPECT_NE(t.string(), target + ".part");
  }
  ASSERT_TRUE(first.Write("first") && first.Commit());
  second.Write("second");
  const fs::path abandoned = second.TempPath();
  second.Discard();
  EXPECT_FALSE(fs::exists(abandoned));
  EXPECT_EQ(ReadBytes(target), "first");
  EXPECT_EQ(ReadBytes((dir / "victim").string()), "victim");
  EXPECT_EQ(ReadBytes(target + ".part"), "someone's file");
}

TEST_F(AtomicFileTest, ALinkAtTheTargetKeepsPointingAtTheReplacedFile) {
  fs::create_directories(dir / "real");
  std::ofstream(dir / "real" / "a.lscfg") << "old";
  fs::create_symlink(dir / "real" / "a.lscfg", target);
  ASSERT_TRUE(fileio::WriteFileAtomically(target, "new"));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(target)));
  EXPECT_EQ(ReadBytes((dir / "real" / "a.lscfg").string()), "new");

  EXPECT_FALSE(fileio::WriteFileAtomically((dir / "no" / "such" / "f").string(), "x"));
  std::ofstream(dir / "plain") << "file";
  std::string error;
  EXPECT_FALSE(fileio::WriteFileAtomically((dir / "plain" / "f").string(), "x", &error));
  EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;
}

}  // namespace
