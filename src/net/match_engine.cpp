#include "net/match_engine.h"

#include <cstdio>
#include <cstring>

#include "app/game_state.h"

uint64_t MatchStateHash(const TGameState& state, uint8_t* scratch) {
  const size_t n = EncodeState(state, scratch, kStartSizeBound);
  uint64_t h = 1469598103934665603ull;
  for (size_t k = 0; k < n; k++) {
    h ^= scratch[k];
    h *= 1099511628211ull;
  }
  return h;
}

namespace {
// Unsigned clock values wrap: a is before b.
bool ClockBefore(uint32_t a, uint32_t b) {
  return static_cast<int32_t>(a - b) < 0;
}
}  // namespace

TMatchEngine::TMatchEngine(TNetLink& link, TMatchRole role, const char* name)
    : link_(link),
      role_(role),
      start_(std::make_unique<TGameState>()),
      out_(new uint8_t[kStartSizeBound]),
      scratch_(new uint8_t[kStartSizeBound]),
      in_(std::make_unique<TLinkMessage>()) {
  std::snprintf(self_.version, sizeof self_.version, "%s", kGameVersion);
  std::snprintf(self_.name, sizeof self_.name, "%s", name);
  self_.role = role == TMatchRole::kSpectator ? TRole::kSpectator : TRole::kPlayer;
  for (auto& ring : ring_) ring.reset(new TSlot[kRing]);
}

TMatchEngine::~TMatchEngine() = default;

bool TMatchEngine::SendBytes(size_t n) {
  if (n == 0 || role_ == TMatchRole::kSpectator) return false;
  lastSend_ = now_;
  return link_.Send(kChannelControl, out_.get(), n, TDelivery::kReliable);
}

void TMatchEngine::SendHello() {
  helloSent_ = SendBytes(EncodeHello(self_, out_.get(), kStartSizeBound));
}

void TMatchEngine::Pump(uint32_t nowMs) {
  now_ = nowMs;
  if (!clockStarted_) {
    lastReceive_ = lastSend_ = nowMs;
    clockStarted_ = true;
  }
  if (phase_ == TMatchPhase::kEnded) {
    while (link_.Receive(in_.get())) {
    }
    return;
  }
  if (!helloSent_ && role_ != TMatchRole::kSpectator && link_.Connected()) SendHello();
  while (phase_ != TMatchPhase::kEnded && link_.Receive(in_.get())) {
    lastReceive_ = nowMs;
    Handle(*in_, nowMs);
  }
  if (phase_ == TMatchPhase::kEnded) return;
  if (!helloSent_ && role_ != TMatchRole::kSpectator && link_.Connected()) SendHello();
  const bool everConnected = helloSent_ || greeted_ || phase_ != TMatchPhase::kGreeting;
  if (link_.Lost() && endTick_ == 0) {
    Finish(TMatchEnd::kTimeout,
           everConnected ? "相手との接続が切れました" : "相手に接続できませんでした");
    return;
  }
  // Silence: no message, and (when the link can tell) no datagram either
  // (a message held back behind a lost one is not silence).
  const uint32_t sinceDatagram = link_.Connected() ? link_.Stats().sinceReceiveMs : kTimeoutMs + 1;
  if (everConnected && nowMs - lastReceive_ > kTimeoutMs && sinceDatagram > kTimeoutMs) {
    Finish(TMatchEnd::kTimeout, "相手から 3 秒間応答がありません");
    return;
  }
  if (link_.Connected() && helloSent_ && nowMs - lastSend_ >= kKeepAliveMs) {
    SendBytes(EncodeKeepAlive(out_.get(), kStartSizeBound));
  }
}

void TMatchEngine::Handle(const TLinkMessage& msg, uint32_t) {
  TMessageKind kind;
  if (!PeekKind(msg.data, msg.size, &kind)) return ProtocolError("an empty message");
  if (static_cast<uint8_t>(kind) >= static_cast<uint8_t>(TMessageKind::kRoomCreate)) return;
  if (kind == TMessageKind::kStart) return HandleStart(msg);
  TMessage m;
  const char* error = nullptr;
  if (!DecodeMessage(msg.data, msg.size, &m, &error)) return ProtocolError(error);
  const int remote = 1 - LocalSide();
  auto fromRemote = [&](int side) { return role_ == TMatchRole::kSpectator || side == remote; };
  switch (m.kind) {
    case TMessageKind::kHello:
      return OnHello(m.hello);
    case TMessageKind::kInputs:
      if (!fromRemote(m.inputs.side)) return ProtocolError("inputs for the wrong side");
      return OnInputs(m.inputs);
    case TMessageKind::kHash:
      return OnHash(m.hash);
    case TMessageKind::kPause:
      if (!fromRemote(m.pause.side)) return ProtocolError("a pause for the wrong side");
      pausedBy_ = m.pause.paused ? m.pause.side : -1;
      return;
    case TMessageKind::kLeave:
      if (!fromRemote(m.leave.side)) return ProtocolError("a leave for the wrong side");
      return OnLeave(m.leave);
    case TMessageKind::kRematch:
      if (!fromRemote(m.rematch.side)) return ProtocolError("a rematch for the wrong side");
      rematch_[m.rematch.side] = true;
      if (NeedsDeal() || role_ != TMatchRole::kHost) return;
      if (phase_ == TMatchPhase::kPlaying && rematch_[0] && rematch_[1])
        phase_ = TMatchPhase::kDealing;
      return;
    default:
      return;
  }
}

void TMatchEngine::OnHello(const THello& h) {
  if (role_ == TMatchRole::kSpectator) {
    if (opponent_.name[0] == '\0') opponent_ = h;
    return;
  }
  if (h.role != TRole::kPlayer) {
    SendBytes(EncodeLeave({static_cast<uint8_t>(LocalSide()), TLeaveReason::kNoMatch, 0},
                          out_.get(), kStartSizeBound));
    Finish(TMatchEnd::kRefused, "観戦者は直接つなげません");
    return;
  }
  opponent_ = h;
  // Ours goes first, before anything we answer to it (the start).
  if (!helloSent_) SendHello();
  if (std::strcmp(h.version, kGameVersion) != 0 || h.protocol != kMatchProtocol) {
    SendBytes(EncodeLeave({static_cast<uint8_t>(LocalSide()), TLeaveReason::kVersion, 0},
                          out_.get(), kStartSizeBound));
    char text[sizeof endText_];
    std::snprintf(text, sizeof text, "バージョンが違います: こちら %s、相手 %s", kGameVersion,
                  h.version);
    Finish(TMatchEnd::kVersion, text);
    return;
  }
  greeted_ = true;
  if (phase_ == TMatchPhase::kGreeting) phase_ = TMatchPhase::kDealing;
}

void TMatchEngine::HandleStart(const TLinkMessage& msg) {
  if (role_ == TMatchRole::kHost) return ProtocolError("a start sent to the host");
  if (role_ == TMatchRole::kJoin && !greeted_) return ProtocolError("a start before the greeting");
  TMatchSettings s;
  const char* error = nullptr;
  if (!DecodeStart(msg.data, msg.size, &s, start_.get(), &error)) return ProtocolError(error);
  Begin(s);
}

void TMatchEngine::Deal(const TGameState& start, const TMatchSettings& settings) {
  if (!NeedsDeal()) return;
  *start_ = start;
  const size_t n = EncodeStart(settings, start, out_.get(), kStartSizeBound);
  SendBytes(n);
  Begin(settings);
}

void TMatchEngine::Begin(const TMatchSettings& s) {
  settings_ = s;
  if (settings_.inputDelay > kMaxInputDelay) settings_.inputDelay = kMaxInputDelay;
  for (auto& ring : ring_) {
    for (uint32_t k = 0; k < kRing; k++) ring[k].have = false;
  }
  for (auto& h : ownHashes_) h.have = false;
  for (auto& h : remoteHashes_) h.have = false;
  pendingCount_ = 0;
  next_ = 0;
  sent_ = settings_.inputDelay;
  const uint32_t d = settings_.inputDelay;
  lastClock_ = d > 0 ? s.firstClock + 16u * (d - 1) : s.firstClock - 16u;
  stalls_ = stallRun_ = 0;
  endTick_ = 0;
  endAtTick_ = TMatchEnd::kNone;
  leaving_ = false;
  pausedBy_ = -1;
  rematch_[0] = rematch_[1] = false;
  phase_ = TMatchPhase::kPlaying;
  startFresh_ = true;
}

bool TMatchEngine::TakeStart(const TGameState** state, const TMatchSettings** settings) {
  if (!startFresh_) return false;
  startFresh_ = false;
  *state = start_.get();
  *settings = &settings_;
  return true;
}

void TMatchEngine::AddLocalInput(const TMatchInput& in) {
  if (role_ == TMatchRole::kSpectator || pendingCount_ >= static_cast<int>(std::size(pending_)))
    return;
  pending_[pendingCount_++] = in;
}

void TMatchEngine::SendInputs(uint32_t tick, uint32_t hostClock) {
  const int side = LocalSide();
  if (side < 0) return;
  TSlot& slot = ring_[side][tick % kRing];
  slot.have = true;
  slot.tick = tick;
  slot.clock = 0;
  if (side == 0) {
    uint32_t c = hostClock;
    if (ClockBefore(c, lastClock_ + 16u)) c = lastClock_ + 16u;
    slot.clock = lastClock_ = c;
  }
  const int n = pendingCount_ < kMaxTickInputs ? pendingCount_ : kMaxTickInputs;
  slot.count = static_cast<uint8_t>(n);
  std::memcpy(slot.inputs, pending_, sizeof(TMatchInput) * n);
  std::memmove(pending_, pending_ + n, sizeof(TMatchInput) * (pendingCount_ - n));
  pendingCount_ -= n;

  TTickInputs m;
  m.tick = tick;
  m.side = static_cast<uint8_t>(side);
  m.clock = slot.clock;
  m.count = slot.count;
  std::memcpy(m.inputs, slot.inputs, sizeof(TMatchInput) * n);
  SendBytes(EncodeInputs(m, out_.get(), kStartSizeBound));
}

bool TMatchEngine::Have(int side, uint32_t tick, const TSlot** slot) const {
  if (tick < settings_.inputDelay) {
    *slot = nullptr;
    return true;
  }
  const TSlot& s = ring_[side][tick % kRing];
  *slot = &s;
  return s.have && s.tick == tick;
}

bool TMatchEngine::NextTick(uint32_t hostClock, TMatchTick* out) {
  if (phase_ != TMatchPhase::kPlaying) return false;
  if (endTick_ != 0 && next_ >= endTick_) {
    Finish(endAtTick_,
           endAtTick_ == TMatchEnd::kLeftHere ? "対戦を終了しました" : "相手が退出しました");
    return false;
  }
  if (Paused()) {
    stallRun_ = 0;
    return false;
  }
  if (role_ != TMatchRole::kSpectator && !leaving_) {
    while (sent_ <= next_ + settings_.inputDelay && (endTick_ == 0 || sent_ < endTick_)) {
      SendInputs(sent_, hostClock);
      sent_++;
    }
  }
  const TSlot* slots[kMatchSides];
  bool ready = Have(0, next_, &slots[0]) && Have(1, next_, &slots[1]);
  if (ready && role_ == TMatchRole::kSpectator && endTick_ == 0) {
    // A spectator stays a few seconds behind, so that it rarely waits.
    const TSlot* ahead;
    if (!Have(0, next_ + kSpectatorLag, &ahead)) return false;
  }
  if (!ready) {
    stalls_++;
    stallRun_++;
    return false;
  }
  stallRun_ = 0;
  out->tick = next_;
  out->clock = slots[0] ? slots[0]->clock : settings_.firstClock + 16u * next_;
  for (int side = 0; side < kMatchSides; side++) {
    out->count[side] = slots[side] ? slots[side]->count : 0;
    if (out->count[side] > 0) {
      std::memcpy(out->inputs[side], slots[side]->inputs, sizeof(TMatchInput) * out->count[side]);
    }
  }
  return true;
}

bool TMatchEngine::HashDue() const {
  return phase_ == TMatchPhase::kPlaying && (next_ + 1) % kHashEvery == 0;
}

void TMatchEngine::TickRan(const TGameState* after) {
  if (phase_ != TMatchPhase::kPlaying) return;
  const uint32_t t = next_++;
  if ((t + 1) % kHashEvery == 0 && after) {
    const uint64_t h = MatchStateHash(*after, scratch_.get());
    ownHashes_[(t / kHashEvery) % 64] = {true, t, h};
    SendBytes(EncodeHash({t, h}, out_.get(), kStartSizeBound));
    CompareHash(t);
  }
  if (phase_ == TMatchPhase::kPlaying && endTick_ != 0 && next_ >= endTick_) {
    Finish(endAtTick_,
           endAtTick_ == TMatchEnd::kLeftHere ? "対戦を終了しました" : "相手が退出しました");
  }
}

void TMatchEngine::OnInputs(const TTickInputs& in) {
  if (phase_ != TMatchPhase::kPlaying) return;
  if (in.tick < settings_.inputDelay || in.tick < next_) return;  // nothing to act on any more
  if (in.tick >= next_ + kRing) {
    if (role_ == TMatchRole::kSpectator) {
      Finish(TMatchEnd::kProtocol, "観戦が対戦から遅れすぎました");
      return;
    }
    return ProtocolError("inputs too far ahead");
  }
  TSlot& slot = ring_[in.side][in.tick % kRing];
  slot.have = true;
  slot.tick = in.tick;
  slot.clock = in.clock;
  slot.count = in.count;
  std::memcpy(slot.inputs, in.inputs, sizeof(TMatchInput) * in.count);
}

void TMatchEngine::OnHash(const TStateHash& h) {
  if (phase_ != TMatchPhase::kPlaying || (h.tick + 1) % kHashEvery != 0) return;
  remoteHashes_[(h.tick / kHashEvery) % 64] = {true, h.tick, h.hash};
  CompareHash(h.tick);
}

void TMatchEngine::CompareHash(uint32_t tick) {
  const THashSlot& own = ownHashes_[(tick / kHashEvery) % 64];
  const THashSlot& remote = remoteHashes_[(tick / kHashEvery) % 64];
  if (!own.have || !remote.have || own.tick != tick || remote.tick != tick) return;
  if (own.hash == remote.hash) return;
  if (role_ != TMatchRole::kSpectator) {
    SendBytes(EncodeLeave({static_cast<uint8_t>(LocalSide()), TLeaveReason::kDesync, next_},
                          out_.get(), kStartSizeBound));
  }
  char text[sizeof endText_];
  std::snprintf(text, sizeof text, "二台のゲームの状態が食い違いました (フレーム %u)",
                static_cast<unsigned>(tick));
  Finish(TMatchEnd::kDesync, text);
}

void TMatchEngine::OnLeave(const TLeaveMessage& m) {
  switch (m.reason) {
    case TLeaveReason::kDesync:
      return Finish(TMatchEnd::kDesync, "二台のゲームの状態が食い違いました");
    case TLeaveReason::kVersion:
      return Finish(TMatchEnd::kVersion, "相手とバージョンが違うため対戦できません");
    case TLeaveReason::kProtocol:
      return Finish(TMatchEnd::kProtocol, "相手がこちらのデータを読めませんでした");
    case TLeaveReason::kNoMatch:
      return Finish(TMatchEnd::kRefused, "相手に断られました");
    case TLeaveReason::kLeft:
      break;
  }
  if (phase_ != TMatchPhase::kPlaying)
    return Finish(TMatchEnd::kOpponentLeft, "相手が退出しました");
  const uint32_t e = m.endTick < next_ ? next_ : m.endTick;
  endTick_ = endTick_ == 0 || e < endTick_ ? e : endTick_;
  if (!leaving_) endAtTick_ = TMatchEnd::kOpponentLeft;
  if (next_ >= endTick_) {
    Finish(endAtTick_,
           endAtTick_ == TMatchEnd::kLeftHere ? "対戦を終了しました" : "相手が退出しました");
  }
}

void TMatchEngine::Leave(TLeaveReason reason) {
  if (phase_ == TMatchPhase::kEnded || leaving_) return;
  const int side = LocalSide();
  if (role_ == TMatchRole::kSpectator) return Finish(TMatchEnd::kLeftHere, "観戦を終了しました");
  if (phase_ != TMatchPhase::kPlaying || reason != TLeaveReason::kLeft) {
    SendBytes(
        EncodeLeave({static_cast<uint8_t>(side), reason, next_}, out_.get(), kStartSizeBound));
    return Finish(TMatchEnd::kLeftHere, "対戦を終了しました");
  }
  // Every input up to sent_ - 1 is on its way: both end there (or earlier,
  // when the other player left first).
  leaving_ = true;
  endAtTick_ = TMatchEnd::kLeftHere;
  endTick_ = endTick_ == 0 || sent_ < endTick_ ? sent_ : endTick_;
  SendBytes(EncodeLeave({static_cast<uint8_t>(side), reason, sent_}, out_.get(), kStartSizeBound));
  if (next_ >= endTick_) Finish(TMatchEnd::kLeftHere, "対戦を終了しました");
}

void TMatchEngine::SetPaused(bool paused) {
  if (role_ == TMatchRole::kSpectator || phase_ != TMatchPhase::kPlaying) return;
  pausedBy_ = paused ? LocalSide() : -1;
  SendBytes(EncodePause({static_cast<uint8_t>(LocalSide()), static_cast<uint8_t>(paused ? 1 : 0)},
                        out_.get(), kStartSizeBound));
}

void TMatchEngine::RequestRematch() {
  if (role_ == TMatchRole::kSpectator || phase_ != TMatchPhase::kPlaying) return;
  const int side = LocalSide();
  if (rematch_[side]) return;
  rematch_[side] = true;
  SendBytes(EncodeRematch({static_cast<uint8_t>(side)}, out_.get(), kStartSizeBound));
  if (role_ == TMatchRole::kHost && rematch_[0] && rematch_[1]) phase_ = TMatchPhase::kDealing;
}

void TMatchEngine::ProtocolError(const char* what) {
  if (role_ != TMatchRole::kSpectator) {
    SendBytes(EncodeLeave({static_cast<uint8_t>(LocalSide()), TLeaveReason::kProtocol, next_},
                          out_.get(), kStartSizeBound));
  }
  char text[sizeof endText_];
  std::snprintf(text, sizeof text, "相手から読めないデータが届きました (%s)", what);
  Finish(TMatchEnd::kProtocol, text);
}

void TMatchEngine::Finish(TMatchEnd end, const char* text) {
  if (phase_ == TMatchPhase::kEnded) return;
  phase_ = TMatchPhase::kEnded;
  end_ = end;
  std::snprintf(endText_, sizeof endText_, "%s", text);
}
