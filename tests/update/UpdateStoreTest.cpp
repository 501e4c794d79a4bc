// The font store and the parsing of the service's text answers.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/PrintableText.h"
#include "update/UpdateUtils.h"

namespace {

using testing_support::Exists;
using testing_support::ReadBytes;
using update::UpdateUtils;

using Lines = std::vector<std::string>;

TEST(SliceText, SplitsAtCrLfOnly) {
  EXPECT_EQ(update::SliceText(""), Lines{});
  EXPECT_EQ(update::SliceText("status:OK"), Lines{"status:OK"});
  EXPECT_EQ(update::SliceText("status:OK\r\nclientv:1"), (Lines{"status:OK", "clientv:1"}));
  EXPECT_EQ(update::SliceText("status:OK\r\nclientv:1\r\n"), (Lines{"status:OK", "clientv:1", ""}));
  // A lone LF or CR is part of its line.
  EXPECT_EQ(update::SliceText("a\nb\r\rc\r\n\r\n"), (Lines{"a\nb\r\rc", "", ""}));
}

TEST(ExtractPair, SplitsAtTheFirstColon) {
  const auto pair = [](const char* line) {
    const update::Association a = update::ExtractPair(line);
    return a.key + "|" + a.value;
  };
  EXPECT_EQ(pair("status:OK"), "status|OK");
  EXPECT_EQ(pair("clientv:1"), "clientv|1");
  EXPECT_EQ(pair("abc:"), "abc|");
  EXPECT_EQ(pair("url:http://x:80"), "url|http://x:80");
  EXPECT_EQ(pair(":x"), "|");
  EXPECT_EQ(pair("no colon"), "|");
  EXPECT_EQ(pair(""), "|");
}

TEST(AnswerHeader, EveryProblemHasItsWarning) {
  EXPECT_EQ(update::AnswerHeaderProblem({}), update::kNoAnswer);
  EXPECT_EQ(update::AnswerHeaderProblem({"status:ERR", "clientv:1"}), update::kNotAccepted);
  EXPECT_EQ(update::AnswerHeaderProblem({"Status:OK", "clientv:1"}), update::kNotAccepted);
  EXPECT_EQ(update::AnswerHeaderProblem({"status:OK"}), update::kHeaderOnly);
  EXPECT_EQ(update::AnswerHeaderProblem({"status:OK", "client:1"}), update::kNoClientVersion);
  EXPECT_EQ(update::AnswerHeaderProblem({"status:OK", "clientv:2", "F"}),
            update::kNewVersionNeeded);
  EXPECT_EQ(update::AnswerHeaderProblem({"status:OK", "clientv:1 "}), update::kNewVersionNeeded);
  EXPECT_EQ(update::AnswerHeaderProblem({"status:OK", "clientv:1"}), std::nullopt);
}

TEST(FileNames, OnlyPlainNamesAreAccepted) {
  for (const char* good : {"Font1", "Swing 1.LSU", ".hidden", "a..b", "Ümlaut.lsu"})
    EXPECT_TRUE(update::IsPlainFileName(good)) << good;
  for (const char* bad :
       {"", ".", "..", "../x", "a/b", "a\\b", "/abs", "tab\there", "cr\r", "\x7f"})
    EXPECT_FALSE(update::IsPlainFileName(bad)) << bad;
  EXPECT_TRUE(update::IsPlainFileName(std::string(255, 'x')));
  EXPECT_FALSE(update::IsPlainFileName(std::string(256, 'x')));
  EXPECT_TRUE(update::IsFontId(std::string(200, 'x')));
  EXPECT_FALSE(update::IsFontId(std::string(201, 'x')));
  EXPECT_FALSE(update::IsFontId("../x"));
  EXPECT_TRUE(update::NamesSoundFile("Swing1.LSU"));
  EXPECT_TRUE(update::NamesSoundFile("a.lSu.bak"));
  EXPECT_FALSE(update::NamesSoundFile("BOOT"));
  EXPECT_FALSE(update::NamesSoundFile(".ls"));
}

TEST(PrintableText, KeepsEveryLetterAndEscapesEveryControl) {
  EXPECT_EQ(update::PrintableText("Swing 1.LSU \xc3\x9cml\xc3\xa4ut \xe2\x82\xac \xf0\x9f\x8e\xb5"),
            "Swing 1.LSU \xc3\x9cml\xc3\xa4ut \xe2\x82\xac \xf0\x9f\x8e\xb5");
  EXPECT_EQ(update::PrintableText("a\x1b[2Jb\r\n\x7f\\"), "a\\x1b[2Jb\\x0d\\x0a\\x7f\\\\");
  // C1 controls, stray and overlong bytes, a surrogate, a cut sequence.
  EXPECT_EQ(update::PrintableText("\xc2\x9b\xc2\x85|\xff\xc0\xaf|\xed\xa0\x80|\xe2\x82"),
            "\\xc2\\x9b\\xc2\\x85|\\xff\\xc0\\xaf|\\xed\\xa0\\x80|\\xe2\\x82");
}

struct Store : ::testing::Test {
  std::string app = testing_support::UniqueTempPath("update_store");
  void SetUp() override { std::filesystem::create_directories(app); }
  void TearDown() override { std::filesystem::remove_all(app); }
};

TEST_F(Store, FontMovesFromAbsentToPresentToComplete) {
  UpdateUtils store(app);
  EXPECT_TRUE(std::filesystem::is_directory(app + "/fonts"));
  EXPECT_FALSE(store.FontExists("F1"));
  ASSERT_TRUE(store.CreateFont("F1"));
  EXPECT_TRUE(store.FontExists("F1"));
  EXPECT_FALSE(store.FontExistsAndCompleted("F1"));
  ASSERT_TRUE(store.CompleteFont("F1"));
  EXPECT_TRUE(store.FontExistsAndCompleted("F1"));
  EXPECT_TRUE(store.FontItemExists("F1", "fnt"));
  EXPECT_EQ(ReadBytes(app + "/fonts/F1/fnt"), "");
  EXPECT_TRUE(store.CompleteFont("F1"));  // complete already
  // A folder of that name is not a file.
  std::filesystem::create_directories(app + "/fonts/F1/dir.lsu");
  EXPECT_FALSE(store.FontItemExists("F1", "dir.lsu"));
}

TEST_F(Store, DescriptorAndConfigurationFromTheAnswer) {
  UpdateUtils store(app);
  ASSERT_TRUE(store.CreateFont("F1"));
  const Lines answer = {"status:OK", "clientv:1", "BOOT",       "Boot.lsu", " 100 ", "IDLE", "",
                        " 100 ",     "MOTION-1",  "Swing1.LSU", " 80 ",     "",      ""};
  ASSERT_TRUE(store.WriteDescriptor("F1", answer));
  EXPECT_EQ(ReadBytes(app + "/fonts/F1/descriptor"),
            "BOOT\r\nBoot.lsu\r\n 100 \r\nIDLE\r\n\r\n 100 \r\nMOTION-1\r\nSwing1.LSU\r\n 80 \r\n");
  const std::string folder = app + "/fonts/F1/";
  EXPECT_EQ(ReadBytes(folder + "F1.lscfg"),
            "BOOT\r\n" + folder + "Boot.lsu\r\n 100 \r\nIDLE\r\n\r\n" + " 100 \r\nMOTION-1\r\n" +
                folder + "Swing1.LSU\r\n 80 \r\n");
  // Two lines only: both files empty, replacing what was there.
  ASSERT_TRUE(store.WriteDescriptor("F1", {"status:OK", "clientv:1"}));
  EXPECT_EQ(ReadBytes(folder + "descriptor"), "");
  EXPECT_EQ(ReadBytes(folder + "F1.lscfg"), "");
}

TEST_F(Store, HostileNamesNeverLeaveTheFontsFolder) {
  UpdateUtils store(app);
  for (const char* id : {"..", "../x", "a/b", ""}) {
    EXPECT_FALSE(store.CreateFont(id)) << id;
    EXPECT_FALSE(store.FontExists(id)) << id;
    EXPECT_FALSE(store.CompleteFont(id)) << id;
    EXPECT_FALSE(store.WriteDescriptor(id, {"status:OK", "clientv:1", "BOOT"})) << id;
  }
  EXPECT_FALSE(Exists(app + "/x"));
  EXPECT_FALSE(Exists(app + "/fnt"));
  EXPECT_FALSE(Exists(app + "/fonts/fnt"));
  ASSERT_TRUE(store.CreateFont("F1"));
  EXPECT_FALSE(store.DeleteFontItem("F1", "../F1.lscfg"));
  EXPECT_FALSE(store.FontItemExists("F1", "../../fonts"));
  EXPECT_TRUE(store.IsItemName("F1", "Hum.lsu"));
  for (const char* reserved : {"fnt", "tmp", "descriptor", "F1.lscfg", "../a.lsu"})
    EXPECT_FALSE(store.IsItemName("F1", reserved)) << reserved;
}

}  // namespace
