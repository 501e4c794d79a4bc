#include "cli/UpdateCommand.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <iostream>
#include <memory>

#include "cli/BoardSession.h"
#include "devlink/BoardKind.h"
#include "paths/AppPaths.h"
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
    out_ << update::PrintableText(text) << std::endl;
  }
  void DoEvents() override { QCoreApplication::processEvents(); }
  void ShowModal(const std::function<void()>& onActivate) override { onActivate(); }
  QNetworkAccessManager& internetControl() override { return network_; }

 private:
  // Captions quote names from the update service: they reach the terminal
  // without their control characters.
  void Line(const std::string& text) {
    EndBar();
    err_ << update::PrintableText(text) << '\n';
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
  QNetworkAccessManager network_;
};

int Update(const FrontEndOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("update takes no arguments");
  BoardSession session(options);
  if (!session.SearchBoard()) {
    std::cerr << kNoConnection << '\n';
    return 1;
  }
  devlink::TLS* link = session.FirstLink();
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
  update::UpdateManager manager(host, appFolder);
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
