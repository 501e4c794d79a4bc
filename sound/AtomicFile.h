#pragma once
// Replaces a file as a whole or not at all: the bytes go to a new file
// beside it, are flushed to disk, and only then take the old file's name.
// A write that fails half-way leaves the old file untouched.

#include <string>
#include <string_view>

namespace sound {

bool WriteFileAtomically(const std::string& utf8Path, std::string_view bytes);

}  // namespace sound
