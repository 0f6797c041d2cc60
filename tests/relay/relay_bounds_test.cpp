// The relay under hostile or heavy use: floods, garbage, oversized packets,
// full rooms; and the matches it keeps.
#include <enet/enet.h>

#include "relay/match_keeper.h"
#include "relay_fixture.h"

namespace {

// A raw ENet connection to the relay, for packets the room client never sends.
class TRawPeer {
 public:
  explicit TRawPeer(int port) {
    enet_initialize();
    host_ = enet_host_create(nullptr, 1, 4, 0, 0);
    ENetAddress a{};
    enet_address_set_host_ip(&a, "127.0.0.1");
    a.port = static_cast<enet_uint16>(port);
    peer_ = enet_host_connect(host_, &a, 4, 0);
    ENetEvent ev;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!connected_ && std::chrono::steady_clock::now() < end)
      if (enet_host_service(host_, &ev, 10) > 0 && ev.type == ENET_EVENT_TYPE_CONNECT)
        connected_ = true;
  }
  ~TRawPeer() { enet_host_destroy(host_); }
  bool Connected() const { return connected_; }
  void Send(const std::string& bytes, uint8_t channel = 0) {
    enet_peer_send(peer_, channel,
                   enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
    enet_host_flush(host_);
  }
  // Services for millis; counts what came and whether the relay hung up.
  void Pump(int millis) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    ENetEvent ev;
    while (std::chrono::steady_clock::now() < end) {
      if (enet_host_service(host_, &ev, 5) <= 0) continue;
      if (ev.type == ENET_EVENT_TYPE_RECEIVE) {
        received++;
        enet_packet_destroy(ev.packet);
      }
      if (ev.type == ENET_EVENT_TYPE_DISCONNECT) dropped = true;
    }
  }
  int received = 0;
  bool dropped = false;

 private:
  ENetHost* host_ = nullptr;
  ENetPeer* peer_ = nullptr;
  bool connected_ = false;
};

void CreateRoom(int port, TRoomClient* c, const char* name = "h") {
  ASSERT_TRUE(c->Start("127.0.0.1", port, Request(TRoomRequest::kCreate, name)));
  ASSERT_EQ(c->WaitFor(5000, false), TRoomClient::kWaiting) << c->Reason();
}

TEST(RelayBoundsTest, AFloodOfRoomRequestsIsCutOffAndOthersAreStillServed) {
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TRawPeer flood(relay.Port());
  ASSERT_TRUE(flood.Connected());
  TRelayMessage create;
  create.kind = kRelayCreateRoom;
  create.version = "1.0.0";
  const std::string bytes = EncodeRelayMessage(create);
  for (int i = 0; i < 2000; i++) flood.Send(bytes);
  flood.Pump(300);
  // A few answers, never one per request; then the flooder is gone.
  EXPECT_LT(flood.received, 20);
  EXPECT_LE(relay.Relay().Stats().rooms.load(), 1);
  TRoomClient other;
  CreateRoom(relay.Port(), &other);
  flood.Pump(1000);
  EXPECT_TRUE(flood.dropped);
}

TEST(RelayBoundsTest, GarbageAndOversizedPacketsChangeNothing) {
  auto dir = MakeMemoryRoomDirectory();
  TRunningRelay relay(*dir);
  TRawPeer junk(relay.Port());
  ASSERT_TRUE(junk.Connected());
  junk.Send(std::string());
  junk.Send(std::string("\x41\x40", 2));
  junk.Send(std::string(100000, '\x40'));
  junk.Pump(200);
  EXPECT_FALSE(junk.dropped);  // answered with errors, not a crash or a hang

  // A player of a room sends what no client would: an oversized match message.
  TRoomClient host;
  CreateRoom(relay.Port(), &host);
  EXPECT_FALSE(SendText(host, 0, std::string(kMaxForwardedBytes, 'x')));
  TRawPeer guest(relay.Port());
  TRelayMessage join;
  join.kind = kRelayJoinRoom;
  join.code = host.Code();
  join.version = "1.0.0";
  guest.Send(EncodeRelayMessage(join));
  ASSERT_TRUE(PollUntil([&] { return host.State() == TRoomClient::kPaired; }, 5000, host));
  guest.Send(std::string(kMaxForwardedBytes + 1, '\x03'));
  guest.Send("\x03ok");
  guest.Pump(100);
  TRoomMessage m;
  ASSERT_TRUE(PollUntil([&] { return ReceiveText(host, &m); }, 3000, host));
  EXPECT_EQ(m.bytes, "ok");
  EXPECT_EQ(relay.Relay().Stats().dropped.load(), 1);
}

TEST(RelayBoundsTest, RoomsAndSpectatorsAreCapped) {
  auto dir = MakeMemoryRoomDirectory();
  TRelayOptions opt = TRunningRelay::MakeOptions();
  opt.maxRooms = 2;
  opt.maxSpectators = 1;
  TRunningRelay relay(*dir, opt);
  TRoomClient a, b, c;
  CreateRoom(relay.Port(), &a);
  CreateRoom(relay.Port(), &b);
  ASSERT_TRUE(c.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kCreate, "c")));
  EXPECT_EQ(c.WaitFor(5000, false), TRoomClient::kFailed);
  EXPECT_NE(c.Reason().find("as many rooms"), std::string::npos) << c.Reason();

  TRoomClient s1, s2;
  ASSERT_TRUE(s1.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kSpectate, "s", a.Code())));
  EXPECT_EQ(s1.WaitFor(5000, false), TRoomClient::kWaiting);
  ASSERT_TRUE(s2.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kSpectate, "s", a.Code())));
  EXPECT_EQ(s2.WaitFor(5000, false), TRoomClient::kFailed);
  EXPECT_NE(s2.Reason().find("spectators"), std::string::npos) << s2.Reason();
}

TEST(RelayBoundsTest, ALongMatchStopsBufferingAndRefusesLateSpectators) {
  auto dir = MakeMemoryRoomDirectory();
  TRelayOptions opt = TRunningRelay::MakeOptions();
  opt.spectatorBufferBytes = 2000;
  TRunningRelay relay(*dir, opt);
  TRoomClient host, guest, late;
  CreateRoom(relay.Port(), &host);
  ASSERT_TRUE(
      guest.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kJoin, "g", host.Code())));
  ASSERT_EQ(guest.WaitFor(5000, true), TRoomClient::kPaired);
  ASSERT_EQ(host.WaitFor(5000, true), TRoomClient::kPaired);
  for (int i = 0; i < 30; i++) ASSERT_TRUE(SendText(host, 0, std::string(100, 'm')));
  TRoomMessage m;
  int got = 0;
  PollUntil([&] { return (got += ReceiveText(guest, &m) ? 1 : 0) == 30; }, 3000, guest);
  ASSERT_EQ(got, 30);
  ASSERT_TRUE(
      late.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kSpectate, "s", host.Code())));
  EXPECT_EQ(late.WaitFor(5000, true), TRoomClient::kFailed);
  EXPECT_NE(late.Reason().find("too long"), std::string::npos) << late.Reason();
}

TEST(RelayBoundsTest, TheFirstReplayThatReproducesIsKeptOncePerMatch) {
  auto dir = MakeMemoryRoomDirectory();
  TFakeChecker checker;
  TRunningRelay relay(*dir, TRunningRelay::MakeOptions(), &checker);
  TRoomClient host, guest;
  CreateRoom(relay.Port(), &host, "あき");
  const std::string code = host.Code();
  ASSERT_TRUE(guest.Start("127.0.0.1", relay.Port(), Request(TRoomRequest::kJoin, "bo", code)));
  ASSERT_EQ(guest.WaitFor(5000, true), TRoomClient::kPaired);
  std::string error;
  // No room of that code ever played: nothing kept.
  EXPECT_TRUE(UploadMatchReplay("127.0.0.1", relay.Port(), "ZZZZZZ", "result 1\n", 3000, &error));
  const std::string replay = "zazo-puzzle-replay 1\ngame versus2\nresult 0 1 - - abc\nend game\n";
  // While the room is open (a rematch may follow), and after it closed.
  ASSERT_TRUE(UploadMatchReplay("127.0.0.1", relay.Port(), code, replay, 3000, &error)) << error;
  host.Close(200);
  guest.Close(200);
  ASSERT_TRUE(UploadMatchReplay("127.0.0.1", relay.Port(), code, replay, 3000, &error)) << error;
  const std::string rematch = "zazo-puzzle-replay 1\ngame versus2\nresult 0 1 - - def\nend game\n";
  ASSERT_TRUE(PollUntil([&] { return relay.Relay().Stats().matchesKept.load() >= 1; }, 5000, host));
  checker.accept = false;  // the rematch's replay does not reproduce
  ASSERT_TRUE(UploadMatchReplay("127.0.0.1", relay.Port(), code, rematch, 3000, &error)) << error;
  host.Poll(300);
  const auto matches = dir->RecentMatches(10);
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].hostName, "あき");
  EXPECT_EQ(matches[0].guestName, "bo");
  EXPECT_EQ(matches[0].result, "0 1 - - abc");
  std::string kept;
  ASSERT_TRUE(dir->MatchReplay(matches[0].id, &kept));
  EXPECT_EQ(kept, replay);
}

}  // namespace
