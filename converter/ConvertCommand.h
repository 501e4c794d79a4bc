#pragma once
// brelka's command line for scripts, beside the "-i IN -o OUT -u" form:
//
//   brelka convert [--resample] [--force] FILE... [-o OUT.lsu | --out-dir DIR]
//
// with ordinary arguments: paths relative to the current folder, spaces
// allowed, several inputs. One line per converted file on stdout, each
// refusal on stderr.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace converter {

// brelka --help: every form of the command line.
extern const char* const kHelp;

// Runs "convert" with the arguments after it. `interrupted` is asked while
// conversions run; true stops them. Exit status: 0 when every file was
// converted, 1 when one was refused, failed or was stopped, 2 on a usage
// error.
int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const std::function<bool()>& interrupted = {});

}  // namespace converter
