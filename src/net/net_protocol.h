// The messages of a match and their encoding.
//
// Every message starts with one byte, its kind, then its fields in a fixed
// order, integers little-endian. Decoding checks every length and value: a
// short, long, hostile or oversized packet decodes to an error, never to a
// crash or a read past its end.
//
//   hello      the game's version, the protocol number, the player's name and
//              role (player or spectator); sent first by both ends
//   start      the dealt start: the whole game state as a replay's start
//              snapshot holds it (scene 150, both generators), with the match
//              settings (input delay, the music results both play with, the
//              local time of the score text, the match number)
//   inputs     one side's inputs for one tick: the tick, the side, the inputs
//              as the game receives them (that side's key codes, clicks), and
//              from the host the clock value the tick runs with
//   hash       a hash of the whole state after a confirmed tick
//   pause      who paused or resumed
//   leave      who left and why
//   rematch    a side asks for the next match (the host then deals it)
//   keepalive  a sign of life while no inputs flow
//
// The kinds from 64 on belong to the relay's rooms; their encoding lives with
// the room client (src/net/room_*). They are reserved here so that the two
// never clash.
#pragma once

#include <cstddef>
#include <cstdint>

#include "system/program_version.h"

struct TGameState;

// Bumped whenever a message's encoding changes.
constexpr uint8_t kMatchProtocol = 1;

// The largest message of a match (the start, about 30 KB, is the largest).
constexpr size_t kMaxMessageBytes = 64 * 1024;
constexpr size_t kStartSizeBound = kMaxMessageBytes;
// The longest input delay a start may ask for, in ticks.
constexpr uint16_t kMaxInputDelay = 600;

// The game's version as both ends compare it (the one --version prints).
inline const char* const kGameVersion = kProgramVersion;

enum class TMessageKind : uint8_t {
  kHello = 1,
  kStart = 2,
  kInputs = 3,
  kHash = 4,
  kPause = 5,
  kLeave = 6,
  kRematch = 7,
  kKeepAlive = 8,  // nothing but a sign of life while no inputs flow (pause)
  // The relay's rooms (encoded by the room client).
  kRoomCreate = 64,
  kRoomJoin = 65,
  kRoomQuick = 66,
  kRoomSpectate = 67,
  kRoomAnswer = 68,
  kRoomError = 69,
};

enum class TRole : uint8_t { kPlayer = 0, kSpectator = 1 };

// Side 0 is the host's (side 1 of the game's versus), side 1 the joining
// player's (side 2).
constexpr int kMatchSides = 2;

struct THello {
  char version[16] = {};  // NUL-terminated
  uint8_t protocol = kMatchProtocol;
  TRole role = TRole::kPlayer;
  char name[32] = {};  // UTF-8, NUL-terminated
};

struct TMatchSettings {
  uint32_t matchNumber = 0;   // 1 for the first match of a connection, +1 per rematch
  uint16_t inputDelay = 0;    // ticks between an input and the tick it acts on
  uint32_t firstClock = 0;    // the clock value tick 0 runs with
  uint32_t musicResults = 0;  // bit n: the result the game sees for music file n (see match_host.h)
  char localTime[15] = {};    // "yyyymmddhhnnss"
};

// One input as the game's handlers take it.
struct TMatchInput {
  enum TKind : uint8_t { kKey = 0, kClick = 1 };
  TKind kind = kKey;
  uint8_t alt = 0;
  uint8_t button = 0;  // clicks: TMainForm::TMouseButton
  uint16_t key = 0;    // keys: the virtual-key code
  int16_t x = 0, y = 0;
};

constexpr int kMaxTickInputs = 8;

struct TTickInputs {
  uint32_t tick = 0;
  uint8_t side = 0;
  uint32_t clock = 0;  // from the host: the clock value the tick runs with; 0 from others
  uint8_t count = 0;
  TMatchInput inputs[kMaxTickInputs];
};

struct TStateHash {
  uint32_t tick = 0;
  uint64_t hash = 0;
};

struct TPauseMessage {
  uint8_t side = 0;
  uint8_t paused = 0;  // 1 paused, 0 resumed
};

enum class TLeaveReason : uint8_t {
  kLeft = 0,      // the player left (Esc, 7, 8, a top-bar button, the window closed)
  kDesync = 1,    // the state hashes differed
  kVersion = 2,   // the versions differ
  kProtocol = 3,  // a message could not be read
  kNoMatch = 4,   // a spectator or a third player where none is wanted
};

// The match ends for both after tick endTick - 1: the leaving side sends no
// inputs from endTick on, and the other runs up to it too.
struct TLeaveMessage {
  uint8_t side = 0;
  TLeaveReason reason = TLeaveReason::kLeft;
  uint32_t endTick = 0;
};

struct TRematchMessage {
  uint8_t side = 0;
};

// A decoded message other than start (which carries a whole game state and
// is decoded on its own, into storage the caller keeps).
struct TMessage {
  TMessageKind kind = TMessageKind::kHello;
  THello hello;
  TTickInputs inputs;
  TStateHash hash;
  TPauseMessage pause;
  TLeaveMessage leave;
  TRematchMessage rematch;
};

// The encoders write into out (capacity bytes) and return the length, or 0
// when it does not fit.
size_t EncodeHello(const THello& m, uint8_t* out, size_t capacity);
size_t EncodeStart(const TMatchSettings& settings, const TGameState& state, uint8_t* out,
                   size_t capacity);
size_t EncodeInputs(const TTickInputs& m, uint8_t* out, size_t capacity);
size_t EncodeHash(const TStateHash& m, uint8_t* out, size_t capacity);
size_t EncodePause(const TPauseMessage& m, uint8_t* out, size_t capacity);
size_t EncodeLeave(const TLeaveMessage& m, uint8_t* out, size_t capacity);
size_t EncodeRematch(const TRematchMessage& m, uint8_t* out, size_t capacity);
size_t EncodeKeepAlive(uint8_t* out, size_t capacity);

// The game state alone, in the start message's encoding (what the state
// hash is taken over); returns the length, 0 when it does not fit.
size_t EncodeState(const TGameState& state, uint8_t* out, size_t capacity);

// The start message's size (the buffer EncodeStart needs).
size_t StartMessageSize();

// The kind of a message, or false for an empty one.
bool PeekKind(const uint8_t* data, size_t size, TMessageKind* kind);

// Decodes any message but start; false with a reason in *error (a static
// text) when the bytes are not such a message.
bool DecodeMessage(const uint8_t* data, size_t size, TMessage* out, const char** error);

// Decodes a start message. The state is checked as a replay's start state is
// (scene 150, values in range), and must be a two-person versus game.
bool DecodeStart(const uint8_t* data, size_t size, TMatchSettings* settings, TGameState* state,
                 const char** error);
