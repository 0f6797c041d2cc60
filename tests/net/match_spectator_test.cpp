// A spectator receives both players' messages (as the relay copies them),
// sends nothing, plays a few seconds behind, and ends up with the same game
// and the same replay as the players.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "net/match_pair.h"

namespace {

struct TCopy {
  uint8_t channel;
  std::vector<uint8_t> bytes;
};

// The host's link, copying every message it sends or receives to the
// spectator's queue, as the relay forwards the match to its spectators.
class TTeeLink : public TNetLink {
 public:
  TTeeLink(TNetLink& inner, std::deque<TCopy>& queue) : inner_(inner), queue_(queue) {}
  bool Send(uint8_t channel, const uint8_t* data, size_t size, TDelivery d) override {
    queue_.push_back({channel, std::vector<uint8_t>(data, data + size)});
    return inner_.Send(channel, data, size, d);
  }
  bool Receive(TLinkMessage* out) override {
    if (!inner_.Receive(out)) return false;
    queue_.push_back({out->channel, std::vector<uint8_t>(out->data, out->data + out->size)});
    return true;
  }
  bool Connected() const override { return inner_.Connected(); }
  bool Lost() const override { return inner_.Lost(); }
  TLinkStats Stats() const override { return inner_.Stats(); }
  void Close(uint32_t waitMs) override { inner_.Close(waitMs); }

 private:
  TNetLink& inner_;
  std::deque<TCopy>& queue_;
};

class TQueueLink : public TNetLink {
 public:
  explicit TQueueLink(std::deque<TCopy>& queue) : queue_(queue) {}
  bool Send(uint8_t, const uint8_t*, size_t, TDelivery) override {
    sent++;
    return true;
  }
  bool Receive(TLinkMessage* out) override {
    if (queue_.empty()) return false;
    out->channel = queue_.front().channel;
    out->size = queue_.front().bytes.size();
    std::copy(queue_.front().bytes.begin(), queue_.front().bytes.end(), out->data);
    queue_.pop_front();
    return true;
  }
  bool Connected() const override { return true; }
  bool Lost() const override { return false; }
  TLinkStats Stats() const override { return {}; }
  void Close(uint32_t) override {}
  int sent = 0;

 private:
  std::deque<TCopy>& queue_;
};

TEST(MatchSpectatorTest, FollowsTheWholeMatchBehindAndEndsTheSame) {
  TMatchPair pair({0, 0, 0, 0, 0}, 4, 61);
  std::deque<TCopy> copies;
  TTeeLink tee(*pair.host.link, copies);
  pair.host.engine = std::make_unique<TMatchEngine>(tee, TMatchRole::kHost, "host");
  const std::string dir = TempDir();
  TMatchPeer spectator(dir + "replays/", 3, -1);
  TQueueLink feed(copies);
  spectator.engine = std::make_unique<TMatchEngine>(feed, TMatchRole::kSpectator, "watcher");

  uint32_t maxBehind = 0;
  bool leaveSent = false;
  const uint32_t start = SteadyMs();
  while (spectator.engine->Phase() != TMatchPhase::kEnded && SteadyMs() - start < 60000) {
    pair.host.Step();
    pair.join.Step();
    spectator.Step();
    if (spectator.engine->Phase() == TMatchPhase::kPlaying &&
        pair.host.engine->Phase() == TMatchPhase::kPlaying) {
      const uint32_t behind = pair.host.engine->TicksRun() - spectator.engine->TicksRun();
      maxBehind = behind > maxBehind ? behind : maxBehind;
    }
    if (!leaveSent && pair.host.gameOverTick &&
        pair.host.engine->TicksRun() > pair.host.gameOverTick + 30) {
      pair.join.engine->Leave();
      leaveSent = true;
    }
  }
  EXPECT_EQ(feed.sent, 0);                                 // a spectator sends nothing
  EXPECT_NE(spectator.engine->OpponentName()[0], '\0');    // a player's name
  EXPECT_GE(maxBehind, TMatchEngine::kSpectatorLag - 10);  // three seconds, less the input delay
  EXPECT_EQ(spectator.engine->Phase(), TMatchPhase::kEnded);
  EXPECT_EQ(spectator.engine->TicksRun(), pair.host.engine->TicksRun());
  EXPECT_EQ(spectator.hashes, pair.host.hashes);
  const auto mine = FilesIn(dir + "replays/");
  const auto hosts = FilesIn(pair.hostDir + "replays/");
  ASSERT_EQ(mine.size(), 1u);
  ASSERT_EQ(hosts.size(), 1u);
  EXPECT_EQ(ReadAll(mine[0]), ReadAll(hosts[0]));
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
