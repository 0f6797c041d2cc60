// One match between two machines: delay-based lockstep over a TNetLink.
//
// Both machines run the same game on the same inputs at the same ticks (a
// tick is one frame the frame loop runs). A player's inputs act inputDelay
// ticks after they were made: at tick t each machine sends its inputs for
// tick t + inputDelay, then runs tick t once the other machine's inputs for
// it are there (the first inputDelay ticks hold no inputs). The host also
// sends, with its inputs, the clock value each tick runs with. Every
// kHashEvery ticks both send a hash of the whole state and compare.
//
// The engine knows no window and no game object: the caller runs the ticks
// (match_runner.h) and shows what the engine reports. It allocates nothing
// after construction.
#pragma once

#include <cstdint>
#include <memory>

#include "net/net_link.h"
#include "net/net_protocol.h"

struct TGameState;

enum class TMatchRole : uint8_t { kHost, kJoin, kSpectator };

enum class TMatchPhase : uint8_t {
  kGreeting,  // waiting for the other machine and its hello
  kDealing,   // greeted: the host is to deal, the others wait for the start
  kPlaying,   // ticks run
  kEnded,
};

enum class TMatchEnd : uint8_t {
  kNone,
  kLeftHere,      // this player left
  kOpponentLeft,  // the other player left
  kTimeout,       // nothing arrived for kTimeoutMs
  kDesync,        // the state hashes differed
  kVersion,       // the other machine runs another version
  kProtocol,      // the other machine sent what is not a match message
  kRefused,       // the other machine is not a player of this match
};

// What one tick runs with: both sides' inputs and the host's clock value.
struct TMatchTick {
  uint32_t tick = 0;
  uint32_t clock = 0;
  uint8_t count[kMatchSides] = {};
  TMatchInput inputs[kMatchSides][kMaxTickInputs];
};

// FNV-1a (64 bits) over the whole state's encoding; scratch must hold
// kStartSizeBound bytes.
uint64_t MatchStateHash(const TGameState& state, uint8_t* scratch);

class TMatchEngine {
 public:
  static constexpr uint32_t kHashEvery = 60;      // ticks between two state checks
  static constexpr uint32_t kTimeoutMs = 3000;    // silence that ends a match
  static constexpr uint32_t kKeepAliveMs = 250;   // a sign of life at least this often
  static constexpr uint32_t kSpectatorLag = 180;  // ticks a spectator stays behind
  static constexpr uint32_t kRing = 2048;         // ticks of inputs kept per side

  TMatchEngine(TNetLink& link, TMatchRole role, const char* name);
  ~TMatchEngine();

  // Receives and handles what has arrived; nowMs is a steady millisecond
  // clock. Call it every pass of the main loop.
  void Pump(uint32_t nowMs);

  TMatchPhase Phase() const { return phase_; }
  TMatchEnd End() const { return end_; }
  // Why the match ended, for the player (UTF-8), "" while it runs.
  const char* EndText() const { return endText_; }
  TMatchRole Role() const { return role_; }
  int LocalSide() const {
    return role_ == TMatchRole::kHost ? 0 : role_ == TMatchRole::kJoin ? 1 : -1;
  }
  const char* OpponentName() const { return opponent_.name; }
  const char* OpponentVersion() const { return opponent_.version; }
  uint32_t MatchNumber() const { return settings_.matchNumber; }

  // Host: true when a match is to be dealt (the greeting is done, or both
  // asked for a rematch). Deal sends the start and begins the match here.
  bool NeedsDeal() const { return role_ == TMatchRole::kHost && phase_ == TMatchPhase::kDealing; }
  void Deal(const TGameState& start, const TMatchSettings& settings);
  // The start to load into the game, once per match (the host's own deal
  // too); false when there is none new.
  bool TakeStart(const TGameState** state, const TMatchSettings** settings);

  // A local input for the next tick this machine sends; extra inputs go to
  // the ticks after it.
  void AddLocalInput(const TMatchInput& in);
  // At each local frame: sends the inputs now due and, when the next tick
  // can run, fills *out with it and returns true. hostClock: the clock the
  // host's game would read now (ignored elsewhere).
  bool NextTick(uint32_t hostClock, TMatchTick* out);
  // After the caller ran the tick NextTick gave. When HashDue() the caller
  // passes the state after it (else null).
  bool HashDue() const;
  void TickRan(const TGameState* after);

  // Leaves the match: both machines run up to the same tick and end.
  void Leave(TLeaveReason reason = TLeaveReason::kLeft);
  // Pauses or resumes both machines.
  void SetPaused(bool paused);
  bool Paused() const { return pausedBy_ >= 0; }
  int PausedBy() const { return pausedBy_; }
  // Asks for the next match after a finished one; the host deals when both asked.
  void RequestRematch();
  bool RematchAsked(int side) const { return rematch_[side]; }

  // Ticks run so far in this match; the ticks this machine waited for the
  // other one (in all, and now in a row).
  uint32_t TicksRun() const { return next_; }
  uint32_t StallTicks() const { return stalls_; }
  uint32_t StallRun() const { return stallRun_; }
  // The tick both machines end at once a leave is agreed (0: none yet).
  uint32_t EndTick() const { return endTick_; }
  TLinkStats Stats() const { return link_.Stats(); }
  bool Greeted() const { return greeted_; }

 private:
  struct TSlot {
    bool have = false;
    uint32_t tick = 0;
    uint32_t clock = 0;
    uint8_t count = 0;
    TMatchInput inputs[kMaxTickInputs];
  };
  struct THashSlot {
    bool have = false;
    uint32_t tick = 0;
    uint64_t hash = 0;
  };
  void Handle(const TLinkMessage& msg, uint32_t nowMs);
  void HandleStart(const TLinkMessage& msg);
  void OnHello(const THello& hello);
  void OnInputs(const TTickInputs& in);
  void OnHash(const TStateHash& h);
  void OnLeave(const TLeaveMessage& m);
  void Begin(const TMatchSettings& settings);
  void SendInputs(uint32_t tick, uint32_t hostClock);
  bool Have(int side, uint32_t tick, const TSlot** slot) const;
  void CompareHash(uint32_t tick);
  void Finish(TMatchEnd end, const char* text);
  void SendHello();
  bool SendBytes(size_t n);
  void ProtocolError(const char* what);

  TNetLink& link_;
  TMatchRole role_;
  THello self_, opponent_;
  TMatchPhase phase_ = TMatchPhase::kGreeting;
  TMatchEnd end_ = TMatchEnd::kNone;
  char endText_[192] = "";
  bool helloSent_ = false, greeted_ = false;
  TMatchSettings settings_;
  std::unique_ptr<TGameState> start_;
  bool startFresh_ = false;
  std::unique_ptr<TSlot[]> ring_[kMatchSides];
  THashSlot ownHashes_[64], remoteHashes_[64];
  TMatchInput pending_[64];
  int pendingCount_ = 0;
  uint32_t next_ = 0;  // the next tick to run
  uint32_t sent_ = 0;  // the next tick to send inputs for
  uint32_t lastClock_ = 0;
  uint32_t stalls_ = 0, stallRun_ = 0;
  uint32_t endTick_ = 0;  // 0: no leave agreed
  TMatchEnd endAtTick_ = TMatchEnd::kNone;
  bool leaving_ = false;
  int pausedBy_ = -1;
  bool rematch_[kMatchSides] = {};
  uint32_t now_ = 0, lastReceive_ = 0, lastSend_ = 0;
  bool clockStarted_ = false;
  std::unique_ptr<uint8_t[]> out_, scratch_;
  std::unique_ptr<TLinkMessage> in_;
};
