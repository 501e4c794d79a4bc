#pragma once
// Helpers for the update tests: the real font-server run as a process on
// 127.0.0.1, fonts laid out in its root folder, and a dialog that records
// everything the update procedure tells it (and, as its event pump, counts
// the times it let events run).

#include <QProcess>
#include <string>
#include <vector>

#include "seams/EventPump.h"
#include "update/UpdateView.h"

namespace testing_support {

// font-server --root root --port 0, until destroyed.
class FontServer {
 public:
  explicit FontServer(const std::string& root);
  ~FontServer();
  std::string Host() const { return host_; }
  // The request lines it logged so far, e.g. "POST / svc=gct&did=1 -> 200".
  std::vector<std::string> Log();
  // The bodies of the downloads it was asked for.
  std::vector<std::string> Downloads();

 private:
  QProcess process_;
  std::string host_;
  std::vector<std::string> log_;
};

// Writes root/fontId/fontId.lscfg naming the items (with a path in front,
// as a configuration saved on the font maker's machine has it) and each
// item's file with `bytes` bytes.
void MakeServedFont(const std::string& root, const std::string& fontId,
                    const std::vector<std::string>& items, size_t bytes = 3000);
// A font in the local store: folder, the given items, the marker if complete.
void MakeLocalFont(const std::string& appFolder, const std::string& fontId,
                   const std::vector<std::string>& items, bool complete);
// A TCP connection to HOST:PORT (a port on 127.0.0.1); -1 when refused.
int ConnectTo(const std::string& host);
// Sends the bytes as they are over a new connection and returns what came
// back until the server closed it (empty after 60 s of silence).
std::string Exchange(const std::string& host, const std::string& request);
bool Exists(const std::string& path);

class RecordingView : public update::UpdateView, public seams::EventPump {
 public:
  void resetForm() override;
  void updateStep(const std::string& text) override { steps.push_back(text); }
  void updateElement(const std::string& text) override { elements.push_back(text); }
  void progressA(int percent) override { barA.push_back(percent); }
  void progressB(int percent) override { barB.push_back(percent); }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  void showMessage(const std::string& text) override { messages.push_back(text); }
  void showInstalled(const std::vector<update::InstalledFont>& fonts) override {
    installedShown = fonts;
  }
  void LetEventsRun() override { ++events; }
  void ShowModal(const std::function<void()>& onActivate) override {
    ++shown;
    onActivate();
  }

  std::vector<std::string> steps, elements, warnings, messages;
  std::vector<int> barA, barB;
  std::vector<update::InstalledFont> installedShown;
  int resets = 0, shown = 0, events = 0;
};

}  // namespace testing_support
