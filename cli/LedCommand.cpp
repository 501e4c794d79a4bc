#include "cli/LedCommand.h"

#include <algorithm>
#include <functional>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/ConsoleSeams.h"
#include "cli/SoundBoard.h"
#include "devlink/BoardKind.h"
#include "led/LedCatalogue.h"
#include "led/LedSettingsFile.h"
#include "led/panel/LedPanel.h"
#include "paths/AppPaths.h"
#include "session/BoardSession.h"
#include "text/NumberReading.h"

namespace frontend {

namespace {

// The panel's messages are all refusals or failures here and go to
// stderr; the update warning is only reached after --yes, so it is answered
// OK. The file dialogs answer with the file named on the command line.
class CliDialogs : public StderrDialogs {
 public:
  explicit CliDialogs(std::string path) : path_(std::move(path)) {}
  seams::DialogResult Message(const std::string& text, seams::DialogIcon icon,
                              seams::DialogButtons buttons) override {
    if (buttons == seams::DialogButtons::OkCancel) return seams::DialogResult::Ok;
    return StderrDialogs::Message(text, icon, buttons);
  }
  std::optional<std::string> OpenFile(const seams::FileDialogRequest&) override { return path_; }
  std::optional<std::string> SaveFile(const seams::FileDialogRequest&) override { return path_; }

 private:
  std::string path_;
};

constexpr const char* kDriverSilent = "The LED driver did not answer.\n";

// The panel as the window has it once an LED driver came on line. Its
// controls are kept in memory, where nothing shows them; the commands work
// through the panel's operations.
struct Panel {
  devlink::TLS& link;
  led::LedPanel& logic;
};

// Opens the board, checks that it is an LED driver, fills the panel from
// it and runs body; says goodbye to the board afterwards.
int WithPanel(const FrontEndOptions& options, const std::string& path,
              const std::function<int(Panel&)>& body) {
  session::BoardSession session(options);
  devlink::TLS* found = FoundBoard(session);
  if (!found) return 1;
  devlink::TLS& link = *found;
  if (devlink::IdentifyBoard(link.GetID()).deviceType != devlink::kLedDriver) {
    std::cerr << "The board is not an LED driver.\n";
    return 1;
  }
  led::MemoryLedPanelView view(&link);
  CliDialogs dialogs(path);
  led::LedPanel logic(view, dialogs, paths::ResolveAppPaths(AppFolder()).dataFolder);
  if (!logic.InitLedDrivers()) {
    if (logic.DriverSilent()) {
      std::cerr << kDriverSilent;
      return 1;
    }
    std::cerr << ForTerminal(led::InvalidLedCatalogueMessage(logic.CatalogueProblem())) << '\n';
    return 1;
  }
  Panel panel{link, logic};
  const int status = body(panel);
  link.Bye();
  return status;
}

// A number argument read the system's way; a usage error without digits.
double NumberArgument(const std::string& arg, const std::string& what) {
  if (arg.find_first_of("0123456789") == std::string::npos)
    throw UsageError(what + " must be a number, not \"" + arg + "\"");
  return text::RoundHalfEven(text::ReadNumber(arg));
}

std::string Tenths(double value) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << value;
  return text.str();
}

void PrintPulses(const led::LedPanel& logic) {
  std::cout << "idle: " << led::IdlePulseLine(logic.IdlePulse) << '\n'
            << "foc: " << led::FocPulseLine(logic.FocPulse) << '\n';
}

int Info(const FrontEndOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("led info takes no arguments");
  return WithPanel(options, "", [](Panel& p) {
    int code = 0, overdrive = 0;
    double voltage = 0;
    if (!p.link.GetLEDConfig(code, voltage, overdrive)) {
      std::cerr << kDriverSilent;
      return 1;
    }
    std::cout << "type: " << p.logic.SelectedType() << '\n'
              << "code: " << code << '\n'
              << "voltage: " << Tenths(voltage) << '\n'
              << "overdrive: " << overdrive << '\n';
    PrintPulses(p.logic);
    return 0;
  });
}

// Chooses the LED type NAME with the overdrive shown or the one given, and
// updates the driver (its warning answered OK by --yes).
int SetType(const FrontEndOptions& options, const std::vector<std::string>& args) {
  std::optional<std::string> name;
  std::optional<double> overdrive;
  bool yes = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--yes") {
      yes = true;
    } else if (args[i] == "--overdrive") {
      if (++i == args.size()) throw UsageError("--overdrive needs a value");
      overdrive = NumberArgument(args[i], "the overdrive");
    } else if (!name) {
      name = args[i];
    } else {
      throw UsageError("led set-type takes one LED type name");
    }
  }
  if (!name) throw UsageError("led set-type needs the LED type's name");
  if (!yes) {
    std::cerr << ForTerminal(led::kUpdateLedWarning) << "\nRepeat with --yes to go ahead.\n";
    return 1;
  }
  return WithPanel(options, "", [&](Panel& p) {
    const auto& types = p.logic.LedTypes();
    if (std::find(types.begin(), types.end(), *name) == types.end()) {
      std::cerr << "No LED type \"" << *name << "\" in " << p.logic.CatalogueFile() << ".\n";
      return 1;
    }
    p.logic.SelectType(*name);
    if (overdrive) {
      const int32_t maximum = p.logic.OverdriveMaximum();
      if (*overdrive < led::kOverdriveMin || *overdrive > maximum) {
        std::cerr << "The overdrive of " << *name << " must be " << led::kOverdriveMin << " to "
                  << maximum << ".\n";
        return 1;
      }
      p.logic.SetOverdrive(int32_t(*overdrive));
    }
    if (!p.logic.UpdateDriver()) {
      std::cerr << "The LED driver did not take the configuration.\n";
      return 1;
    }
    std::cout << "type: " << p.logic.CurrentLED.LEDName << '\n'
              << "code: " << p.logic.CurrentLED.LedCode << '\n'
              << "voltage: " << Tenths(p.logic.CurrentLED.Voltage) << '\n'
              << "overdrive: " << p.logic.CurrentLED.OverDrive << '\n';
    return 0;
  });
}

std::string FileArgument(const std::vector<std::string>& args, const char* command) {
  if (args.size() != 1) throw UsageError(std::string("led ") + command + " takes one file name");
  return args[0];
}

// Loads the file, then sends the idle pulse and the flash on clash; a
// failed send takes the link offline, so nothing follows it.
int Send(const FrontEndOptions& options, const std::vector<std::string>& args) {
  return WithPanel(options, FileArgument(args, "send"), [](Panel& p) {
    if (!p.logic.LoadLedSettings()) return 1;
    if (!p.logic.SendIdlePulse() || !p.logic.SendFlashOnClash()) {
      std::cerr << "The LED driver did not take the pulses.\n";
      return 1;
    }
    PrintPulses(p.logic);
    return 0;
  });
}

int Save(const FrontEndOptions& options, const std::vector<std::string>& args) {
  return WithPanel(options, FileArgument(args, "save"),
                   [](Panel& p) { return p.logic.SaveLedSettings() ? 0 : 1; });
}

// Shows the levels on the LEDs at once, as the LED setting frame's "Apply"
// does; channels not given are dark.
int Apply(const FrontEndOptions& options, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 4) throw UsageError("led apply takes one to four levels");
  led::Levels levels{};
  for (size_t i = 0; i < args.size(); ++i) {
    const double level = NumberArgument(args[i], "a level");
    if (level < 0 || level > led::kLevelMax) {
      std::cerr << "A level must be 0 to " << led::kLevelMax << ", not " << args[i] << ".\n";
      return 1;
    }
    levels[i] = int(level);
  }
  return WithPanel(options, "", [&](Panel& p) {
    const int channels = p.logic.CurrentLED.NrOfChannels;
    if (int(args.size()) > channels) {
      std::cerr << "The LED type " << p.logic.CurrentLED.LEDName << " has " << channels
                << (channels == 1 ? " channel.\n" : " channels.\n");
      return 1;
    }
    if (!p.logic.ApplyLevels(levels)) {
      std::cerr << "The LED driver did not take the levels.\n";
      return 1;
    }
    return 0;
  });
}

int Led(const FrontEndOptions& options, const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError("led needs one of info, set-type, send, save, apply");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  const std::pair<const char*, int (*)(const FrontEndOptions&, const std::vector<std::string>&)>
      commands[] = {
          {"info", Info}, {"set-type", SetType}, {"send", Send}, {"save", Save}, {"apply", Apply}};
  for (const auto& [name, run] : commands)
    if (args[0] == name) return run(options, rest);
  throw UsageError("unknown led command \"" + args[0] + "\"");
}

}  // namespace

const CliCommand kLedCommand = {
    "led",
    "led info | set-type NAME [--overdrive N] --yes | send FILE.ldset | save FILE.ldset | "
    "apply L1 [L2 L3 L4]",
    "an LED driver's type, overdrive and pulses: show them, set the LED type, send or save the "
    "pulses of a settings file, or light the LEDs at the given levels",
    Led};

}  // namespace frontend
