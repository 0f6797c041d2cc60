// Damaged, edited and hostile replay files: a clear status with the line at
// fault, never a crash, never a check that passes on an edited game.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "live_session.h"
#include "replay/replay_summary.h"

namespace {

class HostileReplay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TTempFolder folder;
    good_ = new std::string(PlayToGameOver(folder.Path(), '4'));
  }
  static void TearDownTestSuite() { delete good_; }

  static TReplaySummary Check(const std::string& text, TReplayLimits limits = {}) {
    return SummarizeReplay(text, limits);
  }
  // The good text with the first line starting with `prefix` replaced.
  static std::string WithLine(const std::string& prefix, const std::string& line) {
    std::string text = *good_;
    const size_t at = text.find("\n" + prefix);
    EXPECT_NE(at, std::string::npos) << prefix;
    const size_t end = text.find('\n', at + 1);
    text.replace(at + 1, end - at - 1, line);
    return text;
  }
  static int LineOf(const std::string& prefix) {
    const size_t at = good_->find("\n" + prefix);
    int line = 1;
    for (size_t i = 0; i <= at; i++) line += (*good_)[i] == '\n';
    return line;
  }

  static std::string Repeat(const std::string& part, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += part;
    return out;
  }

  static std::string* good_;
};
std::string* HostileReplay::good_ = nullptr;

TEST_F(HostileReplay, TheUntouchedFileChecksAndShowsTheSignedScore) {
  const TReplaySummary s = Check(*good_);
  ASSERT_EQ(s.status, TReplayStatus::kOk) << s.message;
  ASSERT_EQ(s.games.size(), 1u);
  EXPECT_EQ(s.games[0].mode, "single");
  EXPECT_EQ(s.games[0].scoreText.size(), 33u);
  EXPECT_EQ(s.games[0].scoreText.substr(0, 14), "20261208101112");
  EXPECT_EQ(s.games[0].signature.size(), 32u);
  EXPECT_LT(good_->size(), 60000u);
}

TEST_F(HostileReplay, EveryTruncationIsMalformedAndNamesALine) {
  for (size_t cut = 0; cut < good_->size(); cut += 97) {
    const std::string text = good_->substr(0, cut);
    const TReplaySummary s = Check(text);
    ASSERT_NE(s.status, TReplayStatus::kOk) << "cut at " << cut;
    if (cut < 21) {
      EXPECT_EQ(s.status, TReplayStatus::kWrongVersion) << "cut at " << cut;
    } else {
      ASSERT_EQ(s.status, TReplayStatus::kMalformed) << "cut at " << cut << ": " << s.message;
      EXPECT_GE(s.line, 1);
      EXPECT_EQ(s.message.rfind("line " + std::to_string(s.line) + ": ", 0), 0u) << s.message;
    }
  }
}

TEST_F(HostileReplay, EditedGamesDoNotReproduce) {
  // The generator's words, the best score the game started with, a key, the
  // clock, the local time, the claimed score: each changes what the game
  // ends with, or contradicts it.
  const std::string edits[][2] = {
      {"mtw ", "mtw" + Repeat(" ffffffff", 16)},
      {"bestScore ", "bestScore 99999990"},
      {"time ", "time 20261208101113"},
      {"clock ", "clock 5"},
      {"result ", "result 99999 1 - - 00000000000000000000000000000000"},
  };
  for (const auto& edit : edits) {
    const TReplaySummary s = Check(WithLine(edit[0], edit[1]));
    EXPECT_EQ(s.status, TReplayStatus::kNotReproduced) << edit[1] << ": " << s.message;
    EXPECT_FALSE(s.message.empty());
  }
  // One raise of the stack fewer (the first 'G' becomes an unknown key).
  const size_t at = good_->find(" k 71 0\n");
  ASSERT_NE(at, std::string::npos);
  std::string text = *good_;
  text.replace(at, 8, " k 72 0\n");
  EXPECT_EQ(Check(text).status, TReplayStatus::kNotReproduced);
}

TEST_F(HostileReplay, ImpossibleStatesAreRefusedWithTheirLine) {
  // The new game sets the score to 0 in its first frame: an edit there
  // changes nothing and still checks.
  EXPECT_EQ(Check(WithLine("score ", "score 5")).status, TReplayStatus::kOk);
  for (const std::string edit : {"scene 200", "boardLeft 40", "versusMode 2", "cursorX 16",
                                 "level 2000000000", "loopRunning 0"}) {
    const std::string name = edit.substr(0, edit.find(' ') + 1);
    const TReplaySummary s = Check(WithLine(name, edit));
    EXPECT_EQ(s.status, TReplayStatus::kMalformed) << edit;
    EXPECT_GT(s.line, 1) << edit;
    EXPECT_NE(s.message.find("line "), std::string::npos) << s.message;
  }
  // A cell kind the board cannot hold.
  const TReplaySummary s = Check(WithLine(
      "board 4 ", "board 4 7" + good_->substr(good_->find("\nboard 4 ") + 10,
                                              good_->find('\n', good_->find("\nboard 4 ") + 1) -
                                                  good_->find("\nboard 4 ") - 10)));
  EXPECT_EQ(s.status, TReplayStatus::kMalformed) << s.message;
}

TEST_F(HostileReplay, HugeCountsAreRefusedBeforeAnythingIsAllocated) {
  const struct {
    const char* prefix;
    const char* line;
    TReplayStatus status;
  } cases[] = {
      {"frames ", "frames 1900000000", TReplayStatus::kOverLimit},
      {"frames ", "frames 1000000", TReplayStatus::kMalformed},  // cannot fit in the file
      {"frames ", "frames 99999999999999999999", TReplayStatus::kMalformed},
      {"inputs ", "inputs 2000000000", TReplayStatus::kMalformed},
      {"music ", "music 2000000000 1", TReplayStatus::kMalformed},
  };
  for (const auto& c : cases) {
    const TReplaySummary s = Check(WithLine(c.prefix, c.line));
    EXPECT_EQ(s.status, c.status) << c.line << ": " << s.message;
    if (c.status == TReplayStatus::kMalformed) {
      EXPECT_EQ(s.line, LineOf(c.prefix)) << c.line;
    }
  }
  // The frame limit counts the frames of every game of the file.
  TReplayLimits few;
  few.maxFrames = 100;
  EXPECT_EQ(Check(*good_, few).status, TReplayStatus::kOverLimit);
}

TEST_F(HostileReplay, AnotherVersionOrNoReplayIsTold) {
  std::string other = *good_;
  other.replace(0, other.find('\n'), "zazo-puzzle-replay 2");
  TReplaySummary s = Check(other);
  EXPECT_EQ(s.status, TReplayStatus::kWrongVersion);
  EXPECT_EQ(s.line, 1);
  EXPECT_NE(s.message.find("zazo-puzzle-replay 2"), std::string::npos) << s.message;
  EXPECT_EQ(Check("").status, TReplayStatus::kWrongVersion);
  EXPECT_EQ(Check("seed mt 5\nrun 10\n").status, TReplayStatus::kWrongVersion);
  // A version line alone holds no game.
  s = Check("zazo-puzzle-replay 1\n");
  EXPECT_EQ(s.status, TReplayStatus::kMalformed);
}

TEST_F(HostileReplay, TwoGamesInOneFileAreBothChecked) {
  const std::string second = good_->substr(good_->find("\ngame ") + 1);
  const TReplaySummary s = Check(*good_ + "\n" + second);
  ASSERT_EQ(s.status, TReplayStatus::kOk) << s.message;
  ASSERT_EQ(s.games.size(), 2u);
  EXPECT_EQ(s.games[0].signature, s.games[1].signature);
  // Line ends written CR LF by an editor still read.
  std::string crlf;
  for (char c : *good_) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(Check(crlf).status, TReplayStatus::kOk);
}

// Checks run side by side, each on its own game object, agree.
TEST_F(HostileReplay, ChecksRunConcurrentlyAgree) {
  const TReplaySummary alone = Check(*good_);
  std::vector<TReplaySummary> results(4);
  std::vector<std::thread> threads;
  for (TReplaySummary& r : results) threads.emplace_back([&r] { r = Check(*good_); });
  for (std::thread& t : threads) t.join();
  for (const TReplaySummary& r : results) {
    ASSERT_EQ(r.status, TReplayStatus::kOk) << r.message;
    EXPECT_EQ(r.games[0].signature, alone.games[0].signature);
  }
}

}  // namespace
