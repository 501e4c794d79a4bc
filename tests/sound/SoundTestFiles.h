#pragma once
// Test helpers for the sound side: LSU files written from samples, and a
// decoder of the board's coded form written independently of the coder.

#include <cstdint>
#include <string>
#include <vector>

namespace sound_test {

// An LSU file: 4-byte leading field, then the samples little-endian.
void WriteLsu(const std::string& path, const std::vector<int16_t>& samples);
// n reproducible samples between -peak and peak, the first one at -peak or
// peak and none louder.
std::vector<int16_t> Samples(size_t n, int peak = 12000, unsigned seed = 1);

// The signed values of coded triples, two per triple in order.
std::vector<int> Decode(const std::vector<uint8_t>& coded);
// What Decode must give for the coded samples at a volume: zeros for
// triple 0, then samples 2k - 1 and 2k (0-based) scaled for triple k.
std::vector<int> Expected(const std::vector<int16_t>& samples, int volume);

}  // namespace sound_test
