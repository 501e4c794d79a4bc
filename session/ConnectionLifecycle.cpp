#include "session/ConnectionLifecycle.h"

#include "led/LedCatalogue.h"

namespace session {

ConnectionLifecycle::ConnectionLifecycle(devlink::HIDagentX& agent, ConnectionView& view,
                                         seams::UserDialogs& dialogs)
    : agent_(agent), view_(view), dialogs_(dialogs) {
  agent_.InterfaceOpened = [this](int, int, int, const std::string&) { InterfaceOpened(); };
  agent_.InterfaceClosed = [this](int still, const std::string& name, int handle) {
    InterfaceClosed(still, name, handle);
  };
  agent_.DeviceArrived = [this](int, const std::string&) { DeviceArrived(); };
  agent_.DeviceRemoved = [this](int, const std::string&) { DeviceRemoved(); };
}

void ConnectionLifecycle::SetUpHidAgent() {
  agent_.ShowOperations = false;
  agent_.Verbose = false;
  agent_.Start();
}

bool ConnectionLifecycle::SearchBoard() {
  agent_.VID_To_Match = devlink::kBoardVID;
  agent_.PID_To_Match = devlink::kBoardPID;
  agent_.SearchOnPID = true;
  agent_.SearchOnVID = true;
  return agent_.FindDevices();
}

bool ConnectionLifecycle::ConnectAtStartup() {
  SetUpHidAgent();
  if (SearchBoard()) {
    GoOnline();
    return true;
  }
  GoOffline();
  view_.EnableLedPanel(false);
  return dialogs_.Message(kNoConnectionQuestion, seams::DialogIcon::None,
                          seams::DialogButtons::OkCancel) == seams::DialogResult::Ok;
}

void ConnectionLifecycle::EnableSoundButtons(bool enabled) {
  for (auto b : {ImageButton::ConfigBtn, ImageButton::SendBtn, ImageButton::UpdateBtn})
    view_.EnableButton(b, enabled);
}

void ConnectionLifecycle::GoOnline() {
  devlink::TLS* link = DeviceLinks.First();
  if (!link) {
    // Found, but no interface carried the board's variables: nothing to
    // talk to, so stay offline and let the timer retry.
    GoOffline();
    return;
  }
  LS_ONLINE = true;
  view_.StopGoOnlineTimer();
  view_.SetOnlinePicture(true);

  const devlink::BoardKind kind = devlink::IdentifyBoard(link->GetID());
  FW_VERSION = kind.fwVersion;
  if (kind.capacity) {
    MemorySize = kind.capacity;
    view_.SetMemorySize(MemorySize);
  }
  DEVICE_TYPE = kind.deviceType;
  view_.SetSNLabel(kind.caption);

  std::string sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) {
    link->Reset();
    GoOffline();
    return;
  }
  view_.SetSNLabel(kind.caption + sn);

  if (DEVICE_TYPE == devlink::kSoundBoard) {
    view_.ReadAccData();
    view_.EnableButton(ImageButton::LoadBtn, true);
    view_.EnableButton(ImageButton::SaveBtn, true);
    EnableSoundButtons(true);
    view_.ShowLedPanel(false);
    return;
  }
  view_.EnableLedPanel(true);
  view_.ShowLedPanel(true);
  if (!view_.InitLedDrivers()) {
    // Trying the same board again would only bring the same message back
    // at every retry: it waits until it is unplugged.
    refused_.insert(link->ClassDebugID);
    dialogs_.Message(led::InvalidLedCatalogueMessage(view_.LedCatalogueProblem()),
                     seams::DialogIcon::Critical, seams::DialogButtons::Ok);
    GoOffline();
    return;
  }
  EnableSoundButtons(false);
  view_.EnableLedPanel(true);
}

void ConnectionLifecycle::GoOffline() {
  LS_ONLINE = false;
  view_.StartGoOnlineTimer(kGoOnlineIntervalMs);
  view_.SetOnlinePicture(false);
  view_.SetSNLabel("");
  if (DEVICE_TYPE == devlink::kSoundBoard) {
    view_.EnableButton(ImageButton::LoadBtn, true);
    view_.EnableButton(ImageButton::SaveBtn, true);
    EnableSoundButtons(false);
  } else if (DEVICE_TYPE == devlink::kLedDriver) {
    EnableSoundButtons(false);
    view_.EnableLedPanel(false);
  }
}

void ConnectionLifecycle::GoOnlineTimerTick() {
  TryToGoOnline();
  // The next retry starts a full interval after this one ended: a board that
  // stays linked but never answers holds each retry for the read time-out,
  // and the window needs the time in between.
  if (!LS_ONLINE) view_.StartGoOnlineTimer(kGoOnlineIntervalMs);
}

void ConnectionLifecycle::TryToGoOnline() {
  devlink::TLS* link = nullptr;
  for (size_t i = 0; i < DeviceLinks.Count() && !link; ++i)
    if (!Refused(DeviceLinks.At(i))) link = &DeviceLinks.At(i);
  if (!link || link->GetSN() == devlink::kNoSerialNumber) return;
  // Commands go to the first link: the board that answered becomes it.
  DeviceLinks.MoveToFront(link);
  GoOnline();
}

void ConnectionLifecycle::InterfaceOpened() {
  DeviceLinks.InterfaceOpened(agent_);
}

void ConnectionLifecycle::InterfaceClosed(int numStillOpen, const std::string& name, int handle) {
  DeviceLinks.InterfaceClosed(agent_, numStillOpen, name, handle);
  std::erase_if(refused_, [this](int id) { return !DeviceLinks.Find(id); });
}

void ConnectionLifecycle::DeviceArrived() {
  if (!startupInProgress) agent_.FindDevices();
}

void ConnectionLifecycle::DeviceRemoved() {
  GoOffline();
}

void ConnectionLifecycle::CloseHidAgent() {
  agent_.Stop();
}

void ConnectionLifecycle::Exit() {
  try {
    if (devlink::TLS* link = DeviceLinks.First()) link->Bye();
  } catch (...) {
  }
  try {
    CloseHidAgent();
  } catch (...) {
  }
}

}  // namespace session
