// The converter's window actions and its command line, without a window.

#include <gtest/gtest.h>

#include <filesystem>

#include "converter/CommandLine.h"
#include "converter/ConverterActions.h"
#include "tests/converter/WavFixtures.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

using namespace testing_support;
using converter::CommandLine;
using seams::DialogIcon;
namespace fs = std::filesystem;

namespace {

class RecordingView : public converter::ConverterView {
 public:
  void ShowWaitPanel(bool visible) override { wait.push_back(visible); }
  void PlayWav(const std::string& path, double seconds) override {
    played = path;
    playedSeconds = seconds;
  }
  std::vector<bool> wait;
  std::string played;
  double playedSeconds = 0;
};

struct Fixture {
  Fixture() : dir(UniqueTempPath("convert")) {
    fs::create_directories(dir);
    WriteFile(dir + "/a.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(20, 1)));
    WriteFile(dir + "/b.WAV", MakeWav(1, 48000, 16, std::vector<uint8_t>(40, 2)));
    WriteFile(dir + "/stereo.wav", MakeWav(2, 48000, 16, std::vector<uint8_t>(40, 2)));
    WriteFile(dir + "/notes.txt", {'h', 'i'});
  }
  ~Fixture() { fs::remove_all(dir); }
  std::string dir;
  converter::WavFile wav;
  ScriptedDialogs dialogs;
  RecordingView view;
  RecordingHooks hooks;
  converter::ConverterActions actions{wav, dialogs, view, hooks};
};

TEST(ConverterActions, DoubleClickPlaysThenInforms) {
  Fixture f;
  f.actions.ShowInformation(f.dir + "/a.wav");
  EXPECT_EQ(f.view.played, f.dir + "/a.wav");
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.dialogs.messages[0].text.rfind("File information: mono, Frequency: 48000", 0), 0u);
  EXPECT_EQ(f.dialogs.messages[0].icon, DialogIcon::Information);
  f.actions.ShowInformation(f.dir + "/notes.txt");
  EXPECT_EQ(f.dialogs.messages[1].text, "Invalid WAV file");
  EXPECT_EQ(f.dialogs.messages[1].icon, DialogIcon::Critical);
}

TEST(ConverterActions, OneFileThroughTheSaveDialog) {
  Fixture f;
  f.actions.Convert(f.dir, {}, "");
  f.actions.Convert(f.dir, {"stereo.wav"}, "stereo.wav");
  f.actions.Convert(f.dir, {"notes.txt"}, "notes.txt");
  ASSERT_EQ(f.dialogs.messages.size(), 3u);
  EXPECT_EQ(f.dialogs.messages[0].text, "No file selected");
  EXPECT_EQ(f.dialogs.messages[1].text, "Only mono files coded 16bit @ 48kHz can be converted");
  EXPECT_EQ(f.dialogs.messages[2].text, "Invalid WAV file");
  EXPECT_TRUE(f.dialogs.fileRequests.empty());

  f.actions.Convert(f.dir, {"a.wav"}, "a.wav");  // dialog cancelled: nothing, no message
  ASSERT_EQ(f.dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(f.dialogs.fileRequests[0].filter,
            "Duded Avori Uncompressed File (*.LSU)|*.lsu|All files (*.*)|*.*");
  EXPECT_EQ(f.dialogs.messages.size(), 3u);

  f.dialogs.savePaths.push_back(f.dir + "/chosen.lsu");
  f.actions.Convert(f.dir, {"a.wav"}, "a.wav");
  EXPECT_EQ(ReadFile(f.dir + "/chosen.lsu").size(), 24u);
  EXPECT_EQ(f.view.wait, (std::vector<bool>{true, false}));
  EXPECT_EQ(f.dialogs.messages.size(), 3u);  // success says nothing

  f.dialogs.savePaths.push_back(f.dir + "/a.wav");  // the input itself
  f.actions.Convert(f.dir, {"a.wav"}, "a.wav");
  ASSERT_EQ(f.dialogs.messages.size(), 4u);
  EXPECT_NE(f.dialogs.messages[3].text.find("cannot be its own output"), std::string::npos);
  EXPECT_EQ(f.dialogs.messages[3].icon, DialogIcon::Critical);
}

TEST(ConverterActions, BatchConvertsAndReports) {
  Fixture f;
  WriteFile(f.dir + "/a.lsu", {9});  // replaced without a question
  f.actions.Convert(f.dir, {"a.wav", "b.WAV", "notes.txt", "stereo.wav"}, "a.wav");
  EXPECT_EQ(ReadFile(f.dir + "/a.lsu").size(), 24u);
  EXPECT_EQ(ReadFile(f.dir + "/b.lsu").size(), 44u);
  ASSERT_EQ(f.dialogs.messages.size(), 3u);
  EXPECT_EQ(f.dialogs.messages[0].text, "Invalid WAV file: notes.txt");
  EXPECT_EQ(f.dialogs.messages[1].text,
            "Invalid WAV format: stereo.wav, should be mono, 48k, 16bit");
  EXPECT_EQ(f.dialogs.messages[2].text, "THE FOLLOWING FILES WERE CONVERTED: \r\na.wav\r\nb.WAV");
  EXPECT_EQ(f.dialogs.messages[2].icon, DialogIcon::None);
  EXPECT_EQ(f.dialogs.messages[2].buttons, seams::DialogButtons::Ok);
}

TEST(ConverterActions, BatchEntryWithoutWavInItsNameIsNotOverwritten) {
  Fixture f;
  const auto bytes = MakeWav(1, 48000, 16, std::vector<uint8_t>(8, 3));
  WriteFile(f.dir + "/hum.snd", bytes);
  f.actions.Convert(f.dir, {"a.wav", "hum.snd"}, "a.wav");
  EXPECT_EQ(ReadFile(f.dir + "/hum.snd"), bytes);
  EXPECT_NE(f.dialogs.messages[0].text.find("hum.snd"), std::string::npos);
  EXPECT_EQ(f.dialogs.messages.back().text, "THE FOLLOWING FILES WERE CONVERTED: \r\na.wav");
}

TEST(ConverterNames, EveryWavBecomesLsu) {
  EXPECT_EQ(converter::LsuNameFor("Hum1.WAV"), "Hum1.lsu");
  EXPECT_EQ(converter::LsuNameFor("wavy.Wav"), "lsuy.lsu");
  EXPECT_EQ(converter::LsuNameFor("clash"), "clash");
}

TEST(CommandLine, SplitAtEverySingleSpace) {
  auto c = converter::ParseCommandLine({"-I", "in.wav", "-O", "out.lsu", "-U"});
  EXPECT_EQ(c.kind, CommandLine::Convert);
  EXPECT_EQ(c.input, "in.wav");
  EXPECT_EQ(c.output, "out.lsu");
  EXPECT_EQ(converter::ParseCommandLine({"-i", "in.wav", "-o", "out.lsu", "-u", "x"}).kind,
            CommandLine::Convert);
  EXPECT_EQ(converter::ParseCommandLine({}).kind, CommandLine::Window);
  for (std::vector<std::string> usage : {std::vector<std::string>{"-i", "in.wav", "-o", "out.lsu"},
                                         {"-i", "in.wav", "", "-o", "out.lsu", "-u"},
                                         {"-i", "in.wav  -o", "out.lsu", "-u"},
                                         {"-i", "my file.wav", "-o", "out.lsu", "-u"},
                                         {"-x", "in.wav", "-o", "out.lsu", "-u"},
                                         {""}})
    EXPECT_EQ(converter::ParseCommandLine(usage).kind, CommandLine::Usage);
}

TEST(CommandLine, Outcomes) {
  Fixture f;
  auto done = converter::RunCommandLine({CommandLine::Convert, "a.wav", "a_out.lsu"}, f.dir);
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(done.message, "Conversion done !");
  EXPECT_EQ(ReadFile(f.dir + "/a_out.lsu").size(), 24u);
  auto absolute =
      converter::RunCommandLine({CommandLine::Convert, f.dir + "/b.WAV", "x.lsu"}, "/nonexistent");
  EXPECT_EQ(absolute.status, 1);  // the input is found, the output folder is not
  EXPECT_NE(absolute.message.find("Could not write /nonexistent/x.lsu"), std::string::npos);
  EXPECT_EQ(converter::RunCommandLine({CommandLine::Convert, "notes.txt", "n.lsu"}, f.dir).message,
            "Invalid WAV file");
  EXPECT_EQ(converter::RunCommandLine({CommandLine::Convert, "stereo.wav", "s.lsu"}, f.dir).message,
            "Only mono files coded 16bit @ 48kHz can be converted");
  auto usage = converter::RunCommandLine({CommandLine::Usage, "", ""}, f.dir);
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.message.find("brelka -i <input_file_name> -o <output_file_name> -u\r\n"
                               "INPUT AND OUTPUT FILES SHOULD BE LOCATED IN THE .EXE DIRECTORY AND "
                               "SHOULD NOT CONTAIN SPACES !!!"),
            std::string::npos);
}

}  // namespace
