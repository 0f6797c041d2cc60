#include "platform/board_link.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/main.h"
#include "board_client/owner_tokens.h"
#include "replay/replay_file_reader.h"
#include "system/local_board_start.h"

namespace {

using TClock = std::chrono::steady_clock;

// The local board may still be starting: its requests are tried again
// until the time is up. A public board gets one try.
template <typename TTry>
bool WithinTime(const TBoardAddress& address, const std::string& exeDir, long timeoutMs,
                bool* reached, std::string* error, TTry attempt) {
  const auto end = TClock::now() + std::chrono::milliseconds(timeoutMs);
  if (address.local) {
    std::string startError;
    if (!StartLocalBoard(exeDir, "", &startError)) {
      std::fprintf(stderr, "Zazo Puzzle: the local score board was not started: %s\n",
                   startError.c_str());
    }
  }
  while (true) {
    const long left = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - TClock::now()).count());
    const TBoardResult result = attempt(left < 200 ? 200 : left, error);
    *reached = result != TBoardResult::kNoAnswer;
    if (result == TBoardResult::kOk) return true;
    if (*reached || !address.local || TClock::now() + std::chrono::milliseconds(100) >= end) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

}  // namespace

bool SendChallengeReplay(const TBoardAddress& address, const std::string& exeDir,
                         const std::string& replayPath, const std::string& challengeId,
                         const std::string& name, const std::string& tokensPath, long timeoutMs,
                         std::vector<TUploadedEntry>* entries, std::string* error) {
  std::string replay, unreadable;
  if (!ReadReplayFileText(replayPath.c_str(), 64u << 20, &replay, &unreadable)) {
    *error = replayPath + ": " + unreadable;
    return false;
  }
  bool reached = false;
  const bool sent =
      WithinTime(address, exeDir, timeoutMs, &reached, error, [&](long ms, std::string* why) {
        return UploadReplay(address.base, replay, challengeId, name, ms, entries, why);
      });
  if (!sent) return false;
  std::vector<TOwnerToken> tokens;
  for (const TUploadedEntry& e : *entries) {
    if (e.token.empty()) continue;
    TOwnerToken t;
    t.board = address.base;
    t.entry = e.id;
    t.token = e.token;
    t.challenge = e.challenge.empty() ? challengeId : e.challenge;
    t.score = e.score;
    tokens.push_back(t);
  }
  std::string tokenError;
  if (!tokens.empty() && !AddOwnerTokens(tokensPath, tokens, &tokenError)) {
    std::fprintf(stderr, "Zazo Puzzle: the owner tokens could not be kept: %s\n",
                 tokenError.c_str());
    for (const TOwnerToken& t : tokens) {
      // Not lost: the player can still copy it from here.
      std::fprintf(stderr, "Zazo Puzzle: entry %s on %s: owner token %s\n", t.entry.c_str(),
                   t.board.c_str(), t.token.c_str());
    }
  }
  return true;
}

void TBoardLink::Show(TBoardMessage message, uint32_t nowMs) {
  message_ = message;
  messageSince_ = nowMs;
}

void TBoardLink::RequestDaily(uint32_t nowMs) {
  if (fetch_.Running()) return;
  challenge_.Disarm();
  fetchOk_ = false;
  reached_ = false;
  fetchError_.clear();
  const TBoardAddress where = address;
  const std::string dir = exeDir;
  fetch_.Start([this, where, dir] {
    fetchOk_ =
        WithinTime(where, dir, kTimeoutMs, &reached_, &fetchError_, [&](long ms, std::string* why) {
          return FetchDailyChallenge(where.base, ms, &fetched_, why);
        });
  });
  Show(TBoardMessage::kFetching, nowMs);
}

TBoardEvent TBoardLink::Poll(int32_t scene, uint32_t nowMs) {
  if (message_ != TBoardMessage::kNone && message_ != TBoardMessage::kFetching &&
      message_ != TBoardMessage::kSending && nowMs - messageSince_ > kMessageMs) {
    message_ = TBoardMessage::kNone;
  }
  if (fetch_.Collect()) {
    if (!fetchOk_) {
      std::fprintf(stderr, "Zazo Puzzle: today's challenge could not be fetched from %s: %s\n",
                   address.base.c_str(), fetchError_.c_str());
      Show(reached_ ? TBoardMessage::kNoChallenge : TBoardMessage::kUnreachable, nowMs);
    } else if (scene != kSceneTitle) {
      // The player has started another game meanwhile: it stays theirs.
      message_ = TBoardMessage::kNone;
    } else {
      std::fprintf(stderr, "Zazo Puzzle: today's challenge %s\n", fetched_.id.c_str());
      message_ = TBoardMessage::kNone;
      challenge_.Arm(fetched_);
      return TBoardEvent::kStartChallenge;
    }
  }
  if (reopen_) {
    reopen_ = false;
    return TBoardEvent::kOpenPage;
  }
  if (upload_.Collect()) {
    if (uploadOk_) {
      uploadedPath_ = uploadingPath_;
      message_ = TBoardMessage::kNone;
      for (const TUploadedEntry& e : entries_) {
        std::fprintf(stderr, "Zazo Puzzle: sent to %s: entry %s, %s\n", address.base.c_str(),
                     e.id.c_str(), e.verified ? "verified" : "plain");
        if (!e.token.empty() && pendingLink_.find("&token=") == std::string::npos) {
          pendingLink_ += "&token=" + e.token;
        }
      }
    } else {
      std::fprintf(stderr, "Zazo Puzzle: the replay could not be sent to %s: %s\n",
                   address.base.c_str(), uploadError_.c_str());
      Show(TBoardMessage::kSendFailed, nowMs);
    }
    pageLink_ = pendingLink_;
    return TBoardEvent::kOpenPage;
  }
  return TBoardEvent::kNone;
}

bool TBoardLink::StartChallengeUpload(const std::string& replayPath, const std::string& scoreText,
                                      const std::string& md5Hex, uint32_t nowMs) {
  const TChallenge* challenge = challenge_.ChallengeOf(replayPath);
  if (!challenge) return false;
  if (upload_.Running()) return true;  // the page follows the upload under way
  if (replayPath == uploadedPath_) {
    reopen_ = true;
    return true;
  }
  uploadingPath_ = replayPath;
  pendingLink_ = RegistrationLinkAt(RegistrationAddressOf(address.base), scoreText, md5Hex);
  entries_.clear();
  uploadOk_ = false;
  uploadError_.clear();
  const TBoardAddress where = address;
  const std::string dir = exeDir, id = challenge->id, name = playerName, tokens = tokensPath;
  upload_.Start([this, where, dir, replayPath, id, name, tokens] {
    uploadOk_ = SendChallengeReplay(where, dir, replayPath, id, name, tokens, kTimeoutMs, &entries_,
                                    &uploadError_);
  });
  Show(TBoardMessage::kSending, nowMs);
  return true;
}

TBoardMessage TBoardLink::Message(uint32_t) const {
  return message_;
}

void TBoardLink::DismissMessage() {
  if (message_ == TBoardMessage::kUnreachable || message_ == TBoardMessage::kNoChallenge ||
      message_ == TBoardMessage::kSendFailed) {
    message_ = TBoardMessage::kNone;
  }
}

void TBoardLink::Finish() {
  fetch_.Wait();
  upload_.Wait();
}
