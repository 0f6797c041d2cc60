#include "platform/match_session.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/game_state.h"
#include "app/main.h"
#include "net/enet_link.h"
#include "net/match_runner.h"
#include "platform/sdl_host.h"
#include "replay/replay_recorder.h"
#include "system/host_port.h"
#include "system/regular_file.h"

namespace {
constexpr uint16_t kVkReturn = 13;
constexpr uint16_t kVkEscape = 27;
constexpr uint16_t kVk7 = 55;
constexpr uint16_t kVk8 = 56;
constexpr int32_t kTopBarBottom = 20;
constexpr int32_t kTitleButtonEnd = 208;  // the restart and title buttons end here
constexpr int32_t kFullScreenLeft = 450;
constexpr int32_t kFullScreenRight = 546;
constexpr uint32_t kStallShownAfterMs = 100;  // "waiting for the opponent" after ~6 frames
constexpr uint32_t kEndShownMs = 6000;
}  // namespace

TMatchSession::TMatchSession(TMainForm& form, TMatchHost& matchHost, TSdlHost& host,
                             TReplayRecorder& recorder)
    : form_(form),
      matchHost_(matchHost),
      host_(host),
      recorder_(recorder),
      before_(std::make_unique<TGameState>()),
      scratch_(std::make_unique<TGameState>()),
      hashScratch_(new uint8_t[kStartSizeBound]) {}

TMatchSession::~TMatchSession() = default;

bool TMatchSession::Start(const TGameOptions& o, std::string* error) {
  std::unique_ptr<TEnetLink> link;
  std::string name = o.name;
  if (name.size() > 31) {
    // Cut on a character's start, never inside a UTF-8 sequence.
    size_t n = 31;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) n--;
    name.resize(n);
  }
  if (o.host) {
    link = TEnetLink::Listen(o.hostPort, error);
    if (!link) return false;
    waitPort_ = link->Port();
    char text[96];
    std::snprintf(text, sizeof text, "UDP %u で待っています", static_cast<unsigned>(waitPort_));
    message_ = text;
    std::fprintf(stderr, "Zazo Puzzle: waiting for an opponent on UDP port %u\n",
                 static_cast<unsigned>(waitPort_));
  } else {
    std::string hostName;
    uint16_t port = 0;
    if (!ParseHostPort(o.join, &hostName, &port)) {
      *error = "--join: not HOST:PORT: " + o.join;
      return false;
    }
    link = TEnetLink::Connect(hostName.c_str(), port, error);
    if (!link) return false;
    message_ = o.join;
    std::fprintf(stderr, "Zazo Puzzle: connecting to %s\n", o.join.c_str());
  }
  Begin(std::move(link), o.host ? TMatchRole::kHost : TMatchRole::kJoin, name, o.inputDelay);
  return true;
}

void TMatchSession::StartWithLink(std::unique_ptr<TNetLink> link, TMatchRole role,
                                  const std::string& name, uint16_t inputDelay) {
  Begin(std::move(link), role, name, inputDelay);
}

void TMatchSession::Begin(std::unique_ptr<TNetLink> link, TMatchRole role, const std::string& name,
                          uint16_t inputDelay) {
  link_ = std::move(link);
  engine_ = std::make_unique<TMatchEngine>(*link_, role, name.c_str());
  inputDelay_ = inputDelay;
  haveBefore_ = false;
  cleanedUp_ = false;
  host_.RequestRepaint();
}

uint32_t TMatchSession::MusicResults() const {
  // What a change to each music file returns on the host: the file is there.
  uint32_t bits = 0;
  for (int n = 0; n < kMatchMusicFiles; n++) {
    char rel[32];
    MatchMusicPath(n, rel);
    if (IsRegularFile((host_.ExeDir() + rel).c_str())) bits |= 1u << n;
  }
  return bits;
}

void TMatchSession::Deal() {
  if (!haveBefore_) {
    before_->Take(form_);
    haveBefore_ = true;
  }
  auto start = std::make_unique<TGameState>();
  TMatchSettings settings;
  char localTime[15];
  LocalTimeNow(localTime);
  const char* error = nullptr;
  if (!MakeMatchStart(form_, host_.Clock(), engine_->MatchNumber() + 1, inputDelay_, MusicResults(),
                      localTime, start.get(), &settings, &error)) {
    Announce(error);
    engine_->Leave();
    return;
  }
  engine_->Deal(*start, settings);
}

void TMatchSession::Announce(const char* text) {
  message_ = text;
  std::fprintf(stderr, "Zazo Puzzle: %s\n", text);
}

void TMatchSession::Pump() {
  if (!engine_) return;
  const uint32_t now = SDL_GetTicks();
  const bool wasGreeted = engine_->Greeted();
  engine_->Pump(now);
  if (!wasGreeted && engine_->Greeted()) {
    std::fprintf(stderr, "Zazo Puzzle: opponent %s (version %s)\n", engine_->OpponentName(),
                 engine_->OpponentVersion());
  }
  if (engine_->NeedsDeal()) Deal();
  const TGameState* start;
  const TMatchSettings* settings;
  if (engine_->TakeStart(&start, &settings)) {
    if (!haveBefore_) {
      before_->Take(form_);
      haveBefore_ = true;
    }
    LoadMatchStart(form_, matchHost_, *start, *settings);
    RecordMatchTime(recorder_, settings->localTime);
    lastTickMs_ = now - 16;
    stallSinceMs_ = 0;
    std::fprintf(stderr, "Zazo Puzzle: match %u started, side %d, input delay %u\n",
                 static_cast<unsigned>(settings->matchNumber), engine_->LocalSide() + 1,
                 static_cast<unsigned>(settings->inputDelay));
  }
  if (engine_->Phase() == TMatchPhase::kEnded && !cleanedUp_) EndOfMatch();
  const TMatchOverlayState s = OverlayState(now);
  if (std::memcmp(&s, &drawn_, sizeof s) != 0) host_.RequestRepaint();
}

void TMatchSession::EndOfMatch() {
  cleanedUp_ = true;
  const bool played = matchHost_.inMatch;
  if (played) EndMatchGame(form_, matchHost_, &recorder_);
  RecordMatchTime(recorder_, nullptr);  // the game has ended: its time is taken
  matchHost_.inMatch = false;
  // The player's own game comes back: the title, its own best score.
  if (haveBefore_) before_->Restore(form_);
  Announce(engine_->EndText());
  std::fprintf(stderr, "Zazo Puzzle: match ended after %u ticks\n",
               static_cast<unsigned>(engine_->TicksRun()));
  endShownUntil_ = SDL_GetTicks() + kEndShownMs;
  link_->Close(300);
  host_.RequestRepaint();
}

bool TMatchSession::Frame() {
  if (!engine_ || !matchHost_.inMatch) return false;
  if (engine_->Phase() != TMatchPhase::kPlaying) return true;
  const uint32_t now = SDL_GetTicks();
  if (now - lastTickMs_ < 16) return true;
  TMatchTick tick;
  if (!engine_->NextTick(host_.Clock(), &tick)) {
    if (stallSinceMs_ == 0 && !engine_->Paused()) stallSinceMs_ = now;
    if (engine_->Paused()) stallSinceMs_ = 0;
    return true;
  }
  stallSinceMs_ = 0;
  lastTickMs_ = now;
  RunMatchTick(form_, matchHost_, tick, &recorder_);
  if (engine_->HashDue()) {
    scratch_->Take(form_);
    engine_->TickRan(scratch_.get());
  } else {
    engine_->TickRan(nullptr);
  }
  return true;
}

void TMatchSession::Shutdown() {
  if (!engine_) return;
  if (Active()) {
    engine_->Leave();
    // The goodbye goes out; the other machine ends at the agreed tick.
    const uint32_t start = SDL_GetTicks();
    while (Active() && SDL_GetTicks() - start < 300) {
      engine_->Pump(SDL_GetTicks());
      Frame();
      SDL_Delay(1);
    }
  }
  if (!cleanedUp_) EndOfMatch();
}

void TMatchSession::Key(uint16_t vk, bool alt) {
  if (!engine_) return;
  if (alt) {
    if (vk == kVkReturn) host_.ToggleFullScreen();  // full screen stays local
    return;
  }
  if (vk == kVkEscape || vk == kVk8) {
    engine_->Leave();
    return;
  }
  if (!matchHost_.inMatch) return;
  if (vk == kVk7) {
    if (form_.scene == kSceneGameOver) {
      engine_->RequestRematch();
    } else {
      engine_->Leave();
    }
    return;
  }
  const int side = engine_->LocalSide();
  if (side < 0) return;
  uint16_t code = 0;
  if (MatchKeyAllowed(side, vk)) {
    code = vk;  // the display toggles, or already this side's own code
  } else {
    code = SideKeyFor(side, vk);
  }
  if (code != 0) engine_->AddLocalInput({TMatchInput::kKey, 0, 0, code, 0, 0});
}

void TMatchSession::Click(int button, int32_t x, int32_t y) {
  if (!engine_) return;
  if (button == TMainForm::kMbLeft && y < kTopBarBottom) {
    if (x < kTitleButtonEnd) {
      engine_->Leave();  // restart and title leave the match
    } else if (x > kFullScreenLeft && x < kFullScreenRight) {
      host_.ToggleFullScreen();
    }
    return;
  }
  if (!matchHost_.inMatch || engine_->LocalSide() < 0) return;
  if (!MatchClickAllowed(x, y, button)) return;
  engine_->AddLocalInput({TMatchInput::kClick, 0, static_cast<uint8_t>(button), 0,
                          static_cast<int16_t>(x), static_cast<int16_t>(y)});
}

void TMatchSession::Pause() {
  if (!engine_ || !matchHost_.inMatch) return;
  engine_->SetPaused(!engine_->Paused());
  host_.RequestRepaint();
}

TMatchOverlayState TMatchSession::OverlayState(uint32_t now) const {
  TMatchOverlayState s;
  if (!engine_) return s;
  if (engine_->Phase() == TMatchPhase::kEnded) {
    if (static_cast<int32_t>(endShownUntil_ - now) > 0) s.notice = TMatchOverlayState::kEnded;
    return s;
  }
  if (!matchHost_.inMatch) {
    s.notice = engine_->Role() == TMatchRole::kHost ? TMatchOverlayState::kWaitingOpponent
                                                    : TMatchOverlayState::kConnecting;
    return s;
  }
  const TLinkStats stats = engine_->Stats();
  s.bar = true;
  s.roundTripMs = static_cast<int32_t>(stats.roundTripMs / 10 * 10);
  const bool stalled = stallSinceMs_ != 0 && now - stallSinceMs_ > kStallShownAfterMs;
  s.mark = stalled ? 2 : (stats.roundTripMs > 150 || stats.packetLoss > 0.02f) ? 1 : 0;
  if (engine_->Paused()) {
    s.notice = engine_->PausedBy() == engine_->LocalSide() ? TMatchOverlayState::kPausedHere
                                                           : TMatchOverlayState::kPausedThere;
  } else if (stalled) {
    s.notice = TMatchOverlayState::kWaitingOpponent;
  } else if (form_.scene == kSceneGameOver && engine_->LocalSide() >= 0 &&
             engine_->RematchAsked(engine_->LocalSide())) {
    s.notice = TMatchOverlayState::kRematch;
  }
  return s;
}

void TMatchSession::Draw(SDL_Renderer* renderer, const TFrameRect& frame) {
  if (!engine_) return;
  if (!viewReady_) {
    view_.Create(renderer);
    viewReady_ = true;
  }
  const char* name = engine_->OpponentName();
  if (shownName_ != name) {
    shownName_ = name;
    view_.SetName(renderer, name);
  }
  const TMatchOverlayState s = OverlayState(SDL_GetTicks());
  const std::string& message = s.notice == TMatchOverlayState::kEnded ? message_ : message_;
  if (shownMessage_ != message) {
    shownMessage_ = message;
    view_.SetMessage(renderer, message.c_str());
  }
  view_.Draw(renderer, frame, s);
  drawn_ = s;
}
