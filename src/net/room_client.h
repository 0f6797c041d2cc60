// The game's side of the relay: one ENet connection to the relay that asks
// for a room (create one and learn its code, join one by code, pair with
// whoever waits, or follow a match as a spectator) and then carries the
// match messages to the other player. Polled from the game's frame loop:
// nothing here blocks longer than the wait it is given.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "relay/relay_messages.h"

struct _ENetHost;
struct _ENetPeer;

struct TRoomRequest {
  enum TKind { kCreate, kJoin, kQuick, kSpectate };
  TKind kind = kCreate;
  std::string code;     // kJoin, kSpectate
  std::string version;  // the game's version
  std::string name;     // the player's name
};

// One message from the other side (for a spectator: from either player).
struct TRoomMessage {
  uint8_t channel = 0;
  bool reliable = true;
  uint8_t fromRole = kRoleHost;  // the sender's role
  std::string bytes;
};

class TRoomClient {
 public:
  enum TState {
    kIdle,
    kConnecting,    // to the relay, request not yet answered
    kWaiting,       // in a room of our own, nobody joined yet (Code() is known)
    kPaired,        // both players are in: messages flow
    kOpponentGone,  // the other player left or lost the connection (Reason())
    kFailed,        // refused, unreachable, or the relay went silent (Reason())
  };

  TRoomClient();
  ~TRoomClient();
  TRoomClient(const TRoomClient&) = delete;
  TRoomClient& operator=(const TRoomClient&) = delete;

  // Connects to the relay at host:port and sends the request. False (and
  // Reason()) when ENet cannot start or the address does not resolve.
  bool Start(const std::string& host, int port, const TRoomRequest& request);
  // Services the connection for up to waitMillis; returns the state.
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

  // To the other player (kPaired only; false otherwise).
  bool Send(uint8_t channel, const std::string& bytes, bool reliable);
  // The next message received, false when none waits.
  bool Receive(TRoomMessage* out);
  // The replay of a finished match, for the board to keep.
  bool SendMatchReplay(const std::string& replay);
  // Round trip to the relay and its packet loss (ENet's figures).
  uint32_t RoundTripMillis() const;
  double PacketLoss() const;
  // Leaves the room and closes the connection (at most waitMillis flushing).
  void Close(int waitMillis = 200);

 private:
  bool Connect(const std::string& host, int port);
  void Handle(const uint8_t* data, size_t size, uint8_t channel, bool reliable);
  void Fail(const std::string& reason);
  void Reset();

  _ENetHost* host_ = nullptr;
  _ENetPeer* peer_ = nullptr;
  TRoomRequest request_;
  TState state_ = kIdle;
  std::string reason_, code_, opponent_, hostName_;
  uint8_t role_ = kRoleHost;
  int redirects_ = 0;
  std::deque<TRoomMessage> inbox_;
};

// Texts a player reads for a client state that ended the meeting.
const char* RoomStateText(TRoomClient::TState state);
