#pragma once
// Splitting a line of the LED text formats at a separator string: exact and
// case-sensitive, every occurrence counts, empty parts are kept, so the
// number of parts tells whether a line has its expected form.

#include <string_view>
#include <vector>

namespace led {

inline std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, from)) {
    parts.push_back(text.substr(from, at - from));
    from = at + separator.size();
  }
  parts.push_back(text.substr(from));
  return parts;
}

}  // namespace led
