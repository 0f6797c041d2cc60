// What a public board promises its players: dealt challenges, the daily
// table, entries owned by their players, verified entries by default, kept
// replays. Over a real SQLite store and a fake replay check.
#include <gtest/gtest.h>

#include "server/board_crypto.h"
#include "server/challenge.h"
#include "server/score_service.h"
#include "server/server_test_util.h"

namespace {

constexpr time_t kNoon = 1796731200;  // 2026-12-08 12:00:00 UTC

bool Contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

// The value of "key":"…" (or "key":N) in a flat JSON text.
std::string JsonField(const std::string& json, const std::string& key) {
  const size_t at = json.find("\"" + key + "\":");
  if (at == std::string::npos) return "";
  size_t from = at + key.size() + 3;
  if (json[from] == '"') {
    from++;
    return json.substr(from, json.find('"', from) - from);
  }
  return json.substr(from, json.find_first_of(",}", from) - from);
}

std::string CookieToken(const TWebReply& r, int64_t id) {
  const std::string name = "zazo_owner_" + std::to_string(id) + "=";
  for (const auto& [key, value] : r.headers)
    if (key == "Set-Cookie" && value.rfind(name, 0) == 0)
      return value.substr(name.size(), value.find(';') - name.size());
  return "";
}

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = FreshStore("sqlite");
    service_ = Service(false);
  }
  std::unique_ptr<TScoreService> Service(bool local) {
    TServiceOptions o;
    o.localBoard = local;
    return std::make_unique<TScoreService>(
        *store_, checker_, [](const std::string&) {}, [this] { return now_; }, o);
  }
  TWebReply Get(const std::string& path, std::map<std::string, std::string> params = {}) {
    return service_->Handle({"GET", path, std::move(params), "", false});
  }
  TWebReply Post(const std::string& path, std::map<std::string, std::string> params,
                 const std::string& body = "", std::map<std::string, std::string> cookies = {}) {
    return service_->Handle({"POST", path, std::move(params), body, false, std::move(cookies)});
  }
  TWebReply Rename(int64_t id, const std::string& name,
                   std::map<std::string, std::string> cookies = {}, const std::string& token = "") {
    std::map<std::string, std::string> p = {{"id", std::to_string(id)}, {"name", name}};
    if (!token.empty()) p["token"] = token;
    return service_->Handle({"POST", "/score/name", p, "", true, std::move(cookies)});
  }
  // A reproduced game of this score whose generators start from seed.
  TCheckedGame DealtGame(int score, uint32_t seed, int second = 9) {
    TCheckedGame g = SingleGame(ScoreText(score, 7, second));
    g.start = SeededGenerators(seed);
    return g;
  }
  uint32_t TodaySeed() {
    return static_cast<uint32_t>(
        std::stoul(JsonField(Get("/score/api/challenge/daily").body, "seed")));
  }

  time_t now_ = kNoon;
  std::unique_ptr<TScoreStore> store_;
  TFakeReplayChecker checker_;
  std::unique_ptr<TScoreService> service_;
};

}  // namespace

TEST_F(BoardTest, TheDailyChallengeIsDealtFromTheBoardsSecret) {
  const TWebReply r = Get("/score/api/challenge/daily");
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(JsonField(r.body, "id"), "daily-2026-12-08");
  EXPECT_EQ(JsonField(r.body, "date"), "2026-12-08");
  EXPECT_EQ(JsonField(r.body, "ends"), "2026-12-09T00:00:00Z");
  // Another server process on the same database deals the same seed; another
  // day another one; a board with another secret another one.
  const uint32_t seed = TodaySeed();
  service_ = Service(false);
  EXPECT_EQ(TodaySeed(), seed);
  const std::string past = Get("/score/api/challenge/daily", {{"date", "2026-12-07"}}).body;
  EXPECT_EQ(JsonField(past, "id"), "daily-2026-12-07");
  EXPECT_NE(JsonField(past, "seed"), std::to_string(seed));
  EXPECT_EQ(FreshStore("sqlite")->Secret("daily", "x"), "x");
  // Never a future day; a malformed date is refused.
  EXPECT_EQ(Get("/score/api/challenge/daily", {{"date", "2026-12-09"}}).status, 404);
  for (const char* bad : {"2026-02-30", "26-12-08", "2026-12-08x", "../../etc", ""})
    if (*bad) EXPECT_EQ(Get("/score/api/challenge/daily", {{"date", bad}}).status, 400) << bad;
  // The seed is exactly what SeedRandom starts from: the MT19937 words of the
  // LCG's first step.
  const TSeededGenerators g = SeededGenerators(seed);
  EXPECT_EQ(g.lcgDraws, 1u);
  EXPECT_EQ(g.mtDraws, 0u);
  EXPECT_EQ(g.lcgState, seed * 134775813u + 1u);
}

TEST_F(BoardTest, OnlyTheDealtStartVerifiesForAChallenge) {
  const uint32_t seed = TodaySeed();
  checker_.result.games = {DealtGame(5000, seed)};
  TWebReply r =
      Post("/score/api/replay", {{"challenge", "daily-2026-12-08"}, {"name", "Aki"}}, "REPLAY");
  ASSERT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(JsonField(r.body, "verified"), "true");
  EXPECT_EQ(JsonField(r.body, "challenge"), "daily-2026-12-08");
  EXPECT_EQ(JsonField(r.body, "name"), "Aki");
  const std::string token = JsonField(r.body, "token");
  EXPECT_EQ(token.size(), 32u);
  const std::string id = JsonField(r.body, "id");
  EXPECT_EQ(JsonField(r.body, "replay"), "/score/replay/" + id + ".zzr");
  TStoredEntry e;
  ASSERT_TRUE(store_->FindId(std::stoll(id), &e));
  EXPECT_EQ(e.ownerHash, OwnerTokenHash(token));  // the token itself is not kept

  // One generator word changed (its result recomputed), another position,
  // another LCG state, an advanced game: each refused.
  std::vector<TCheckedGame> forged(4, DealtGame(6000, seed, 11));
  uint32_t words[TMt19937::kN];
  std::copy(forged[0].start.mt.Words(), forged[0].start.mt.Words() + TMt19937::kN, words);
  words[100] ^= 1;
  forged[0].start.mt.SetState(words, forged[0].start.mt.Position());
  forged[1].start.mt.GenrandInt32();
  forged[2].start.lcgState++;
  forged[3].mode = "advanced";
  for (const TCheckedGame& g : forged) {
    checker_.result.games = {g};
    r = Post("/score/api/replay", {{"challenge", "daily-2026-12-08"}}, "REPLAY");
    EXPECT_EQ(r.status, 422);
    EXPECT_TRUE(Contains(r.body, "not the dealt start")) << r.body;
  }
  // Yesterday's dice do not play today's challenge; unknown, future and
  // long-ended challenges are refused.
  checker_.result.games = {DealtGame(6000, seed + 1, 12)};
  EXPECT_EQ(Post("/score/api/replay", {{"challenge", "daily-2026-12-08"}}, "R").status, 422);
  for (const char* c : {"weekly-1", "daily-2026-12-09", "daily-2026-12-01"})
    EXPECT_EQ(Post("/score/api/replay", {{"challenge", c}}, "R").status, 422) << c;
  EXPECT_EQ(store_->Count(false), 1);
}

TEST_F(BoardTest, PlainGamesAreListedAsPlainAndNeverAsVerified) {
  // The forged registration (public salt, no replay) and a reproducing
  // replay without a challenge: both plain on a public board.
  const std::string forged = ScoreText(99999999, 99, 1);
  EXPECT_EQ(Get("/score/", {{"mode", "reg"}, {"score", forged}, {"p", Sign(forged)}}).status, 200);
  checker_.result.games = {SingleGame(ScoreText(800, 3, 2))};
  TWebReply r = Post("/score/api/replay", {}, "REPLAY");
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(JsonField(r.body, "verified"), "false");
  EXPECT_EQ(JsonField(r.body, "replay"), "");
  const uint32_t seed = TodaySeed();
  checker_.result.games = {DealtGame(500, seed, 3)};
  ASSERT_EQ(Post("/score/api/replay", {{"challenge", "daily-2026-12-08"}}, "DEALT").status, 200);

  for (const TWebReply& board : {Get("/score/api/top"), Get("/score/")}) {
    EXPECT_FALSE(Contains(board.body, "99999999"));
    EXPECT_TRUE(Contains(board.body, "500"));
  }
  EXPECT_TRUE(Contains(Get("/score/api/top").body, "\"rank\":1,\"score\":500"));
  const std::string all = Get("/score/", {{"all", "1"}}).body;
  EXPECT_TRUE(Contains(all, "99999999"));
  EXPECT_TRUE(Contains(all, "未検証"));
  EXPECT_TRUE(Contains(Get("/score/api/top", {{"all", "1"}}).body, "\"score\":99999999"));

  // The verified entry's replay downloads from its row; plain ones keep none.
  TStoredEntry dealt;
  ASSERT_TRUE(store_->Find(ScoreText(500, 7, 3), &dealt));
  const std::string link = "/score/replay/" + std::to_string(dealt.id) + ".zzr";
  EXPECT_TRUE(Contains(Get("/score/").body, "href=\"" + link + "\" download"));
  r = Get(link);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "DEALT");
  EXPECT_EQ(r.contentType, "application/x-zazo-replay");
  ASSERT_EQ(r.headers.size(), 1u);
  EXPECT_EQ(r.headers[0].second,
            "attachment; filename=\"zazo-" + std::to_string(dealt.id) + ".zzr\"");
  for (const char* bad : {"/score/replay/1.zzr", "/score/replay/x.zzr", "/score/replay/.zzr",
                          "/score/replay/2", "/score/replay/99999999999999999.zzr"})
    EXPECT_EQ(Get(bad).status, 404) << bad;
}

TEST_F(BoardTest, TheDailyTableCountsEachPlayersBestRun) {
  const uint32_t seed = TodaySeed();
  auto play = [&](int score, int second, const std::string& name) {
    checker_.result.games = {DealtGame(score, seed, second)};
    const TWebReply r =
        Post("/score/api/replay", {{"challenge", "daily-2026-12-08"}, {"name", name}}, "R");
    EXPECT_EQ(r.status, 200) << r.body;
  };
  play(300, 1, "Aki");
  play(700, 2, "Aki");
  play(500, 3, "Ben");
  play(400, 4, "");  // unnamed: a player of its own
  play(450, 5, "");
  const std::string json = Get("/score/api/daily", {{"date", "2026-12-08"}}).body;
  EXPECT_TRUE(Contains(json, "\"challenge\":\"daily-2026-12-08\""));
  EXPECT_TRUE(Contains(json, "\"rank\":1,\"score\":700"));
  EXPECT_TRUE(Contains(json, "\"rank\":2,\"score\":500"));
  EXPECT_TRUE(Contains(json, "\"rank\":4,\"score\":400"));
  EXPECT_FALSE(Contains(json, "\"score\":300"));
  const std::string page = Get("/score/daily/").body;
  EXPECT_TRUE(Contains(page, "2026-12-08"));
  EXPECT_TRUE(Contains(page, "4 人"));
  EXPECT_EQ(Get("/score/daily/2026-12-08").body, page);
  EXPECT_TRUE(Contains(Get("/score/daily/2026-12-07").body, "0 人"));
  EXPECT_EQ(Get("/score/daily/2026-12-09").status, 404);
  EXPECT_EQ(Get("/score/daily/yesterday").status, 400);
}

TEST_F(BoardTest, OnlyTheOwnerNamesAnEntry) {
  const std::string mine = ScoreText(1234, 5, 1), theirs = ScoreText(4321, 5, 2);
  const TWebReply reg = Get("/score/", {{"mode", "reg"}, {"score", mine}, {"p", Sign(mine)}});
  TStoredEntry e, other;
  ASSERT_TRUE(store_->Find(mine, &e));
  const std::string token = CookieToken(reg, e.id);
  ASSERT_EQ(token.size(), 32u);
  // Registering again (anyone can: the text is public) gives no cookie.
  EXPECT_EQ(
      CookieToken(Get("/score/", {{"mode", "reg"}, {"score", mine}, {"p", Sign(mine)}}), e.id), "");
  const TWebReply regOther =
      Get("/score/", {{"mode", "reg"}, {"score", theirs}, {"p", Sign(theirs)}});
  ASSERT_TRUE(store_->Find(theirs, &other));
  const std::string otherToken = CookieToken(regOther, other.id);

  // The signature alone renames nothing; another entry's token neither.
  EXPECT_EQ(Post("/score/name", {{"score", mine}, {"p", Sign(mine)}, {"name", "thief"}}).status,
            403);
  EXPECT_EQ(Rename(e.id, "thief", {{"zazo_owner_" + std::to_string(e.id), otherToken}}).status,
            403);
  EXPECT_EQ(Rename(e.id, "thief", {{"zazo_owner_" + std::to_string(other.id), otherToken}}).status,
            403);
  EXPECT_EQ(Rename(e.id, "thief", {}, otherToken).status, 403);
  EXPECT_EQ(Rename(e.id, "thief", {}, std::string(32, 'z')).status, 403);
  ASSERT_TRUE(store_->FindId(e.id, &e));
  EXPECT_EQ(e.name, "");
  // Its own token, as the cookie or as a field.
  EXPECT_EQ(Rename(e.id, "Aki", {{"zazo_owner_" + std::to_string(e.id), token}}).status, 303);
  EXPECT_EQ(Rename(e.id, "Aki2", {}, token).status, 303);
  ASSERT_TRUE(store_->FindId(e.id, &e));
  EXPECT_EQ(e.name, "Aki2");
  EXPECT_EQ(Rename(999, "x", {}, token).status, 404);

  // On the player's own board the game's signature still names the entry.
  service_ = Service(true);
  EXPECT_EQ(Post("/score/name", {{"score", mine}, {"p", Sign(mine)}, {"name", "me"}}).status, 303);
}

TEST_F(BoardTest, TheGameHandsItsUploadsTokenToTheBrowser) {
  checker_.result.games = {DealtGame(900, TodaySeed())};
  const TWebReply up = Post("/score/api/replay", {{"challenge", "daily-2026-12-08"}}, "R");
  const std::string token = JsonField(up.body, "token");
  const int64_t id = std::stoll(JsonField(up.body, "id"));
  const std::string text = ScoreText(900, 7, 9);
  // The page with the token: the cookie, and the address without the token.
  TWebReply r =
      Get("/score/", {{"mode", "reg"}, {"score", text}, {"p", Sign(text)}, {"token", token}});
  EXPECT_EQ(r.status, 303);
  EXPECT_EQ(r.location, "/score/?mode=reg&score=" + text + "&p=" + Sign(text));
  EXPECT_EQ(CookieToken(r, id), token);
  // A wrong token: the same forward, no cookie.
  r = Get("/score/",
          {{"mode", "reg"}, {"score", text}, {"p", Sign(text)}, {"token", std::string(32, 'a')}});
  EXPECT_EQ(r.status, 303);
  EXPECT_EQ(CookieToken(r, id), "");
  // A second upload of the same replay (anyone may download it) owns nothing.
  const TWebReply again = Post("/score/api/replay", {{"challenge", "daily-2026-12-08"}}, "R");
  EXPECT_EQ(again.status, 200);
  EXPECT_EQ(JsonField(again.body, "token"), "");
}

TEST_F(BoardTest, BoardInfoAndRoutesFromOtherModules) {
  EXPECT_EQ(Get("/score/api/board").body, "{\"name\":\"Zazo Puzzle\",\"relay\":null}\n");
  service_->SetRelay("relay.example", 47700);
  EXPECT_EQ(Get("/score/api/board").body,
            "{\"name\":\"Zazo Puzzle\",\"relay\":{\"host\":\"relay.example\",\"port\":47700}}\n");
  service_->AddRoute("/score/api/rooms", [](const TWebRequest& req) {
    TWebReply r;
    r.body = "rooms " + req.method;
    return r;
  });
  EXPECT_EQ(Get("/score/api/rooms/1").body, "rooms GET");
  EXPECT_EQ(Get("/score/api/top").status, 200);
}
