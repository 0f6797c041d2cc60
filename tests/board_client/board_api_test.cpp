// The game's requests to the board against a stand-in: today's challenge,
// replay uploads with challenge and name, and every way a board can fail.
#include "board_client/board_api.h"

#include <gtest/gtest.h>

#include <chrono>

#include "board_client/board_http.h"
#include "board_stand_in.h"

namespace {

using TClock = std::chrono::steady_clock;

long MsSince(TClock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count());
}

TEST(BoardChallenge, ReadsTheDailyChallenge) {
  TBoardStandIn board;
  board.server.Get("/score/api/challenge/daily", [](const httplib::Request&, httplib::Response& r) {
    r.set_content(
        R"({"id":"daily-2026-12-08","date":"2026-12-08","seed":4294967295,"ends":"2026-12-09T00:00:00Z"})",
        "application/json");
  });
  TChallenge c;
  std::string error;
  ASSERT_EQ(FetchDailyChallenge(board.Base(), 3000, &c, &error), TBoardResult::kOk) << error;
  EXPECT_EQ(c.id, "daily-2026-12-08");
  EXPECT_EQ(c.date, "2026-12-08");
  EXPECT_EQ(c.seed, 4294967295u);
  EXPECT_EQ(c.ends, "2026-12-09T00:00:00Z");
}

TEST(BoardChallenge, RefusesWhatIsNotAChallenge) {
  const char* bad[] = {
      "not json",
      "[1,2]",
      R"({"id":"daily-1","date":"2026-12-08"})",                    // no seed
      R"({"id":"daily-1","date":"2026-12-08","seed":4294967296})",  // beyond 32 bits
      R"({"id":"daily-1","date":"2026-12-08","seed":-1})",
      R"({"id":"daily-1","date":"2026-12-08","seed":"12"})",
      R"({"id":"a/../b","date":"2026-12-08","seed":1})",  // not plain
      R"({"id":"x\"onload=","date":"2026-12-08","seed":1})",
      R"({"id":"","date":"2026-12-08","seed":1})",
  };
  for (const char* text : bad) {
    TChallenge c;
    std::string error;
    EXPECT_FALSE(ParseChallenge(text, &c, &error)) << text;
    EXPECT_FALSE(error.empty());
  }
}

TEST(BoardChallenge, TellsNoAnswerFromARefusal) {
  TChallenge c;
  std::string error;
  {
    TBoardStandIn board;  // an older board: no challenge there
    board.server.Get("/score/api/challenge/daily",
                     [](const httplib::Request&, httplib::Response& r) {
                       r.status = 404;
                       r.set_content(R"({"ok":false,"error":"no such page"})", "application/json");
                     });
    EXPECT_EQ(FetchDailyChallenge(board.Base(), 3000, &c, &error), TBoardResult::kRefused);
    EXPECT_EQ(error, "no such page");
  }
  TDeadPort dead;
  const auto start = TClock::now();
  EXPECT_EQ(FetchDailyChallenge(dead.Base(), 3000, &c, &error), TBoardResult::kNoAnswer);
  EXPECT_LT(MsSince(start), 2500);
  EXPECT_FALSE(error.empty());
}

TEST(BoardChallenge, ASilentBoardCostsOnlyTheTimeout) {
  TBoardStandIn board;
  board.server.Get("/score/api/challenge/daily", [](const httplib::Request&, httplib::Response& r) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    r.set_content("{}", "application/json");
  });
  TChallenge c;
  std::string error;
  const auto start = TClock::now();
  EXPECT_EQ(FetchDailyChallenge(board.Base(), 400, &c, &error), TBoardResult::kNoAnswer);
  EXPECT_LT(MsSince(start), 2000);
}

TEST(BoardUpload, SendsTheReplayWithChallengeAndNameAndReadsTheTokens) {
  TBoardStandIn board;
  std::string body, challenge, name, type;
  board.server.Post("/score/api/replay", [&](const httplib::Request& q, httplib::Response& r) {
    body = q.body;
    challenge = q.get_param_value("challenge");
    name = q.get_param_value("name");
    type = q.get_header_value("Content-Type");
    r.set_content(
        R"({"ok":true,"entries":[{"rank":3,"score":1234,"level":5,"date":"2026-12-08 10:00:00",)"
        R"("fps":60,"name":"x","verified":true,"id":17,"challenge":"daily-2026-12-08",)"
        R"("replay":"/score/replay/17.zzr","token":"0123456789abcdef0123456789abcdef"}]})",
        "application/json");
  });
  const std::string replay = std::string("zazo-puzzle-replay 1\ngame single\n\0\xff", 35);
  std::vector<TUploadedEntry> entries;
  std::string error;
  ASSERT_EQ(
      UploadReplay(board.Base(), replay, "daily-2026-12-08", "ざぞ & co=1", 3000, &entries, &error),
      TBoardResult::kOk)
      << error;
  EXPECT_EQ(body, replay);
  EXPECT_EQ(challenge, "daily-2026-12-08");
  EXPECT_EQ(name, "ざぞ & co=1");
  EXPECT_EQ(type, "application/octet-stream");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].id, "17");
  EXPECT_EQ(entries[0].token, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(entries[0].challenge, "daily-2026-12-08");
  EXPECT_EQ(entries[0].score, 1234);
  EXPECT_TRUE(entries[0].verified);
}

TEST(BoardUpload, PlainUploadSendsNoQueryAndRefusalsKeepTheBoardsWords) {
  TBoardStandIn board;
  std::string target;
  board.server.Post("/score/api/replay", [&](const httplib::Request& q, httplib::Response& r) {
    target = q.target;
    r.status = 422;
    r.set_content(R"({"ok":false,"error":"game 1: not the dealt start"})", "application/json");
  });
  std::vector<TUploadedEntry> entries;
  std::string error;
  EXPECT_EQ(UploadReplay(board.Base(), "x", "", "", 3000, &entries, &error),
            TBoardResult::kRefused);
  EXPECT_EQ(target, "/score/api/replay");
  EXPECT_EQ(error, "game 1: not the dealt start");
}

TEST(BoardUpload, KeepsNoTokenItCannotStoreSafely) {
  std::vector<TUploadedEntry> entries;
  std::string error;
  ASSERT_TRUE(ParseUploadAnswer(
      R"({"ok":true,"entries":[{"id":"1","token":"abc\ndef = 1"},{"id":"2 3","token":"ok12"},)"
      R"("junk",{"id":4,"token":"fine"}]})",
      &entries, &error));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].token, "");
  EXPECT_EQ(entries[1].id, "");
  EXPECT_EQ(entries[2].id, "4");
  EXPECT_EQ(entries[2].token, "fine");
  EXPECT_FALSE(ParseUploadAnswer(R"({"ok":true})", &entries, &error));
  EXPECT_FALSE(ParseUploadAnswer("<html>", &entries, &error));
}

TEST(BoardHttp, AnOversizedAnswerIsNoAnswer) {
  TBoardStandIn board;
  board.server.Get("/big", [](const httplib::Request&, httplib::Response& r) {
    r.set_content(std::string(kMaxBoardAnswer + 10, 'x'), "text/plain");
  });
  const THttpAnswer a = HttpGet(board.Base() + "/big", 5000);
  EXPECT_EQ(a.status, 0);
  EXPECT_TRUE(a.body.empty());
  EXPECT_FALSE(a.error.empty());
}

}  // namespace
