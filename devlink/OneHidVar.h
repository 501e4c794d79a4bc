#pragma once
// One HID report variable of a board: its identity (report type, usage page,
// usage) and, while bound, where the HID agent keeps it.

#include <cstdint>
#include <string>

#include "devlink/HIDagentX.h"

namespace devlink {

// Serial numbers of TOneHidVar and TLS instances, from one program-wide
// counter: the first instance gets 1.
int NextClassDebugID();

enum RptTypes : int16_t { kRptInput = 0, kRptOutput = 1, kRptFeature = 2 };
enum ScaleModes : int { smBoth = 0, smUnscaledOnly = 1, smScaledOnly = 2 };

class TOneHidVar {
 public:
  TOneHidVar();

  void DoCreate(int16_t MyRptType, int32_t MyUsgPage, int32_t MyUsg, int32_t MyID,
                const std::string& MyName);
  bool Bind(HIDagentX* AHIDagent);
  bool IsBound() const;
  void UnBind();
  bool update(bool DataIn);

  // Named by the system's interface: the links move whole reports through
  // update and the agent's elements and do not use these value views. While
  // unbound, values read 0 and the scale mode reads 1 (smUnscaledOnly);
  // BoolValue ignores writes and reads false.
  int ScaleMode() const;
  void SetScaleMode(int mode);
  int UnScaledValue() const;
  void SetUnScaledValue(int value);
  double ScaledValue() const;
  void SetScaledValue(double value);
  bool BoolValue() const { return false; }
  void SetBoolValue(bool) {}

  int16_t RptType = 0;
  int32_t UsagePage = 0;
  int32_t Usage = 0;
  int32_t VarIdentity = 0;
  std::string VarName;
  int32_t VarIndex = -1;
  int32_t RptIndex = -1;
  int32_t HidHandle = 0;
  int32_t LogicalMinimum = 0, LogicalMaximum = 0, PhysicalMinimum = 0, PhysicalMaximum = 0;
  int16_t SizeInBits = 0;
  std::string StringDescriptor;
  bool IsButton = false, Volatile = false, NoWrap = false, NoPrefState = false, Linear = false,
       HasNullState = false, BitsNotBuffer = false, ArrayNotVariable = false,
       AbsoluteNotRelative = false;
  int32_t Tag = 0;
  const int ClassDebugID;

 private:
  HIDagentX* agent_ = nullptr;
};

}  // namespace devlink
