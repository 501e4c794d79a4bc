#pragma once
// Recordings for the any-format conversion tests, made by the tools users
// make them with (sox, flac, oggenc, lame) or written sample by sample with
// libsndfile, and an LSU reader and tone measure written apart from the
// converter.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Runs a shell command line, its output thrown away; false when it fails.
bool Shell(const std::string& commandLine);

// Writes frames (channels interleaved, full scale 1.0) with libsndfile in
// the given SF_FORMAT_* container and coding.
void WriteSound(const std::string& path, int format, int rate, int channels,
                const std::vector<float>& frames);

// The samples of an LSU file: every complete 16-bit little-endian value
// after the 4-byte leading field.
std::vector<int16_t> ReadLsuSamples(const std::string& path);

// The peak amplitude of the frequency's sine in samples taken at rate (a
// single-bin DFT; exact when the samples hold whole periods).
double ToneAmplitude(const std::vector<double>& samples, double frequency, double rate);

// What is left after the best-fitting sine of that frequency is taken out,
// as RMS relative to that sine's RMS, in dB.
double ResidualDb(const std::vector<double>& samples, double frequency, double rate);

// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

}  // namespace testing_support
