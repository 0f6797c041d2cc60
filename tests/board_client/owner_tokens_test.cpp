// The owner tokens file: tokens accumulate across runs, a damaged file is
// set aside instead of written over, and the file is the player's alone.
#include "board_client/owner_tokens.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

struct TokensFolder : ::testing::Test {
  void SetUp() override {
    char name[] = "/tmp/zazo-tokens-test.XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir = name;
    path = (dir / "tokens.toml").string();
  }
  void TearDown() override { fs::remove_all(dir); }
  TOwnerToken Token(const std::string& entry, const std::string& token) const {
    TOwnerToken t;
    t.board = "https://board.example";
    t.entry = entry;
    t.token = token;
    t.challenge = "daily-2026-12-08";
    t.score = 4321;
    return t;
  }
  fs::path dir;
  std::string path;
};

TEST_F(TokensFolder, TokensAddUpAcrossRunsAndStayPrivate) {
  std::string error;
  std::vector<TOwnerToken> kept;
  ASSERT_TRUE(LoadOwnerTokens(path, &kept, &error));  // none yet
  EXPECT_TRUE(kept.empty());
  ASSERT_TRUE(AddOwnerTokens(path, {Token("1", "aaaa")}, &error)) << error;
  ASSERT_TRUE(AddOwnerTokens(path, {Token("2", "bbbb"), Token("3", "cccc")}, &error)) << error;
  ASSERT_TRUE(LoadOwnerTokens(path, &kept, &error)) << error;
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[0].entry, "1");
  EXPECT_EQ(kept[0].token, "aaaa");
  EXPECT_EQ(kept[0].board, "https://board.example");
  EXPECT_EQ(kept[0].challenge, "daily-2026-12-08");
  EXPECT_EQ(kept[0].score, 4321);
  EXPECT_EQ(kept[0].kept.size(), 20u);  // YYYY-MM-DDTHH:MM:SSZ
  EXPECT_EQ(kept[2].token, "cccc");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(TokensFolder, ADamagedFileIsSetAsideNotLost) {
  const std::string damaged = "[[entry]]\ntoken = \"old-token\"\n[[[ not toml";
  std::ofstream(path) << damaged;
  std::string error;
  std::vector<TOwnerToken> kept;
  EXPECT_FALSE(LoadOwnerTokens(path, &kept, &error));
  EXPECT_NE(error.find("tokens.toml"), std::string::npos);
  ASSERT_TRUE(AddOwnerTokens(path, {Token("9", "newer")}, &error)) << error;
  ASSERT_TRUE(LoadOwnerTokens(path, &kept, &error)) << error;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].token, "newer");
  std::ifstream aside(dir / "tokens.toml.broken");
  const std::string text((std::istreambuf_iterator<char>(aside)), {});
  EXPECT_EQ(text, damaged);
  // A second damage does not overwrite the first copy.
  std::ofstream(path) << "\x01\x02 garbage";
  ASSERT_TRUE(AddOwnerTokens(path, {Token("10", "newest")}, &error)) << error;
  EXPECT_TRUE(fs::exists(dir / "tokens.toml.broken-2"));
  std::ifstream first(dir / "tokens.toml.broken");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(first)), {}), damaged);
}

TEST_F(TokensFolder, AFolderOrPipeAtThePathIsNoTokensFile) {
  fs::create_directory(path);
  std::string error;
  std::vector<TOwnerToken> kept;
  EXPECT_FALSE(LoadOwnerTokens(path, &kept, &error));
  fs::remove(path);
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_FALSE(LoadOwnerTokens(path, &kept, &error));  // refused at once, never waited on
}

}  // namespace
