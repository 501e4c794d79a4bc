#pragma once
// A key and its value: one "key:value" line of an update service answer,
// split at its first colon. Both are empty until set.

#include <string>

namespace update {

struct Association {
  std::string key;
  std::string value;
};

}  // namespace update
