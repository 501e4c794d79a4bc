#include "converter/AudioConversion.h"

#include <fcntl.h>
#include <sndfile.h>
#include <soxr.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "converter/WavFile.h"
#include "fileio/AtomicFile.h"
#include "fileio/Utf8Path.h"
#include "sound/LSU_SoundFile.h"

namespace converter {

namespace {

// Samples of all channels read at once: 8 K frames of a stereo file, fewer
// frames of a file with more channels, so memory does not grow with them.
// Buffers this small are reused from the heap rather than mapped afresh
// for every file, which a font of many short files feels.
constexpr sf_count_t kBlockSamples = 16384;
constexpr float kFullScale = 32768.0f;

// libsndfile keeps the reason of a failed open in one place for the whole
// process; opening is serialised so that each caller reads its own reason.
std::mutex& OpenLock() {
  static std::mutex lock;
  return lock;
}

std::string LibraryName(int format) {
  SF_FORMAT_INFO info{};
  info.format = format;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name)
    return info.name;
  return "unknown";
}

AudioFormat FormatOf(const SF_INFO& info) {
  AudioFormat f;
  f.sampleRate = info.samplerate;
  f.channels = info.channels;
  f.frames = info.frames < 0 || info.frames == SF_COUNT_MAX ? -1 : int64_t(info.frames);
  const int sub = info.format & SF_FORMAT_SUBMASK;
  switch (sub) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      f.bits = 8;
      break;
    case SF_FORMAT_PCM_16:
      f.bits = 16;
      break;
    case SF_FORMAT_PCM_24:
      f.bits = 24;
      break;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
      f.bits = 32;
      break;
    case SF_FORMAT_DOUBLE:
      f.bits = 64;
      break;
  }
  if (f.bits)
    f.coding = std::to_string(f.bits) + " bit" +
               (sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE ? " float" : "");
  else if (sub == SF_FORMAT_ULAW)
    f.coding = "u-law";
  else if (sub == SF_FORMAT_ALAW)
    f.coding = "A-law";
  else if (sub == SF_FORMAT_VORBIS)
    f.coding = "Vorbis";
  else if (sub == SF_FORMAT_OPUS)
    f.coding = "Opus";
  else if (sub == SF_FORMAT_MPEG_LAYER_III)
    f.coding = "MP3";
  else
    f.coding = LibraryName(sub);

  switch (info.format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
      f.formatName = "WAV";
      break;
    case SF_FORMAT_RF64:
      f.formatName = "RF64";
      break;
    case SF_FORMAT_W64:
      f.formatName = "Wave64";
      break;
    case SF_FORMAT_AIFF:
      f.formatName = "AIFF";
      break;
    case SF_FORMAT_AU:
      f.formatName = "AU";
      break;
    case SF_FORMAT_CAF:
      f.formatName = "CAF";
      break;
    case SF_FORMAT_FLAC:
      f.formatName = "FLAC";
      break;
    case SF_FORMAT_OGG:
      f.formatName = "OGG " + f.coding;
      break;
    case SF_FORMAT_MPEG:
      f.formatName = sub == SF_FORMAT_MPEG_LAYER_III ? "MP3" : "MPEG";
      break;
    default:
      f.formatName = LibraryName(info.format & SF_FORMAT_TYPEMASK);
  }
  return f;
}

// libsndfile reads the recording through these calls on a descriptor the
// Recording owns. (Handed the descriptor itself, libsndfile 1.2 closes it
// when it cannot read the file even when told not to; the Recording's own
// close then hit whatever descriptor another conversion thread had opened
// under the same number meanwhile.)
sf_count_t FileLength(void* fd) {
  struct stat st {};
  return fstat(*static_cast<int*>(fd), &st) == 0 ? sf_count_t(st.st_size) : -1;
}
sf_count_t Seek(sf_count_t offset, int whence, void* fd) {
  return sf_count_t(lseek(*static_cast<int*>(fd), off_t(offset), whence));
}
sf_count_t Read(void* into, sf_count_t count, void* fd) {
  for (;;) {
    const ssize_t n = read(*static_cast<int*>(fd), into, size_t(count));
    if (n >= 0 || errno != EINTR) return n < 0 ? 0 : sf_count_t(n);
  }
}
sf_count_t NoWrite(const void*, sf_count_t, void*) {
  return 0;
}
sf_count_t Tell(void* fd) {
  return sf_count_t(lseek(*static_cast<int*>(fd), 0, SEEK_CUR));
}
SF_VIRTUAL_IO kDescriptorIo{FileLength, Seek, Read, NoWrite, Tell};

// An input recording opened for reading: a regular file only (a FIFO or a
// device would never end), read through a descriptor this object owns.
class Recording {
 public:
  ~Recording() {
    if (file_) sf_close(file_);
    if (fd_ >= 0) close(fd_);
  }

  bool Open(const std::string& path, std::string& message) {
    const std::string name = fileio::FileNameOf(path);
    fd_ = open(fileio::PathFromUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) {
      message = name + " cannot be read: " + std::strerror(errno);
      return false;
    }
    if (fstat(fd_, &stat_) != 0 || !S_ISREG(stat_.st_mode)) {
      message = name + " is not a regular file";
      return false;
    }
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    std::lock_guard<std::mutex> lock(OpenLock());
    file_ = sf_open_virtual(&kDescriptorIo, SFM_READ, &info_, &fd_);
    if (!file_) {
      message = name + " cannot be read as sound: " + sf_strerror(nullptr);
      return false;
    }
    if (info_.samplerate <= 0 || info_.channels <= 0) {
      message = name + " cannot be read as sound: it has no sample rate or no channels";
      return false;
    }
    return true;
  }

  SNDFILE* file() const { return file_; }
  const SF_INFO& info() const { return info_; }
  // Whether path names this very file (through any link or name).
  bool IsFile(const std::string& path) const {
    struct stat other {};
    return stat(fileio::PathFromUtf8(path).c_str(), &other) == 0 && other.st_dev == stat_.st_dev &&
           other.st_ino == stat_.st_ino;
  }

 private:
  int fd_ = -1;
  struct stat stat_ {};
  SNDFILE* file_ = nullptr;
  SF_INFO info_{};
};

// The mean of the channels; what is not a number counts as silence, so
// that it cannot spread through the resampler's filter.
void MixDown(const float* frames, float* mono, size_t n, int channels) {
  const float scale = 1.0f / float(channels);
  for (size_t i = 0; i < n; ++i, frames += channels) {
    float sum = 0;
    for (int c = 0; c < channels; ++c) sum += frames[c];
    sum *= scale;
    mono[i] = std::isfinite(sum) ? sum : 0.0f;
  }
}

// Triangular (TPDF) dither of one step peak: the sum of two independent
// uniform values, from a xorshift generator of the conversion's own.
class TriangularDither {
 public:
  float Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    constexpr float kScale = 1.0f / 4294967296.0f;
    return (float(uint32_t(state_)) + float(uint32_t(state_ >> 32))) * kScale - 1.0f;
  }

 private:
  uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

struct Stop {
  ConversionStatus status;
  std::string message;
};

// libsndfile quietly cuts a WAV, AIFF or AU file whose data chunk announces
// more bytes than the file holds to the bytes that are there; its log of
// the header then reads "data : 793800 (should be 299920)". Such a file
// was cut short in a copy or download and is as damaged as a FLAC stream
// that ends early. The sizes streaming writers put in when they do not
// know the length (0 and 0xFFFFFFFF) announce nothing.
std::optional<std::string> DataCutShort(SNDFILE* file) {
  std::string log(8192, '\0');
  sf_command(file, SFC_GET_LOG_INFO, log.data(), int(log.size()));
  log.resize(std::strlen(log.c_str()));
  for (size_t start = 0; start < log.size();) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    start = end + 1;
    const size_t colon = line.find(" : "), should = line.find("(should be ");
    if (colon == std::string::npos || should == std::string::npos) continue;
    const size_t key = line.find_first_not_of(' ');
    std::string name = line.substr(key, colon - key);
    name.erase(name.find_last_not_of(' ') + 1);
    if (name != "data" && name != "SSND" && name != "Data Size") continue;
    const long long announced = std::atoll(line.c_str() + colon + 3);
    const long long present = std::atoll(line.c_str() + should + 11);
    if (announced > present && announced != 0xFFFFFFFFll)
      return std::to_string(present) + " of the " + std::to_string(announced) +
             " bytes of sound its header announces are there";
  }
  return {};
}

// One conversion from an opened recording into an LSU file written aside.
class Conversion {
 public:
  Conversion(Recording& in, fileio::AtomicWriter& out, const ConversionControl& control,
             const std::string& name, const std::string& output)
      : in_(in), out_(out), control_(control), name_(name), output_(output) {}

  // Copies 16-bit (or narrower) mono 48 kHz samples as they are.
  std::optional<Stop> Copy() {
    std::vector<int16_t> block(static_cast<size_t>(kBlockSamples));
    while (const sf_count_t n = sf_readf_short(in_.file(), block.data(), kBlockSamples)) {
      if (n < 0) break;
      if (auto stop = Emit(block.data(), size_t(n))) return stop;
      if (auto stop = Step(n)) return stop;
    }
    return Finish();
  }

  // Mixes down, resamples and quantises with dither.
  std::optional<Stop> Convert() {
    const int channels = in_.info().channels;
    const sf_count_t frames = std::max<sf_count_t>(1, kBlockSamples / channels);
    std::vector<float> block(size_t(frames * channels));
    std::vector<float> mono(static_cast<size_t>(frames));
    const int rate = in_.info().samplerate;
    if (rate != kLsuRate) {
      soxr_error_t error = nullptr;
      const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
      const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
      const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
      resampler_ = soxr_create(rate, kLsuRate, 1, &error, &io, &quality, &runtime);
      if (!resampler_)
        return Stop{ConversionStatus::Failed, "Resampling failed: " + std::string(error)};
      resampled_.resize(size_t(double(frames) * kLsuRate / rate) + 1024);
    }
    while (const sf_count_t n = sf_readf_float(in_.file(), block.data(), frames)) {
      if (n < 0) break;
      MixDown(block.data(), mono.data(), size_t(n), channels);
      if (auto stop =
              resampler_ ? Resample(mono.data(), size_t(n)) : Quantise(mono.data(), size_t(n)))
        return stop;
      if (auto stop = Step(n)) return stop;
    }
    if (resampler_) {
      // A null input drains what the filter still holds.
      size_t made = 0;
      do {
        if (soxr_error_t error = soxr_process(resampler_, nullptr, 0, nullptr, resampled_.data(),
                                              resampled_.size(), &made))
          return Stop{ConversionStatus::Failed, "Resampling failed: " + std::string(error)};
        if (auto stop = Quantise(resampled_.data(), made)) return stop;
      } while (made > 0);
    }
    return Finish();
  }

  ~Conversion() {
    if (resampler_) soxr_delete(resampler_);
  }

  int64_t samples() const { return samples_; }
  int64_t clipped() const { return clipped_; }

 private:
  std::optional<Stop> Resample(const float* samples, size_t n) {
    size_t done = 0;
    while (done < n) {
      size_t used = 0, made = 0;
      if (soxr_error_t error = soxr_process(resampler_, samples + done, n - done, &used,
                                            resampled_.data(), resampled_.size(), &made))
        return Stop{ConversionStatus::Failed, "Resampling failed: " + std::string(error)};
      if (auto stop = Quantise(resampled_.data(), made)) return stop;
      if (used == 0 && made == 0) break;
      done += used;
    }
    return {};
  }

  std::optional<Stop> Quantise(const float* samples, size_t n) {
    pcm_.resize(std::max(pcm_.size(), n));
    for (size_t i = 0; i < n; ++i) {
      float scaled = samples[i] * kFullScale;
      if (std::isnan(scaled)) scaled = 0;  // huge input can still overflow in the filter
      if (scaled > 32767.5f || scaled < -32768.5f) ++clipped_;
      const float dithered = std::clamp(scaled + dither_.Next(), -32768.0f, 32767.0f);
      // Rounded to the nearest step: shifted to positive values, truncation
      // is a single instruction where lrint is a library call.
      pcm_[i] = int16_t(int32_t(dithered + 32768.5f) - 32768);
    }
    return Emit(pcm_.data(), n);
  }

  std::optional<Stop> Emit(int16_t* pcm, size_t n) {
    samples_ += int64_t(n);
    if (samples_ > sound::LSU_SoundFile::kMaxSamples)
      return Stop{ConversionStatus::Refused, name_ + " is too long for an LSU file"};
    if constexpr (std::endian::native == std::endian::big)
      for (size_t i = 0; i < n; ++i)
        pcm[i] = int16_t(uint16_t(pcm[i]) << 8 | uint16_t(pcm[i]) >> 8);
    if (!out_.Write(std::string_view(reinterpret_cast<const char*>(pcm), n * sizeof(int16_t))))
      return WriteFailure();
    return {};
  }

  std::optional<Stop> Step(sf_count_t framesRead) {
    read_ += framesRead;
    if (control_.progress) {
      const int64_t total = in_.info().frames;
      control_.progress(
          total > 0 && total != SF_COUNT_MAX ? std::min(1.0, double(read_) / double(total)) : 0.0);
    }
    if (control_.cancelled && control_.cancelled())
      return Stop{ConversionStatus::Cancelled, "Cancelled: " + output_ + " was not written"};
    return {};
  }

  // Whether the whole recording was read: a decoding error or a stream that
  // ends before the frames its header announces is a damaged file. An MP3
  // without a length tag announces an estimate; it may fall short of that.
  std::optional<Stop> Finish() {
    if (sf_error(in_.file()) != SF_ERR_NO_ERROR)
      return Stop{ConversionStatus::Refused,
                  name_ + " cannot be read as sound: " + sf_strerror(in_.file())};
    const SF_INFO& info = in_.info();
    if (read_ == 0) return Stop{ConversionStatus::Refused, name_ + " holds no sound"};
    if (info.frames > 0 && info.frames != SF_COUNT_MAX) {
      const bool estimate = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
      const sf_count_t least = estimate ? info.frames - info.frames / 50 : info.frames;
      if (read_ < least)
        return Stop{ConversionStatus::Refused,
                    name_ + " ends early: " + std::to_string(read_) + " of " +
                        std::to_string(info.frames) +
                        " frames could be read (the file is truncated or damaged)"};
    }
    if (control_.progress) control_.progress(1.0);
    if (!out_.Commit()) return WriteFailure();
    return {};
  }

  Stop WriteFailure() const {
    return {ConversionStatus::Failed, "Could not write " + output_ + ": " + out_.Error()};
  }

  Recording& in_;
  fileio::AtomicWriter& out_;
  const ConversionControl& control_;
  const std::string& name_;
  const std::string& output_;
  soxr_t resampler_ = nullptr;
  std::vector<float> resampled_;
  std::vector<int16_t> pcm_;
  TriangularDither dither_;
  int64_t read_ = 0;
  int64_t samples_ = 0;
  int64_t clipped_ = 0;
};

// Mono 48 kHz integer samples of at most 16 bits come out of libsndfile as
// exact 16-bit values: nothing to mix, resample or round.
bool CopiesExactly(const SF_INFO& info) {
  const int sub = info.format & SF_FORMAT_SUBMASK;
  return info.channels == 1 && info.samplerate == kLsuRate &&
         (sub == SF_FORMAT_PCM_16 || sub == SF_FORMAT_PCM_S8 || sub == SF_FORMAT_PCM_U8 ||
          sub == SF_FORMAT_ULAW || sub == SF_FORMAT_ALAW);
}

std::string TwoDecimals(double value) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

// "stereo 44100 Hz 24 bit", "stereo 44100 Hz MP3"
std::string SourceText(const AudioFormat& f) {
  return ChannelsText(f.channels) + " " + std::to_string(f.sampleRate) + " Hz " +
         (f.bits ? f.coding : f.formatName);
}

}  // namespace

double AudioFormat::DurationSeconds() const {
  return sampleRate > 0 && frames > 0 ? double(frames) / sampleRate : 0.0;
}

std::string ChannelsText(int channels) {
  if (channels == 1) return "mono";
  if (channels == 2) return "stereo";
  return std::to_string(channels) + " channels";
}

AudioInfo ReadAudioInfo(const std::string& path) {
  AudioInfo result;
  Recording in;
  if (!in.Open(path, result.message)) return result;
  result.format = FormatOf(in.info());
  result.ok = true;
  return result;
}

std::string DescribeAudio(const AudioFormat& f) {
  std::string text =
      f.formatName + ", " + ChannelsText(f.channels) + ", " + std::to_string(f.sampleRate) + " Hz";
  if (f.bits) text += ", " + f.coding;
  if (f.frames >= 0) text += ", " + TwoDecimals(f.DurationSeconds()) + " s";
  return text;
}

ConversionResult ConvertToLsu(const std::string& input, const std::string& output,
                              const ConversionControl& control) {
  ConversionResult result;
  const std::string name = fileio::FileNameOf(input);
  auto stop = [&result](ConversionStatus status, std::string message) {
    result.status = status;
    result.message = std::move(message);
    return result;
  };
  Recording in;
  std::string message;
  if (!in.Open(input, message)) return stop(ConversionStatus::Refused, message);
  result.source = FormatOf(in.info());
  if (in.IsFile(output))
    return stop(ConversionStatus::Refused, name + " cannot be converted onto itself");
  if (const auto cut = DataCutShort(in.file()))
    return stop(ConversionStatus::Refused,
                name + " ends early: " + *cut + " (the file is truncated or damaged)");
  if (result.source.frames >= 0 &&
      double(result.source.frames) * kLsuRate / result.source.sampleRate >
          double(sound::LSU_SoundFile::kMaxSamples))
    return stop(ConversionStatus::Refused, name + " is too long for an LSU file");

  fileio::AtomicWriter out(output);
  if (!out.IsOpen() || !out.Write(std::string_view(reinterpret_cast<const char*>(kLsuLeadingField),
                                                   sizeof kLsuLeadingField)))
    return stop(ConversionStatus::Failed, "Could not write " + output + ": " + out.Error());
  Conversion conversion(in, out, control, name, output);
  const bool copy = CopiesExactly(in.info());
  if (auto failed = copy ? conversion.Copy() : conversion.Convert())
    return stop(failed->status, failed->message);
  result.samples = conversion.samples();
  result.clippedSamples = conversion.clipped();
  const bool unchanged = copy && (in.info().format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
  result.status = unchanged ? ConversionStatus::Copied : ConversionStatus::Converted;
  result.message = DescribeConversion(result);
  return result;
}

seams::ResultOf<sound::WaveformSummary> SummariseRecording(const std::string& path,
                                                           const sound::ReadCancelled& cancelled) {
  Recording in;
  std::string message;
  if (!in.Open(path, message)) return seams::Result::Failure(message);
  const int channels = in.info().channels;
  const sf_count_t frames = std::max<sf_count_t>(1, kBlockSamples / channels);
  std::vector<float> block(size_t(frames * channels));
  std::vector<float> mono(static_cast<size_t>(frames));
  std::vector<int16_t> pcm(static_cast<size_t>(frames));
  sound::WaveformBuilder builder;
  int32_t peak = 0;
  while (const sf_count_t n = sf_readf_float(in.file(), block.data(), frames)) {
    if (n < 0) break;
    MixDown(block.data(), mono.data(), size_t(n), channels);
    for (size_t i = 0; i < size_t(n); ++i) {
      pcm[i] = int16_t(std::lround(std::clamp(mono[i] * kFullScale, -32768.0f, 32767.0f)));
      peak = std::max(peak, std::abs(int32_t{pcm[i]}));
    }
    builder.Add(std::span<const int16_t>(pcm.data(), size_t(n)));
    if (cancelled && cancelled()) return seams::Result::Cancelled();
  }
  const std::string name = fileio::FileNameOf(path);
  if (sf_error(in.file()) != SF_ERR_NO_ERROR)
    return seams::Result::Failure(name + " cannot be read as sound: " + sf_strerror(in.file()));
  if (builder.Samples() == 0) return seams::Result::Failure(name + " holds no sound");
  return builder.Finish(peak, double(builder.Samples()) / in.info().samplerate);
}

std::string DescribeConversion(const ConversionResult& r) {
  if (!r.Ok()) return r.message;
  if (r.status == ConversionStatus::Copied) return "Copied: " + SourceText(r.source);
  std::string text = "Converted: " + SourceText(r.source) + " \u2192 mono 48000 Hz 16 bit";
  if (r.clippedSamples == 1) text += ", 1 clipped sample";
  if (r.clippedSamples > 1) text += ", " + std::to_string(r.clippedSamples) + " clipped samples";
  return text;
}

}  // namespace converter
