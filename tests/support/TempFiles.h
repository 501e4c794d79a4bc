#pragma once
// File names and folders for tests that ctest may run side by side in
// separate processes: unique per process and per call. The temporary
// folder is shared with every other test run on the machine and keeps
// what earlier runs left there, so a name also carries a random part: a
// later process with the same id never meets an earlier one's file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

namespace testing_support {

inline std::string UniqueTempPath(const std::string& stem) {
  static int count = 0;
  static const std::string run =
      std::to_string(getpid()) + "_" + std::to_string(std::random_device{}() & 0xFFFFFF);
  return ::testing::TempDir() + stem + "_" + run + "_" + std::to_string(++count);
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
