#include "converter/ConverterActions.h"

#include "fileio/Utf8Path.h"

namespace converter {

namespace {

// "File information: FLAC, stereo, Frequency: 44100, Coding: 24 bits,
// Duration: 1.5 sec", in the form of the WAV reader's text.
std::string InformationOf(const AudioFormat& f) {
  const bool integer = f.bits && f.coding.find("float") == std::string::npos;
  std::string text = "File information: " + f.formatName + ", " + ChannelsText(f.channels) +
                     ", Frequency: " + std::to_string(f.sampleRate) +
                     ", Coding: " + (integer ? std::to_string(f.bits) + " bits" : f.coding);
  if (f.frames >= 0) text += ", Duration: " + DurationText(f.DurationSeconds()) + " sec";
  return text;
}

}  // namespace

void ConverterActions::Refuse(const std::string& text) {
  dialogs_.Message(text, seams::DialogIcon::Critical, seams::DialogButtons::Ok);
}

void ConverterActions::ShowInformation(const std::string& path) {
  if (wav_.OpenFile(path)) {
    view_.PlayWav(path, wav_.DurationSeconds());
    dialogs_.AboutSound(wav_.Information(), path);
    return;
  }
  if (!resample_) {
    Refuse(kInvalidWav);
    return;
  }
  const AudioInfo info = ReadAudioInfo(path);
  if (!info.ok) {
    Refuse(info.message);
    return;
  }
  dialogs_.AboutSound(InformationOf(info.format), path);
}

bool ConverterActions::ConvertShowingWait(const std::string& output) {
  view_.ShowWaitPanel(true);
  seams::EventPacer pacer(events_);
  pacer.Now();
  const auto result = wav_.ConvertToLSU(output, &pacer);
  view_.ShowWaitPanel(false);
  const std::string problem = ConversionProblem(wav_, result, output);
  if (!problem.empty()) Refuse(problem);
  return problem.empty();
}

bool ConverterActions::RunShowingProgress(
    const std::vector<BatchEntry>& entries,
    const std::function<void(size_t, const ConversionResult&)>& each) {
  view_.ShowWaitPanel(true);
  view_.ShowProgress(true);
  view_.SetProgress(0);
  seams::EventPacer pacer(events_);
  pacer.Now();
  BatchControl control;
  control.cancelled = cancelled_;
  control.waiting = [this, &pacer](double part) {
    view_.SetProgress(part);
    pacer.Tick();
  };
  control.pacer = &pacer;
  const bool cancelled = RunBatch(entries, control, each);
  view_.ShowProgress(false);
  view_.ShowWaitPanel(false);
  return cancelled;
}

void ConverterActions::Convert(const std::string& folder, const std::vector<std::string>& selected,
                               const std::string& current) {
  if (selected.empty() || current.empty()) {
    Refuse("No file selected");
    return;
  }
  if (selected.size() == 1)
    ConvertOne(folder, current);
  else if (resample_)
    ConvertBatchResampling(folder, selected);
  else
    ConvertBatch(folder, selected);
}

void ConverterActions::ConvertOne(const std::string& folder, const std::string& name) {
  const std::string input = folder + "/" + name;
  const Route route = RouteOf(wav_, input, resample_);
  if (route == Route::InvalidWav) return Refuse(kInvalidWav);
  if (route == Route::WrongFormat) return Refuse(kWrongFormat);
  if (route == Route::Resample) {
    const AudioInfo info = ReadAudioInfo(input);
    if (!info.ok) return Refuse(info.message);
  }
  const std::string proposed = route == Route::Copy ? LsuNameFor(name) : WithLsuExtension(name);
  const auto output = dialogs_.SaveFile({kLsuFilter, folder, proposed, "", ""});
  if (!output) return;
  if (route == Route::Copy) {
    ConvertShowingWait(*output);
    return;
  }
  // A resampled file says what was done to it (and how many samples were
  // clipped); a cancelled one needs no word.
  RunShowingProgress(
      {{name, input, *output, route, {}}}, [this](size_t, const ConversionResult& r) {
        if (r.Ok())
          dialogs_.Message(r.message, seams::DialogIcon::Information, seams::DialogButtons::Ok);
        else if (r.status != ConversionStatus::Cancelled)
          Refuse(r.message);
      });
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

// Files the WAV reader takes keep their usual output name; the others get
// their extension replaced. The report names what was done to each file
// that was not simply copied.
void ConverterActions::ConvertBatchResampling(const std::string& folder,
                                              const std::vector<std::string>& names) {
  std::vector<BatchEntry> entries;
  for (const std::string& name : names) {
    const std::string input = folder + "/" + name;
    const Route route = RouteOf(wav_, input, true);
    entries.push_back(
        {name,
         input,
         folder + "/" + (route == Route::Copy ? LsuNameFor(name) : WithLsuExtension(name)),
         route,
         {}});
  }
  RefuseClashes(entries);
  std::string report = "THE FOLLOWING FILES WERE CONVERTED: ";
  const bool cancelled = RunShowingProgress(entries, [&](size_t i, const ConversionResult& r) {
    const std::string& name = names[i];
    if (r.status == ConversionStatus::Copied && entries[i].route == Route::Copy)
      report += "\r\n" + name;
    else if (r.Ok())
      report += "\r\n" + name + " \u2192 " + fileio::FileNameOf(entries[i].output) + " (" +
                r.message + ")";
    else if (r.status != ConversionStatus::Cancelled)
      Refuse(r.message);
  });
  if (cancelled) report += "\r\n\r\nCancelled: the other files were not converted.";
  dialogs_.Message(report, seams::DialogIcon::None, seams::DialogButtons::Ok);
}

}  // namespace converter
