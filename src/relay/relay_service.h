// The relay as the score server runs it: its room directory in the board's
// database, its own thread, the board's matches pages and the relay named in
// the board's description.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "relay/relay_server.h"

class TReplayChecker;
class TScoreService;

class TRelayService {
 public:
  ~TRelayService();
  // Opens the directory in db and binds the relay; on success serves on a
  // thread of its own and tells service (pages, description). False with
  // *error when the relay cannot run (the board then serves without it).
  bool Start(const TRelayOptions& options, const std::string& db, TReplayChecker& checker,
             TScoreService& service, const std::function<void(const std::string&)>& log,
             std::string* error);
  void Stop();
  int Port() const { return relay_ ? relay_->Port() : 0; }

 private:
  std::unique_ptr<TRoomDirectory> directory_;
  std::unique_ptr<TRelay> relay_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
