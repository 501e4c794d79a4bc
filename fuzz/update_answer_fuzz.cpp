// Fuzzes how the update takes the service's text answers apart: lines at
// CR LF, key:value pairs, the header check and the file name check. Checks
// that nothing is lost or invented on the way.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/UpdateUtils.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = update::SliceText(text);
  Require(lines.empty() == text.empty());

  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    Require(line.find("\r\n") == std::string::npos);
    joined += (i ? "\r\n" : "") + line;

    const update::Association pair = update::ExtractPair(line);
    if (pair.key.empty()) {
      Require(pair.value.empty());
      Require(line.empty() || line.front() == ':' || line.find(':') == std::string::npos);
    } else {
      Require(pair.key.find(':') == std::string::npos);
      Require(line == pair.key + ":" + pair.value);
    }

    if (update::IsPlainFileName(line))
      Require(line != "." && line != ".." && line.find_first_of("/\\\r\n") == std::string::npos);
  }
  Require(joined == text);

  const bool usable = lines.size() >= 2 && lines[0] == "status:OK" && lines[1] == "clientv:1";
  Require(update::AnswerHeaderProblem(lines).has_value() != usable);
  return 0;
}
