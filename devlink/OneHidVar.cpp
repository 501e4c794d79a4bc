#include "devlink/OneHidVar.h"

#include "devlink/AppError.h"

namespace devlink {

int NextClassDebugID() {
  static int counter = 0;
  return ++counter;
}

TOneHidVar::TOneHidVar() : ClassDebugID(NextClassDebugID()) {}

void TOneHidVar::DoCreate(int16_t MyRptType, int32_t MyUsgPage, int32_t MyUsg, int32_t MyID,
                          const std::string& MyName) {
  RptType = MyRptType;
  UsagePage = MyUsgPage;
  Usage = MyUsg;
  VarIdentity = MyID;
  VarName = MyName;
}

bool TOneHidVar::Bind(HIDagentX* AHIDagent) {
  return GuardUnknown("OneHidVar:Bind Method", [&] {
    agent_ = AHIDagent;
    const int index = agent_->FindVar(UsagePage, Usage, RptType, false);
    if (index < 0) return false;
    VarIndex = index;
    agent_->SelectVar(VarIndex);
    HidHandle = agent_->CurrentHandle();
    RptIndex = agent_->VarRptIndex(VarIndex);
    LogicalMinimum = agent_->LogicalMinimum();
    LogicalMaximum = agent_->LogicalMaximum();
    PhysicalMinimum = agent_->PhysicalMinimum();
    PhysicalMaximum = agent_->PhysicalMaximum();
    SizeInBits = int16_t(agent_->SizeInBits());
    StringDescriptor = agent_->StringDescriptor();
    IsButton = agent_->IsButton();
    Volatile = agent_->Volatile();
    NoWrap = agent_->NoWrap();
    NoPrefState = agent_->NoPrefState();
    Linear = agent_->Linear();
    HasNullState = agent_->HasNullState();
    BitsNotBuffer = agent_->BitsNotBuffer();
    ArrayNotVariable = agent_->ArrayNotVariable();
    AbsoluteNotRelative = agent_->AbsoluteNotRelative();
    agent_->NameVar(VarIndex, VarName);
    agent_->SetScaleMode(smUnscaledOnly);
    return true;
  });
}

bool TOneHidVar::IsBound() const {
  return VarIndex >= 0;
}

void TOneHidVar::UnBind() {
  VarIndex = -1;
  RptIndex = -1;
  LogicalMinimum = LogicalMaximum = PhysicalMinimum = PhysicalMaximum = 0;
  StringDescriptor.clear();
}

bool TOneHidVar::update(bool DataIn) {
  return GuardUnknown("OneHidVar:Update Method", [&] {
    if (RptIndex < 0 || !agent_) return false;
    const bool read = RptType == kRptInput || (RptType == kRptFeature && DataIn);
    const bool write = RptType == kRptOutput || (RptType == kRptFeature && !DataIn);
    if (!read && !write) return false;
    agent_->SetCurrentRptNum(RptIndex);
    return read ? agent_->ReadReport() : agent_->WriteReport();
  });
}

int TOneHidVar::ScaleMode() const {
  if (!IsBound() || !agent_) return smUnscaledOnly;
  agent_->SelectVar(VarIndex);
  return agent_->GetScaleMode();
}

void TOneHidVar::SetScaleMode(int mode) {
  if (!IsBound() || !agent_) return;
  agent_->SelectVar(VarIndex);
  agent_->SetScaleMode(mode);
}

int TOneHidVar::UnScaledValue() const {
  return IsBound() && agent_ ? agent_->GetUnscaled(VarIndex) : 0;
}

void TOneHidVar::SetUnScaledValue(int value) {
  if (IsBound() && agent_) agent_->SetUnscaled(VarIndex, value);
}

double TOneHidVar::ScaledValue() const {
  return GuardUnknown("OneHidVar:ScaledValue Property Get",
                      [&] { return IsBound() && agent_ ? agent_->GetScaled(VarIndex) : 0.0; });
}

void TOneHidVar::SetScaledValue(double value) {
  GuardUnknown("OneHidVar:ScaledValue Property Let", [&] {
    if (IsBound() && agent_) agent_->SetScaled(VarIndex, value);
  });
}

}  // namespace devlink
