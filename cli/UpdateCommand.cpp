#include "cli/UpdateCommand.h"

#include <unistd.h>

#include <QCoreApplication>
#include <iostream>
#include <memory>

#include "cli/SoundBoard.h"
#include "devlink/BoardKind.h"
#include "paths/AppPaths.h"
#include "seams/QtEventPump.h"
#include "session/BoardSession.h"
#include "update/PrintableText.h"
#include "update/UpdateHost.h"
#include "update/UpdateManager.h"

namespace frontend {

namespace {

constexpr int kBarWidth = 30;

// The update dialog on a terminal: captions as lines on stderr, a progress
// bar redrawn in place on a terminal (a line per change of the overall bar
// otherwise), the final message on stdout.
class CliUpdateView : public update::UpdateView {
 public:
  CliUpdateView(std::ostream& out, std::ostream& err)
      : out_(out), err_(err), terminal_(&err == &std::cerr && isatty(STDERR_FILENO)) {}
  ~CliUpdateView() override { EndBar(); }

  void resetForm() override { overall_ = item_ = 0; }
  void updateStep(const std::string& text) override { Line(text); }
  void updateElement(const std::string& text) override { Line("  " + text); }
  void progressA(int percent) override {
    const bool changed = percent != overall_;
    overall_ = percent;
    if (terminal_ || changed) DrawBar();
  }
  void progressB(int percent) override {
    item_ = percent;
    if (terminal_) DrawBar();
  }
  void showWarning(const std::string& text) override { Line("Warning! " + text); }
  void showMessage(const std::string& text) override {
    updateStep(update::kStepCompleted);
    progressA(100);
    EndBar();
    PrintLines(out_, text);
    out_.flush();
  }
  void ShowModal(const std::function<void()>& onActivate) override { onActivate(); }

 private:
  // Captions quote names from the update service: they reach the terminal
  // without their control characters.
  void Line(const std::string& text) {
    EndBar();
    PrintLines(err_, text);
  }
  // A message of several lines (the closing message names the fonts
  // folder on a line of its own), each line made printable.
  static void PrintLines(std::ostream& out, const std::string& text) {
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
      out << update::PrintableText(text.substr(from, end - from)) << '\n';
    out << update::PrintableText(text.substr(from)) << '\n';
  }
  void DrawBar() {
    const int filled = std::clamp(overall_, 0, 100) * kBarWidth / 100;
    const std::string bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
                            "] " + std::to_string(overall_) + "%";
    if (!terminal_) {
      err_ << bar << '\n';
      return;
    }
    err_ << '\r' << bar << "  item " << item_ << "%   " << std::flush;
    barShown_ = true;
  }
  void EndBar() {
    if (barShown_) err_ << '\n';
    barShown_ = false;
  }

  std::ostream& out_;
  std::ostream& err_;
  bool terminal_;
  bool barShown_ = false;
  int overall_ = 0, item_ = 0;
};

int Update(const FrontEndOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("update takes no arguments");
  session::BoardSession session(options);
  devlink::TLS* link = FoundBoard(session);
  if (!link) return 1;
  if (devlink::IdentifyBoard(link->GetID()).deviceType != devlink::kSoundBoard) {
    std::cerr << "Fonts are for sound boards; this board is an LED driver.\n";
    link->Bye();
    return 1;
  }
  const std::string serial = link->GetSN();
  if (serial == devlink::kNoSerialNumber) {
    std::cerr << "The board did not tell its serial number; no update was started.\n";
    return 1;
  }
  const int status =
      RunUpdate(update::ResolveUpdateHost(options.updateHost),
                paths::ResolveAppPaths(AppFolder()).userFolder, serial, std::cout, std::cerr);
  link->Bye();
  return status;
}

}  // namespace

int RunUpdate(const std::string& host, const std::string& appFolder, const std::string& serial,
              std::ostream& out, std::ostream& err) {
  int argc = 1;
  char name[] = "morvane-cli";
  char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> application;
  if (!QCoreApplication::instance()) application = std::make_unique<QCoreApplication>(argc, argv);
  CliUpdateView view(out, err);
  seams::QtEventPump events;  // the transfers are Qt events
  update::UpdateManager manager(host, appFolder, events);
  manager.Initialize(view);
  manager.deviceId = serial;
  manager.startUpdate();
  return manager.LastOutcome() == update::UpdateOutcome::Warning ? 1 : 0;
}

const CliCommand kUpdateCommand = {
    "update", "update [--update-host HOST[:PORT]]",
    "fetch new fonts for the board into the fonts folder: beside the program when it may write "
    "there, else ~/.local/share/morvane/fonts",
    Update};

}  // namespace frontend
