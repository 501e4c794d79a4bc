#pragma once
// What the update procedure shows in the dialog it runs in: its captions,
// its two progress bars and its final states. The dialog implements it with
// widgets, morvane-cli with stderr and stdout, tests with a recorder.

#include <functional>
#include <string>
#include <vector>

namespace update {

// A font an update made complete: its id, its folder and the configuration
// file to load.
struct InstalledFont {
  std::string id;
  std::string folder;
  std::string configuration;
};

class UpdateView {
 public:
  virtual ~UpdateView() = default;

  // Running state: title "Updating items ...", both bars empty and shown,
  // empty captions, no icons, no buttons.
  virtual void resetForm() = 0;
  virtual void updateStep(const std::string& text) = 0;
  virtual void updateElement(const std::string& text) = 0;
  // The overall bar and the current item's bar, in percent.
  virtual void progressA(int percent) = 0;
  virtual void progressB(int percent) = 0;
  // Final states; the dialog then waits for its OK button.
  virtual void showWarning(const std::string& text) = 0;
  virtual void showMessage(const std::string& text) = 0;
  // After showMessage of an update that installed fonts: each with its
  // folder (id, folder, configuration file, in the order they came).
  virtual void showInstalled(const std::vector<InstalledFont>& /*fonts*/) {}

  // Shows the dialog modally and returns once the user closed it. When the
  // dialog becomes active it calls onActivate, once.
  virtual void ShowModal(const std::function<void()>& onActivate) = 0;
};

}  // namespace update
