// The game's side of the relay: one ENet connection to the relay that asks
// for a room (create one and learn its code, join one by code, pair with
// whoever waits, or follow a match as a spectator) and then is the match's
// link to the other player (TNetLink): the relay forwards every message
// unchanged, on the same channel. A spectator receives both players'
// messages as the relay copies them. Polled from the game's loop: nothing
// here waits longer than it is told.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "net/net_link.h"
#include "net/room_messages.h"

struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;

struct TRoomRequest {
  enum TKind { kCreate, kJoin, kQuick, kSpectate };
  TKind kind = kCreate;
  std::string code;     // kJoin, kSpectate
  std::string version;  // the game's version
  std::string name;     // the player's name
};

class TRoomClient : public TNetLink {
 public:
  enum TState {
    kIdle,
    kConnecting,    // to the relay, request not yet answered
    kWaiting,       // in a room of our own, nobody joined yet (Code() is known)
    kPaired,        // both players are in: messages flow
    kOpponentGone,  // the other player left or lost the connection (Reason())
    kFailed,        // refused, unreachable, or the relay went silent (Reason())
  };
  // Silence from the relay while meeting that ends the attempt.
  static constexpr uint32_t kMeetingSilenceMs = 3000;

  TRoomClient();
  ~TRoomClient() override;
  TRoomClient(const TRoomClient&) = delete;
  TRoomClient& operator=(const TRoomClient&) = delete;

  // Connects to the relay at host:port and sends the request. False (and
  // Reason()) when ENet cannot start or the address does not resolve.
  bool Start(const std::string& host, int port, const TRoomRequest& request);
  // Services the connection for up to waitMillis while meeting; returns the
  // state. Match messages that arrive meanwhile wait for Receive.
  TState Poll(int waitMillis);
  // Polls until the state is none of kIdle, kConnecting (and, with
  // untilPaired, kWaiting) or the time is up.
  TState WaitFor(int millis, bool untilPaired);

  TState State() const { return state_; }
  const std::string& Reason() const { return reason_; }
  const std::string& Code() const { return code_; }
  uint8_t Role() const { return role_; }
  const std::string& OpponentName() const { return opponent_; }
  const std::string& HostName() const { return hostName_; }
  // The role of the player who sent the message Receive gave last.
  uint8_t LastSenderRole() const { return lastSender_; }

  // TNetLink: the match's connection (a player's once paired; a spectator
  // receives only).
  bool Send(uint8_t channel, const uint8_t* data, size_t size, TDelivery delivery) override;
  bool Receive(TLinkMessage* out) override;
  bool Connected() const override { return state_ == kPaired && peer_; }
  bool Lost() const override { return state_ == kFailed || state_ == kOpponentGone; }
  TLinkStats Stats() const override;
  void Close(uint32_t waitMs) override;

 private:
  struct TQueued {
    uint8_t channel;
    uint8_t sender;
    std::string bytes;
  };
  bool Connect(const std::string& host, int port);
  // Handles one event; a match message goes to *out (true) or, without
  // out, to the queue.
  bool Event(const _ENetEvent& ev, TLinkMessage* out);
  bool Deliver(const uint8_t* data, size_t size, uint8_t channel, uint8_t sender,
               TLinkMessage* out);
  void HandleRelay(const uint8_t* data, size_t size);
  void SendRequest();
  void Fail(const std::string& reason);
  void Reset();

  _ENetHost* host_ = nullptr;
  _ENetPeer* peer_ = nullptr;
  TRoomRequest request_;
  TState state_ = kIdle;
  std::string reason_, code_, opponent_, hostName_;
  uint8_t role_ = kRoleHost;
  uint8_t lastSender_ = kRoleHost;
  int redirects_ = 0;
  uint32_t startedAt_ = 0;
  std::deque<TQueued> queue_;
};

// Hands the replay of a match played in room `code` to the relay at
// host:port, which keeps it for the board when it reproduces (once per
// match). Waits at most timeoutMs; false with *error when not delivered.
bool UploadMatchReplay(const std::string& host, int port, const std::string& code,
                       const std::string& replay, uint32_t timeoutMs, std::string* error);
