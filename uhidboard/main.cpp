// morvane-uhid-board SPEC: the virtual board's firmware served through the
// Linux kernel's /dev/uhid, so that programs reach it through hidraw and
// hidapi exactly as they reach a board on USB. SPEC is the one of
// --virtual-board. Prints "ready" once the host can find the board; runs
// until SIGTERM or SIGINT, or until the board unplugs itself (unplug=N).
// The flash image is saved at the end.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "devlink/TLS.h"
#include "uhidboard/UhidDevice.h"
#include "virtualboard/BoardDescriptor.h"
#include "virtualboard/BoardFirmware.h"

namespace {

using Clock = std::chrono::steady_clock;
using uhidboard::UhidDevice;
using uhidboard::UhidEvent;

constexpr uint8_t kClearFlash = 10;  // the command that starts an erase
constexpr auto kReadyLimit = std::chrono::seconds(10);

std::string SerialText(uint32_t serial) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", serial);
  return text;
}

class UhidBoard {
 public:
  explicit UhidBoard(const virtualboard::BoardSpec& spec) : firmware_(spec) {
    if (spec.split) {
      devices_.push_back(MakeDevice(virtualboard::CommandOnlyDescriptor(), 0));
      devices_.push_back(MakeDevice(virtualboard::ResponseOnlyDescriptor(), 1));
    } else {
      devices_.push_back(MakeDevice(virtualboard::BoardReportDescriptor(), 0));
    }
  }

  // Serves the board until a signal arrives on signalFd or the board
  // unplugs itself.
  void Run(int signalFd) {
    std::vector<pollfd> fds{{signalFd, POLLIN, 0}};
    for (const auto& d : devices_) fds.push_back({d->Fd(), POLLIN, 0});
    const auto startedAt = Clock::now();
    while (firmware_.Present()) {
      if (::poll(fds.data(), fds.size(), PollTimeoutMs()) < 0 && errno != EINTR)
        throw std::runtime_error("poll failed");
      if (fds[0].revents) return;
      for (size_t i = 1; i < fds.size() && firmware_.Present(); ++i)
        if (fds[i].revents) Handle(i - 1, devices_[i - 1]->Read());
      if (eraseCheck_ && Clock::now() >= *eraseCheck_) {
        eraseCheck_.reset();
        SendAnswers();
      }
      if (!ready_) AnnounceWhenFound(startedAt);
    }
  }

 private:
  std::unique_ptr<UhidDevice> MakeDevice(std::vector<uint8_t> descriptor, int index) {
    return std::make_unique<UhidDevice>(uhidboard::UhidIdentity{
        "Kestrane virtual board",
        "morvane-uhid-board/" + std::to_string(::getpid()) + "/" + std::to_string(index),
        SerialText(firmware_.Spec().serial), devlink::kBoardVID, devlink::kBoardPID,
        std::move(descriptor)});
  }

  // Until the board is found, look often; while an erase runs, look again
  // when it is due to end, so its completion answer goes out in time.
  int PollTimeoutMs() const {
    if (!ready_) return 10;
    if (!eraseCheck_) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*eraseCheck_ - Clock::now());
    return int(std::max<int64_t>(left.count(), 0));
  }

  void Handle(size_t device, const UhidEvent& event) {
    if (event.kind == UhidEvent::Kind::Started) ++started_;
    // Commands come on the first device only: a split board's second one
    // has no output report.
    if (event.kind != UhidEvent::Kind::Output || device != 0 || event.data.empty()) return;
    // hidraw puts the report number first; the board's reports are not
    // numbered, so it must be 0. Anything else is no report of this board.
    if (event.data[0] != 0) {
      std::cerr << "morvane-uhid-board: ignored an output report numbered " << int(event.data[0])
                << '\n';
      return;
    }
    const std::vector<uint8_t> command(event.data.begin() + 1, event.data.end());
    firmware_.Receive(command);
    const auto& spec = firmware_.Spec();
    if (!command.empty() && command[0] == kClearFlash && !spec.led && !spec.eraseNever)
      eraseCheck_ = Clock::now() + std::chrono::milliseconds(spec.eraseMs);
    SendAnswers();
  }

  // Everything the firmware has to say, in order; only an erase that is
  // still running keeps its answer back (Answer with no wait returns then).
  void SendAnswers() {
    std::array<uint8_t, 2> answer{};
    while (firmware_.Answer(answer, 0) == virtualboard::AnswerResult::Ok)
      devices_.back()->SendInput(answer);
  }

  // "ready" once every device has started and has its hidraw node: the
  // kernel reports the start just before it makes the node.
  void AnnounceWhenFound(Clock::time_point startedAt) {
    if (started_ == devices_.size()) {
      bool found = true;
      for (const auto& d : devices_) found = found && !d->HidrawNode().empty();
      if (found) {
        ready_ = true;
        std::cout << "ready" << std::endl;
        return;
      }
    }
    if (Clock::now() - startedAt > kReadyLimit)
      throw std::runtime_error("the kernel made no hidraw node for the board");
  }

  virtualboard::BoardFirmware firmware_;              // outlives the devices: saved last
  std::vector<std::unique_ptr<UhidDevice>> devices_;  // commands to [0], answers from back()
  std::optional<Clock::time_point> eraseCheck_;
  size_t started_ = 0;
  bool ready_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: morvane-uhid-board SPEC   (SPEC as for --virtual-board, e.g. "
                 "sound,erase-ms=0)\n";
    return 2;
  }
  virtualboard::BoardSpec spec;
  try {
    spec = virtualboard::ParseBoardSpec(argv[1]);
  } catch (const virtualboard::BoardSpecError& e) {
    std::cerr << "morvane-uhid-board: " << e.what() << '\n';
    return 2;
  }
  // The signals arrive as readable data, so the loop ends between events
  // and the destructors destroy the devices and save the flash.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  const int signalFd = ::signalfd(-1, &stop, SFD_CLOEXEC);
  if (signalFd < 0) {
    std::perror("morvane-uhid-board: signalfd");
    return 1;
  }
  try {
    UhidBoard board(spec);
    board.Run(signalFd);
  } catch (const std::exception& e) {
    std::cerr << "morvane-uhid-board: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
