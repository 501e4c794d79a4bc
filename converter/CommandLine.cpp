#include "converter/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "converter/ConverterActions.h"
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
    return {CommandLine::Convert, parts[1], parts[3]};
  return {CommandLine::Usage, {}, {}};
}

Outcome RunCommandLine(const CommandLine& line, const std::string& appFolder) {
  using seams::DialogIcon;
  if (line.kind != CommandLine::Convert) return {2, kUsage, DialogIcon::None};
  WavFile wav;
  if (!wav.OpenFile(InAppFolder(appFolder, line.input)))
    return {1, kInvalidWav, DialogIcon::Critical};
  if (!wav.IsConvertible()) return {1, kWrongFormat, DialogIcon::Critical};
  const std::string output = InAppFolder(appFolder, line.output);
  const std::string problem = ConversionProblem(wav.ConvertToLSU(output), output);
  if (!problem.empty()) return {1, problem, DialogIcon::Critical};
  return {0, "Conversion done !", DialogIcon::None};
}

}  // namespace converter
