// The messages between a game and the relay before (and around) a match:
// asking for a room, the relay's answers, the match's replay handed over at
// its end. Every one starts with its kind byte; the kinds sit in a range of
// their own so they never clash with the match messages the relay forwards
// unchanged between the two players.
//
// Layout: kind byte, then fields in order; a text is one length byte and
// that many bytes (at most kMaxRelayText); numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "system/room_code.h"

// The relay's kinds: 64 and up (the match messages stay below, see
// net_protocol.h, whose room kinds 64..69 these are). A packet from a player
// in a room whose first byte is below 64 is forwarded as it stands.
enum TRelayKind : uint8_t {
  kRelayCreateRoom = 64,   // version, name
  kRelayJoinRoom = 65,     // code, version, name
  kRelayQuickPair = 66,    // version, name
  kRelaySpectate = 67,     // code, name
  kRelayRoomAnswer = 68,   // code, role, paired, opponent name, host name
  kRelayError = 69,        // error code, text
  kRelayRedirect = 70,     // host, port: the room is held by another relay
  kRelayPeerGone = 71,     // role of the player who left, reason text
  kRelayMatchReplay = 72,  // room code, replay file (a player's, after a match of that room)
  kRelayLeaveRoom = 73,    // no fields
  kRelayCopy = 74,         // to spectators: the sender's role, then its message as sent
};
constexpr uint8_t kRelayKindFirst = 64;

inline bool IsRelayKind(uint8_t kind) {
  return kind >= kRelayKindFirst;
}

// Roles in a room.
enum TRoomRole : uint8_t { kRoleHost = 0, kRoleGuest = 1, kRoleSpectator = 2 };

// Error codes of kRelayError.
enum TRelayErrorCode : uint8_t {
  kErrNoSuchRoom = 1,
  kErrRoomFull = 2,
  kErrWrongVersion = 3,
  kErrBusy = 4,  // too many rooms or requests: try later
  kErrMalformed = 5,
  kErrTooLate = 6,     // the match is too long to follow from its start
  kErrNotAllowed = 7,  // a request that does not fit the peer's state
};

constexpr size_t kMaxRelayText = 64;
// Largest replay the relay keeps from a match.
constexpr size_t kMaxMatchReplayBytes = 1 << 20;
// Largest match message the relay forwards.
constexpr size_t kMaxForwardedBytes = 64 * 1024;

struct TRelayMessage {
  TRelayKind kind = kRelayError;
  std::string code;      // room code
  std::string version;   // game version
  std::string name;      // the sender's player name (requests); the opponent's (answers)
  std::string hostName;  // answers: the host's name (for spectators)
  std::string text;      // error text, peer-gone reason, redirect host
  std::string payload;   // kRelayMatchReplay: the replay; kRelayCopy: the copied message
  uint8_t role = 0;      // answers, peer-gone
  uint8_t paired = 0;    // answers: 1 once both players are in
  uint8_t error = 0;     // kRelayError
  uint16_t port = 0;     // kRelayRedirect
};

// Encodes m; texts longer than kMaxRelayText are cut (at a UTF-8 boundary).
std::string EncodeRelayMessage(const TRelayMessage& m);

// Decodes a packet; false (and *error says why) for anything that is not a
// well-formed relay message: unknown kind, short or long packet, bad code.
bool DecodeRelayMessage(const uint8_t* data, size_t size, TRelayMessage* m, std::string* error);
