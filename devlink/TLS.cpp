#include "devlink/TLS.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "devlink/AppError.h"

namespace devlink {

TLS::TLS() : ClassDebugID(NextClassDebugID()) {
  command_.DoCreate(kRptOutput, kUsagePage, 1, 1, "LS_Command'");
  response_.DoCreate(kRptInput, kUsagePage, 2, 1, "LS_Response'");
}

// ---- binding ----

bool TLS::DeviceIsMatched() {
  return GuardUnknown("TLS:DeviceIsMatched Method", [&] {
    return agent_->CurrentVID() == kBoardVID && agent_->CurrentPID() == kBoardPID;
  });
}

int TLS::BindVars(HIDagentX* AHIDagent) {
  agent_ = AHIDagent;
  agent_->SelectInterface(agent_->InterfaceCount() - 1);
  if (!DeviceIsMatched()) return -1;
  const int unbound = BindAll();
  RecordReportIndices();
  return unbound;
}

int TLS::BindAll() {
  int unbound = 2;
  for (TOneHidVar* v : vars_) {
    if (v->IsBound()) {
      --unbound;
      continue;
    }
    if (!v->Bind(agent_)) continue;
    --unbound;
    if (deviceIdentity_ == 0) deviceIdentity_ = v->VarIdentity;
    if (v->UsagePage == kUsagePage && v->Usage == 1 && v->RptType == kRptOutput)
      commandVarIndex_ = v->VarIndex;
    if (v->UsagePage == kUsagePage && v->Usage == 2 && v->RptType == kRptInput)
      responseVarIndex_ = v->VarIndex;
  }
  return unbound;
}

void TLS::RecordReportIndices() {
  if (command_.RptIndex >= 0) outputRpt_ = command_.RptIndex;
  if (response_.RptIndex >= 0) inputRpt_ = response_.RptIndex;
}

int TLS::ReBind(HIDagentX* AHIDagent) {
  (void)AHIDagent;  // binding keeps the agent that BindVars was given
  for (TOneHidVar* v : vars_) {
    UnBindRpt(*v);
    v->UnBind();
  }
  const int unbound = BindAll();
  RecordReportIndices();
  return unbound;
}

int TLS::ReBindOnOwnInterfaces() {
  std::vector<int> handles;
  for (const TOneHidVar* v : vars_)
    if (v->HidHandle != 0 &&
        std::find(handles.begin(), handles.end(), v->HidHandle) == handles.end())
      handles.push_back(v->HidHandle);
  for (TOneHidVar* v : vars_) {
    UnBindRpt(*v);
    v->UnBind();
  }
  int unbound = 2;
  for (int handle : handles) {
    if (!agent_) break;
    try {
      agent_->SelectInterfaceByHandle(handle);
    } catch (const HidAgentError&) {
      continue;  // the agent no longer knows it: its variables stay unbound
    }
    unbound = BindAll();
  }
  RecordReportIndices();
  return unbound;
}

void TLS::HidClosed(const void*, int, const std::string&, int AHidHandle) {
  for (TOneHidVar* v : vars_) {
    if (v->HidHandle != AHidHandle) continue;
    UnBindRpt(*v);
    v->UnBind();
  }
}

void TLS::UnBindRpt(TOneHidVar& var) {
  if (var.RptType == kRptInput && var.RptIndex == inputRpt_) inputRpt_ = -1;
  if (var.RptType == kRptOutput && var.RptIndex == outputRpt_) outputRpt_ = -1;
}

bool TLS::HasHandle(int AHidHandle) const {
  return std::any_of(vars_.begin(), vars_.end(),
                     [&](const TOneHidVar* v) { return v->HidHandle == AHidHandle; });
}

int TLS::VariableCount() const {
  return int(std::count_if(vars_.begin(), vars_.end(),
                           [&](const TOneHidVar* v) { return v->VarIdentity == deviceIdentity_; }));
}

int TLS::UnboundVarCount() const {
  return int(std::count_if(vars_.begin(), vars_.end(), [&](const TOneHidVar* v) {
    return v->VarIdentity == deviceIdentity_ && !v->IsBound();
  }));
}

// ---- transport ----

// A transfer that the agent cannot make (an index it does not know) is a
// failed transfer, like one the device does not answer.
//
// A response that came after its command stopped waiting for it (the
// board's late answer to an erase whose wait gave up, say) is still queued
// when the next command goes out, and that command would take it for its
// own first answer. So what is waiting is read off (and logged) before each
// command: a command only ever reads what came after it.
bool TLS::WriteOutputRptA() {
  if (outputRpt_ < 0 || !agent_) return false;
  try {
    if (inputRpt_ >= 0) {
      agent_->SetCurrentRptNum(inputRpt_);
      agent_->ReadWaitingReports();
    }
    agent_->SelectVar(commandVarIndex_);
    for (int i = 0; i < kCommandSize; ++i) agent_->SetElement(i, commandBuf_[i]);
    agent_->SetCurrentRptNum(outputRpt_);
    return agent_->WriteReport();
  } catch (const HidAgentError&) {
    return false;
  }
}

bool TLS::ReadInputRptB() {
  if (inputRpt_ < 0 || !agent_) return false;
  try {
    agent_->SetCurrentRptNum(inputRpt_);
    const bool ok = agent_->ReadReport();
    agent_->SelectVar(responseVarIndex_);
    for (int i = 0; i < kResponseSize; ++i) responseBuf_[i] = uint8_t(agent_->GetElement(i));
    return ok;
  } catch (const HidAgentError&) {
    return false;
  }
}

uint8_t TLS::Get_LS_Command(int index) const {
  if (index < 0 || index >= kCommandSize) throw std::out_of_range("LS_Command index");
  return commandBuf_[index];
}

void TLS::Set_LS_Command(int index, uint8_t value) {
  if (index < 0 || index >= kCommandSize) throw std::out_of_range("LS_Command index");
  commandBuf_[index] = value;
}

uint8_t TLS::Get_LS_Response(int index) const {
  if (index < 0 || index >= kResponseSize) throw std::out_of_range("LS_Response index");
  return responseBuf_[index];
}

void TLS::Set_LS_Response(int index, uint8_t value) {
  if (index < 0 || index >= kResponseSize) throw std::out_of_range("LS_Response index");
  responseBuf_[index] = value;
}

uint8_t TLS::ExtractByte(uint32_t Word, int Order) {
  if (Order < 0 || Order > 3) return 0;
  return uint8_t((Word >> (8 * Order)) & 0xFF);
}

void TLS::Put24(int at, uint32_t value) {
  commandBuf_[at] = ExtractByte(value, 2);
  commandBuf_[at + 1] = ExtractByte(value, 1);
  commandBuf_[at + 2] = ExtractByte(value, 0);
}

// A 16-bit field holds 0..65535; a value outside is held to that range
// rather than sent with its high bits cut off.
void TLS::Put16(int at, int64_t value) {
  const auto v = uint32_t(std::clamp<int64_t>(value, 0, 65535));
  commandBuf_[at] = uint8_t(v / 256);
  commandBuf_[at + 1] = uint8_t(v % 256);
}

bool TLS::Send(uint8_t code) {
  commandBuf_[0] = code;
  return WriteOutputRptA();
}

bool TLS::ReadAck() {
  return ReadInputRptB() && responseBuf_[0] == kAckByte && responseBuf_[1] == kAckByte;
}

bool TLS::SendAck(uint8_t code) {
  return Send(code) && ReadAck();
}

bool TLS::Read16(int& value) {
  if (!ReadInputRptB()) return false;
  value = ResponseWord();
  return true;
}

bool TLS::EchoMatches(uint32_t sum) {
  return ReadInputRptB() && uint32_t(ResponseWord()) == sum % 65536;
}

// ---- commands ----

bool TLS::Reset() {
  return Send(cmdReset);
}

bool TLS::Bye() {
  return Send(cmdBye);
}

bool TLS::ClearFlash() {
  return Send(cmdClearFlash);
}

bool TLS::CheckCompletion() {
  return ReadAck();
}

std::string TLS::GetSN() {
  static const char* hex = "0123456789ABCDEF";
  auto two = [](uint8_t b) { return std::string{hex[b >> 4], hex[b & 15]}; };
  std::string sn = kNoSerialNumber;
  if (!Send(cmdGetSN) || !ReadInputRptB()) return sn;
  sn = two(responseBuf_[0]) + two(responseBuf_[1]);
  if (ReadInputRptB()) sn += two(responseBuf_[0]) + two(responseBuf_[1]);
  return sn;
}

int TLS::GetMemorySize() {
  return Send(cmdGetID) && ReadInputRptB() ? responseBuf_[0] : 0;
}

int TLS::GetID() {
  return Send(cmdGetID) && ReadInputRptB() ? ResponseWord() : 0;
}

bool TLS::Write1k(uint32_t Address, std::span<const uint8_t> data) {
  if (data.size() < size_t(kBlockSize)) return false;
  commandBuf_[0] = cmdWrite1k;
  Put24(1, Address);
  uint32_t sum = 0;
  for (int i = 0; i < kBlockSize; ++i) {
    commandBuf_[4 + i] = data[i];
    sum += data[i];
  }
  return WriteOutputRptA() && EchoMatches(sum);
}

bool TLS::WriteLess(uint32_t Address, int length, std::span<const uint8_t> data) {
  if (length < 0 || length > kMaxWriteLess || data.size() < size_t(length)) return false;
  commandBuf_[0] = cmdWriteLess;
  Put24(1, Address);
  Put24(4, uint32_t(length));
  uint32_t sum = 0;
  for (int i = 0; i < length; ++i) {
    commandBuf_[7 + i] = data[i];
    sum += data[i];
  }
  return WriteOutputRptA() && EchoMatches(sum);
}

bool TLS::CheckCRC(uint32_t Address, uint32_t length) {
  commandBuf_[0] = cmdCheckCRC;
  Put24(1, Address);
  Put24(4, length);
  return WriteOutputRptA() && ReadInputRptB();
}

bool TLS::GetACC(int& AccX, int& AccY, int& AccZ, int& Tilt) {
  // An axis byte above 31 is sign and magnitude.
  auto axis = [](int b) { return b > 31 ? 32 - b : b; };
  if (!Send(cmdGetACC) || !ReadInputRptB()) return false;
  AccX = axis(responseBuf_[0]);
  AccY = axis(responseBuf_[1]);
  if (ReadInputRptB()) {
    AccZ = axis(responseBuf_[0]);
    Tilt = responseBuf_[1];
  }
  return true;
}

bool TLS::GetAccParam(AccParams& p) {
  if (!Send(cmdGetAccParam) || !ReadInputRptB()) return false;
  p.MotionTh = responseBuf_[0];
  p.MotionDeb = responseBuf_[1];
  if (!ReadInputRptB()) return false;
  p.ImpactTh = responseBuf_[0];
  p.ImpactDeb = responseBuf_[1];
  if (!ReadInputRptB()) return false;
  p.ImpactTm = responseBuf_[0];
  p.FOCTime = responseBuf_[1];
  return true;
}

// Each value is one byte; a value outside 0..255 is held to that range
// rather than sent with its high bits cut off (300 would become 44).
bool TLS::SetAccParam(const AccParams& p) {
  const int values[] = {p.MotionTh, p.MotionDeb, p.ImpactTh, p.ImpactDeb, p.ImpactTm, p.FOCTime};
  for (int i = 0; i < 6; ++i) commandBuf_[1 + i] = uint8_t(std::clamp(values[i], 0, 255));
  return SendAck(cmdSetAccParam);
}

bool TLS::GetLEDParam(LEDParams& p) {
  if (!Send(cmdGetLEDParam)) return false;
  for (auto& value : p) {
    int v = 0;
    if (!Read16(v)) return false;
    value = uint16_t(v);
  }
  return true;
}

bool TLS::SetLEDParam(const LEDParams& p) {
  for (size_t i = 0; i < p.size(); ++i) Put16(1 + 2 * int(i), p[i]);
  return SendAck(cmdSetLEDParam);
}

bool TLS::GetLEDPulses(int PulseID, LEDPulseWire& Pulse) {
  commandBuf_[1] = ExtractByte(uint32_t(PulseID), 0);
  if (!Send(cmdGetLEDPulses)) return false;
  for (auto& channel : Pulse.channels) {
    if (!ReadInputRptB()) return false;
    channel.High = responseBuf_[0];
    channel.Low = responseBuf_[1];
  }
  uint16_t* values[] = {&Pulse.Trise, &Pulse.Ton, &Pulse.Tfall, &Pulse.Toff, &Pulse.NRep};
  for (uint16_t* value : values) {
    int v = 0;
    if (!Read16(v)) return false;
    *value = uint16_t(v);
  }
  return true;
}

bool TLS::SetLEDPulses(int PulseID, const LEDPulseWire& Pulse) {
  commandBuf_[1] = ExtractByte(uint32_t(PulseID), 0);
  for (size_t k = 0; k < Pulse.channels.size(); ++k) {
    const auto& channel = Pulse.channels[k];
    const int b = 10 * int(k);
    commandBuf_[b + 2] = channel.Low;
    commandBuf_[b + 3] = channel.High;
    Put16(b + 4, channel.Ton_Low);
    Put16(b + 6, channel.Toff_Low);
    Put16(b + 8, channel.Ton_High);
    Put16(b + 10, channel.Toff_High);
  }
  Put16(42, Pulse.Trise);
  Put16(44, Pulse.Ton);
  Put16(46, Pulse.Tfall);
  Put16(48, Pulse.Toff);
  Put16(50, Pulse.NRep);
  return SendAck(cmdSetLEDPulses);
}

bool TLS::StartPulse(int PulseID) {
  commandBuf_[1] = ExtractByte(uint32_t(PulseID), 0);
  return SendAck(cmdStartPulse);
}

bool TLS::GetLEDConfig(int& LedCode, double& Voltage, int& OverDrive) {
  int v = 0;
  if (!Send(cmdGetLEDConfig) || !Read16(v)) return false;
  LedCode = int16_t(uint16_t(v));
  if (!Read16(v)) return false;
  Voltage = v / 10.0;
  if (!Read16(v)) return false;
  OverDrive = v;
  return true;
}

bool TLS::SetLEDConfig(int LedCode, double Voltage, int OverDrive) {
  // Tenths rounded down; the small margin keeps 4.1 V from becoming 40 when
  // 4.1 x 10 lands just below 41 in binary floating point.
  Put16(1, uint16_t(LedCode));
  Put16(3, int64_t(std::floor(Voltage * 10 + 1e-9)));
  Put16(5, OverDrive);
  return SendAck(cmdSetLEDConfig);
}

}  // namespace devlink
