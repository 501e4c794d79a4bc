#include "converter/ConverterActions.h"

#include <algorithm>
#include <cctype>

namespace converter {

std::string ConversionProblem(WavFile::Result result, const std::string& output) {
  switch (result) {
    case WavFile::Result::Done:
      return {};
    case WavFile::Result::SameAsInput:
      return "The WAV file cannot be its own output: " + output + " was not written";
    case WavFile::Result::CannotRead:
      return "The WAV file could not be read again; " + output + " was not written";
    case WavFile::Result::CannotWrite:
      return "Could not write " + output;
  }
  return {};
}

std::string LsuNameFor(const std::string& wavName) {
  std::string out;
  for (size_t i = 0; i < wavName.size();) {
    std::string three = wavName.substr(i, 3);
    std::transform(three.begin(), three.end(), three.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (three == "wav") {
      out += "lsu";
      i += 3;
    } else {
      out += wavName[i++];
    }
  }
  return out;
}

void ConverterActions::Refuse(const std::string& text) {
  dialogs_.Message(text, seams::DialogIcon::Critical, seams::DialogButtons::Ok);
}

void ConverterActions::ShowInformation(const std::string& path) {
  if (!wav_.OpenFile(path)) {
    Refuse(kInvalidWav);
    return;
  }
  view_.PlayWav(path, wav_.DurationSeconds());
  dialogs_.Message(wav_.Information(), seams::DialogIcon::Information, seams::DialogButtons::Ok);
}

bool ConverterActions::ConvertShowingWait(const std::string& output) {
  view_.ShowWaitPanel(true);
  seams::EventPump pump(hooks_);
  pump.Now();
  const auto result = wav_.ConvertToLSU(output, &pump);
  view_.ShowWaitPanel(false);
  const std::string problem = ConversionProblem(result, output);
  if (!problem.empty()) Refuse(problem);
  return problem.empty();
}

void ConverterActions::Convert(const std::string& folder, const std::vector<std::string>& selected,
                               const std::string& current) {
  if (selected.empty() || current.empty()) {
    Refuse("No file selected");
    return;
  }
  if (selected.size() == 1)
    ConvertOne(folder, current);
  else
    ConvertBatch(folder, selected);
}

void ConverterActions::ConvertOne(const std::string& folder, const std::string& name) {
  if (!wav_.OpenFile(folder + "/" + name)) {
    Refuse(kInvalidWav);
    return;
  }
  if (!wav_.IsConvertible()) {
    Refuse(kWrongFormat);
    return;
  }
  const auto output = dialogs_.SaveFile({kLsuFilter, folder, LsuNameFor(name), ""});
  if (!output) return;
  ConvertShowingWait(*output);
}

void ConverterActions::ConvertBatch(const std::string& folder,
                                    const std::vector<std::string>& names) {
  std::string report = "THE FOLLOWING FILES WERE CONVERTED: ";
  for (const std::string& name : names) {
    if (!wav_.OpenFile(folder + "/" + name)) {
      Refuse("Invalid WAV file: " + name);
      continue;
    }
    if (!wav_.IsConvertible()) {
      Refuse("Invalid WAV format: " + name + ", should be mono, 48k, 16bit");
      continue;
    }
    if (ConvertShowingWait(folder + "/" + LsuNameFor(name))) report += "\r\n" + name;
  }
  dialogs_.Message(report, seams::DialogIcon::None, seams::DialogButtons::Ok);
}

}  // namespace converter
