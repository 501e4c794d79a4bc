#pragma once
// One device link: a board's command and response variables, bound through
// the HID agent, and every board command. Each command is one 1028-byte
// command report followed by none, one or several 2-byte responses.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "devlink/HIDagentX.h"
#include "devlink/OneHidVar.h"

namespace devlink {

inline constexpr int kBoardVID = 1240;   // 0x04D8
inline constexpr int kBoardPID = 64055;  // 0xFA37
inline constexpr int kUsagePage = 0xFF00;
inline constexpr int kCommandSize = 1028;
inline constexpr int kResponseSize = 2;
inline constexpr int kBlockSize = 1024;
inline constexpr uint8_t kAckByte = 10;
inline constexpr int kMaxWriteLess = 1021;  // the buffer ends at byte 1027
inline constexpr const char* kNoSerialNumber = "NoSerialNumber";

// Board command codes.
enum Command : uint8_t {
  cmdReset = 0,
  cmdGetSN = 1,
  cmdGetID = 3,  // GetMemorySize sends the same code
  cmdBye = 7,
  cmdClearFlash = 10,
  cmdWrite1k = 20,
  cmdWriteLess = 21,
  cmdCheckCRC = 30,
  cmdGetACC = 40,
  cmdGetAccParam = 41,
  cmdSetAccParam = 42,
  cmdGetLEDParam = 50,
  cmdSetLEDParam = 51,
  cmdGetLEDPulses = 52,
  cmdSetLEDPulses = 53,
  cmdStartPulse = 54,
  cmdGetLEDConfig = 60,
  cmdSetLEDConfig = 61,
};

// The six motion, impact and lock-up values, one byte each in board units.
struct AccParams {
  int MotionTh = 0, MotionDeb = 0, ImpactTh = 0, ImpactDeb = 0, ImpactTm = 0, FOCTime = 0;
};

// Period, LED1_on, LED1_off, ..., LED4_off.
using LEDParams = std::array<uint16_t, 9>;

// One light pulse as SetLEDPulses lays it out from byte 2: per channel its
// low and high level (one byte each) and the on and off ticks of either
// level, then the rise, on, fall and off times in whole ms and the repeat
// count, 16-bit each. GetLEDPulses brings back the levels, the times and
// the count, not the ticks.
struct LEDPulseWire {
  struct Channel {
    uint8_t Low = 0, High = 0;
    uint16_t Ton_Low = 0, Toff_Low = 0, Ton_High = 0, Toff_High = 0;
  };
  std::array<Channel, 4> channels{};  // channel 1 first
  uint16_t Trise = 0, Ton = 0, Tfall = 0, Toff = 0, NRep = 0;
};

class TLS {
 public:
  TLS();
  TLS(const TLS&) = delete;
  TLS& operator=(const TLS&) = delete;

  // Binding.
  int BindVars(HIDagentX* AHIDagent);
  // Binds every variable again on the interface that holds it, whichever
  // interface is current: a board whose two variables sit on two interfaces
  // keeps both. Returns the number still unbound.
  int ReBindOnOwnInterfaces();
  void HidClosed(const void* Sender, int NumStillOpen, const std::string& AName, int AHidHandle);
  void UnBindRpt(TOneHidVar& var);
  bool HasHandle(int AHidHandle) const;
  int VariableCount() const;
  int UnboundVarCount() const;
  void Shutdown() { shutdown_ = true; }
  bool IsShutdown() const { return shutdown_; }
  int OutputReportIndex() const { return outputRpt_; }
  int InputReportIndex() const { return inputRpt_; }
  const TOneHidVar& CommandVar() const { return command_; }
  const TOneHidVar& ResponseVar() const { return response_; }
  const int ClassDebugID;

  // Transport.
  bool WriteOutputRptA();
  bool ReadInputRptB();
  uint8_t Get_LS_Response(int index) const;
  // R0 x 256 + R1 of the last response.
  int ResponseWord() const { return responseBuf_[0] * 256 + responseBuf_[1]; }
  static uint8_t ExtractByte(uint32_t Word, int Order);

  // Commands.
  bool Reset();
  std::string GetSN();
  int GetMemorySize();
  int GetID();
  bool Bye();
  bool ClearFlash();
  bool CheckCompletion();
  bool Write1k(uint32_t Address, std::span<const uint8_t> data);
  bool WriteLess(uint32_t Address, int length, std::span<const uint8_t> data);
  bool CheckCRC(uint32_t Address, uint32_t length);
  bool GetACC(int& AccX, int& AccY, int& AccZ, int& Tilt);
  bool GetAccParam(AccParams& p);
  bool SetAccParam(const AccParams& p);
  bool GetLEDParam(LEDParams& p);
  bool SetLEDParam(const LEDParams& p);
  bool GetLEDPulses(int PulseID, LEDPulseWire& Pulse);
  bool SetLEDPulses(int PulseID, const LEDPulseWire& Pulse);
  bool StartPulse(int PulseID);
  // The LED code is the catalogue's signed 16-bit code; on the wire it is
  // the same 16 bits (two's complement: -5 goes out and comes back as FFFB),
  // so every code of the catalogue reaches the board and is found again.
  bool GetLEDConfig(int& LedCode, double& Voltage, int& OverDrive);
  bool SetLEDConfig(int LedCode, double Voltage, int OverDrive);

  // Named by the system's interface: the program works through the
  // operations above; these keep the link's full set of names. ReBind binds
  // both variables again on the interface current now; the program rebinds
  // with ReBindOnOwnInterfaces, which a board whose variables sit on two
  // interfaces needs.
  int ReBind(HIDagentX* AHIDagent);
  bool IsAllUnbound() const { return VariableCount() == UnboundVarCount(); }
  int32_t DeviceIdentity() const { return deviceIdentity_; }
  void HidRptArrived() {}  // no effect: every response is read right after its command
  void BindEvents() {}     // no effect
  bool WriteAllReports() { return WriteOutputRptA(); }
  bool ReadAllReports() { return ReadInputRptB(); }
  uint8_t Get_LS_Command(int index) const;
  void Set_LS_Command(int index, uint8_t value);
  void Set_LS_Response(int index, uint8_t value);

 private:
  int BindAll();
  void RecordReportIndices();
  bool DeviceIsMatched();
  bool Send(uint8_t code);
  bool SendAck(uint8_t code);
  bool ReadAck();
  bool Read16(int& value);
  void Put24(int at, uint32_t value);
  void Put16(int at, int64_t value);
  bool EchoMatches(uint32_t sum);

  TOneHidVar command_;
  TOneHidVar response_;
  std::array<TOneHidVar*, 2> vars_{&command_, &response_};
  int commandVarIndex_ = -1;
  int responseVarIndex_ = -1;
  int outputRpt_ = -1;
  int inputRpt_ = -1;
  int32_t deviceIdentity_ = 0;
  bool shutdown_ = false;
  HIDagentX* agent_ = nullptr;
  std::array<uint8_t, kCommandSize> commandBuf_{};
  std::array<uint8_t, kResponseSize> responseBuf_{};
};

}  // namespace devlink
