// Keeps finished relayed matches: each replay a player hands over is played
// through the board's replay check on a thread of its own (never holding up
// the relay) and, when it reproduces, stored in the room directory.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "relay/room_directory.h"

class TReplayChecker;

class TMatchKeeper {
 public:
  // Replays waiting for their check beyond this are refused.
  static constexpr size_t kMaxWaiting = 8;

  TMatchKeeper(TRoomDirectory& directory, TReplayChecker& checker,
               std::function<void(const std::string&)> log, std::atomic<int64_t>* kept);
  ~TMatchKeeper();
  // Queues a match (its replay in match.replay); false when the queue is full.
  bool Submit(TMatchRecord match);
  // Waits until every queued match is checked (tests).
  void Drain();

 private:
  void Work();

  TRoomDirectory& directory_;
  TReplayChecker& checker_;
  std::function<void(const std::string&)> log_;
  std::atomic<int64_t>* kept_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<TMatchRecord> queue_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread worker_;
};

// The last "result " line of a replay (without the word), "" when none.
std::string ReplayResultLine(const std::string& replay);
