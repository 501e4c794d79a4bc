#include "sound/WaveformService.h"

#include <filesystem>

#include "fileio/Utf8Path.h"

namespace sound {

std::optional<FileStamp> StampOf(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path p = fileio::PathFromUtf8(path);
  if (!fs::is_regular_file(p, error)) return std::nullopt;
  const uintmax_t size = fs::file_size(p, error);
  if (error) return std::nullopt;
  const auto changed = fs::last_write_time(p, error);
  if (error) return std::nullopt;
  return FileStamp{path, size, static_cast<int64_t>(changed.time_since_epoch().count())};
}

WaveformService::WaveformService(Reader reader, size_t cacheBytes)
    : reader_(std::move(reader)), cacheBytes_(cacheBytes) {}

WaveformService::~WaveformService() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
    ++generation_;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

WaveformService::Summary WaveformService::Cached(const std::string& path) {
  const std::optional<FileStamp> stamp = StampOf(path);
  if (!stamp) return nullptr;
  std::lock_guard<std::mutex> hold(lock_);
  return Find(*stamp);
}

void WaveformService::Request(const std::string& path, Done done) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    next_ = Job{path, std::move(done)};
    ++generation_;
    if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
  }
  wake_.notify_all();
}

void WaveformService::Forget() {
  std::lock_guard<std::mutex> hold(lock_);
  cache_.clear();
  cachedBytes_ = 0;
  ++generation_;
}

int WaveformService::Readings() const {
  std::lock_guard<std::mutex> hold(lock_);
  return readings_;
}

WaveformService::Summary WaveformService::Find(const FileStamp& stamp) {
  for (auto i = cache_.begin(); i != cache_.end(); ++i)
    if (i->first == stamp) {
      cache_.splice(cache_.begin(), cache_, i);
      return cache_.front().second;
    }
  return nullptr;
}

void WaveformService::Keep(const FileStamp& stamp, Summary summary) {
  for (auto i = cache_.begin(); i != cache_.end(); ++i)
    if (i->first.path == stamp.path) {
      cachedBytes_ -= i->second->Bytes();
      cache_.erase(i);
      break;
    }
  cachedBytes_ += summary->Bytes();
  cache_.emplace_front(stamp, std::move(summary));
  // The newest stays, however large.
  while (cachedBytes_ > cacheBytes_ && cache_.size() > 1) {
    cachedBytes_ -= cache_.back().second->Bytes();
    cache_.pop_back();
  }
}

void WaveformService::Work() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [this] { return stopping_ || next_; });
    if (stopping_) return;
    Job job = std::move(*next_);
    next_.reset();
    const uint64_t generation = generation_;
    const std::optional<FileStamp> stamp = StampOf(job.path);
    Summary summary = stamp ? Find(*stamp) : nullptr;
    if (summary) {
      hold.unlock();
      job.done(job.path, summary);
      hold.lock();
      continue;
    }
    ++readings_;
    hold.unlock();
    // Read without the lock; a newer request or the end changes the
    // generation, which stops this reading.
    const ReadCancelled cancelled = [this, generation] {
      std::lock_guard<std::mutex> check(lock_);
      return generation_ != generation;
    };
    auto read = reader_(job.path, cancelled);
    hold.lock();
    if (generation_ != generation) continue;
    if (!read.Ok()) {
      hold.unlock();
      job.done(job.path, seams::Result(read));
      hold.lock();
      continue;
    }
    summary = std::make_shared<const WaveformSummary>(*read);
    if (stamp) Keep(*stamp, summary);
    hold.unlock();
    job.done(job.path, summary);
    hold.lock();
  }
}

}  // namespace sound
