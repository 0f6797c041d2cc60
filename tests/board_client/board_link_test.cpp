// The window's side of the board, without a window: the challenge fetched
// off the game thread and started only from the title, a board that does
// not answer told within the timeout, and a challenge game's upload keeping
// its token and adding it to the page's address.
#include "platform/board_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/main.h"
#include "board_client/owner_tokens.h"
#include "board_stand_in.h"
#include "recording_host.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr char kChallengeJson[] =
    R"({"id":"daily-2026-12-08","date":"2026-12-08","seed":777,"ends":"2026-12-09T00:00:00Z"})";

// Polls until an event or a message other than the ones in progress, at
// most 10 s.
TBoardEvent PollUntilSettled(TBoardLink& link, int32_t scene) {
  const auto end = TClock::now() + std::chrono::seconds(10);
  while (TClock::now() < end) {
    const TBoardEvent e = link.Poll(scene, 0);
    if (e != TBoardEvent::kNone) return e;
    const TBoardMessage m = link.Message(0);
    if (m != TBoardMessage::kFetching && m != TBoardMessage::kSending) return e;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return TBoardEvent::kNone;
}

struct BoardLinkTest : ::testing::Test {
  void SetUp() override {
    char name[] = "/tmp/zazo-board-link.XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir = name;
    link.tokensPath = (dir / "tokens.toml").string();
    link.exeDir = dir.string() + "/";
  }
  void TearDown() override {
    link.Finish();
    fs::remove_all(dir);
  }
  fs::path dir;
  TBoardLink link;
};

TEST_F(BoardLinkTest, TheChallengeStartsFromTheTitleOnly) {
  TBoardStandIn board;
  board.server.Get("/score/api/challenge/daily", [](const httplib::Request&, httplib::Response& r) {
    r.set_content(kChallengeJson, "application/json");
  });
  link.address.base = board.Base();
  link.address.local = false;
  link.RequestDaily(0);
  EXPECT_EQ(link.Message(0), TBoardMessage::kFetching);
  EXPECT_EQ(PollUntilSettled(link, kSceneTitle), TBoardEvent::kStartChallenge);
  EXPECT_TRUE(link.Challenge().Armed());
  EXPECT_EQ(link.Message(0), TBoardMessage::kNone);

  // The player started a game while the board was asked: it stays theirs.
  link.Challenge().Disarm();
  link.RequestDaily(0);
  EXPECT_EQ(PollUntilSettled(link, kScenePlay), TBoardEvent::kNone);
  EXPECT_FALSE(link.Challenge().Armed());
  EXPECT_EQ(link.Message(0), TBoardMessage::kNone);
}

TEST_F(BoardLinkTest, ABoardThatDoesNotAnswerIsToldAndOneWithoutChallengeToo) {
  {
    TDeadPort dead;
    link.address.base = dead.Base();
    link.address.local = false;
    const auto start = TClock::now();
    link.RequestDaily(1000);
    EXPECT_EQ(PollUntilSettled(link, kSceneTitle), TBoardEvent::kNone);
    EXPECT_LT(TClock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(link.Message(0), TBoardMessage::kUnreachable);
    EXPECT_FALSE(link.Challenge().Armed());
    // The failure stays until a key or its time is up.
    link.Poll(kSceneTitle, TBoardLink::kMessageMs - 1);  // told at 0
    EXPECT_EQ(link.Message(0), TBoardMessage::kUnreachable);
    link.Poll(kSceneTitle, TBoardLink::kMessageMs + 1);
    EXPECT_EQ(link.Message(0), TBoardMessage::kNone);
  }
  TBoardStandIn older;  // a board from before the challenge: 404
  link.address.base = older.Base();
  link.RequestDaily(0);
  EXPECT_EQ(PollUntilSettled(link, kSceneTitle), TBoardEvent::kNone);
  EXPECT_EQ(link.Message(0), TBoardMessage::kNoChallenge);
  link.DismissMessage();
  EXPECT_EQ(link.Message(0), TBoardMessage::kNone);
}

TEST_F(BoardLinkTest, AChallengeGameIsSentItsTokenKeptAndPutInThePageAddress) {
  TBoardStandIn board;
  std::string challenge, name, body;
  board.server.Post("/score/api/replay", [&](const httplib::Request& q, httplib::Response& r) {
    challenge = q.get_param_value("challenge");
    name = q.get_param_value("name");
    body = q.body;
    r.set_content(R"({"ok":true,"entries":[{"id":5,"score":6300,"verified":true,)"
                  R"("challenge":"daily-2026-12-08","token":"00112233445566778899aabbccddeeff"}]})",
                  "application/json");
  });
  link.address.base = board.Base();
  link.address.local = false;
  link.playerName = "ざぞ";
  const std::string replay = (dir / "game.zzr").string();
  std::ofstream(replay) << "zazo-puzzle-replay 1\nthe game\n";
  TChallenge daily;
  daily.id = "daily-2026-12-08";
  link.Challenge().Arm(daily);
  TRecordingHost host(ZAZO_BINARY_DIR "/", nullptr);
  TMainForm form(host);
  form.scene = kSceneNewGame;
  form.loopRunning = true;
  ASSERT_TRUE(link.Challenge().BeforeFrame(form, 100));
  link.Challenge().ReplayWritten(replay);

  // Another game's replay is not the challenge's: the usual page.
  EXPECT_FALSE(link.StartChallengeUpload(replay + ".other", "T", "S", 0));
  const std::string text = "202612081200000000630000000022046";
  const std::string sig = "0123456789abcdef0123456789abcdef";
  ASSERT_TRUE(link.StartChallengeUpload(replay, text, sig, 0));
  EXPECT_EQ(link.Message(0), TBoardMessage::kSending);
  ASSERT_EQ(PollUntilSettled(link, kSceneGameOver), TBoardEvent::kOpenPage);
  EXPECT_EQ(challenge, "daily-2026-12-08");
  EXPECT_EQ(name, "ざぞ");
  EXPECT_EQ(body, "zazo-puzzle-replay 1\nthe game\n");
  EXPECT_EQ(link.PageLink(), board.Base() + "/score/?mode=reg&score=" + text + "&p=" + sig +
                                 "&token=00112233445566778899aabbccddeeff");
  // Pressed again: the same page, nothing sent twice.
  const std::string first = link.PageLink();
  body.clear();
  ASSERT_TRUE(link.StartChallengeUpload(replay, text, sig, 0));
  ASSERT_EQ(PollUntilSettled(link, kSceneGameOver), TBoardEvent::kOpenPage);
  EXPECT_EQ(link.PageLink(), first);
  EXPECT_EQ(body, "");
  std::vector<TOwnerToken> kept;
  std::string error;
  ASSERT_TRUE(LoadOwnerTokens(link.tokensPath, &kept, &error)) << error;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].entry, "5");
  EXPECT_EQ(kept[0].board, board.Base());
  EXPECT_EQ(kept[0].challenge, "daily-2026-12-08");
}

TEST_F(BoardLinkTest, AFailedUploadStillOpensThePlainPage) {
  TDeadPort dead;
  link.address.base = dead.Base();
  link.address.local = false;
  const std::string replay = (dir / "game.zzr").string();
  std::ofstream(replay) << "zazo-puzzle-replay 1\n";
  TChallenge daily;
  daily.id = "daily-2026-12-08";
  link.Challenge().Arm(daily);
  TRecordingHost host(ZAZO_BINARY_DIR "/", nullptr);
  TMainForm form(host);
  form.scene = kSceneNewGame;
  form.loopRunning = true;
  ASSERT_TRUE(link.Challenge().BeforeFrame(form, 100));
  link.Challenge().ReplayWritten(replay);
  ASSERT_TRUE(link.StartChallengeUpload(replay, "T", "S", 0));
  ASSERT_EQ(PollUntilSettled(link, kSceneGameOver), TBoardEvent::kOpenPage);
  EXPECT_EQ(link.PageLink(), dead.Base() + "/score/?mode=reg&score=T&p=S");
  EXPECT_EQ(link.Message(0), TBoardMessage::kSendFailed);
  EXPECT_FALSE(fs::exists(link.tokensPath));
}

}  // namespace
