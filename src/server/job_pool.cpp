#include "server/job_pool.h"

TJobPool::TJobPool(int threads, int queue) : queueMax_(queue < 0 ? 0 : queue) {
  for (int i = 0; i < (threads < 1 ? 1 : threads); i++) threads_.emplace_back([this] { Work(); });
}

TJobPool::~TJobPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    ready_.notify_all();
  }
  for (std::thread& t : threads_) t.join();
}

bool TJobPool::Submit(std::function<void()> job) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A job is taken at once while a thread is free, so the queue counts only
  // the jobs that have to wait.
  const size_t free = threads_.size() - static_cast<size_t>(busy_);
  if (stop_ || jobs_.size() >= queueMax_ + free) return false;
  jobs_.push_back(std::move(job));
  ready_.notify_one();
  return true;
}

bool TJobPool::WaitIdle(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_until(lock, deadline, [this] { return jobs_.empty() && busy_ == 0; });
}

void TJobPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    ready_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_++;
    lock.unlock();
    job();
    lock.lock();
    busy_--;
    if (jobs_.empty() && busy_ == 0) idle_.notify_all();
  }
}
