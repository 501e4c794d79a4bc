#pragma once
// WAV files for the converter's tests: crafted byte by byte, or made by sox.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A PCM WAV file: the canonical header, `extra` chunks (id + payload) placed
// between "fmt " and "data", the data chunk announcing `announced` bytes
// (the data's own size when negative) and holding `data`.
std::vector<uint8_t> MakeWav(int channels, int rate, int bits, const std::vector<uint8_t>& data,
                             const std::vector<std::pair<std::string, std::string>>& extra = {},
                             int64_t announced = -1);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);
// Runs sox with these arguments; false when it is missing or fails.
bool Sox(const std::string& args);

}  // namespace testing_support
