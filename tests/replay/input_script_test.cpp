#include "input_script.h"

#include <gtest/gtest.h>

namespace {
TInputScript Parse(const char* text) {
  TInputScript s;
  std::string error;
  EXPECT_TRUE(ParseInputScript(text, &s, &error)) << error;
  return s;
}
std::string ErrorOf(const char* text) {
  TInputScript s;
  std::string error;
  EXPECT_FALSE(ParseInputScript(text, &s, &error));
  return error;
}
}  // namespace

TEST(ReplayScript, DefaultsWhenEmpty) {
  TInputScript s = Parse("# nothing but a comment\n\n   \n");
  EXPECT_EQ(s.seedMt, 5489u);
  EXPECT_EQ(s.seedLcg, 0u);
  EXPECT_EQ(s.best, 765);
  EXPECT_EQ(s.time, "20000101000000");
  EXPECT_EQ(s.frames, 0);
  EXPECT_TRUE(s.events.empty());
}

TEST(ReplayScript, EveryDirective) {
  TInputScript s = Parse(
      "seed mt 42\r\n"
      "seed lcg 4294967295  # the largest seed\n"
      "best -3\n"
      "time 20240703200509\n"
      "at 2 key 52\n"
      "at 2 key 13 alt\n"
      "\tat 9 move 100 -5\n"
      "at 10 down right 287 447\n"
      "run 50\n"
      "run 20");  // no final newline; the largest run wins
  EXPECT_EQ(s.seedMt, 42u);
  EXPECT_EQ(s.seedLcg, 4294967295u);
  EXPECT_EQ(s.best, -3);
  EXPECT_EQ(s.time, "20240703200509");
  EXPECT_EQ(s.frames, 50);
  ASSERT_EQ(s.events.size(), 4u);
  EXPECT_EQ(s.events[0].kind, TScriptEvent::kKey);
  EXPECT_EQ(s.events[0].key, 52);
  EXPECT_FALSE(s.events[0].alt);
  EXPECT_TRUE(s.events[1].alt);
  EXPECT_EQ(s.events[2].kind, TScriptEvent::kMove);
  EXPECT_EQ(s.events[2].y, -5);
  EXPECT_EQ(s.events[3].kind, TScriptEvent::kDown);
  EXPECT_EQ(s.events[3].button, 1);
  EXPECT_EQ(s.events[3].x, 287);
}

TEST(ReplayScript, MalformedLinesNameTheirLine) {
  EXPECT_EQ(ErrorOf("run 5\nat 0 key 4\n").rfind("line 2:", 0), 0u);
  EXPECT_EQ(ErrorOf("\n\nseed xx 3\n").rfind("line 3:", 0), 0u);
  EXPECT_EQ(ErrorOf("best 99999999999\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("time 2024\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("at 3 key 13 shift\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("at 3 down left 1\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("at 3 down up 1 2\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("run -1\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("run 1x\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("seed mt 4294967296\n").rfind("line 1:", 0), 0u);
  EXPECT_EQ(ErrorOf("at 99999999999999999999999 key 1\n").rfind("line 1:", 0), 0u);
}

TEST(ReplayScript, BinaryGarbageIsAnErrorNotACrash) {
  std::string junk;
  for (int i = 0; i < 4096; i++) junk.push_back(static_cast<char>((i * 7919) & 0xff));
  TInputScript s;
  std::string error;
  EXPECT_FALSE(ParseInputScript(junk, &s, &error));
  EXPECT_FALSE(error.empty());
}
