#pragma once
// Which update service morvane and morvane-cli ask: --update-host
// HOST[:PORT], else the environment variable MORVANE_UPDATE_HOST, else the
// project's own service.

#include <cstdlib>
#include <optional>
#include <string>

namespace update {

inline constexpr const char* kDefaultUpdateHost = "fonts.kestrane.example";

inline std::string ResolveUpdateHost(const std::optional<std::string>& option) {
  if (option && !option->empty()) return *option;
  const char* fromEnvironment = std::getenv("MORVANE_UPDATE_HOST");
  if (fromEnvironment && *fromEnvironment) return fromEnvironment;
  return kDefaultUpdateHost;
}

}  // namespace update
