#include "cli/MotionCommand.h"

#include <array>
#include <charconv>
#include <iostream>

#include "cli/MotionWatch.h"
#include "cli/SoundBoard.h"
#include "motion/MotionSettings.h"
#include "session/BoardSession.h"

namespace frontend {

namespace {

void PrintMotion(const devlink::AccParams& values) {
  const auto v = motion::AsArray(values);
  for (size_t i = 0; i < v.size(); ++i) std::cout << motion::kValueNames[i] << ' ' << v[i] << '\n';
}

// NAME=VALUE into the values, held to the sliders' ranges.
void SetNamed(const std::string& assignment, std::array<int, 6>& values, int fw) {
  const auto eq = assignment.find('=');
  const std::string name = assignment.substr(0, eq);
  for (size_t i = 0; i < values.size(); ++i) {
    if (name != motion::kValueNames[i]) continue;
    int value = 0;
    const char* last = assignment.data() + assignment.size();
    // A name without "=" has no value: nothing to read (and no pointer past it).
    const char* first = eq == std::string::npos ? last : assignment.data() + eq + 1;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
      throw UsageError("motion set: \"" + assignment +
                       "\" needs a whole number, as in MotionTh=180");
    values[i] = motion::HoldBoardValue(i, value, fw);
    return;
  }
  throw UsageError("motion set: unknown value \"" + name +
                   "\" (MotionTh, MotionDeb, ImpactTh, ImpactDeb, ImpactTm, FOCTime)");
}

int Motion(const FrontEndOptions& options, const std::vector<std::string>& args) {
  const std::string verb = args.empty() ? "" : args[0];
  if (verb != "get" && verb != "set" && verb != "default" && verb != "watch")
    throw UsageError("motion needs get, set NAME=VALUE..., default or watch [--seconds N]");
  if (verb == "set" && args.size() < 2) throw UsageError("motion set needs NAME=VALUE");
  const double watchSeconds = verb == "watch" ? WatchSeconds({args.begin() + 1, args.end()}) : 0;
  if (verb != "set" && verb != "watch" && args.size() > 1)
    throw UsageError("motion " + verb + " takes no values");

  session::BoardSession session(options);
  devlink::BoardKind kind;
  devlink::TLS* link = SoundBoard(session, kind);
  if (!link) return 1;
  if (verb == "watch") {
    const int id = link->ClassDebugID;
    return RunMotionWatch(*link, watchSeconds, std::cout, std::cerr, [&session, id] {
      session.Agent().ProcessEvents();
      return session.Links().Find(id) != nullptr;
    });
  }
  devlink::AccParams values;
  if (!link->GetAccParam(values)) {
    std::cerr << "The board did not tell its motion values.\n";
    return 1;
  }
  if (verb != "get") {
    motion::Sliders sliders = motion::kFactorySliders;
    if (verb == "set") {
      auto wanted = motion::AsArray(values);
      for (size_t i = 1; i < args.size(); ++i) SetNamed(args[i], wanted, kind.fwVersion);
      wanted[5] = motion::HoldBoardValue(5, wanted[5], kind.fwVersion);
      sliders = motion::SlidersFor(motion::FromArray(wanted), kind.fwVersion);
    } else if (!motion::FlashPeriodEnabled(kind.fwVersion)) {
      sliders.FOCTime = motion::kFixedFlashPeriodMs;
    }
    if (!motion::SendAccData(*link, sliders, values)) {
      std::cerr << "The board did not accept the motion values.\n";
      return 1;
    }
  }
  PrintMotion(values);
  link->Bye();
  return 0;
}

}  // namespace

const CliCommand kMotionCommand = {
    "motion", "motion get | motion set NAME=VALUE... | motion default | motion watch [--seconds N]",
    "show, change or reset to factory values the board's motion, impact and lock-up values, or "
    "watch its sensor: a line per reading, 20 a second for N seconds (default 10, Ctrl+C ends)",
    Motion};

}  // namespace frontend
