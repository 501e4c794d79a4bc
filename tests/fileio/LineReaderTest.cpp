// Reading text files line by line within bounds: regular files only, lines
// of at most 4096 bytes.

#include "fileio/LineReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TempFiles.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> AllLines(fileio::LineReader& reader) {
  std::vector<std::string> lines;
  for (std::string line; reader.Next(line);) lines.push_back(line);
  return lines;
}

TEST(LineReader, ReadsCrLfAndLfLinesAndSkipsAByteOrderMarkOnlyWhenAsked) {
  const std::string text =
      "\xEF\xBB\xBF"
      "BOOT\r\n\r\nlf only\nlast";
  std::istringstream a(text), b(text);
  fileio::LineReader plain(a, "a"), skipping(b, "b");
  skipping.SkipByteOrderMark();
  EXPECT_EQ(AllLines(plain), (std::vector<std::string>{"\xEF\xBB\xBF"
                                                       "BOOT",
                                                       "", "lf only", "last"}));
  EXPECT_EQ(AllLines(skipping), (std::vector<std::string>{"BOOT", "", "lf only", "last"}));
  EXPECT_FALSE(plain.Failed());
}

TEST(LineReader, RefusesALineLongerThanTheLimit) {
  const std::string path = testing_support::UniqueTempPath("lines");
  const std::string longest(fileio::kMaxLineBytes, 'x');
  std::ofstream(path, std::ios::binary) << "first\r\n" << longest << "\r\n" << longest << "y\n";
  fileio::LineReader reader(path);
  std::string line;
  ASSERT_TRUE(reader.Next(line));
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, longest);
  EXPECT_FALSE(reader.Next(line));
  EXPECT_EQ(reader.Error(), path + " has a line longer than 4096 bytes");
  EXPECT_FALSE(reader.Next(line));
  fs::remove(path);
}

TEST(LineReader, RefusesWhatIsNotARegularFile) {
  const std::string folder = testing_support::UniqueTempPath("lines_dir");
  fs::create_directories(folder);
  for (const std::string& path : {std::string("/dev/zero"), std::string("/dev/null"), folder}) {
    fileio::LineReader reader(path);
    std::string line;
    EXPECT_FALSE(reader.Next(line)) << path;
    EXPECT_EQ(reader.Error(), path + " is not a regular file");
  }
  fileio::LineReader missing(folder + "/missing");
  EXPECT_EQ(missing.Error(), folder + "/missing could not be opened: No such file or directory");
  fs::remove_all(folder);
}

}  // namespace
