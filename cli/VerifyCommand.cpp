#include "cli/VerifyCommand.h"

#include <iostream>

#include "cli/ConsoleSeams.h"
#include "cli/ImageCommand.h"
#include "cli/SoundBoard.h"
#include "sound/BoardCheck.h"
#include "sound/FlashDownload.h"

namespace frontend {

namespace {

int Verify(const FrontEndOptions& options, const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError("verify needs a configuration file");
  if (args.size() > 1) throw UsageError("verify takes one configuration file");
  if (args[0].size() > 1 && args[0].front() == '-')
    throw UsageError("verify: unknown option \"" + args[0] + "\"");

  sound::LSU_Configuration config;
  config.MaxNrOfSamples = devlink::kDefaultCapacity;
  if (!LoadWholeConfiguration(args[0], config)) return 1;
  // A configuration the download would refuse is refused before the board
  // is asked anything.
  if (const int16_t missing = config.CheckIntegrity()) {
    std::cerr << sound::FindCategory(missing)->missingMessage << '\n';
    return 1;
  }

  session::BoardSession session(options);
  devlink::BoardKind kind;
  devlink::TLS* link = SoundBoard(session, kind);
  if (!link) return 1;
  config.MaxNrOfSamples = kind.capacity;

  ConsoleProgress progress;
  seams::NoEventPump noEvents;
  const sound::BoardCheck check = sound::CompareWithBoard(config, *link, progress, noEvents);
  progress.Done();
  if (check.outcome == sound::BoardCheck::Outcome::Refused) {
    std::cerr << check.refusal << '\n';
    return 1;
  }
  for (const sound::BoardCheckLine& line : check.lines) std::cout << LineText(line) << '\n';
  switch (check.outcome) {
    case sound::BoardCheck::Outcome::Same:
      std::cout << sound::kBoardHoldsThis << std::endl;
      return 0;
    case sound::BoardCheck::Outcome::Differs:
      std::cout << sound::kBoardHoldsOther << std::endl;
      return 1;
    default:
      std::cout.flush();
      std::cerr << sound::kConnectionLost << ": the board stopped answering during the comparison."
                << '\n';
      return 1;
  }
}

}  // namespace

const CliCommand kVerifyCommand = {
    "verify", "verify CONFIG.lscfg",
    "tell whether the board holds the configuration, by the board's byte sums of every file "
    "(nothing is erased or written)",
    Verify};

}  // namespace frontend
