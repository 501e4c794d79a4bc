#pragma once
// File names for tests that ctest may run side by side in separate
// processes: unique per process and per call.

#include <unistd.h>

#include <gtest/gtest.h>
#include <string>

namespace testing_support {

inline std::string UniqueTempPath(const std::string& stem) {
  static int count = 0;
  return ::testing::TempDir() + stem + "_" + std::to_string(getpid()) + "_" +
         std::to_string(++count);
}

}  // namespace testing_support
