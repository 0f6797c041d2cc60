// The dealt start of a challenge, with the real recorder around the frames:
// the replay's start holds exactly the generators SeedRandom(seed) gives,
// and only the challenge's own game is dealt.
#include "board_client/challenge_game.h"

#include <gtest/gtest.h>

#include "replay_file/live_session.h"
#include "score/score_signature.h"

namespace {

// One idle step as the program takes it: the dealt start, then the recorder.
void Step(TLiveSession& live, TChallengeGame& challenge, uint32_t ms) {
  live.WritePending();
  if (!live.recorder.LastWrittenPath().empty())
    challenge.ReplayWritten(live.recorder.LastWrittenPath());
  live.host.clock += ms;
  challenge.BeforeFrame(live.form, live.host.clock);
  live.recorder.BeforeFrame(live.form, live.host.clock);
  live.form.IdleFrame(live.host.clock);
  live.recorder.AfterFrame(live.form);
}

// Plays the game the title key starts to its end (raising the stack).
std::string PlayOut(TLiveSession& live, TChallengeGame& challenge, uint16_t modeKey) {
  live.Key(modeKey);
  for (int i = 0; i < 20000 && !live.recorder.HasPending(); i++) {
    if (live.form.scene == kScenePlay && i % 5 == 0) live.Key('G');
    Step(live, challenge, i % 3 ? 16 : 17);
  }
  live.WritePending();
  challenge.ReplayWritten(live.recorder.LastWrittenPath());
  return live.recorder.LastWrittenPath();
}

TGameState StartOf(const std::string& path) {
  std::vector<TReplayGame> games;
  int line = 0;
  std::string error;
  EXPECT_EQ(ParseReplayFile(ReadText(path), 1u << 22, &games, &line, &error),
            TReplayParseError::kNone)
      << error;
  EXPECT_EQ(games.size(), 1u);
  return games.empty() ? TGameState() : games[0].start;
}

bool SameGenerators(const TGameState& start, uint32_t seed) {
  TRecordingHost host(ZAZO_BINARY_DIR "/", LoadPictureFile);
  TMainForm dealt(host);
  dealt.SeedRandom(seed);
  if (start.lcgState != dealt.lcgState || start.mtDraws != 0) return false;
  TMt19937 a = start.mt, b = dealt.mt;
  for (int i = 0; i < 2000; i++) {
    if (a.GenrandInt32() != b.GenrandInt32()) return false;
  }
  return true;
}

TEST(ChallengeGame, TheRecordedStartIsTheDealtOne) {
  TTempFolder folder;
  TLiveSession live(folder.Path());
  TChallengeGame challenge;
  TChallenge daily;
  daily.id = "daily-2026-12-08";
  daily.seed = 3141592653u;
  challenge.Arm(daily);
  // The title slides for a while: nothing is dealt before scene 150.
  const std::string path = PlayOut(live, challenge, '4');
  EXPECT_FALSE(challenge.Armed());
  const TGameState start = StartOf(path);
  EXPECT_EQ(start.scene, kSceneNewGame);
  EXPECT_EQ(start.advancedStart, 0);
  EXPECT_EQ(start.versusMode, 0);
  EXPECT_TRUE(SameGenerators(start, daily.seed));
  ASSERT_NE(challenge.ChallengeOf(path), nullptr);
  EXPECT_EQ(challenge.ChallengeOf(path)->id, "daily-2026-12-08");

  // The next game (restart) goes on from where the dealt sequence is: plain.
  live.Key('7');
  std::string next;
  for (int i = 0; i < 20000 && !live.recorder.HasPending(); i++) {
    if (live.form.scene == kScenePlay && i % 5 == 0) live.Key('G');
    Step(live, challenge, 16);
  }
  live.WritePending();
  next = live.recorder.LastWrittenPath();
  ASSERT_NE(next, path);
  EXPECT_EQ(challenge.ChallengeOf(next), nullptr);
  EXPECT_FALSE(SameGenerators(StartOf(next), daily.seed));
  EXPECT_NE(challenge.ChallengeOf(path), nullptr);
}

TEST(ChallengeGame, AnotherModeIsNeverDealt) {
  TTempFolder folder;
  TLiveSession live(folder.Path());
  TChallengeGame challenge;
  TChallenge daily;
  daily.seed = 99;
  challenge.Arm(daily);
  const std::string path = PlayOut(live, challenge, '5');  // from level 99
  EXPECT_FALSE(challenge.Armed());
  EXPECT_EQ(challenge.ChallengeOf(path), nullptr);
  EXPECT_FALSE(SameGenerators(StartOf(path), 99));
}

TEST(BoardAddress, RunTimeAddressesAreCheckedAndThePlainPageStaysAsItWas) {
  TBoardAddress a;
  std::string error;
  EXPECT_EQ(a.base, kDefaultBoardBase);
  ASSERT_TRUE(ParseBoardAddress("https://scores.example.org:8443/games/", &a, &error));
  EXPECT_EQ(a.base, "https://scores.example.org:8443/games");
  EXPECT_FALSE(a.local);
  ASSERT_TRUE(ParseBoardAddress(kLocalBoardBase, &a, &error));
  EXPECT_TRUE(a.local);
  for (const char* bad : {"ftp://x", "scores.example", "http://", "http://a b", "http://x:99999999",
                          "http://x\"><b", "https://x/?q=1", "http://x:/", "javascript:alert(1)"}) {
    EXPECT_FALSE(ParseBoardAddress(bad, &a, &error)) << bad;
  }
  // The build's own board gives the very page the game always wrote.
  const std::string text = "202612081200000000123400000003061";
  const std::string md5 = "0123456789abcdef0123456789abcdef";
  EXPECT_EQ(BuildRegistrationPageFor(
                RegistrationLinkAt(RegistrationAddressOf(kDefaultBoardBase), text, md5)),
            BuildRegistrationPage(text, md5));
}

}  // namespace
