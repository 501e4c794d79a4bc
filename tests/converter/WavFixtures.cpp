#include "tests/converter/WavFixtures.h"

#include "tests/support/Files.h"
#include "tests/support/RunProgram.h"

namespace testing_support {

namespace {
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void PutId(std::vector<uint8_t>& b, const std::string& id) {
  b.insert(b.end(), id.begin(), id.end());
}
}  // namespace

std::vector<uint8_t> MakeWav(int channels, int rate, int bits, const std::vector<uint8_t>& data,
                             const std::vector<std::pair<std::string, std::string>>& extra,
                             int64_t announced) {
  std::vector<uint8_t> b;
  PutId(b, "RIFF");
  Put32(b, 0);  // filled below
  PutId(b, "WAVE");
  PutId(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, uint16_t(channels));
  Put32(b, uint32_t(rate));
  Put32(b, uint32_t(rate * channels * bits / 8));
  Put16(b, uint16_t(channels * bits / 8));
  Put16(b, uint16_t(bits));
  for (const auto& [id, payload] : extra) {
    PutId(b, id);
    Put32(b, uint32_t(payload.size()));
    PutId(b, payload);
    if (payload.size() % 2) b.push_back(0);
  }
  PutId(b, "data");
  Put32(b, uint32_t(announced < 0 ? int64_t(data.size()) : announced));
  b.insert(b.end(), data.begin(), data.end());
  const uint32_t riff = uint32_t(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[4 + i] = uint8_t(riff >> (8 * i));
  return b;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

bool Sox(const std::string& args) {
  return RunAsTyped("sox", args, {.timeoutSeconds = 600}).status == 0;
}

}  // namespace testing_support
