// Converting a 100 MB WAV file from the page cache, against copying the
// same file with cp. Target: the conversion within 1.5 times the copy.
// Reading the header of a file whose data chunk comes after 50 MB of empty
// 8-byte chunks: the chunk walk reads forward, at memory speed.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "converter/WavFile.h"

namespace {

namespace fs = std::filesystem;

const std::string& BigWav() {
  static const std::string path = [] {
    const std::string p = (fs::temp_directory_path() / "brelka_bench_100mb.wav").string();
    const uint32_t data = 100u << 20;
    if (fs::exists(p) && fs::file_size(p) == data + 44) return p;
    std::ofstream out(p, std::ios::binary);
    const uint8_t header[44] = {'R', 'I', 'F',  'F',  0,   0,   0,   0,    'W', 'A',  'V',
                                'E', 'f', 'm',  't',  ' ', 16,  0,   0,    0,   1,    0,
                                1,   0,   0x80, 0xBB, 0,   0,   0,   0x77, 1,   0,    2,
                                0,   16,  0,    'd',  'a', 't', 'a', 0,    0,   0x40, 0x06};
    out.write(reinterpret_cast<const char*>(header), 44);
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = char(i * 31);
    for (uint32_t i = 0; i < data / block.size(); ++i) out.write(block.data(), long(block.size()));
    return p;
  }();
  return path;
}

const std::string kOut = (fs::temp_directory_path() / "brelka_bench_out.lsu").string();

void BM_ConvertToLSU(benchmark::State& state) {
  converter::WavFile wav;
  if (!wav.OpenFile(BigWav()) || wav.DataSize != int32_t(100u << 20)) {
    state.SkipWithError("bench WAV not readable");
    return;
  }
  for (auto _ : state)
    if (wav.ConvertToLSU(kOut) != converter::WavFile::Result::Done) state.SkipWithError("failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * wav.DataSize);
}
BENCHMARK(BM_ConvertToLSU)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// A 44-byte header whose last chunk is empty, 50 MB of zeros (6.5 million
// empty chunks), then the data chunk.
const std::string& LongChunkRunWav() {
  static const std::string path = [] {
    const std::string p = (fs::temp_directory_path() / "brelka_bench_chunks.wav").string();
    const uint32_t run = 50u << 20;
    const uint8_t header[44] = {'R', 'I', 'F',  'F',  0,   0,   0,   0,    'W', 'A', 'V',
                                'E', 'f', 'm',  't',  ' ', 16,  0,   0,    0,   1,   0,
                                1,   0,   0x80, 0xBB, 0,   0,   0,   0x77, 1,   0,   2,
                                0,   16,  0,    'J',  'U', 'N', 'K', 0,    0,   0,   0};
    const uint8_t data[12] = {'d', 'a', 't', 'a', 4, 0, 0, 0, 1, 2, 3, 4};
    if (fs::exists(p) && fs::file_size(p) == 44 + run + sizeof data) return p;
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), 44);
    const std::vector<char> zeros(1 << 20, 0);
    for (uint32_t i = 0; i < run / zeros.size(); ++i) out.write(zeros.data(), long(zeros.size()));
    out.write(reinterpret_cast<const char*>(data), sizeof data);
    return p;
  }();
  return path;
}

void BM_OpenFileAfterLongChunkRun(benchmark::State& state) {
  converter::WavFile wav;
  for (auto _ : state)
    if (!wav.OpenFile(LongChunkRunWav()) || wav.DataSize != 4) state.SkipWithError("not read");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(LongChunkRunWav())));
}
BENCHMARK(BM_OpenFileAfterLongChunkRun)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyWithCp(benchmark::State& state) {
  const std::string cmd = "cp " + BigWav() + " " + kOut;
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(BigWav())));
}
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace
