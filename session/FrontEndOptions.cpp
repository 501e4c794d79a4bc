#include "session/FrontEndOptions.h"

#include <filesystem>

namespace session {

FrontEndOptions ParseFrontEndOptions(const std::vector<std::string>& args) {
  FrontEndOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string>* target = a == "--virtual-board" ? &o.virtualBoard
                                         : a == "--hid-log"     ? &o.hidLog
                                         : a == "--update-host" ? &o.updateHost
                                                                : nullptr;
    if (!target) {
      o.rest.push_back(a);
      continue;
    }
    if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
    *target = args[++i];
  }
  return o;
}

std::string AppFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path().string();
  return exe.parent_path().string();
}

}  // namespace session
