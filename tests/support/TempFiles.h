#pragma once
// File names and folders for tests that ctest may run side by side in
// separate processes: unique per process and per call. The temporary
// folder is shared with every other test run on the machine and keeps
// what earlier runs left there, so each process's folder also carries a
// random part: a later process with the same id never meets an earlier
// one's file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

namespace testing_support {

// The folder of this test process's temporary files, removed with all it
// holds when the process ends: a run leaves nothing behind in the shared
// temporary folder, whatever its tests forget to remove.
class ProcessScratch {
 public:
  ProcessScratch()
      : dir_(::testing::TempDir() + "morvane_test_" + std::to_string(getpid()) + "_" +
             std::to_string(std::random_device{}() & 0xFFFFFF)) {
    std::filesystem::create_directories(dir_);
  }
  ~ProcessScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  ProcessScratch(const ProcessScratch&) = delete;
  ProcessScratch& operator=(const ProcessScratch&) = delete;
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

inline std::string UniqueTempPath(const std::string& stem) {
  static int count = 0;
  static const ProcessScratch scratch;
  return scratch.dir() + "/" + stem + "_" + std::to_string(++count);
}

// A new, empty folder for the running test, removed with everything in it
// when the object goes.
class TempFolder {
 public:
  TempFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "x";
    dir_ = UniqueTempPath("folder") + "_" + name;
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

}  // namespace testing_support
