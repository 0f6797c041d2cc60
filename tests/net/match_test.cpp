// Two machines of a match in one process, through the link simulator: whole
// 10,800-frame versus matches with identical state on both and a replay that
// plays them alone; a planted desync caught; a lost opponent, a wrong
// version and garbage handled.
#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "net/match_pair.h"
#include "net/net_protocol.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_file_writer.h"
#include "replay/replay_format.h"
#include "replay/replay_host.h"
#include "replay/replay_player.h"

namespace {

// The replay one machine wrote, played alone: the same per-second hashes as
// the match and the result's digest.
void CheckReplayAlone(const std::string& text, const std::vector<uint64_t>& matchHashes) {
  std::vector<TReplayGame> games;
  int line = 0;
  std::string error;
  ASSERT_EQ(ParseReplayFile(text, 1u << 20, &games, &line, &error), TReplayParseError::kNone)
      << error;
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0].mode, "versus2");
  // Both players played, each with its own side's keys.
  int keys[2] = {};
  for (const TReplayInput& in : games[0].inputs) {
    if (in.kind != TReplayInput::kKey) continue;
    if (MatchKeyAllowed(0, in.key) && in.key != '1' && in.key != '2') keys[0]++;
    if (MatchKeyAllowed(1, in.key) && in.key != '1' && in.key != '2') keys[1]++;
  }
  EXPECT_GT(keys[0], 100);
  EXPECT_GT(keys[1], 100);
  TReplayHost host;
  TMainForm form(host);
  form.LoadAssets();
  TReplayPlayer player(games[0], form, host);
  player.Start();
  auto state = std::make_unique<TGameState>();
  std::unique_ptr<uint8_t[]> scratch(new uint8_t[kStartSizeBound]);
  size_t hashAt = 0;
  while (!player.Done()) {
    const uint32_t frame = player.FramesRun();
    player.Step();
    if (player.FramesRun() == frame + 1 && (frame + 1) % TMatchEngine::kHashEvery == 0) {
      state->Take(form);
      ASSERT_LT(hashAt, matchHashes.size());
      ASSERT_EQ(MatchStateHash(*state, scratch.get()), matchHashes[hashAt]) << "frame " << frame;
      hashAt++;
    }
  }
  EXPECT_GE(hashAt, 10800u / TMatchEngine::kHashEvery);
  std::unique_ptr<char[]> text2(new char[kStateTextMax]);
  char digest[33];
  state->Take(form);
  StateDigest(*state, text2.get(), digest);
  EXPECT_STREQ(digest, games[0].result.digest);
}

void PlayWholeMatch(const TLinkSetting& setting, uint16_t inputDelay, uint32_t seed) {
  TMatchPair pair(setting, inputDelay, seed);
  pair.Run(110, 40);
  TMatchPeer& h = pair.host;
  TMatchPeer& j = pair.join;
  ASSERT_EQ(h.engine->End(), TMatchEnd::kLeftHere) << h.engine->EndText();
  ASSERT_EQ(j.engine->End(), TMatchEnd::kOpponentLeft) << j.engine->EndText();
  EXPECT_STREQ(j.engine->EndText(), "相手が退出しました");
  // The match went the whole 10,800 frames, to game over on both at once.
  EXPECT_GT(h.gameOverTick, 10800u);
  EXPECT_EQ(h.gameOverTick, j.gameOverTick);
  EXPECT_EQ(h.engine->TicksRun(), j.engine->TicksRun());
  EXPECT_EQ(h.engine->TicksRun(), h.engine->EndTick());
  ASSERT_EQ(h.hashes.size(), j.hashes.size());
  EXPECT_EQ(h.hashes, j.hashes);
  auto a = std::make_unique<TGameState>(), b = std::make_unique<TGameState>();
  a->Take(*h.form);
  b->Take(*j.form);
  std::unique_ptr<uint8_t[]> scratch(new uint8_t[kStartSizeBound]);
  const uint64_t ha = MatchStateHash(*a, scratch.get());
  EXPECT_EQ(ha, MatchStateHash(*b, scratch.get()));

  // Each machine wrote the match as one versus replay, the two identical.
  const auto hostFiles = FilesIn(pair.hostDir + "replays/");
  const auto joinFiles = FilesIn(pair.joinDir + "replays/");
  ASSERT_EQ(hostFiles.size(), 1u);
  ASSERT_EQ(joinFiles.size(), 1u);
  const std::string text = ReadAll(hostFiles[0]);
  EXPECT_EQ(text, ReadAll(joinFiles[0]));
  CheckReplayAlone(text, h.hashes);
}

// Three links of the nine the benchmark plays: a perfect one, a short one
// with some loss, and a long one with loss, duplication and reordering. A
// large input delay keeps the wall time small. (Ten per cent loss on the
// long link is left to the benchmark: in one loaded run of the whole suite
// it went 3 s without a datagram and ended by the silence rule.)
TEST(MatchTest, WholeMatchOnAPerfectLink) {
  PlayWholeMatch({0, 0, 0, 0, 0}, 4, 11);
}
TEST(MatchTest, WholeMatchOn50MsRoundTripWith2PercentLoss) {
  PlayWholeMatch({25, 3, 2, 1, 1}, 90, 12);
}
TEST(MatchTest, WholeMatchOn150MsRoundTripWithLossDuplicationAndReordering) {
  PlayWholeMatch({75, 10, 2, 2, 2}, 240, 13);
}

TEST(MatchTest, PlantedDesyncIsCaughtWithinTwoSeconds) {
  TMatchPair pair({0, 0, 0, 0, 0}, 4, 21);
  pair.join.plantDesyncAtHash = true;
  pair.join.plantAtTick = 1000;
  pair.Run(30, 0);
  for (TMatchPeer* p : {&pair.host, &pair.join}) {
    EXPECT_EQ(p->engine->End(), TMatchEnd::kDesync) << p->engine->EndText();
    EXPECT_LE(p->engine->TicksRun(), 1000u + 120u);
    EXPECT_GT(p->engine->TicksRun(), 1000u);
  }
  // The replays are kept for a look at what went wrong.
  EXPECT_EQ(FilesIn(pair.hostDir + "replays/").size(), 1u);
  EXPECT_EQ(FilesIn(pair.joinDir + "replays/").size(), 1u);
}

TEST(MatchTest, SilentOpponentEndsTheMatchWithinThreeSeconds) {
  TMatchPair pair({0, 0, 0, 0, 0}, 4, 31);
  uint32_t start = SteadyMs();
  while (pair.host.engine->TicksRun() < 300 && SteadyMs() - start < 20000) {
    pair.host.Step();
    pair.join.Step();
  }
  ASSERT_GE(pair.host.engine->TicksRun(), 300u);
  pair.join.link.reset();  // gone without a word, as a killed program
  pair.sim.Stop();
  start = SteadyMs();
  while (pair.host.engine->Phase() != TMatchPhase::kEnded && SteadyMs() - start < 10000) {
    pair.host.Step();
    usleep(1000);
  }
  const uint32_t took = SteadyMs() - start;
  EXPECT_EQ(pair.host.engine->End(), TMatchEnd::kTimeout);
  EXPECT_LE(took, 4500u);  // 3 s of silence, and a loaded machine's slack
  EXPECT_GE(took, 2500u);
}

// A raw client: a link that sends what the test says.
TEST(MatchTest, WrongVersionIsRefusedNamingBoth) {
  std::string error;
  auto hostLink = TEnetLink::Listen(0, &error);
  ASSERT_TRUE(hostLink);
  auto client = TEnetLink::Connect("127.0.0.1", hostLink->Port(), &error);
  TMatchEngine host(*hostLink, TMatchRole::kHost, "host");
  THello hello;
  std::strcpy(hello.version, "0.9.1");
  std::strcpy(hello.name, "old");
  uint8_t buf[128];
  bool sent = false, refused = false;
  auto message = std::make_unique<TLinkMessage>();
  const uint32_t start = SteadyMs();
  while (SteadyMs() - start < 5000 && !refused) {
    host.Pump(SteadyMs());
    while (client->Receive(message.get())) {
      TMessage m;
      const char* why;
      if (DecodeMessage(message->data, message->size, &m, &why) && m.kind == TMessageKind::kLeave) {
        refused = m.leave.reason == TLeaveReason::kVersion;
      }
    }
    if (client->Connected() && !sent) {
      sent = client->Send(kChannelControl, buf, EncodeHello(hello, buf, sizeof buf),
                          TDelivery::kReliable);
    }
    usleep(1000);
  }
  EXPECT_TRUE(refused);
  EXPECT_EQ(host.End(), TMatchEnd::kVersion);
  const std::string text = host.EndText();
  EXPECT_NE(text.find(kGameVersion), std::string::npos) << text;
  EXPECT_NE(text.find("0.9.1"), std::string::npos) << text;
}

TEST(MatchTest, GarbageDatagramsAndUnreadableMessages) {
  TMatchPair pair({0, 0, 0, 0, 0}, 4, 41);
  // Datagrams from a stranger straight to the host's port: short, random,
  // and as large as UDP carries. The match goes on.
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(pair.host.link->Port());
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<uint8_t> junk(65000);
  std::mt19937 rng(5);
  const uint32_t start = SteadyMs();
  while (pair.host.engine->TicksRun() < 600 && SteadyMs() - start < 20000) {
    const size_t n = rng() % 3 == 0 ? junk.size() : rng() % 64;
    for (size_t k = 0; k < n; k++) junk[k] = static_cast<uint8_t>(rng());
    sendto(fd, junk.data(), n, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    pair.host.Step();
    pair.join.Step();
  }
  close(fd);
  EXPECT_GE(pair.host.engine->TicksRun(), 600u);
  EXPECT_EQ(pair.host.engine->Phase(), TMatchPhase::kPlaying);

  // The opponent itself sending what is no match message ends the match
  // with a message on both sides.
  const uint8_t bad[] = {3, 1, 2};
  pair.join.link->Send(kChannelControl, bad, sizeof bad, TDelivery::kReliable);
  const uint32_t t = SteadyMs();
  while (SteadyMs() - t < 5000 && (pair.host.engine->Phase() != TMatchPhase::kEnded ||
                                   pair.join.engine->Phase() != TMatchPhase::kEnded)) {
    pair.host.Step();
    pair.join.Step();
  }
  EXPECT_EQ(pair.host.engine->End(), TMatchEnd::kProtocol);
  EXPECT_EQ(pair.join.engine->End(), TMatchEnd::kProtocol);
}

}  // namespace
