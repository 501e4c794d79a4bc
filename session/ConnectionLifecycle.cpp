#include "session/ConnectionLifecycle.h"

#include "led/LedCatalogue.h"

namespace session {

ConnectionLifecycle::ConnectionLifecycle(devlink::HIDagentX& agent, ConnectionView& view,
                                         seams::UserDialogs& dialogs)
    : board_(
          agent,
          [this] { std::erase_if(refused_, [this](int id) { return !DeviceLinks().Find(id); }); }),
      view_(view),
      dialogs_(dialogs) {
  agent.DeviceArrived = [this](int, const std::string&) { DeviceArrived(); };
  agent.DeviceRemoved = [this](int, const std::string&) { DeviceRemoved(); };
}

ConnectionLifecycle::~ConnectionLifecycle() {
  board_.Agent().DeviceArrived = nullptr;
  board_.Agent().DeviceRemoved = nullptr;
}

bool ConnectionLifecycle::ConnectAtStartup() {
  SetUpHidAgent();
  if (SearchBoard()) {
    GoOnline();
    return true;
  }
  StartOffline();
  return dialogs_.Message(kNoConnectionQuestion, seams::DialogIcon::None,
                          seams::DialogButtons::OkCancel) == seams::DialogResult::Ok;
}

void ConnectionLifecycle::StartOffline() {
  GoOffline();
  view_.EnableLedPanel(false);
}

void ConnectionLifecycle::EnableSoundButtons(bool enabled) {
  for (auto b : {ImageButton::ConfigBtn, ImageButton::SendBtn, ImageButton::UpdateBtn})
    view_.EnableButton(b, enabled);
}

void ConnectionLifecycle::GoOnline() {
  devlink::TLS* link = DeviceLinks().First();
  if (!link) {
    // Found, but no interface carried the board's variables: nothing to
    // talk to, so stay offline and let the timer retry.
    GoOffline();
    return;
  }
  online_ = true;
  view_.StopGoOnlineTimer();
  view_.SetOnlinePicture(true);

  const devlink::BoardKind kind = devlink::IdentifyBoard(link->GetID());
  fwVersion_ = kind.fwVersion;
  if (kind.capacity) {
    memorySize_ = kind.capacity;
    view_.SetMemorySize(memorySize_);
  }
  deviceType_ = kind.deviceType;
  view_.SetSNLabel(kind.caption);

  std::string sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) {
    link->Reset();
    GoOffline();
    return;
  }
  view_.SetSNLabel(kind.caption + sn);

  if (deviceType_ == devlink::kSoundBoard) {
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
    // A driver that did not answer is tried again by the timer, like one
    // without a serial number.
    if (view_.LedDriverSilent()) {
      GoOffline();
      return;
    }
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
  online_ = false;
  view_.StartGoOnlineTimer(kGoOnlineIntervalMs);
  view_.SetOnlinePicture(false);
  view_.SetSNLabel("");
  if (deviceType_ == devlink::kSoundBoard) {
    view_.EnableButton(ImageButton::LoadBtn, true);
    view_.EnableButton(ImageButton::SaveBtn, true);
    EnableSoundButtons(false);
  } else if (deviceType_ == devlink::kLedDriver) {
    EnableSoundButtons(false);
    view_.EnableLedPanel(false);
  }
}

void ConnectionLifecycle::GoOnlineTimerTick() {
  TryToGoOnline();
  // The next retry starts a full interval after this one ended: a board that
  // stays linked but never answers holds each retry for the read time-out,
  // and the window needs the time in between.
  if (!online_) view_.StartGoOnlineTimer(kGoOnlineIntervalMs);
}

void ConnectionLifecycle::TryToGoOnline() {
  devlink::TLS* link = nullptr;
  for (size_t i = 0; i < DeviceLinks().Count() && !link; ++i)
    if (!Refused(DeviceLinks().At(i))) link = &DeviceLinks().At(i);
  if (!link || link->GetSN() == devlink::kNoSerialNumber) return;
  // Commands go to the first link: the board that answered becomes it.
  DeviceLinks().MoveToFront(link);
  GoOnline();
}

void ConnectionLifecycle::DeviceArrived() {
  if (!startupInProgress) board_.Agent().FindDevices();
}

void ConnectionLifecycle::DeviceRemoved() {
  GoOffline();
}

void ConnectionLifecycle::Exit() {
  try {
    if (devlink::TLS* link = DeviceLinks().First()) link->Bye();
  } catch (...) {
  }
  try {
    CloseHidAgent();
  } catch (...) {
  }
}

}  // namespace session
