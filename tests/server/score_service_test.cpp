// The request handlers over a real SQLite store and a fake replay check:
// what is stored, what is refused, what every answer shows.
#include "server/score_service.h"

#include <gtest/gtest.h>

#include "server/server_test_util.h"

namespace {

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = FreshStore("sqlite");
    MakeService(false);
  }
  void MakeService(bool localBoard) {
    TServiceOptions options;
    options.localBoard = localBoard;
    service_ = std::make_unique<TScoreService>(
        *store_, checker_, [this](const std::string& line) { log_ += line + "\n"; },
        [this] { return now_; }, options);
  }
  TWebReply Get(const std::string& path, std::map<std::string, std::string> params = {}) {
    return service_->Handle({"GET", path, std::move(params), "", false});
  }
  TWebReply Post(const std::string& path, std::map<std::string, std::string> params,
                 const std::string& body = "", bool form = true) {
    return service_->Handle({"POST", path, std::move(params), body, form});
  }
  TWebReply PostWithCookies(const std::string& path, std::map<std::string, std::string> params,
                            std::map<std::string, std::string> cookies) {
    return service_->Handle({"POST", path, std::move(params), "", true, std::move(cookies)});
  }
  TWebReply Register(const std::string& text, const std::string& sig) {
    return Get("/score/", {{"mode", "reg"}, {"score", text}, {"p", sig}});
  }
  TWebReply Upload(const std::string& body, const std::string& expected = "") {
    std::map<std::string, std::string> params;
    if (!expected.empty()) params["score"] = expected;
    return Post("/score/api/replay", params, body, false);
  }

  std::unique_ptr<TScoreStore> store_;
  TFakeReplayChecker checker_;
  std::unique_ptr<TScoreService> service_;
  std::string log_;
  time_t now_ = 1796731200;  // 2026-12-08 12:00:00 UTC
};

bool Contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

// The owner cookie a reply sets: {name, token}; empty when none.
std::pair<std::string, std::string> OwnerCookie(const TWebReply& r) {
  for (const auto& [key, value] : r.headers) {
    if (key != "Set-Cookie" || value.rfind("zazo_owner_", 0) != 0) continue;
    EXPECT_TRUE(Contains(value, "HttpOnly"));
    const size_t eq = value.find('='), end = value.find(';');
    return {value.substr(0, eq), value.substr(eq + 1, end - eq - 1)};
  }
  return {};
}

}  // namespace

TEST_F(ServiceTest, RegistrationShowsTheEntryAndIsIdempotent) {
  const std::string text = ScoreText(12345);
  TWebReply r = Register(text, Sign(text));
  EXPECT_EQ(r.status, 200);
  EXPECT_TRUE(Contains(r.body, "スコアを登録しました"));
  EXPECT_TRUE(Contains(r.body, "<b>12345</b>"));
  EXPECT_TRUE(Contains(r.body, "2024-07-03 20:05:09"));
  EXPECT_TRUE(Contains(r.body, "action=\"/score/name\""));
  EXPECT_TRUE(Contains(r.body, "enctype=\"multipart/form-data\""));
  EXPECT_TRUE(Contains(r.body, "<tr class=\"mine\">"));
  r = Register(text, Sign(text));
  EXPECT_EQ(r.status, 200);
  EXPECT_TRUE(Contains(r.body, "登録済み"));
  EXPECT_EQ(store_->Count(false), 1);
}

TEST_F(ServiceTest, EntryPageShowsAHundredAroundTheEntry) {
  for (int i = 0; i < 160; i++) {
    const std::string t = ScoreText(1000 + i, 1 + i % 50, i % 60, 10 + i);
    ASSERT_EQ(Register(t, Sign(t)).status, 200);
  }
  const std::string mine = ScoreText(1000 + 20, 1 + 20, 20, 30);  // rank 140
  const TWebReply r = Register(mine, Sign(mine));
  size_t rows = 0;
  for (size_t at = r.body.find("<tr"); at != std::string::npos; at = r.body.find("<tr", at + 1))
    rows++;
  EXPECT_EQ(rows, 101u);  // header + 100
  EXPECT_TRUE(Contains(r.body, "<b>140</b>"));
  EXPECT_TRUE(Contains(r.body, "<tr class=\"mine\"><td class=\"n\">140</td>"));
}

TEST_F(ServiceTest, BadEntriesAreRefusedAndNothingIsStored) {
  const std::string text = ScoreText(777);
  std::string forged = Sign(text);
  forged[5] = forged[5] == '0' ? '1' : '0';
  EXPECT_EQ(Register(text, forged).status, 403);
  EXPECT_EQ(Register(text.substr(1), Sign(text.substr(1))).status, 400);
  EXPECT_EQ(Register(text, "").status, 400);
  EXPECT_EQ(Register(std::string(100000, '9'), Sign(text)).status, 400);
  // Injection in every field, each answered with its text escaped.
  for (const std::string& evil :
       std::initializer_list<std::string>{"'; DROP TABLE scores; --", "<script>alert(1)</script>",
                                          "\" onmouseover=\"x", "\xFF\xFE"}) {
    TWebReply r = Register(evil, Sign(text));
    EXPECT_EQ(r.status, 400);
    r = Register(text, evil);
    EXPECT_EQ(r.status, 400);
    EXPECT_FALSE(Contains(r.body, "<script>alert"));
  }
  EXPECT_EQ(Get("/score/", {{"mode", "reg"}}).status, 400);
  EXPECT_EQ(store_->Count(false), 0);
  EXPECT_EQ(Get("/score/api/top").body, "[]\n");
}

TEST_F(ServiceTest, NamesAreCheckedAndShownEscapedEverywhere) {
  const std::string text = ScoreText(4242);
  const std::string sig = Sign(text);
  // Not registered yet: nothing to name.
  EXPECT_EQ(Post("/score/name", {{"score", text}, {"p", sig}, {"name", "x"}}).status, 404);
  const auto [cookie, token] = OwnerCookie(Register(text, sig));
  ASSERT_FALSE(token.empty());
  const std::string evil = "<img src=x>\"'&";
  TWebReply r =
      Post("/score/name", {{"score", text}, {"p", sig}, {"name", evil}, {"token", token}});
  EXPECT_EQ(r.status, 303);
  EXPECT_EQ(r.location, "/score/?mode=reg&score=" + text + "&p=" + sig);
  for (const TWebReply& page : {Register(text, sig), Get("/score/", {{"all", "1"}})}) {
    EXPECT_FALSE(Contains(page.body, "<img src=x>"));
    EXPECT_TRUE(Contains(page.body, "&lt;img src=x&gt;&quot;&#39;&amp;"));
  }
  r = Get("/score/api/top", {{"all", "1"}});
  EXPECT_TRUE(Contains(r.body, "\"name\":\"\\u003cimg src=x\\u003e\\\"'\\u0026\""));
  EXPECT_EQ(r.contentType, "application/json; charset=utf-8");

  // Refused names change nothing.
  const std::string tooLong(10000, 'a');
  EXPECT_EQ(Post("/score/name", {{"score", text}, {"p", sig}, {"name", tooLong}, {"token", token}})
                .status,
            400);
  EXPECT_EQ(
      Post("/score/name", {{"score", text}, {"p", sig}, {"name", "a\xC0\x80"}, {"token", token}})
          .status,
      400);
  // A forged signature is refused before anything else.
  EXPECT_EQ(Post("/score/name", {{"score", text}, {"p", Sign("x")}, {"name", "thief"}}).status,
            403);
  TStoredEntry e;
  ASSERT_TRUE(store_->Find(text, &e));
  EXPECT_EQ(e.name, evil);
  EXPECT_EQ(Get("/score/name").status, 405);
}

TEST_F(ServiceTest, OnTheLocalBoardAReproducedReplayVerifiesAndRegistersItsGames) {
  MakeService(true);
  const std::string known = ScoreText(900, 3, 1);
  const std::string fresh = ScoreText(1200, 4, 2);
  Register(known, Sign(known));
  checker_.result.status = TReplayCheck::kOk;
  TCheckedGame versus;
  versus.mode = "versusai";
  versus.scoreText = versus.signature = "-";
  checker_.result.games = {SingleGame(known), versus, SingleGame(fresh)};
  const TWebReply r = Upload("REPLAY BYTES");
  EXPECT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(checker_.lastText, "REPLAY BYTES");
  EXPECT_TRUE(Contains(r.body, "\"ok\":true"));
  EXPECT_EQ(store_->Count(true), 2);
  EXPECT_EQ(store_->Count(false), 2);
  // Shown with the mark, and the verified filter keeps them.
  EXPECT_TRUE(Contains(Register(known, Sign(known)).body, "リプレイで検証済み"));
  EXPECT_TRUE(Contains(Get("/score/").body, "2 件"));
  EXPECT_TRUE(Contains(Get("/score/api/top").body, "\"verified\":true"));
  // The form's upload answers with a page linking the entries.
  const TWebReply page = Post("/score/api/replay", {{"score", fresh}}, "REPLAY", true);
  EXPECT_EQ(page.status, 200);
  EXPECT_TRUE(Contains(page.body, "/score/?mode=reg&amp;score=" + fresh));
}

TEST_F(ServiceTest, RefusedReplaysStoreNothing) {
  const std::string text = ScoreText(31337);
  struct Case {
    TReplayCheck::TStatus status;
    int http;
  };
  for (const Case c : {Case{TReplayCheck::kMalformed, 400}, Case{TReplayCheck::kWrongVersion, 400},
                       Case{TReplayCheck::kNotReproduced, 422}, Case{TReplayCheck::kOverLimit, 422},
                       Case{TReplayCheck::kUnavailable, 503}}) {
    checker_.result.status = c.status;
    checker_.result.message = "why";
    checker_.result.games = {SingleGame(text)};
    const TWebReply r = Upload("x");
    EXPECT_EQ(r.status, c.http);
    EXPECT_TRUE(Contains(r.body, "\"ok\":false")) << r.body;
  }
  checker_.result.status = TReplayCheck::kOk;
  // Only versus games.
  checker_.result.games = {};
  EXPECT_EQ(Upload("x").status, 422);
  // The replay of another game than the one named.
  checker_.result.games = {SingleGame(text)};
  const TWebReply other = Upload("x", ScoreText(5));
  EXPECT_EQ(other.status, 422);
  EXPECT_TRUE(Contains(other.body, "another game"));
  // A game whose signature the server does not accept (another salt).
  TCheckedGame wrong = SingleGame(text);
  wrong.signature = Md5Hex(text);
  checker_.result.games = {wrong};
  EXPECT_EQ(Upload("x").status, 422);
  // Empty and oversized bodies never reach the check.
  checker_.lastText = "untouched";
  checker_.result.games = {SingleGame(text)};
  EXPECT_EQ(Upload("").status, 400);
  EXPECT_EQ(Upload(std::string(kMaxReplayBytes + 1, 'r')).status, 413);
  EXPECT_EQ(checker_.lastText, "untouched");
  EXPECT_EQ(store_->Count(false), 0);
  EXPECT_EQ(Get("/score/api/replay").status, 405);
}

TEST_F(ServiceTest, LeaderboardPagesAndTopLimits) {
  for (int i = 0; i < 120; i++) {
    const std::string t = ScoreText(i * 10, 1, i % 60, 2 + i);
    Register(t, Sign(t));
  }
  // Plain entries only: the default board is empty.
  TWebReply r = Get("/score/");
  EXPECT_TRUE(Contains(r.body, "0 件"));
  r = Get("/score/", {{"all", "1"}});
  EXPECT_TRUE(Contains(r.body, "120 件"));
  EXPECT_TRUE(Contains(r.body, "1 / 3 "));
  EXPECT_TRUE(Contains(r.body, "rel=\"next\" href=\"/score/?page=2&all=1\""));
  EXPECT_TRUE(Contains(r.body, "<td class=\"n\">1190</td>"));
  EXPECT_TRUE(Contains(r.body, "未検証"));
  r = Get("/score/", {{"page", "3"}, {"all", "1"}});
  EXPECT_TRUE(Contains(r.body, "<td class=\"n\">0</td>"));
  EXPECT_FALSE(Contains(r.body, "rel=\"next\""));
  EXPECT_EQ(Get("/score/", {{"page", "0"}}).status, 400);
  EXPECT_EQ(Get("/score/", {{"page", "1' OR '1'='1"}}).status, 400);
  EXPECT_EQ(Get("/score/", {{"page", "99999999999999999999"}}).status, 400);
  EXPECT_EQ(Get("/score/", {{"page", "50"}}).status, 200);  // past the end: empty page

  r = Get("/score/api/top", {{"limit", "3"}, {"all", "1"}});
  EXPECT_EQ(r.body,
            "[{\"rank\":1,\"score\":1190,\"level\":1,\"date\":\"2024-07-03 20:05:59\",\"fps\":120,"
            "\"name\":\"\",\"verified\":false,\"id\":120,\"challenge\":\"\",\"replay\":\"\"},\n"
            "{\"rank\":2,\"score\":1180,\"level\":1,\"date\":\"2024-07-03 20:05:58\",\"fps\":119,"
            "\"name\":\"\",\"verified\":false,\"id\":119,\"challenge\":\"\",\"replay\":\"\"},\n"
            "{\"rank\":3,\"score\":1170,\"level\":1,\"date\":\"2024-07-03 20:05:57\",\"fps\":118,"
            "\"name\":\"\",\"verified\":false,\"id\":118,\"challenge\":\"\",\"replay\":\"\"}]\n");
  for (const char* bad : {"0", "1001", "-1", "abc", "1e3"})
    EXPECT_EQ(Get("/score/api/top", {{"limit", bad}}).status, 400) << bad;
  EXPECT_EQ(Get("/score/api/top").body, "[]\n");
  EXPECT_EQ(Get("/nothing").status, 404);
}
