// The room messages: what the relay and the game say to each other.
#include <gtest/gtest.h>

#include "net/room_messages.h"

namespace {

TRelayMessage Decoded(const std::string& bytes, bool* ok, std::string* error) {
  TRelayMessage m;
  *ok = DecodeRelayMessage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &m, error);
  return m;
}

TEST(RelayMessagesTest, EveryKindSurvivesTheRoundTrip) {
  TRelayMessage join;
  join.kind = kRelayJoinRoom;
  join.code = "ab23cd";
  join.version = "1.0.0";
  join.name = "たろう";
  bool ok = false;
  std::string error;
  TRelayMessage back = Decoded(EncodeRelayMessage(join), &ok, &error);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(back.code, "AB23CD");  // codes are typed in either case
  EXPECT_EQ(back.version, "1.0.0");
  EXPECT_EQ(back.name, "たろう");

  TRelayMessage answer;
  answer.kind = kRelayRoomAnswer;
  answer.code = "XYZ234";
  answer.role = kRoleGuest;
  answer.paired = 1;
  answer.name = "host";
  answer.hostName = "host";
  back = Decoded(EncodeRelayMessage(answer), &ok, &error);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(back.role, kRoleGuest);
  EXPECT_EQ(back.paired, 1);

  TRelayMessage redirect;
  redirect.kind = kRelayRedirect;
  redirect.text = "10.0.0.2";
  redirect.port = 47652;
  redirect.code = "abc234";
  back = Decoded(EncodeRelayMessage(redirect), &ok, &error);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(back.port, 47652);
  EXPECT_EQ(back.text, "10.0.0.2");
  EXPECT_EQ(back.code, "ABC234");

  TRelayMessage copy;
  copy.kind = kRelayCopy;
  copy.role = kRoleGuest;
  copy.payload = std::string("\x03\x00\x01", 3);
  back = Decoded(EncodeRelayMessage(copy), &ok, &error);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(back.payload, copy.payload);
}

TEST(RelayMessagesTest, LongNamesAreCutAtACharacterBoundary) {
  TRelayMessage m;
  m.kind = kRelayCreateRoom;
  m.version = "1";
  for (int i = 0; i < 40; i++) m.name += "あ";  // 120 bytes
  bool ok = false;
  std::string error;
  const TRelayMessage back = Decoded(EncodeRelayMessage(m), &ok, &error);
  ASSERT_TRUE(ok) << error;
  EXPECT_LE(back.name.size(), kMaxRelayText);
  EXPECT_EQ(back.name.size() % 3, 0u);
}

TEST(RelayMessagesTest, HostilePacketsAreRefused) {
  const std::string cases[] = {
      std::string(),           // empty
      std::string("\x01", 1),  // a match kind
      std::string("\x40", 1),  // fields missing
      std::string("\x40\x05"
                  "1.0",
                  5),              // text longer than the packet
      std::string("\x40\xFF", 2),  // text longer than allowed
      std::string("\x41\x06"
                  "OOOOOO\x00\x00",
                  10),  // code with look-alikes
      std::string("\x41\x03"
                  "ABC\x00\x00",
                  7),                          // short code
      std::string("\x49\x00", 2),              // trailing byte
      std::string("\x46\x00\x00\x00\x00", 5),  // redirect without host or port
      std::string("\x4A\x02x", 3),             // copy from a spectator
      std::string("\x5F", 1),                  // reserved, unused
  };
  for (const std::string& c : cases) {
    bool ok = true;
    std::string error;
    Decoded(c, &ok, &error);
    EXPECT_FALSE(ok) << "accepted " << c.size() << " bytes";
    EXPECT_FALSE(error.empty());
  }
}

TEST(RelayMessagesTest, RoomCodes) {
  std::string code = "abcdef";
  EXPECT_TRUE(NormalizeRoomCode(&code));
  EXPECT_EQ(code, "ABCDEF");
  for (std::string bad : {"ABCDE", "ABCDEFG", "ABCDE0", "ABCDE1", "ABCDEI", "ABCDEO", "ABC DE"})
    EXPECT_FALSE(NormalizeRoomCode(&bad)) << bad;
}

}  // namespace
