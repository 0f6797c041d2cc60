// Replay uploads checked by the game itself (the headless replay player):
// a real replay file of a finished single-player game, and the same file
// truncated, edited, from another version or named for another score.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "server/score_service.h"
#include "server/server_test_util.h"

namespace {

std::string ReadReplay(const char* name) {
  std::ifstream in(std::string(ZAZO_SOURCE_DIR "/fuzz/corpus/replay_file/") + name,
                   std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The score text the replay's game ended with (its "result" line).
std::string ResultText(const std::string& replay) {
  const size_t at = replay.find("\nresult ");
  std::istringstream line(replay.substr(at + 8, 200));
  std::string score, level, text;
  line >> score >> level >> text;
  return text;
}

class ReplayUploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    replay_ = ReadReplay("single_game_over.zzr");
    ASSERT_FALSE(replay_.empty());
    store_ = FreshStore("sqlite");
    TCheckLimits limits;
    limits.concurrent = 2;
    checker_ = MakeGameReplayChecker(limits);
    service_ = std::make_unique<TScoreService>(*store_, *checker_, [](const std::string&) {});
  }
  TWebReply Upload(const std::string& body, const std::string& expected = "") {
    std::map<std::string, std::string> params;
    if (!expected.empty()) params["score"] = expected;
    return service_->Handle({"POST", "/score/api/replay", params, body, false});
  }
  std::string replay_;
  std::unique_ptr<TScoreStore> store_;
  std::unique_ptr<TReplayChecker> checker_;
  std::unique_ptr<TScoreService> service_;
};

}  // namespace

TEST_F(ReplayUploadTest, OnTheLocalBoardAFinishedGamesReplayRegistersItVerified) {
  TServiceOptions local;
  local.localBoard = true;
  service_ = std::make_unique<TScoreService>(
      *store_, *checker_, [](const std::string&) {}, [] { return time(nullptr); }, local);
  const std::string text = ResultText(replay_);
  ASSERT_EQ(text.size(), 33u);
  const TWebReply r = Upload(replay_, text);
  ASSERT_EQ(r.status, 200) << r.body;
  TStoredEntry e;
  ASSERT_TRUE(store_->Find(text, &e));
  EXPECT_TRUE(e.verified);
  EXPECT_EQ(e.entry.score, 6300);
  // Again: the same one entry.
  EXPECT_EQ(Upload(replay_).status, 200);
  EXPECT_EQ(store_->Count(false), 1);
}

TEST_F(ReplayUploadTest, BrokenEditedOrForeignReplaysStoreNothing) {
  const std::string text = ResultText(replay_);
  // Cut in half, cut by one byte, from another version.
  EXPECT_EQ(Upload(replay_.substr(0, replay_.size() / 2)).status, 400);
  EXPECT_NE(Upload(replay_.substr(0, replay_.size() - 2)).status, 200);
  EXPECT_EQ(Upload(ReadReplay("other_version.zzr")).status, 400);
  // The result edited to a higher score: the game does not end that way.
  std::string raised = replay_;
  raised.replace(raised.find("\nresult 6300 "), 13, "\nresult 9300 ");
  const size_t t = raised.find(text);
  ASSERT_NE(t, std::string::npos);
  raised.replace(t + 14, 8, "00009300");
  EXPECT_NE(Upload(raised).status, 200);
  // An input edited: the game no longer reproduces its result.
  std::string edited = replay_;
  const size_t key = edited.find("\ni ");
  ASSERT_NE(key, std::string::npos);
  edited.insert(key + 1, "i 1 k 71 0\n");
  EXPECT_NE(Upload(edited).status, 200);
  // A good replay named for another score.
  const TWebReply other = Upload(replay_, ScoreText(5));
  EXPECT_EQ(other.status, 422);
  // A game left before its end holds no score to verify.
  EXPECT_EQ(Upload(ReadReplay("single_quit.zzr")).status, 422);
  EXPECT_EQ(store_->Count(false), 0);
}

TEST_F(ReplayUploadTest, AChallengeVerifiesOnlyTheGamePlayedFromItsDealtStart) {
  TServiceOptions options;
  const time_t now = time(nullptr);
  service_ = std::make_unique<TScoreService>(
      *store_, *checker_, [](const std::string&) {}, [now] { return now; }, options);
  const std::string challenge =
      service_->Handle({"GET", "/score/api/challenge/daily", {}, "", false}).body;
  const std::string id = challenge.substr(challenge.find("daily-"), 16);
  const size_t seedAt = challenge.find("\"seed\":") + 7;
  const uint32_t seed = static_cast<uint32_t>(std::stoul(challenge.substr(seedAt)));
  auto upload = [&](const std::string& body) {
    return service_->Handle({"POST", "/score/api/replay", {{"challenge", id}}, body, false});
  };

  // The real game, played for the dealt seed: verified for the challenge.
  const std::string dealt = RedealReplay(replay_, seed);
  ASSERT_NE(ResultText(dealt), "-") << "the redealt game did not reach its game over";
  TWebReply r = upload(dealt);
  ASSERT_EQ(r.status, 200) << r.body;
  TStoredEntry e;
  ASSERT_TRUE(store_->Find(ResultText(dealt), &e));
  EXPECT_TRUE(e.verified);
  EXPECT_EQ(e.challenge, id);
  std::string kept;
  ASSERT_TRUE(store_->Replay(e.id, &kept));
  EXPECT_EQ(kept, dealt);

  // One generator word changed and the result recomputed: the replay
  // reproduces, but not from the dealt start.
  const std::string chosen = RedealReplay(replay_, seed, true);
  ASSERT_NE(chosen, dealt);
  r = upload(chosen);
  EXPECT_EQ(r.status, 422);
  EXPECT_NE(r.body.find("not the dealt start"), std::string::npos) << r.body;
  // The original replay (the player's own dice) is refused for the
  // challenge; without one it reproduces (stored plain, unless its score
  // text is the dealt game's: the texts hold no dice).
  EXPECT_EQ(upload(replay_).status, 422);
  r = service_->Handle({"POST", "/score/api/replay", {}, replay_, false});
  EXPECT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(r.body.find("\"verified\":false") != std::string::npos,
            ResultText(replay_) != ResultText(dealt));
  EXPECT_EQ(store_->Count(true), 1);
}
