#include "converter/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "converter/BatchConversion.h"
#include "converter/WavFile.h"

namespace converter {

namespace {

bool SameSwitch(const std::string& arg, const char* sw) {
  return arg.size() == 2 && arg[0] == '-' && std::tolower((unsigned char)arg[1]) == sw[1];
}

std::string InAppFolder(const std::string& appFolder, const std::string& name) {
  if (std::filesystem::path(name).is_absolute()) return name;
  return appFolder + "/" + name;
}

// With -r: the WAV reader's exact copy for what it takes, the any-format
// conversion for the rest; the result names what was done.
Outcome ConvertAnyFormat(const std::string& input, const std::string& output) {
  WavFile wav;
  const Route route = RouteOf(wav, input, true);
  ConversionResult result;
  RunBatch({{input, input, output, route, {}}}, {.workers = 1},
           [&result](size_t, const ConversionResult& r) { result = r; });
  if (!result.Ok()) return {1, result.message, seams::DialogIcon::Critical};
  return {0, result.message, seams::DialogIcon::None};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return {};
  std::string joined;
  for (size_t i = 0; i < args.size(); ++i) joined += (i ? " " : "") + args[i];
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t space; (space = joined.find(' ', start)) != std::string::npos; start = space + 1)
    parts.push_back(joined.substr(start, space - start));
  parts.push_back(joined.substr(start));
  if (parts.size() >= 5 && SameSwitch(parts[0], "-i") && SameSwitch(parts[2], "-o") &&
      SameSwitch(parts[4], "-u"))
    return {CommandLine::Convert, parts[1], parts[3],
            parts.size() >= 6 && SameSwitch(parts[5], "-r")};
  return {CommandLine::Usage, {}, {}, false};
}

Outcome RunCommandLine(const CommandLine& line, const std::string& appFolder) {
  using seams::DialogIcon;
  if (line.kind != CommandLine::Convert) return {2, kUsage, DialogIcon::None};
  if (line.resample)
    return ConvertAnyFormat(InAppFolder(appFolder, line.input),
                            InAppFolder(appFolder, line.output));
  WavFile wav;
  if (!wav.OpenFile(InAppFolder(appFolder, line.input)))
    return {1, kInvalidWav, DialogIcon::Critical};
  if (!wav.IsConvertible()) return {1, kWrongFormat, DialogIcon::Critical};
  const std::string output = InAppFolder(appFolder, line.output);
  const std::string problem = ConversionProblem(wav, wav.ConvertToLSU(output), output);
  if (!problem.empty()) return {1, problem, DialogIcon::Critical};
  return {0, "Conversion done !", DialogIcon::None};
}

}  // namespace converter
