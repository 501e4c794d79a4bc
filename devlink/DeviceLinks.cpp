#include "devlink/DeviceLinks.h"

#include <algorithm>

namespace devlink {

void DeviceLinks::InterfaceOpened(HIDagentX& agent) {
  TLS* last = LastLink();
  if (last && last->UnboundVarCount() != 0) {
    last->BindVars(&agent);
    return;
  }
  auto link = std::make_unique<TLS>();
  const int unbound = link->BindVars(&agent);
  // A link that bound neither variable (another device, or an interface of
  // the board that carries neither) could never answer; keeping it would
  // put a dead link first, where every command goes.
  if (unbound >= 0 && unbound < 2) links_.push_back(std::move(link));
}

void DeviceLinks::InterfaceClosed(HIDagentX& agent, int numStillOpen, const std::string& name,
                                  int handle) {
  for (size_t i = links_.size(); i-- > 0;) {
    links_[i]->HidClosed(&agent, numStillOpen, name, handle);
    if (links_[i]->HasHandle(handle)) {
      links_[i]->Shutdown();
      links_.erase(links_.begin() + long(i));
    }
  }
  // Interface positions say nothing about which link sits where (a board
  // may have two interfaces, or one that carries neither variable): each
  // link is bound again on the interfaces that hold its own variables.
  for (auto& link : links_) link->ReBindOnOwnInterfaces();
}

TLS* DeviceLinks::Find(int classDebugID) const {
  for (const auto& link : links_)
    if (link->ClassDebugID == classDebugID) return link.get();
  return nullptr;
}

void DeviceLinks::MoveToFront(TLS* link) {
  auto it =
      std::find_if(links_.begin(), links_.end(), [&](const auto& l) { return l.get() == link; });
  if (it != links_.end()) std::rotate(links_.begin(), it, it + 1);
}

}  // namespace devlink
