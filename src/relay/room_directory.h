// The room directory: which relay holds which room, the rooms waiting for a
// quick pairing, and the finished relayed matches with their replays. One
// directory may serve several relay processes (a shared database), so a
// room code is unique across all of them and a quick pairing claims its
// room atomically.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct TRoomRecord {
  std::string code;
  std::string relay;    // "host:port" of the relay holding the room
  std::string version;  // the host's game version
  bool quick = false;   // waiting for a quick pairing
};

struct TMatchRecord {
  int64_t id = 0;
  std::string code;
  std::string hostName, guestName;
  std::string result;   // the replay's last result line, "" when none
  int64_t endedAt = 0;  // seconds since the epoch
  std::string replay;   // the replay file (left empty in listings)
};

class TRoomDirectory {
 public:
  virtual ~TRoomDirectory() = default;
  // False when the code is taken. Throws TStoreError on database failures.
  virtual bool AddRoom(const TRoomRecord& room) = 0;
  virtual bool FindRoom(const std::string& code, TRoomRecord* out) = 0;
  // Takes one room waiting for a quick pairing with this version (its quick
  // mark cleared, so nobody else takes it); false when none waits.
  virtual bool ClaimQuickRoom(const std::string& version, TRoomRecord* out) = 0;
  virtual void RemoveRoom(const std::string& code) = 0;
  // Removes every room of one relay (its start, its stop).
  virtual void RemoveRelayRooms(const std::string& relay) = 0;
  // Keeps a finished match; returns its id.
  virtual int64_t AddMatch(const TMatchRecord& match) = 0;
  // The latest matches first, without their replays.
  virtual std::vector<TMatchRecord> RecentMatches(int limit) = 0;
  // The replay of a kept match; false when there is none.
  virtual bool MatchReplay(int64_t id, std::string* replay) = 0;
};

class TSqlConnections;

// The directory in the board's database (tables relay_rooms and
// relay_matches, made when missing). Throws TStoreError.
std::unique_ptr<TRoomDirectory> MakeSqlRoomDirectory(std::shared_ptr<TSqlConnections> db);

// A directory in this process only (one relay, nothing kept across runs).
// Thread-safe.
std::unique_ptr<TRoomDirectory> MakeMemoryRoomDirectory();
