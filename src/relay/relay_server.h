// The relay: an ENet host that puts players in rooms and forwards every
// message between the two players of a room unchanged (same channel, same
// reliability), copying them to the room's spectators. Spectators that come
// late first receive everything since the pairing. Everything is bounded:
// peers, rooms, spectators per room, messages per second per peer, packet
// and buffer sizes, room requests per peer.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "relay/room_directory.h"

class TReplayChecker;

// The relay's default UDP port.
constexpr int kDefaultRelayPort = 47652;

struct TRelayOptions {
  std::string listen = "0.0.0.0";
  int port = kDefaultRelayPort;  // 0: any free port (Port() tells which)
  // The host players reach this relay at, as other relays sharing the
  // directory redirect to it ("" : the listen address, or 127.0.0.1 when
  // that is the wildcard).
  std::string publicHost;
  int maxPeers = 1024;
  int maxRooms = 500;
  int maxSpectators = 8;        // per room
  int messagesPerSecond = 600;  // per peer; the excess is dropped
  int requestsPerSecond = 4;    // room requests per peer (burst of as many)
  int excessRequestsBeforeDrop = 40;
  size_t spectatorBufferBytes = 4 << 20;  // per room
  int requestTimeoutSeconds = 10;         // a connection that asks for nothing
  int waitingRoomSeconds = 900;           // a host waiting alone
  int peerTimeoutMillis = 10000;          // silence before ENet gives a peer up
  int replaySeconds = 120;  // after a room closes, its players may still hand over the replay
};

struct TRelayStats {
  std::atomic<int64_t> rooms{0};
  std::atomic<int64_t> pairedRooms{0};
  std::atomic<int64_t> forwarded{0};
  std::atomic<int64_t> dropped{0};
  std::atomic<int64_t> matchesKept{0};
};

class TRelay {
 public:
  // checker: checks each replay a player hands over at the end of a match
  // before the directory keeps it (null: replays are not kept).
  TRelay(TRoomDirectory& directory, TRelayOptions options, TReplayChecker* checker,
         std::function<void(const std::string&)> log);
  ~TRelay();
  TRelay(const TRelay&) = delete;
  TRelay& operator=(const TRelay&) = delete;

  // Binds the UDP port; false with *error when it cannot.
  bool Open(std::string* error);
  // The bound port (after Open).
  int Port() const;
  // "host:port" as recorded in the directory.
  std::string Address() const;
  // Serves until stop is set (checked every 50 ms); then tells every peer
  // and leaves the directory.
  void Run(const std::atomic<bool>& stop);
  const TRelayStats& Stats() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};
