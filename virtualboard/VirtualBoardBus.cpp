#include "virtualboard/VirtualBoardBus.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "devlink/TLS.h"
#include "virtualboard/BoardDescriptor.h"

namespace virtualboard {

namespace {

enum class Part { Both, Command, Response };

constexpr uint8_t kResponseString = 1;

class VirtualBoardPort : public devlink::HidPort {
 public:
  VirtualBoardPort(std::shared_ptr<BoardFirmware> fw, Part part)
      : fw_(std::move(fw)), part_(part) {}

  std::vector<uint8_t> ReportDescriptor() override {
    const uint8_t string = fw_->Spec().bindError ? kResponseString : 0;
    switch (part_) {
      case Part::Command:
        return CommandOnlyDescriptor();
      case Part::Response:
        return ResponseOnlyDescriptor(string);
      default:
        return BoardReportDescriptor(string);
    }
  }

  // Only a board with the bind-error switch names a string, and it fails
  // to give it: the host meets an error it did not expect.
  std::string IndexedString(int index) override {
    throw std::runtime_error("the board failed to send string " + std::to_string(index));
  }

  bool WriteOutput(uint8_t reportId, const std::vector<uint8_t>& data) override {
    if (!fw_->Present() || reportId != 0 || part_ == Part::Response) return false;
    return fw_->Receive(data);
  }

  devlink::ReadResult ReadInput(std::vector<uint8_t>& report, size_t, int timeoutMs) override {
    if (part_ == Part::Command) return devlink::ReadResult::Timeout;
    std::array<uint8_t, 2> answer{};
    switch (fw_->Answer(answer, timeoutMs)) {
      case AnswerResult::Ok:
        report.assign(answer.begin(), answer.end());
        return devlink::ReadResult::Ok;
      case AnswerResult::Timeout:
        return devlink::ReadResult::Timeout;
      default:
        return devlink::ReadResult::Error;
    }
  }

  bool GetFeature(uint8_t, std::vector<uint8_t>&) override { return false; }
  bool SetFeature(uint8_t, const std::vector<uint8_t>&) override { return false; }

 private:
  std::shared_ptr<BoardFirmware> fw_;
  Part part_;
};

std::string SerialText(uint32_t serial) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", serial);
  return text;
}

}  // namespace

VirtualBoardBus::VirtualBoardBus(std::shared_ptr<BoardFirmware> firmware)
    : firmware_(std::move(firmware)) {}

std::vector<devlink::HidDeviceInfo> VirtualBoardBus::Enumerate() {
  if (!firmware_->Present()) return {};
  const uint16_t vid = devlink::kBoardVID, pid = devlink::kBoardPID;
  const std::string sn = SerialText(firmware_->Spec().serial);
  const std::string name = "Kestrane virtual board";
  if (!firmware_->Spec().split) return {{"virtual:0", vid, pid, name, sn}};
  return {{"virtual:0", vid, pid, name, sn}, {"virtual:1", vid, pid, name, sn}};
}

std::unique_ptr<devlink::HidPort> VirtualBoardBus::Open(const devlink::HidDeviceInfo& info) {
  if (!firmware_->Present()) return nullptr;
  Part part = Part::Both;
  if (firmware_->Spec().split) part = info.path == "virtual:0" ? Part::Command : Part::Response;
  return std::make_unique<VirtualBoardPort>(firmware_, part);
}

VirtualBoard MakeVirtualBoard(const BoardSpec& spec) {
  VirtualBoard board;
  board.firmware = std::make_shared<BoardFirmware>(spec);
  board.agent =
      std::make_unique<devlink::ReportAgent>(std::make_unique<VirtualBoardBus>(board.firmware));
  return board;
}

}  // namespace virtualboard
