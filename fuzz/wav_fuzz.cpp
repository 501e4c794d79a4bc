// Feeds arbitrary bytes to the converter's WAV header reader. What it
// accepts must describe sample data inside the file.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "converter/WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  converter::WavFile wav;
  if (!wav.ReadHeader(in, int64_t(size))) return 0;
  if (wav.DataSize < 0 || size_t(wav.DataSize) > size) std::abort();
  (void)wav.Information();
  return 0;
}
