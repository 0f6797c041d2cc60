// Finding the relay from the board's description.
#include "net/room_board.h"

#include <gtest/gtest.h>

namespace {

TEST(RoomBoardTest, TheRelayIsNamedOrBesideTheBoard) {
  TRelayAddress a;
  std::string error;
  ASSERT_TRUE(ParseBoardRelay(R"({"name":"b","relay":{"host":"relay.example","port":47652}})",
                              "http://board.example:8080", &a, &error))
      << error;
  EXPECT_EQ(a.host, "relay.example");
  EXPECT_EQ(a.port, 47652);
  ASSERT_TRUE(
      ParseBoardRelay(R"({"relay":{"host":"","port":5}})", "https://u@[::1]:8080/x", &a, &error));
  EXPECT_EQ(a.host, "::1");
  ASSERT_TRUE(ParseBoardRelay(R"({"relay":{"port":5}})", "http://127.0.0.1:47650/", &a, &error));
  EXPECT_EQ(a.host, "127.0.0.1");
  EXPECT_EQ(BoardInfoUrl("http://h:1/"), "http://h:1/score/api/board");
}

TEST(RoomBoardTest, ABoardWithoutRelayOrAGarbledAnswerSaysSo) {
  TRelayAddress a;
  std::string error;
  EXPECT_FALSE(ParseBoardRelay(R"({"name":"b"})", "http://h", &a, &error));
  EXPECT_EQ(error, "the board offers no relay for online play");
  EXPECT_FALSE(ParseBoardRelay(R"({"relay":null})", "http://h", &a, &error));
  for (const char* bad :
       {R"({"relay":{"host":"h","port":0}})", R"({"relay":{"host":"h","port":70000}})",
        R"({"relay":{"host":1,"port":5}})", R"({"relay":{"host":"h","port":"5"}})"}) {
    EXPECT_FALSE(ParseBoardRelay(bad, "http://h", &a, &error)) << bad;
    EXPECT_EQ(error, "the board names its relay wrongly");
  }
  EXPECT_FALSE(ParseBoardRelay("<html>", "http://h", &a, &error));
  EXPECT_FALSE(ParseBoardRelay(R"({"relay":{"port":5}})", "file:///x", &a, &error));
}

}  // namespace
