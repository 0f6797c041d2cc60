// One piece of work on a thread of its own, so that the window never waits
// on the network: started between frames, looked at between frames, its
// result read once it is done. Every job is bounded in time (the requests
// carry their own timeouts), so waiting for one at the end is bounded too.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

class TBackgroundJob {
 public:
  TBackgroundJob() = default;
  ~TBackgroundJob() { Wait(); }
  TBackgroundJob(const TBackgroundJob&) = delete;
  TBackgroundJob& operator=(const TBackgroundJob&) = delete;

  // Runs work on a new thread; false (and nothing runs) while a job runs.
  bool Start(std::function<void()> work);
  // True while a started job has not been collected.
  bool Running() const { return thread_.joinable(); }
  // True once, when the running job has finished: the thread is joined and
  // what the job wrote may be read.
  bool Collect();
  // Waits for the running job, if any.
  void Wait();

 private:
  std::thread thread_;
  std::atomic<bool> done_{false};
};
