// A fixed set of threads taking jobs from a bounded queue: Submit refuses
// at once when the queue is full, so a flood never grows it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TJobPool {
 public:
  TJobPool(int threads, int queue);
  ~TJobPool();  // runs the jobs queued, then ends the threads
  TJobPool(const TJobPool&) = delete;
  TJobPool& operator=(const TJobPool&) = delete;

  // False (and job dropped) when the queue is full.
  bool Submit(std::function<void()> job);

  // Waits until no job runs or waits, at most until deadline; true when
  // none is left.
  bool WaitIdle(std::chrono::steady_clock::time_point deadline);

 private:
  void Work();
  size_t queueMax_;
  std::mutex mutex_;
  std::condition_variable ready_, idle_;
  std::deque<std::function<void()>> jobs_;
  int busy_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};
