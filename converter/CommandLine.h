#pragma once
// brelka's command line: "-i IN -o OUT -u" converts IN to OUT, names taken
// relative to the program's folder. The arguments are joined with single
// spaces and split again at every single space, so names cannot hold
// spaces and two spaces in a row make an empty argument. A sixth argument
// "-r" converts recordings of any format; anything after it is ignored.

#include <string>
#include <vector>

#include "seams/UserDialogs.h"

namespace converter {

inline constexpr const char* kUsage =
    "Usage: brelka -i <input_file_name> -o <output_file_name> -u\r\n"
    "INPUT AND OUTPUT FILES SHOULD BE LOCATED IN THE .EXE DIRECTORY AND SHOULD NOT CONTAIN SPACES "
    "!!!\r\n"
    "A sixth argument -r converts other formats to mono 16 bit 48 kHz; brelka --help shows every "
    "form.";

struct CommandLine {
  enum Kind { Window, Convert, Usage } kind = Window;
  std::string input, output;
  bool resample = false;
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

// What a command-line run ends with: the exit status (0 converted, 1
// refused or failed, 2 usage) and its one message.
struct Outcome {
  int status = 0;
  std::string message;
  seams::DialogIcon icon = seams::DialogIcon::None;
};

// Runs a conversion or usage request (not Window).
Outcome RunCommandLine(const CommandLine& line, const std::string& appFolder);

}  // namespace converter
