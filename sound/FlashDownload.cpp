#include "sound/FlashDownload.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

#include "motion/MotionSettings.h"

namespace sound {

uint32_t CRC_16b(std::span<const uint8_t> Data) {
  return ByteSum16(Data.data(), Data.size());
}

std::string WholePercent(double percent) {
  return std::to_string(int64_t(std::nearbyint(percent))) + " %";
}

std::string TenthPercent(double percent) {
  char buf[32];
  const double tenths = std::nearbyint(percent * 10) / 10;
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, tenths, std::chars_format::fixed, 1);
  std::string text(buf, ec == std::errc() ? end : buf);
  if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.resize(text.size() - 2);
  return text + " %";
}

FlashDownload::FlashDownload(LSU_Configuration& config, devlink::TLS& link, DownloadView& view,
                             seams::EventPump& events, seams::UserDialogs& dialogs,
                             devlink::AccParams& motion)
    : config_(config),
      link_(link),
      view_(view),
      events_(events),
      dialogs_(dialogs),
      motion_(motion) {}

std::string EraseProgress(double percent, int64_t seconds) {
  return WholePercent(percent) + " \u2013 " + std::to_string(seconds) + " s";
}

FlashDownload::Outcome FlashDownload::Fail(const char* text, Outcome outcome) {
  view_.SetInfoLabel(text);
  view_.SetFrameButton("Close");
  return outcome;
}

FlashDownload::Outcome FlashDownload::Run() {
  eraseAsked_ = false;
  view_.ShowBoardState("");
  const Outcome outcome = RunSteps();
  if (outcome != Outcome::Success && eraseAsked_) view_.ShowBoardState(kBoardNotReady);
  return outcome;
}

FlashDownload::Outcome FlashDownload::RunSteps() {
  if (const int16_t missing = config_.CheckIntegrity()) {
    dialogs_.Message(FindCategory(missing)->missingMessage, seams::DialogIcon::None,
                     seams::DialogButtons::Ok);
    return Outcome::Missing;
  }
  view_.LockControls(true);
  struct Unlock {
    DownloadView& v;
    ~Unlock() { v.LockControls(false); }
  } unlock{view_};

  CancelDownload = false;
  const bool motionRead = link_.GetAccParam(motion_);
  view_.SetInfoLabel(kErasing);
  view_.SetPercentLabel("0 %");
  PercentComplete = 0;
  view_.SetPercentComplete(0);
  view_.SetFrameButton("Cancel");
  view_.ShowDownloadFrame(true);
  // Erasing without the motion values would lose the board's sensor set-up
  // for good: stop before the erase.
  if (!motionRead) return Fail(kConnectionLost, Outcome::ConnectionLost);
  // A refusal may be an answer that got lost: the board may be erasing.
  eraseAsked_ = true;
  if (!link_.ClearFlash()) return Fail(kConnectionLost, Outcome::ConnectionLost);
  if (!WaitForErase()) {
    if (!CancelDownload) return Fail(kConnectionLost, Outcome::ConnectionLost);
    RestoreMotionAfterCancel();
    return Outcome::Canceled;
  }
  if (!link_.SetAccParam(motion_)) return Fail(kConnectionLost, Outcome::ConnectionLost);

  PercentComplete = 0;
  view_.SetPercentComplete(0);
  view_.SetInfoLabel(kCoding);
  view_.SetPercentLabel("");
  view_.ShowDownloadFrame(true);
  // The coding stops as soon as the cancel button (or Ctrl+C) sets the flag.
  const bool mapped = config_.MakeMemoryMap(view_, events_, [this] { return CancelDownload; });
  if (CancelDownload) return Outcome::Canceled;
  if (!mapped) return Fail(kNotCoded, Outcome::NotCoded);

  view_.SetInfoLabel(kDownloading);
  PercentComplete = 0;
  view_.SetPercentComplete(0);
  for (const LSU_SoundFile* file : config_.FilesInFlashOrder()) {
    const bool sent = DownloadSoundFile(*file);
    if (CancelDownload) return Outcome::Canceled;
    if (!sent) return Fail(kConnectionLost, Outcome::ConnectionLost);
  }
  if (!WriteFileTable()) return Fail(kMemoryCheckError, Outcome::MemoryCheckError);
  if (verify) {
    fileChecks = VerifyFiles();
    for (const auto& check : fileChecks)
      if (!check.matches) return Fail(kMemoryCheckError, Outcome::MemoryCheckError);
  }
  // The restart ends the download. A board that does not take it cannot be
  // trusted to hold what was sent: it was unplugged at the last moment, or
  // (the virtual board) its flash image could not be saved.
  if (!link_.Reset()) return Fail(kConnectionLost, Outcome::ConnectionLost);
  view_.SetInfoLabel(kSuccess);
  view_.SetPercentLabel("");
  view_.StartHideFrameTimer(kHideFrameMs);
  return Outcome::Success;
}

// At most kEraseRounds polls; each may wait up to the agent's time-out for
// the board's answer. The bar assumes an erase of about 30 seconds.
bool FlashDownload::WaitForErase() {
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < kEraseRounds; ++round) {
    events_.LetEventsRun();
    // A cancel clicked while the events ran has set its own texts ("Canceled",
    // an empty percent label): leave them as they are.
    if (CancelDownload) return false;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    PercentComplete = std::min(100.0, double(seconds) * 100 / 30);
    view_.SetPercentComplete(PercentComplete);
    // The seconds show that the erase goes on while the percentage, which
    // counts whole seconds of a 30-second erase, moves slowly.
    view_.SetPercentLabel(EraseProgress(PercentComplete, seconds));
    if (link_.CheckCompletion()) return true;
  }
  return false;
}

// The board finishes an erase it has begun, the motion values included. An
// erase that ended while the cancel was asked has its answer waiting: one
// more poll (at most one answer time-out) tells, and the values go back.
// The cancel does not wait out an erase that is still running; the user is
// told which values to set again.
void FlashDownload::RestoreMotionAfterCancel() {
  events_.LetEventsRun();  // "Canceled" is seen during that poll
  if (link_.CheckCompletion() && link_.SetAccParam(motion_)) return;
  std::string values;
  const auto v = motion::AsArray(motion_);
  for (size_t i = 0; i < v.size(); ++i)
    values += std::string(i ? " " : "") + motion::kValueNames[i] + "=" + std::to_string(v[i]);
  dialogs_.Message(kMotionNotRestored + values, seams::DialogIcon::Exclamation,
                   seams::DialogButtons::Ok);
}

void FlashDownload::Progress(int64_t bytes) {
  PercentComplete += double(bytes) * 100 / (double(config_.TotalNrOfSamples()) * 1.5);
  view_.SetPercentComplete(PercentComplete);
  view_.SetPercentLabel(TenthPercent(PercentComplete));
}

// A piece of at most 1024 bytes: a full block with Write1k, a shorter one
// with WriteLess, which carries at most 1021 bytes, so a rest of 1022 or
// 1023 bytes goes in two commands.
bool FlashDownload::SendPiece(uint32_t address, const std::vector<uint8_t>& bytes) {
  if (bytes.size() == size_t(devlink::kBlockSize)) return link_.Write1k(address, bytes);
  for (size_t at = 0; at < bytes.size(); at += devlink::kMaxWriteLess) {
    const size_t n = std::min(bytes.size() - at, size_t(devlink::kMaxWriteLess));
    if (!link_.WriteLess(address + uint32_t(at), int(n),
                         std::span<const uint8_t>(bytes).subspan(at, n)))
      return false;
  }
  return true;
}

bool FlashDownload::DownloadSoundFile(const LSU_SoundFile& file) {
  uint32_t address = uint32_t(file.Address);
  const int32_t length = file.NrOfBytes;
  const int32_t blocks = length / devlink::kBlockSize;
  const int32_t rest = length % devlink::kBlockSize;
  std::vector<uint8_t> bytes;
  for (int32_t k = 0; k < blocks; ++k) {
    if (!file.GetBytes(bytes, k * devlink::kBlockSize, devlink::kBlockSize)) return false;
    if (!SendPiece(address, bytes)) return false;
    address += devlink::kBlockSize;
    Progress(devlink::kBlockSize);
    events_.LetEventsRun();
    if (CancelDownload) return false;
  }
  if (rest == 0) return true;
  Progress(rest);
  return file.GetBytes(bytes, blocks * devlink::kBlockSize, rest) && SendPiece(address, bytes);
}

bool FlashDownload::WriteFileTable() {
  const std::vector<uint8_t> table = config_.GetFileTable();
  const size_t n = table.size();
  if (!link_.WriteLess(uint32_t(LSU_Configuration::Nr_Base), int(n), table)) return false;
  if (!link_.CheckCRC(uint32_t(LSU_Configuration::Nr_Base), uint32_t(n - 2))) return false;
  return link_.Get_LS_Response(0) == table[n - 2] && link_.Get_LS_Response(1) == table[n - 1];
}

std::vector<FlashDownload::FileCheck> FlashDownload::VerifyFiles() {
  std::vector<FileCheck> checks;
  for (const LSU_SoundFile* file : config_.FilesInFlashOrder()) {
    const bool read = link_.CheckCRC(uint32_t(file->Address), uint32_t(file->NrOfBytes));
    checks.push_back(
        {file->FileName, read && uint32_t(link_.ResponseWord()) == file->GetFileCRC()});
  }
  return checks;
}

void FlashDownload::FrameButtonClick(const std::string& caption) {
  if (caption != "Cancel") {
    view_.ShowDownloadFrame(false);
    return;
  }
  if (dialogs_.Message(kCancelQuestion, seams::DialogIcon::None, seams::DialogButtons::OkCancel) !=
      seams::DialogResult::Cancel)
    return;
  CancelDownload = true;
  view_.SetInfoLabel(kCanceled);
  view_.SetPercentLabel("");
  view_.SetFrameButton("Close");
}

}  // namespace sound
