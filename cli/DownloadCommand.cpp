#include "cli/DownloadCommand.h"

#include <iostream>

#include "cli/ConsoleSeams.h"
#include "cli/ImageCommand.h"
#include "cli/SoundBoard.h"
#include "session/BoardSession.h"
#include "sound/BoardCheck.h"
#include "sound/FlashDownload.h"

namespace frontend {

namespace {

// Ctrl+C is the answer to the window's question whether to cancel, so the
// question, with its OK and Cancel buttons, is not printed.
class DownloadDialogs : public StderrDialogs {
 public:
  seams::DialogResult Message(const std::string& text, seams::DialogIcon icon,
                              seams::DialogButtons buttons) override {
    if (text == sound::kCancelQuestion) return seams::DialogResult::Cancel;
    return StderrDialogs::Message(text, icon, buttons);
  }
};

int Download(const FrontEndOptions& options, const std::vector<std::string>& args) {
  std::string path;
  bool verify = false;
  for (const std::string& a : args) {
    if (a == "--verify")
      verify = true;
    else if (!a.empty() && a[0] == '-')
      throw UsageError("download: unknown option \"" + a + "\"");
    else if (path.empty())
      path = a;
    else
      throw UsageError("download takes one configuration file");
  }
  if (path.empty()) throw UsageError("download needs a configuration file");

  sound::LSU_Configuration config;
  config.MaxNrOfSamples = devlink::kDefaultCapacity;
  if (!LoadWholeConfiguration(path, config)) return 1;

  session::BoardSession session(options);
  devlink::BoardKind kind;
  devlink::TLS* link = SoundBoard(session, kind);
  if (!link) return 1;
  config.MaxNrOfSamples = kind.capacity;
  if (const std::string tooBig = sound::DoesNotFitMessage(config); !tooBig.empty()) {
    std::cerr << tooBig << '\n';
    return 1;
  }

  InterruptWatch interrupt;
  InterruptEvents events(interrupt);
  ConsoleProgress progress;
  DownloadDialogs dialogs;
  devlink::AccParams motion;
  sound::FlashDownload download(config, *link, progress, events, dialogs, motion);
  // Ctrl+C is the frame's cancel button.
  events.onInterrupt = [&] { download.FrameButtonClick("Cancel"); };
  download.verify = verify;
  const auto outcome = download.Run();
  progress.Done();
  for (const auto& check : download.fileChecks)
    std::cerr << (check.matches ? "verified: " : "DIFFERS:  ") << check.fileName << '\n';
  link->Bye();
  if (outcome != sound::FlashDownload::Outcome::Success) return 1;
  std::cout << sound::kSuccess << '\n';
  return 0;
}

}  // namespace

const CliCommand kDownloadCommand = {
    "download", "download CONFIG.lscfg [--verify]",
    "erase the board, write the configuration's sounds and check them (Ctrl+C cancels)", Download};

}  // namespace frontend
