#include "board_client/background_job.h"

bool TBackgroundJob::Start(std::function<void()> work) {
  if (thread_.joinable()) return false;
  done_.store(false);
  thread_ = std::thread([this, work = std::move(work)] {
    work();
    done_.store(true, std::memory_order_release);
  });
  return true;
}

bool TBackgroundJob::Collect() {
  if (!thread_.joinable() || !done_.load(std::memory_order_acquire)) return false;
  thread_.join();
  return true;
}

void TBackgroundJob::Wait() {
  if (thread_.joinable()) thread_.join();
}
