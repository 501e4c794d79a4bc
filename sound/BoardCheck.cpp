#include "sound/BoardCheck.h"

#include <optional>

#include "fileio/Utf8Path.h"
#include "sound/FlashDownload.h"

namespace sound {

namespace {

// Asks the board for the byte sum of a range; nothing when it did not
// answer.
std::optional<uint32_t> BoardSum(devlink::TLS& link, int32_t address, int32_t length) {
  if (!link.CheckCRC(uint32_t(address), uint32_t(length))) return std::nullopt;
  return uint32_t(link.ResponseWord());
}

// Coding 40 files takes some tens of milliseconds: nothing to show.
class QuietHooks : public seams::WindowHooks {
 public:
  void SetInfoLabel(const std::string&) override {}
  void SetPercentLabel(const std::string&) override {}
  void SetPercentComplete(double) override {}
};

std::string Refusal(const LSU_Configuration& config) {
  if (const int16_t missing = config.CheckIntegrity()) return FindCategory(missing)->missingMessage;
  return DoesNotFitMessage(config);
}

}  // namespace

std::string DoesNotFitMessage(const LSU_Configuration& config) {
  if (config.TotalNrOfSamples() <= config.MaxNrOfSamples) return "";
  return "The sound files do not fit into the board: they hold " +
         std::to_string(config.TotalNrOfSamples()) + " samples, the board takes " +
         std::to_string(config.MaxNrOfSamples) + ".";
}

std::string LineText(const BoardCheckLine& line) {
  return std::string(line.same ? "same     " : "differs  ") + line.what;
}

std::string BoardCheck::Report() const {
  if (outcome == Outcome::Refused) return refusal;
  std::string text;
  for (const BoardCheckLine& line : lines) text += LineText(line) + "\n";
  switch (outcome) {
    case Outcome::Same:
      return text + kBoardHoldsThis;
    case Outcome::Differs:
      return text + kBoardHoldsOther;
    default:
      return text + kConnectionLost;
  }
}

BoardCheck CompareWithBoard(LSU_Configuration& config, devlink::TLS& link,
                            seams::WindowHooks& hooks, seams::EventPump& events) {
  BoardCheck check;
  check.refusal = Refusal(config);
  if (!check.refusal.empty()) return check;
  if (!config.MakeMemoryMap(hooks, events)) {
    check.refusal = kNotCoded;
    return check;
  }

  check.outcome = BoardCheck::Outcome::Same;
  const auto compare = [&](std::string what, int32_t address, int32_t length, uint32_t expected) {
    const auto sum = BoardSum(link, address, length);
    if (!sum) {
      check.outcome = BoardCheck::Outcome::NoAnswer;
      return false;
    }
    check.lines.push_back({std::move(what), *sum == expected});
    if (*sum != expected) check.outcome = BoardCheck::Outcome::Differs;
    return true;
  };
  const std::vector<uint8_t> table = config.GetFileTable();
  if (!compare("file table", LSU_Configuration::Nr_Base, int32_t(table.size()),
               ByteSum16(table.data(), table.size())))
    return check;
  for (const SoundCategory& category : kCategoriesInFlashOrder) {
    const int32_t count = config.Count(category.code);
    for (int32_t k = category.isList ? 1 : 0; k <= (category.isList ? count : 0); ++k) {
      const LSU_SoundFile& file = config.GetFile(category.code, k);
      const std::string where =
          std::string(category.caption) + (category.isList ? " " + std::to_string(k) : "");
      if (!compare(where + ": " + fileio::FileNameOf(file.FileName), file.Address, file.NrOfBytes,
                   file.GetFileCRC()))
        return check;
    }
  }
  return check;
}

BoardCheck CompareWithBoardAndTell(LSU_Configuration& config, devlink::TLS& link,
                                   seams::UserDialogs& dialogs) {
  QuietHooks hooks;
  seams::NoEventPump noEvents;
  BoardCheck check = CompareWithBoard(config, link, hooks, noEvents);
  const seams::DialogIcon icon =
      check.outcome == BoardCheck::Outcome::Same       ? seams::DialogIcon::Information
      : check.outcome == BoardCheck::Outcome::Differs  ? seams::DialogIcon::Exclamation
      : check.outcome == BoardCheck::Outcome::NoAnswer ? seams::DialogIcon::Critical
                                                       : seams::DialogIcon::None;
  dialogs.Message(check.Report(), icon, seams::DialogButtons::Ok);
  return check;
}

}  // namespace sound
