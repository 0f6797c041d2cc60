// The relay's bookkeeping: its peers, its rooms and their catch-up buffers.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "net/room_messages.h"

struct _ENetPeer;

namespace relay {

using TClock = std::chrono::steady_clock;

inline double SecondsSince(TClock::time_point t) {
  return std::chrono::duration<double>(TClock::now() - t).count();
}

// A token bucket: `rate` a second, bursts of as many.
struct TBucket {
  double tokens = 0;
  TClock::time_point last = TClock::now();
  bool Take(int rate) {
    const auto now = TClock::now();
    tokens =
        std::min<double>(rate, tokens + rate * std::chrono::duration<double>(now - last).count());
    last = now;
    if (tokens < 1) return false;
    tokens -= 1;
    return true;
  }
};

struct TBuffered {
  uint8_t channel;
  uint32_t flags;
  std::string copy;  // the kRelayCopy message spectators receive
};

struct TRoom;

struct TPeer {
  _ENetPeer* peer = nullptr;
  TRoom* room = nullptr;
  uint8_t role = kRoleHost;
  std::string name;
  TClock::time_point connectedAt = TClock::now();
  TBucket messages, requests;
  int excessRequests = 0;
  bool closing = false;  // told to go; its disconnection is on its way
};

struct TRoom {
  std::string code;
  std::string version;
  bool quick = false;
  TPeer* players[2] = {nullptr, nullptr};
  std::string names[2];
  std::vector<TPeer*> spectators;
  std::vector<TBuffered> buffer;
  size_t bufferBytes = 0;
  bool bufferFull = false;
  std::string lastKept;  // the result line of the last replay kept
  bool wasPaired = false;
  TClock::time_point createdAt = TClock::now();
  bool Paired() const { return players[0] && players[1]; }
};

// A paired room lately closed: its players may still hand over the replay.
struct TFinishedRoom {
  std::string names[2];
  std::string lastKept;
  TClock::time_point closedAt;
};

}  // namespace relay
