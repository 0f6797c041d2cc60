#include "relay/match_keeper.h"

#include "server/replay_check.h"
#include "server/score_store.h"

std::string ReplayResultLine(const std::string& replay) {
  const std::string word = "\nresult ";
  const size_t at = replay.rfind(word);
  if (at == std::string::npos) return "";
  const size_t from = at + word.size();
  const size_t end = replay.find('\n', from);
  return replay.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

TMatchKeeper::TMatchKeeper(TRoomDirectory& directory, TReplayChecker& checker,
                           std::function<void(const std::string&)> log, std::atomic<int64_t>* kept)
    : directory_(directory), checker_(checker), log_(std::move(log)), kept_(kept) {
  worker_ = std::thread([this] { Work(); });
}

TMatchKeeper::~TMatchKeeper() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_all();
  worker_.join();
}

bool TMatchKeeper::Submit(TMatchRecord match) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (queue_.size() >= kMaxWaiting) return false;
    queue_.push_back(std::move(match));
  }
  cv_.notify_all();
  return true;
}

void TMatchKeeper::Drain() {
  std::unique_lock<std::mutex> lock(mu_);
  cv_.wait(lock, [&] { return queue_.empty() && !busy_; });
}

void TMatchKeeper::Work() {
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    cv_.wait(lock, [&] { return stop_ || !queue_.empty(); });
    if (stop_) return;
    TMatchRecord m = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    const TReplayCheck check = checker_.Check(m.replay);
    if (check.status != TReplayCheck::kOk) {
      log_("relay: the replay of room " + m.code + " was not kept: " + check.message);
    } else {
      m.result = ReplayResultLine(m.replay);
      try {
        directory_.AddMatch(m);
        if (kept_) ++*kept_;
      } catch (const TStoreError& e) {
        log_(std::string("relay: cannot keep a match: ") + e.what());
      }
    }
    lock.lock();
    busy_ = false;
    cv_.notify_all();
  }
}
