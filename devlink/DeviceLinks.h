#pragma once
// The ordered collection of device links, one per bound board interface,
// kept up to date as the HID agent opens and closes interfaces. Commands go
// to the first link.

#include <memory>
#include <string>
#include <vector>

#include "devlink/HIDagentX.h"
#include "devlink/TLS.h"

namespace devlink {

class DeviceLinks {
 public:
  // A matching interface was opened: bind it, into the last link when that
  // one still misses a variable (a board whose variables sit on two
  // interfaces ends up as one link), else into a new link.
  void InterfaceOpened(HIDagentX& agent);
  // An interface closed: drop the links that had a variable on it and bind
  // the others again.
  void InterfaceClosed(HIDagentX& agent, int numStillOpen, const std::string& name, int handle);

  bool Empty() const { return links_.empty(); }
  size_t Count() const { return links_.size(); }
  TLS* First() const { return links_.empty() ? nullptr : links_.front().get(); }
  TLS* LastLink() const { return links_.empty() ? nullptr : links_.back().get(); }
  TLS& At(size_t i) const { return *links_.at(i); }
  // The link with that ClassDebugID, or null.
  TLS* Find(int classDebugID) const;
  // Puts a link of the collection first, the others keeping their order.
  void MoveToFront(TLS* link);

 private:
  std::vector<std::unique_ptr<TLS>> links_;
};

}  // namespace devlink
