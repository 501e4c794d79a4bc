// Feeds arbitrary bytes to ReadFile as an LSU file. An accepted file must
// code to well-formed triples (magnitudes within 999 whatever the volume,
// the spare bits clear, the first triple silent), sum to its checksum and
// write back as a WAV file holding exactly its samples.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/LSU_SoundFile.h"

namespace {

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "LSU invariant broken: %s\n", what);
  std::abort();
}

// Scratch files of this run in the working folder, removed at exit.
const std::string kLsu = "lsu_fuzz_" + std::to_string(getpid()) + ".lsu";
const std::string kWav = "lsu_fuzz_" + std::to_string(getpid()) + ".wav";

void CheckCoded(const sound::LSU_SoundFile& file) {
  Require(file.NrOfBytes == 3 * ((int64_t{file.NrOfSamples} + 1) / 2), "coded length");
  std::vector<uint8_t> coded;
  Require(file.GetBytes(coded, 0, file.NrOfBytes), "whole coded range");
  Require(coded[0] == 0 && coded[1] == 0 && coded[2] == 0, "first triple silent");
  uint32_t sum = 0;
  for (size_t t = 0; t < coded.size(); t += 3) {
    Require((coded[t + 1] & 0x30) == 0, "bits 5..4 clear");
    Require(coded[t] * 4 + ((coded[t + 1] >> 2) & 3) <= 999, "first magnitude within 999");
    Require(coded[t + 2] * 4 + (coded[t + 1] & 3) <= 999, "second magnitude within 999");
    sum += coded[t] + coded[t + 1] + coded[t + 2];
  }
  Require(file.GetFileCRC() == sum % 65536, "checksum");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit([] {
    std::remove(kLsu.c_str());
    std::remove(kWav.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(kLsu, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  sound::LSU_SoundFile file;
  const bool valid = file.ReadFile(kLsu);
  const int64_t samples = size < 4 ? 0 : static_cast<int64_t>(size - 4) / 2;
  Require(file.NrOfSamples == samples, "sample count");
  bool sound = false;
  for (size_t i = 4; i + 1 < size; i += 2) sound = sound || data[i] != 0 || data[i + 1] != 0;
  Require(valid == (samples >= 49 && sound), "validity");
  if (!valid) return 0;

  file.Volume = static_cast<int16_t>(static_cast<int8_t>(data[0]) * 3);  // -384..381
  Require(file.Code(), "a valid file codes");
  CheckCoded(file);

  Require(file.WriteWav(kWav), "WriteWav");
  std::ifstream in(kWav, std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), {}};
  Require(written.size() == 44 + 2 * static_cast<size_t>(samples), "WAV size");
  Require(written.compare(44, std::string::npos, reinterpret_cast<const char*>(data) + 4,
                          2 * static_cast<size_t>(samples)) == 0,
          "WAV samples");
  return 0;
}
