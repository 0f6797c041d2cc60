// The relay with real ENet clients on loopback: rooms, forwarding,
// spectators, players leaving, bounds.
#include <enet/enet.h>

#include <cstring>

#include "relay/match_keeper.h"
#include "relay_fixture.h"

namespace {

using TState = TRoomClient::TState;

struct TPair {
  TRoomClient host, guest;
};

// A host with a room and a guest in it.
void Pair(int port, TPair* p) {
  ASSERT_TRUE(p->host.Start("127.0.0.1", port, Request(TRoomRequest::kCreate, "あき")));
  ASSERT_EQ(p->host.WaitFor(5000, false), TRoomClient::kWaiting) << p->host.Reason();
  ASSERT_TRUE(
      p->guest.Start("127.0.0.1", port, Request(TRoomRequest::kJoin, "bo", p->host.Code())));
  ASSERT_TRUE(PollUntil(
      [&] {
        return p->host.State() == TRoomClient::kPaired && p->guest.State() == TRoomClient::kPaired;
      },
      5000, p->host, p->guest))
      << p->guest.Reason();
}

bool ReceiveOne(TRoomClient& c, TRoomMessage* m, int millis = 3000) {
  return PollUntil([&] { return ReceiveText(c, m); }, millis, c);
}

TEST(RelayRoomsTest, CreateJoinAndForwardBothWays) {
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TPair p;
  Pair(relay.Port(), &p);
  const std::string code = p.host.Code();
  ASSERT_EQ(code.size(), 6u);
  for (char c : code) EXPECT_NE(std::strchr(kRoomCodeAlphabet, c), nullptr) << code;
  TRoomRecord rec;
  EXPECT_TRUE(dir->FindRoom(code, &rec));
  EXPECT_EQ(p.host.OpponentName(), "bo");
  EXPECT_EQ(p.guest.OpponentName(), "あき");
  EXPECT_EQ(p.guest.Role(), kRoleGuest);

  ASSERT_TRUE(SendText(p.host, kChannelInputs, "start"));
  ASSERT_TRUE(SendText(p.guest, kChannelControl, "in", TDelivery::kUnreliable));
  TRoomMessage m;
  ASSERT_TRUE(ReceiveOne(p.guest, &m));
  EXPECT_EQ(m.bytes, "start");
  EXPECT_EQ(m.channel, kChannelInputs);
  ASSERT_TRUE(ReceiveOne(p.host, &m));
  EXPECT_EQ(m.bytes, "in");
  EXPECT_EQ(m.channel, kChannelControl);
  // The relay's own kinds never go to the other player.
  const uint8_t roomKind[] = {kRelayLeaveRoom};
  EXPECT_FALSE(p.host.Send(0, roomKind, 1, TDelivery::kReliable));
  EXPECT_FALSE(ReceiveText(p.host, &m));
}

TEST(RelayRoomsTest, RefusalsSayWhy) {
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TPair p;
  Pair(relay.Port(), &p);

  TRoomClient third;
  ASSERT_TRUE(
      third.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kJoin, "c", p.host.Code())));
  EXPECT_EQ(third.WaitFor(5000, true), TRoomClient::kFailed);
  EXPECT_NE(third.Reason().find("already has two players"), std::string::npos) << third.Reason();

  TRoomClient nobody;
  ASSERT_TRUE(nobody.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kJoin, "d", "ZZZZZZ")));
  EXPECT_EQ(nobody.WaitFor(5000, true), TRoomClient::kFailed);
  EXPECT_EQ(nobody.Reason(), "no room ZZZZZZ");

  TRoomClient waiting, old;
  ASSERT_TRUE(waiting.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kCreate, "w")));
  ASSERT_EQ(waiting.WaitFor(5000, false), TRoomClient::kWaiting);
  ASSERT_TRUE(old.Start("127.0.0.1", relay.Port(),
                        Request(TRoomRequest::kJoin, "o", waiting.Code(), "0.9.0")));
  EXPECT_EQ(old.WaitFor(5000, true), TRoomClient::kFailed);
  EXPECT_EQ(old.Reason(), "version 0.9.0 cannot join a game of version 1.0.0");
  // The players already in are untouched.
  ASSERT_TRUE(SendText(p.host, 1, "x"));
  TRoomMessage m;
  EXPECT_TRUE(ReceiveOne(p.guest, &m));
}

TEST(RelayRoomsTest, LateSpectatorCatchesUpThenFollows) {
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TPair p;
  Pair(relay.Port(), &p);
  for (int i = 0; i < 50; i++) {
    ASSERT_TRUE(SendText(p.host, 0, "h" + std::to_string(i)));
    ASSERT_TRUE(SendText(p.guest, 0, "g" + std::to_string(i)));
  }
  TRoomMessage m;
  for (int i = 0; i < 50; i++) ASSERT_TRUE(ReceiveOne(p.guest, &m));

  TRoomClient watcher;
  ASSERT_TRUE(watcher.Start("127.0.0.1", relay.Port(),
                            Request(TRoomRequest::kSpectate, "s", p.host.Code())));
  ASSERT_EQ(watcher.WaitFor(5000, true), TRoomClient::kPaired) << watcher.Reason();
  EXPECT_EQ(watcher.HostName(), "あき");
  EXPECT_EQ(watcher.OpponentName(), "bo");
  int fromHost = 0, fromGuest = 0;
  while (fromHost + fromGuest < 100 && ReceiveOne(watcher, &m)) {
    // Each side's messages arrive in the order it sent them.
    const bool host = m.fromRole == kRoleHost;
    EXPECT_EQ(m.bytes, (host ? "h" : "g") + std::to_string(host ? fromHost : fromGuest));
    (host ? fromHost : fromGuest)++;
  }
  EXPECT_EQ(fromHost, 50);
  EXPECT_EQ(fromGuest, 50);
  ASSERT_TRUE(SendText(p.host, 0, "live"));
  ASSERT_TRUE(ReceiveOne(watcher, &m));
  EXPECT_EQ(m.bytes, "live");
  // Spectators are read only.
  EXPECT_FALSE(SendText(watcher, 0, "meddle"));
}

TEST(RelayRoomsTest, ALeavingPlayerEndsTheRoomForEveryone) {
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TPair p;
  Pair(relay.Port(), &p);
  const std::string code = p.host.Code();
  TRoomClient watcher;
  ASSERT_TRUE(
      watcher.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kSpectate, "s", code)));
  ASSERT_EQ(watcher.WaitFor(5000, true), TRoomClient::kPaired);
  p.guest.Close(200);
  ASSERT_TRUE(PollUntil(
      [&] {
        return p.host.State() == TRoomClient::kOpponentGone &&
               watcher.State() == TRoomClient::kOpponentGone;
      },
      3000, p.host, watcher));
  EXPECT_EQ(p.host.Reason(), "the opponent left");
  TRoomRecord rec;
  EXPECT_FALSE(dir->FindRoom(code, &rec));
}

TEST(RelayRoomsTest, ASilentRelayIsNoticedWithinThreeSeconds) {
  // A UDP port that swallows everything: the relay as a killed process leaves it.
  ENetAddress any{ENET_HOST_ANY, 0};
  ASSERT_EQ(enet_initialize(), 0);
  ENetSocket sink = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  ASSERT_EQ(enet_socket_bind(sink, &any), 0);
  ENetAddress bound{};
  enet_socket_get_address(sink, &bound);
  TRoomClient c;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(c.Start("127.0.0.1", bound.port, Request(TRoomRequest::kCreate, "x")));
  EXPECT_EQ(c.WaitFor(10000, true), TRoomClient::kFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(6000));
  EXPECT_EQ(c.Reason(), "no answer from the relay");
  enet_socket_destroy(sink);

  // A relay that stops mid-match: the players hear of it.
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TPair p;
  Pair(relay.Port(), &p);
  relay.Stop();
  ASSERT_TRUE(PollUntil(
      [&] {
        return p.host.State() == TRoomClient::kFailed && p.guest.State() == TRoomClient::kFailed;
      },
      3500, p.host, p.guest));
  EXPECT_EQ(p.guest.Reason(), "the connection to the relay was lost");
}

TEST(RelayRoomsTest, QuickPairingMatchesVersions) {
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TRoomClient a, other, b;
  ASSERT_TRUE(a.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kQuick, "a")));
  ASSERT_EQ(a.WaitFor(5000, false), TRoomClient::kWaiting);
  ASSERT_TRUE(
      other.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kQuick, "o", "", "2.0.0")));
  ASSERT_EQ(other.WaitFor(5000, false), TRoomClient::kWaiting);
  EXPECT_NE(other.Code(), a.Code());
  ASSERT_TRUE(b.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kQuick, "b")));
  ASSERT_TRUE(PollUntil(
      [&] { return a.State() == TRoomClient::kPaired && b.State() == TRoomClient::kPaired; }, 5000,
      a, b));
  EXPECT_EQ(b.Code(), a.Code());
  EXPECT_EQ(b.OpponentName(), "a");
  // A room made by code is not offered to quick pairing.
  TRoomClient byCode, quick;
  ASSERT_TRUE(byCode.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kCreate, "c")));
  ASSERT_EQ(byCode.WaitFor(5000, false), TRoomClient::kWaiting);
  ASSERT_TRUE(quick.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kQuick, "q")));
  ASSERT_EQ(quick.WaitFor(5000, false), TRoomClient::kWaiting);
  EXPECT_NE(quick.Code(), byCode.Code());
}

}  // namespace
