// The checks on a score text and signature as the game's page sends them.
#include "server/score_entry.h"

#include <gtest/gtest.h>

#include "server/server_test_util.h"

namespace {

// 2024-07-04 00:00:00 UTC.
constexpr time_t kNow = 1720051200;

TEntryCheck Check(const std::string& text, const std::string& sig, TScoreEntry* out = nullptr,
                  time_t now = kNow) {
  std::string reason;
  const TEntryCheck r = CheckScoreEntry(text, sig, now, out, &reason);
  if (r != TEntryCheck::kOk) {
    EXPECT_FALSE(reason.empty());
  }
  return r;
}

std::string WithDate(const char* date14) {
  return std::string(date14) + "0001234500000012061";
}

}  // namespace

TEST(ScoreEntry, AcceptsTheGamesTextAndReadsItsFields) {
  const std::string text = ScoreText(12345, 12, 9, 61);
  ASSERT_EQ(text, "202407032005090001234500000012061");
  TScoreEntry e;
  ASSERT_EQ(Check(text, Sign(text), &e), TEntryCheck::kOk);
  EXPECT_EQ(e.score, 12345);
  EXPECT_EQ(e.level, 12);
  EXPECT_EQ(e.frameRate, 61);
  EXPECT_EQ(e.playedAt, "20240703200509");
  EXPECT_EQ(FormatPlayedAt(e.playedAt), "2024-07-03 20:05:09");
}

TEST(ScoreEntry, SignatureInCapitalsIsTheSameEntry) {
  const std::string text = ScoreText(5);
  std::string upper = Sign(text);
  for (char& c : upper) c = static_cast<char>(toupper(c));
  TScoreEntry e;
  ASSERT_EQ(Check(text, upper, &e), TEntryCheck::kOk);
  EXPECT_EQ(e.signature, Sign(text));
}

TEST(ScoreEntry, ForgedSignaturesAre403) {
  const std::string text = ScoreText(12345);
  std::string sig = Sign(text);
  sig[0] = sig[0] == 'a' ? 'b' : 'a';
  EXPECT_EQ(Check(text, sig), TEntryCheck::kForged);
  // The score raised but the old signature kept.
  EXPECT_EQ(Check(ScoreText(99999999), Sign(text)), TEntryCheck::kForged);
  // Signed without the salt.
  EXPECT_EQ(Check(text, Md5Hex(text)), TEntryCheck::kForged);
}

TEST(ScoreEntry, MalformedTextsAndSignaturesAre400) {
  const std::string text = ScoreText(12345);
  const std::string sig = Sign(text);
  for (const std::string& bad :
       {std::string(), text.substr(0, 32), text + "0", std::string(10000, '1'),
        text.substr(0, 32) + "x", "' OR 1=1 --" + text.substr(11), std::string(33, '\0'),
        std::string("2024070320050900012345000000120\xEF\xBC\x91")}) {
    const std::string s = Sign(bad);
    EXPECT_EQ(Check(bad, s), TEntryCheck::kMalformed) << bad;
  }
  for (const std::string& badSig :
       {std::string(), sig.substr(0, 31), sig + "0", std::string(32, 'g'),
        std::string("<script>alert(1)</script>0000000")})
    EXPECT_EQ(Check(text, badSig), TEntryCheck::kMalformed) << badSig;
}

TEST(ScoreEntry, DateMustBeRealAndNotAfterTomorrow) {
  auto check = [](const char* d) {
    const std::string t = WithDate(d);
    return Check(t, Sign(t));
  };
  EXPECT_EQ(check("20240229235959"), TEntryCheck::kOk);         // leap day
  EXPECT_EQ(check("20230229000000"), TEntryCheck::kMalformed);  // no leap day
  EXPECT_EQ(check("21000229000000"), TEntryCheck::kMalformed);  // 2100 is no leap year
  EXPECT_EQ(check("20000229000000"), TEntryCheck::kOk);         // 2000 is
  EXPECT_EQ(check("20241301000000"), TEntryCheck::kMalformed);
  EXPECT_EQ(check("20240001000000"), TEntryCheck::kMalformed);
  EXPECT_EQ(check("20240431000000"), TEntryCheck::kMalformed);
  EXPECT_EQ(check("20240700000000"), TEntryCheck::kMalformed);
  EXPECT_EQ(check("20240703240000"), TEntryCheck::kMalformed);
  EXPECT_EQ(check("20240703236000"), TEntryCheck::kMalformed);
  EXPECT_EQ(check("20240703235960"), TEntryCheck::kMalformed);
  EXPECT_EQ(check("19991231235959"), TEntryCheck::kMalformed);
  // Now is 2024-07-04 00:00:00 UTC: a player's clock up to a day ahead is fine.
  EXPECT_EQ(check("20240705000000"), TEntryCheck::kOk);
  EXPECT_EQ(check("20240705000001"), TEntryCheck::kMalformed);
}

TEST(ScoreEntry, LevelAndFrameRateBounds) {
  auto check = [](int level, int fps) {
    const std::string t = ScoreText(100, level, 9, fps);
    return Check(t, Sign(t));
  };
  EXPECT_EQ(check(0, 61), TEntryCheck::kMalformed);
  EXPECT_EQ(check(1, 61), TEntryCheck::kOk);
  EXPECT_EQ(check(99999999, 61), TEntryCheck::kOk);
  EXPECT_EQ(check(5, 0), TEntryCheck::kMalformed);
  EXPECT_EQ(check(5, 1), TEntryCheck::kOk);
  EXPECT_EQ(check(5, 999), TEntryCheck::kOk);
}
