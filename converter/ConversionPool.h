#pragma once
// Several recordings converted at once, a few worker threads taking the
// next file as each finishes (one per core on a small machine). The thread
// that created the pool stays free: it waits for the files in the order it
// needs them, and while it waits it can pump window events, show progress
// and decide to cancel. Results are read only on that thread.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "converter/AudioConversion.h"

namespace converter {

struct ConversionJob {
  std::string input, output;
};

class ConversionPool {
 public:
  // Starts converting at once.
  explicit ConversionPool(std::vector<ConversionJob> jobs, int workers = 2);
  // Cancels what is still running and waits for the workers.
  ~ConversionPool();
  ConversionPool(const ConversionPool&) = delete;
  ConversionPool& operator=(const ConversionPool&) = delete;

  // The result of job i once it is done. `waiting`, when given, is called
  // about every 15 ms until then (and may call Cancel).
  const ConversionResult& Wait(size_t i, const std::function<void()>& waiting = {});
  // Stops running conversions (they leave no file) and every one not yet
  // started; their results say Cancelled.
  void Cancel() { stop_ = true; }
  bool Cancelled() const { return stop_; }
  // The part of all jobs done, 0 to 1.
  double Progress() const;

 private:
  void Work();

  std::vector<ConversionJob> jobs_;
  std::vector<ConversionResult> results_;
  std::unique_ptr<std::atomic<double>[]> progress_;
  std::vector<bool> finished_;  // guarded by lock_
  std::atomic<size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::thread> threads_;
};

}  // namespace converter
