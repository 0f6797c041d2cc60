// The game's dealings with its score board beyond the registration page:
// today's challenge (fetched off the game thread, then started as a normal
// game with the dealt start) and, when the registration button is pressed
// after a challenge game, the upload of its replay, whose owner tokens are
// kept before the page opens. Headless apart from what the host does with
// its answers; the window never waits on the network.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board_client/background_job.h"
#include "board_client/board_api.h"
#include "board_client/challenge_game.h"
#include "score/score_signature.h"

// What the platform shows over the picture about the board.
enum class TBoardMessage {
  kNone,
  kFetching,     // today's challenge is being fetched
  kUnreachable,  // no answer from the board: the normal game is offered
  kNoChallenge,  // the board answered without a challenge
  kSending,      // a challenge game's replay is being sent
  kSendFailed,   // it could not be sent (the page opens all the same)
};

// What the host is to do after Poll.
enum class TBoardEvent {
  kNone,
  kStartChallenge,  // start the normal game from the title now (key '4')
  kOpenPage,        // write and open the registration page at PageLink()
};

class TBoardLink {
 public:
  // How long a request may take before the board counts as unreachable.
  static constexpr long kTimeoutMs = 4000;
  // How long the failures stay shown.
  static constexpr uint32_t kMessageMs = 6000;

  TBoardAddress address;
  std::string playerName;  // sent with uploads when set
  std::string exeDir;      // where the local board's program is looked for
  std::string tokensPath;  // where owner tokens are kept

  // Fetches today's challenge (C on the title, --daily). Ignored while a
  // request runs.
  void RequestDaily(uint32_t nowMs);
  // Between frames, with the game's scene: collects finished requests.
  TBoardEvent Poll(int32_t scene, uint32_t nowMs);
  TChallengeGame& Challenge() { return challenge_; }

  // The registration button after the game recorded to replayPath: when it
  // was a challenge game, starts sending its replay and returns true (the
  // page follows through Poll); false for any other game. A replay the board
  // has taken is not sent again: the button then opens the same page.
  bool StartChallengeUpload(const std::string& replayPath, const std::string& scoreText,
                            const std::string& md5Hex, uint32_t nowMs);
  // The registration link of the last upload: the plain link, plus
  // "&token=T" when the board gave the entry's token.
  const std::string& PageLink() const { return pageLink_; }

  TBoardMessage Message(uint32_t nowMs) const;
  // A key was pressed: a shown failure goes.
  void DismissMessage();
  // Waits for a running request (at most its timeout): at the window's end.
  void Finish();

  // The tokens of the last upload (for the tests and the log).
  const std::vector<TUploadedEntry>& LastEntries() const { return entries_; }

 private:
  void Show(TBoardMessage message, uint32_t nowMs);

  TChallengeGame challenge_;
  TBackgroundJob fetch_, upload_;
  // Written by the jobs, read after Collect.
  TChallenge fetched_;
  bool fetchOk_ = false;
  bool reached_ = false;  // the board answered at all
  std::string fetchError_;
  std::vector<TUploadedEntry> entries_;
  bool uploadOk_ = false;
  std::string uploadError_;
  std::string pageLink_;
  std::string pendingLink_;
  std::string uploadingPath_, uploadedPath_;
  bool reopen_ = false;  // the page of the replay already sent, once more
  TBoardMessage message_ = TBoardMessage::kNone;
  uint32_t messageSince_ = 0;
};

// Sends a challenge game's replay file and keeps the tokens the board gave:
// the work of the upload, also usable without a window. Starts the local
// board first when the address is the local board's.
bool SendChallengeReplay(const TBoardAddress& address, const std::string& exeDir,
                         const std::string& replayPath, const std::string& challengeId,
                         const std::string& name, const std::string& tokensPath, long timeoutMs,
                         std::vector<TUploadedEntry>* entries, std::string* error);
