#include "converter/ConversionPool.h"

#include <algorithm>
#include <chrono>

namespace converter {

ConversionPool::ConversionPool(std::vector<ConversionJob> jobs, int workers)
    : jobs_(std::move(jobs)),
      results_(jobs_.size()),
      progress_(std::make_unique<std::atomic<double>[]>(jobs_.size())),
      finished_(jobs_.size()) {
  const size_t count = std::min(jobs_.size(), size_t(std::max(1, workers)));
  for (size_t i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
}

ConversionPool::~ConversionPool() {
  Cancel();
  for (auto& thread : threads_) thread.join();
}

// Each worker writes only the results of the jobs it took; the waiting
// thread reads a result once it is marked finished under the lock.
void ConversionPool::Work() {
  for (size_t i; (i = next_++) < jobs_.size();) {
    std::atomic<double>& part = progress_[i];
    const ConversionControl control{[this] { return stop_.load(); },
                                    [&part](double done) { part = done; }};
    ConversionResult result;
    if (stop_) {
      result.status = ConversionStatus::Cancelled;
      result.message = "Cancelled: " + jobs_[i].output + " was not written";
    } else {
      result = ConvertToLsu(jobs_[i].input, jobs_[i].output, control);
    }
    part = 1.0;
    {
      std::lock_guard<std::mutex> guard(lock_);
      results_[i] = std::move(result);
      finished_[i] = true;
    }
    changed_.notify_all();
  }
}

const ConversionResult& ConversionPool::Wait(size_t i, const std::function<void()>& waiting) {
  std::unique_lock<std::mutex> guard(lock_);
  while (!finished_[i]) {
    changed_.wait_for(guard, std::chrono::milliseconds(15));
    if (finished_[i] || !waiting) continue;
    guard.unlock();
    waiting();
    guard.lock();
  }
  return results_[i];
}

double ConversionPool::Progress() const {
  if (jobs_.empty()) return 1.0;
  double sum = 0;
  for (size_t i = 0; i < jobs_.size(); ++i) sum += progress_[i];
  return sum / double(jobs_.size());
}

}  // namespace converter
