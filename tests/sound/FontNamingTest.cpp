// Which recording of a folder lands in which category when it is imported
// as a font.

#include "sound/FontNaming.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using sound::FontFate;
using sound::PlanFontImport;

// The fate of each path as "path=Category" (used), "path-" (left out) or
// "path?" (not mapped), in the plan's order.
std::vector<std::string> Fates(const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  for (const auto& f : PlanFontImport(paths)) {
    if (f.fate == FontFate::Used)
      out.push_back(f.path + "=" + sound::FindCategory(f.category)->caption);
    else
      out.push_back(f.path + (f.fate == FontFate::LeftOut ? "-" : "?"));
  }
  return out;
}

TEST(FontNaming, EveryWordOfTheTableInTheFormsNamesTakeIn) {
  const std::pair<const char*, const char*> names[] = {
      {"BOOT.wav", "Boot"},          {"PowerOn.flac", "Power ON"}, {"Power-On.wav", "Power ON"},
      {"pwr on 1.wav", "Power ON"},  {"out (1).wav", "Power ON"},  {"ignite_01.mp3", "Power ON"},
      {"poweroff.wav", "Power OFF"}, {"pwroff2.wav", "Power OFF"}, {"off.ogg", "Power OFF"},
      {"In.wav", "Power OFF"},       {"retract.wav", "Power OFF"}, {"Hum [1].wav", "Idle"},
      {"idle.wav", "Idle"},          {"swing 3.wav", "Motion"},    {"SWNG03.wav", "Motion"},
      {"motion.wav", "Motion"},      {"clash_2.wav", "Impact"},    {"clsh{4}.wav", "Impact"},
      {"impact.wav", "Impact"},      {"lockup.wav", "Lock-up"},    {"Lock-02.wav", "Lock-up"},
      {"font.wav", "Boot"},
  };
  for (const auto& [name, caption] : names) {
    const auto* rule = sound::RuleForPath(name);
    ASSERT_NE(rule, nullptr) << name;
    EXPECT_STREQ(sound::FindCategory(rule->category)->caption, caption) << name;
  }
  for (const char* name : {"blaster.wav", "drag.wav", "force1.wav", "swingfast.wav", "hummer.wav",
                           "on-off.wav", "1.wav"})
    EXPECT_EQ(sound::RuleForPath(name), nullptr) << name;
}

TEST(FontNaming, NaturalOrderDecidesWhichFilesEachCategoryTakes) {
  EXPECT_TRUE(sound::NaturalLess("swing2", "swing10"));
  EXPECT_FALSE(sound::NaturalLess("swing10", "swing2"));
  EXPECT_TRUE(sound::NaturalLess("Swing2", "swing3"));
  EXPECT_TRUE(sound::NaturalLess("clash", "clash1"));

  std::vector<std::string> paths = {"hum2.wav", "hum10.wav", "Hum3.wav"};
  for (int i = 14; i >= 1; --i) paths.push_back("swing" + std::to_string(i) + ".wav");
  const auto plan = PlanFontImport(paths);
  std::vector<std::string> used, leftOut;
  for (const auto& f : plan) (f.fate == FontFate::Used ? used : leftOut).push_back(f.path);
  std::vector<std::string> expectUsed = {"hum2.wav"};
  for (int i = 1; i <= 12; ++i) expectUsed.push_back("swing" + std::to_string(i) + ".wav");
  EXPECT_EQ(used, expectUsed);
  EXPECT_EQ(leftOut,
            (std::vector<std::string>{"Hum3.wav", "hum10.wav", "swing13.wav", "swing14.wav"}));
  const auto swing13 =
      std::find_if(plan.begin(), plan.end(), [](const auto& f) { return f.path == "swing13.wav"; });
  EXPECT_EQ(swing13->why, "Motion takes at most 12 files");
  EXPECT_EQ(plan.front().why, "");
  EXPECT_EQ(plan[1].why, "Idle takes one file: hum2.wav");
}

TEST(FontNaming, SubFoldersNameTheirFilesButTheFileNameComesFirst) {
  EXPECT_EQ(Fates({"clsh/01.wav", "clsh/02.wav", "swng/hum.wav", "sets/Lock Ups/x/lock/a.wav",
                   "in/1.wav", "out/1.wav", "extras/boom.wav", "swing/blaster.wav"}),
            (std::vector<std::string>{"clsh/01.wav=Impact", "clsh/02.wav=Impact",
                                      "extras/boom.wav?", "in/1.wav=Power OFF",
                                      "out/1.wav=Power ON", "sets/Lock Ups/x/lock/a.wav=Lock-up",
                                      "swing/blaster.wav=Motion", "swng/hum.wav=Idle"}));
}

TEST(FontNaming, FontStandsInForBootOnlyWithoutABootFile) {
  EXPECT_EQ(Fates({"font2.wav", "font1.wav", "hum.wav"}),
            (std::vector<std::string>{"font1.wav=Boot", "font2.wav-", "hum.wav=Idle"}));
  const auto plan = PlanFontImport({"font.wav", "x/boot.wav", "boot2.wav"});
  EXPECT_EQ(Fates({"font.wav", "x/boot.wav", "boot2.wav"}),
            (std::vector<std::string>{"boot2.wav=Boot", "font.wav-", "x/boot.wav-"}));
  EXPECT_EQ(plan[1].why, "Boot takes boot2.wav");
  EXPECT_EQ(plan[2].why, "Boot takes one file: boot2.wav");
}

TEST(FontNaming, OtherNamesAreListedAsNotMapped) {
  const auto plan = PlanFontImport({"blaster.wav", "force.wav", "drag1.wav"});
  ASSERT_EQ(plan.size(), 3u);
  for (const auto& f : plan) {
    EXPECT_EQ(f.fate, FontFate::NotMapped) << f.path;
    EXPECT_EQ(f.why, "not mapped to a category");
  }
}

}  // namespace
