#include "platform/room_meeting.h"

#include <SDL.h>

#include <cstdio>

#include "app/main.h"
#include "net/enet_link.h"
#include "net/net_protocol.h"
#include "platform/game_options.h"
#include "platform/match_session.h"
#include "replay/replay_recorder.h"
#include "score/score_signature.h"
#include "system/regular_file.h"

namespace {

constexpr uint16_t kVkEscape = 27;
// How long the board may take to name its relay.
constexpr long kBoardTimeoutMs = 5000;
// How long a refusal stays on the title.
constexpr uint32_t kNoticeMs = 6000;

TMatchRole MatchRole(uint8_t role) {
  return role == kRoleHost    ? TMatchRole::kHost
         : role == kRoleGuest ? TMatchRole::kJoin
                              : TMatchRole::kSpectator;
}

}  // namespace

std::string DefaultMeetingBoard() {
  const std::string reg = kRegistrationAddress;
  const size_t at = reg.find("/score/");
  return at == std::string::npos ? reg : reg.substr(0, at);
}

TRoomMeeting::TRoomMeeting(TMainForm& form, TMatchSession& match, TReplayRecorder& recorder,
                           std::string board, std::string name, uint16_t inputDelay)
    : form_(form),
      match_(match),
      recorder_(recorder),
      board_(board.empty() ? DefaultMeetingBoard() : std::move(board)),
      name_(std::move(name)),
      inputDelay_(inputDelay) {}

TRoomMeeting::~TRoomMeeting() {
  if (asking_.joinable()) asking_.join();
  if (uploading_.joinable()) uploading_.join();
}

void TRoomMeeting::HandOverReplays() {
  if (playedCode_.empty() || recorder_.LastWrittenPath() == lastReplay_) return;
  const std::string code = playedCode_;
  lastReplay_ = recorder_.LastWrittenPath();
  std::vector<uint8_t> bytes;
  const char* reason = nullptr;
  if (!ReadRegularFile(lastReplay_.c_str(), kMaxMatchReplayBytes, bytes, &reason)) return;
  std::string replay(bytes.begin(), bytes.end());
  // Only the room's two-person versus games; once the match is over, the
  // player's own games that follow stay at home.
  if (!match_.Active()) playedCode_.clear();
  if (replay.find("\ngame versus2\n") == std::string::npos) return;
  if (uploading_.joinable()) uploading_.join();
  // The relay keeps it for the board's list of matches (off the game's thread).
  uploading_ = std::thread([relay = relay_, code, replay = std::move(replay)] {
    std::string why;
    if (!UploadMatchReplay(relay.host, relay.port, code, replay, 5000, &why))
      std::fprintf(stderr, "Zazo Puzzle: the match's replay did not reach the relay: %s\n",
                   why.c_str());
  });
}

void TRoomMeeting::Start(const TGameOptions& o) {
  if (o.createRoom) Begin(TRoomRequest::kCreate, "");
  if (!o.joinRoom.empty()) Begin(TRoomRequest::kJoin, o.joinRoom);
  if (o.quick) Begin(TRoomRequest::kQuick, "");
  if (!o.spectate.empty()) Begin(TRoomRequest::kSpectate, o.spectate);
}

void TRoomMeeting::Begin(TRoomRequest::TKind kind, const std::string& code) {
  if (asking_.joinable()) asking_.join();
  request_ = TRoomRequest{kind, code, kGameVersion, name_};
  playedCode_.clear();
  client_.reset();
  codeShown_ = false;
  phase_ = kAskingBoard;
  asked_ = false;
  // The board answers over HTTP: not on the game's thread.
  asking_ = std::thread([this] {
    askedOk_ = FetchBoardRelay(board_, kBoardTimeoutMs, &relay_, &askError_);
    asked_ = true;
  });
}

void TRoomMeeting::Stop(std::string notice) {
  if (client_) client_->Close(200);
  client_.reset();
  phase_ = notice.empty() ? kIdle : kNotice;
  notice_ = notice;
  noticeUntil_ = SDL_GetTicks() + kNoticeMs;
  if (!notice.empty()) std::fprintf(stderr, "Zazo Puzzle: %s\n", notice.c_str());
}

void TRoomMeeting::Pump() {
  HandOverReplays();
  if (phase_ == kNotice && SDL_GetTicks() > noticeUntil_) phase_ = kIdle;
  if (phase_ == kAskingBoard && asked_) {
    asking_.join();
    if (!askedOk_) return Stop(askError_);
    client_ = std::make_unique<TRoomClient>();
    if (!client_->Start(relay_.host, relay_.port, request_)) return Stop(client_->Reason());
    phase_ = kMeeting;
  }
  if (phase_ != kMeeting) return;
  const TRoomClient::TState s = client_->Poll(0);
  if (s == TRoomClient::kWaiting && !codeShown_) {
    codeShown_ = true;
    std::printf("room %s\n", client_->Code().c_str());
    std::fflush(stdout);
  }
  if (s == TRoomClient::kPaired) {
    // The match takes the connection; the room's work is done.
    const TMatchRole role = MatchRole(client_->Role());
    std::fprintf(stderr, "Zazo Puzzle: room %s: %s\n", client_->Code().c_str(),
                 role == TMatchRole::kSpectator ? "watching" : "paired");
    if (role != TMatchRole::kSpectator) {
      playedCode_ = client_->Code();
      lastReplay_ = recorder_.LastWrittenPath();
    }
    match_.StartWithLink(std::move(client_), role, name_, inputDelay_);
    phase_ = kIdle;
  } else if (s == TRoomClient::kFailed || s == TRoomClient::kOpponentGone) {
    Stop(client_->Reason());
  }
}

bool TRoomMeeting::TakesInput() const {
  return menu_.Open() || phase_ == kAskingBoard || phase_ == kMeeting;
}

bool TRoomMeeting::WantsKey(uint16_t vk) const {
  return vk == 'O' && form_.scene == 100 && !match_.Active();
}

void TRoomMeeting::Key(uint16_t vk) {
  if (menu_.Open()) return Choose(menu_.Key(vk));
  if (phase_ == kAskingBoard || phase_ == kMeeting) {
    if (vk == kVkEscape) Stop("");
    return;
  }
  if (WantsKey(vk)) menu_.Show();
}

void TRoomMeeting::Click(int32_t x, int32_t y) {
  if (menu_.Open()) Choose(menu_.Click(x, y));
}

void TRoomMeeting::Choose(const TMeetingChoice& c) {
  std::string error;
  TGameOptions direct;
  direct.name = name_;
  direct.inputDelay = inputDelay_;
  switch (c.kind) {
    case TMeetingChoice::kHostDirect:
      direct.host = true;
      direct.hostPort = kDefaultDirectPort;
      if (!match_.Start(direct, &error)) Stop(error);
      return;
    case TMeetingChoice::kJoinAddress:
      direct.join = c.text;
      if (!match_.Start(direct, &error)) Stop(error);
      return;
    case TMeetingChoice::kCreateRoom:
      return Begin(TRoomRequest::kCreate, "");
    case TMeetingChoice::kJoinCode:
      return Begin(TRoomRequest::kJoin, c.text);
    case TMeetingChoice::kQuick:
      return Begin(TRoomRequest::kQuick, "");
    case TMeetingChoice::kSpectate:
      return Begin(TRoomRequest::kSpectate, c.text);
    default:
      return;
  }
}

TMeetingPanel TRoomMeeting::Panel() const {
  if (menu_.Open()) return menu_.Panel();
  TMeetingPanel p;
  switch (phase_) {
    case kAskingBoard:
      p.heading = "ボードに接続中  Asking the board";
      p.lines[0] = board_;
      p.count = 1;
      break;
    case kMeeting: {
      const bool waiting = client_ && client_->State() == TRoomClient::kWaiting;
      if (waiting && request_.kind != TRoomRequest::kQuick) {
        p.heading = "部屋 Room  " + client_->Code();
        p.lines[0] = "相手にこのコードを伝えてください";
        p.lines[1] = "Give this code to your opponent";
        p.lines[2] = "相手を待っています  Waiting for the opponent";
        p.count = 3;
      } else {
        p.heading = waiting ? "相手を探しています  Looking for an opponent"
                            : "中継に接続中  Connecting to the relay";
        p.count = 0;
      }
      break;
    }
    case kNotice:
      p.heading = "対戦できません  No match";
      p.lines[0] = notice_;
      p.count = 1;
      break;
    default:
      return p;
  }
  p.help = phase_ == kNotice ? "" : "Esc やめる  Give up";
  return p;
}

void TRoomMeeting::Draw(SDL_Renderer* renderer, const TFrameRect& frame) {
  if (!menu_.Open() && phase_ == kIdle) return;
  view_.Draw(renderer, frame, Panel());
}
