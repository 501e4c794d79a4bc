#pragma once
// Waveform summaries read on a worker thread of their own, so that the
// window never waits for a file, and kept for the next time: a summary
// serves every width and volume of its file, so a file is read once for as
// long as it keeps its size and time of change (and the cache, bounded in
// memory, keeps it). Only the latest request counts: a newer one replaces
// one that waits and stops the reading of an older one, so clicking through
// a list of long files never queues work.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "seams/Result.h"
#include "sound/Waveform.h"

namespace sound {

// What tells the contents of a file apart without reading them: its path,
// size and time of last change.
struct FileStamp {
  std::string path;
  uintmax_t size = 0;
  int64_t changed = 0;
  bool operator==(const FileStamp&) const = default;
};
// The stamp of a regular file; none for anything else or no file.
std::optional<FileStamp> StampOf(const std::string& path);

class WaveformService {
 public:
  using Summary = std::shared_ptr<const WaveformSummary>;
  // Reads a file into a summary, on the worker thread; asks `cancelled`
  // now and then.
  using Reader = std::function<seams::ResultOf<WaveformSummary>(const std::string& path,
                                                                const ReadCancelled& cancelled)>;
  // Told the summary of a requested file, or why there is none.
  using Done = std::function<void(const std::string& path, const seams::ResultOf<Summary>&)>;

  static constexpr size_t kCacheBytes = size_t{16} << 20;

  explicit WaveformService(Reader reader = SummariseLsu, size_t cacheBytes = kCacheBytes);
  // Stops a reading and waits for the worker: no Done is called after.
  ~WaveformService();
  WaveformService(const WaveformService&) = delete;
  WaveformService& operator=(const WaveformService&) = delete;

  // The summary of the file as it is now, when it was read before.
  Summary Cached(const std::string& path);
  // Reads the file's summary (or takes it from the cache) on the worker
  // thread and calls `done` there with it; not called when a newer request
  // came first.
  void Request(const std::string& path, Done done);
  // Forgets every summary, and a reading under way: the reader's rules
  // changed.
  void Forget();
  // The files read so far (each call of the reader).
  int Readings() const;

 private:
  struct Job {
    std::string path;
    Done done;
  };
  void Work();
  // The cache, under lock_.
  Summary Find(const FileStamp& stamp);
  void Keep(const FileStamp& stamp, Summary summary);

  Reader reader_;
  size_t cacheBytes_;
  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::optional<Job> next_;
  uint64_t generation_ = 0;  // every request and Forget: what an older reading checks
  bool stopping_ = false;
  int readings_ = 0;
  std::list<std::pair<FileStamp, Summary>> cache_;  // the most recent first
  size_t cachedBytes_ = 0;
  std::thread worker_;  // started by the first request
};

}  // namespace sound
