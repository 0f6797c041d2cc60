#include "score/score_signature.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main.h"
#include "recording_host.h"

namespace {

// 20:05:09 on 3 July 2024, score 12345, level 12, 60 frames per second.
constexpr char kExampleText[] = "202407032005090001234500000012061";
// md5 of the text followed by the salt, as computed by md5sum.
constexpr char kExampleMd5[] = "da3c2c79b7670c37bd04450338bbe714";

bool IsSignature(const std::string& s) {
  if (s.size() != 32) return false;
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

TEST(ScoreText, DateScoreLevelAndFrameRate) {
  char text[64];
  EXPECT_EQ(MakeScoreText(text, sizeof text, "20240703200509", 12345, 12, 61), 33);
  EXPECT_STREQ(text, kExampleText);
  EXPECT_EQ(MakeScoreText(text, sizeof text, "19991231235959", 99999999, 999, 7), 33);
  EXPECT_STREQ(text, "199912312359599999999900000999007");
  // A cramped buffer is cut, never overrun.
  char small[10];
  EXPECT_EQ(MakeScoreText(small, sizeof small, "20240703200509", 1, 1, 61), 9);
  EXPECT_STREQ(small, "202407032");
}

TEST(ScoreText, SignatureIsMd5OfTextAndSalt) {
  EXPECT_STREQ(kScoreSalt, "h3Tq9pLx2VmW8rKd");
  char sig[33];
  SignScoreText(kExampleText, 33, sig);
  EXPECT_STREQ(sig, kExampleMd5);
  EXPECT_EQ(Md5Hex(std::string(kExampleText) + kScoreSalt), kExampleMd5);
}

class ScoreSignatureTest : public ::testing::Test {
 protected:
  ScoreSignatureTest() : host(ZAZO_BINARY_DIR "/"), form(host) {
    host.localTime = "20240703200509";
    form.score = 12345;
    form.level = 12;
    form.fpsSum = 600;
    form.fpsSamples = 10;
  }
  TRecordingHost host;
  TMainForm form;
};

// The last three digits are the average frame rate plus one.
TEST_F(ScoreSignatureTest, TextEndsWithAverageFrameRatePlusOne) {
  form.MakeScoreSignature();
  ASSERT_TRUE(host.scoreWidgetsShown);
  EXPECT_STREQ(host.scoreText, kExampleText);
  EXPECT_STREQ(host.scoreMd5, kExampleMd5);

  form.fpsSum = 659;  // 65.9 per second: whole frames only
  form.MakeScoreSignature();
  EXPECT_EQ(std::string(host.scoreText).substr(30), "066");
}

TEST_F(ScoreSignatureTest, VersusGameShowsNothing) {
  form.versusMode = 1;
  form.MakeScoreSignature();
  EXPECT_FALSE(host.scoreWidgetsShown);
  EXPECT_STREQ(host.scoreText, "");
}

TEST_F(ScoreSignatureTest, NoFrameRateSamplesDoesNotDivideByZero) {
  form.fpsSamples = 0;
  form.MakeScoreSignature();
  ASSERT_TRUE(host.scoreWidgetsShown);
  EXPECT_EQ(std::string(host.scoreText).substr(30), "001");
  EXPECT_TRUE(IsSignature(host.scoreMd5));
}

TEST_F(ScoreSignatureTest, SignatureAlwaysThirtyTwoHexDigits) {
  for (int i = 0; i < 200; i++) {
    form.score = i * 499999;
    form.level = i;
    form.MakeScoreSignature();
    ASSERT_EQ(std::strlen(host.scoreText), 33u);
    ASSERT_TRUE(IsSignature(host.scoreMd5)) << host.scoreMd5;
  }
}

TEST_F(ScoreSignatureTest, SaveBestScorePassesTheBestScore) {
  form.bestScore = 98765;
  host.ClearEvents();
  form.SaveBestScore();
  EXPECT_EQ(host.Events(), "save 98765\n");
}

std::vector<std::string> SplitCrLf(const std::string& page) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t end; (end = page.find("\r\n", at)) != std::string::npos; at = end + 2) {
    lines.push_back(page.substr(at, end - at));
  }
  EXPECT_EQ(at, page.size()) << "text after the last CR LF";
  return lines;
}

// The page byte for byte against a checked-in copy, made once from the page
// text with `iconv -f UTF-8 -t SHIFT_JIS` (CP932 gives the same bytes) and
// inspected with `iconv -f SHIFT_JIS -t UTF-8` and `od -c`.
TEST(RegistrationPage, MatchesGoldenFile) {
  std::ifstream in(ZAZO_SOURCE_DIR "/tests/score/scorereg_golden.html", std::ios::binary);
  ASSERT_TRUE(in);
  std::stringstream golden;
  golden << in.rdbuf();
  // The checked-in page names the local board; a build for a public board
  // puts its own address in the same places and changes nothing else.
  std::string expected = golden.str();
  const std::string local = "http://127.0.0.1:47650/score/?mode=reg";
  for (size_t at = expected.find(local); at != std::string::npos; at = expected.find(local, at + 1))
    expected.replace(at, local.size(), kRegistrationAddress);
  EXPECT_EQ(BuildRegistrationPage(kExampleText, kExampleMd5), expected);
}

TEST(RegistrationPage, LinkInLinesThreeAndThirtyFive) {
  const std::string text = "202501010000000000000000000001061";
  const std::string md5 = "0123456789abcdef0123456789abcdef";
  const std::string link = RegistrationLink(text, md5);
  EXPECT_EQ(link, std::string(kRegistrationAddress) + "&score=" + text + "&p=" + md5);
  const std::string address = kRegistrationAddress;
  const std::string tail = "/score/?mode=reg";
  ASSERT_GT(address.size(), tail.size());
  EXPECT_EQ(address.substr(address.size() - tail.size()), tail);

  const std::vector<std::string> lines = SplitCrLf(BuildRegistrationPage(text, md5));
  ASSERT_EQ(lines.size(), 36u);
  EXPECT_EQ(lines[2], "<meta http-equiv=\"refresh\" CONTENT=\"10;URL=" + link + "\">");
  EXPECT_EQ(lines[34],
            "<div class=\"code\"><p><a href=\"" + link + "\">" + link + "</a></p></div>");
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  }
  // Everything but the link is the same as in the checked-in page.
  const std::vector<std::string> golden =
      SplitCrLf(BuildRegistrationPage(kExampleText, kExampleMd5));
  for (int i = 0; i < 36; i++) {
    if (i != 2 && i != 34) {
      EXPECT_EQ(lines[i], golden[i]) << "line " << i + 1;
    }
  }
}

TEST(RegistrationPage, WrittenReplacingOrReported) {
  char pattern[] = "/tmp/zazo_page_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/scorereg.html";
  std::string error;
  ASSERT_TRUE(WriteRegistrationPage(path, "old", "old", &error)) << error;
  ASSERT_TRUE(WriteRegistrationPage(path, kExampleText, kExampleMd5, &error)) << error;
  std::ifstream in(path, std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), BuildRegistrationPage(kExampleText, kExampleMd5));
  std::remove(path.c_str());

  // A link at the page's name is replaced; the file it names is not written.
  const std::string other = std::string(pattern) + "/bookmarks.html";
  std::ofstream(other, std::ios::binary) << "mine";
  ASSERT_EQ(symlink(other.c_str(), path.c_str()), 0);
  ASSERT_TRUE(WriteRegistrationPage(path, kExampleText, kExampleMd5, &error)) << error;
  struct stat st;
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  std::ifstream kept(other, std::ios::binary);
  std::stringstream otherText;
  otherText << kept.rdbuf();
  EXPECT_EQ(otherText.str(), "mine");
  std::remove(path.c_str());
  std::remove(other.c_str());

  const std::string missing = std::string(pattern) + "/save/scorereg.html";
  EXPECT_FALSE(WriteRegistrationPage(missing, kExampleText, kExampleMd5, &error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  rmdir(pattern);
}

}  // namespace
