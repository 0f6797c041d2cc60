// The room directory held in memory, for a relay that shares nothing.
#include <algorithm>
#include <map>

#include "relay/room_directory.h"

namespace {

// The most finished matches kept; the oldest go first.
constexpr size_t kKeptMatches = 200;

class TMemoryRoomDirectory : public TRoomDirectory {
 public:
  bool AddRoom(const TRoomRecord& room) override {
    std::lock_guard<std::mutex> lock(mu_);
    return rooms_.emplace(room.code, room).second;
  }
  bool FindRoom(const std::string& code, TRoomRecord* out) override {
    std::lock_guard<std::mutex> lock(mu_);
    const auto it = rooms_.find(code);
    if (it == rooms_.end()) return false;
    *out = it->second;
    return true;
  }
  bool ClaimQuickRoom(const std::string& version, TRoomRecord* out) override {
    std::lock_guard<std::mutex> lock(mu_);
    for (auto& [code, room] : rooms_) {
      if (room.quick && room.version == version) {
        room.quick = false;
        *out = room;
        return true;
      }
    }
    return false;
  }
  void RemoveRoom(const std::string& code) override {
    std::lock_guard<std::mutex> lock(mu_);
    rooms_.erase(code);
  }
  void RemoveRelayRooms(const std::string& relay) override {
    std::lock_guard<std::mutex> lock(mu_);
    std::erase_if(rooms_, [&](const auto& kv) { return kv.second.relay == relay; });
  }
  int64_t AddMatch(const TMatchRecord& match) override {
    std::lock_guard<std::mutex> lock(mu_);
    TMatchRecord m = match;
    m.id = ++lastId_;
    matches_.push_back(std::move(m));
    if (matches_.size() > kKeptMatches) matches_.erase(matches_.begin());
    return lastId_;
  }
  std::vector<TMatchRecord> RecentMatches(int limit) override {
    std::lock_guard<std::mutex> lock(mu_);
    std::vector<TMatchRecord> out;
    for (auto it = matches_.rbegin(); it != matches_.rend() && static_cast<int>(out.size()) < limit;
         ++it) {
      out.push_back(*it);
      out.back().replay.clear();
    }
    return out;
  }
  bool MatchReplay(int64_t id, std::string* replay) override {
    std::lock_guard<std::mutex> lock(mu_);
    for (const auto& m : matches_) {
      if (m.id == id) {
        *replay = m.replay;
        return true;
      }
    }
    return false;
  }

 private:
  std::mutex mu_;
  std::map<std::string, TRoomRecord> rooms_;
  std::vector<TMatchRecord> matches_;
  int64_t lastId_ = 0;
};

}  // namespace

std::unique_ptr<TRoomDirectory> MakeMemoryRoomDirectory() {
  return std::make_unique<TMemoryRoomDirectory>();
}
