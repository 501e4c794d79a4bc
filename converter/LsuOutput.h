#pragma once
// Where the LSU file of a converted recording goes: its name is the
// recording's with the extension replaced, and no file that is there
// already is overwritten.

#include <set>
#include <string>

namespace converter {

// The name's extension replaced by ".lsu" (added when it has none):
// clash 2.flac -> clash 2.lsu.
std::string WithLsuExtension(const std::string& name);

// Whether the file is a recording to convert before a category takes it:
// its name does not end in ".lsu" (any case) and libsndfile reads it.
bool IsConvertibleRecording(const std::string& path);

// The LSU file for the recording in folder: "hum.wav" gives folder/hum.lsu,
// or hum-2.lsu, hum-3.lsu, ... when a file of that name is already there
// or is in `taken` (names given to other conversions of the same batch,
// which it is added to, in lower case).
std::string FreeLsuPath(const std::string& folder, const std::string& recording,
                        std::set<std::string>& taken);

}  // namespace converter
