// The match messages: every kind comes back as it was sent, and bytes that
// are not a message (cut, padded, out of range, random) are refused.
#include "net/net_protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "app/game_state.h"
#include "app/main.h"
#include "recording_host.h"

namespace {

// A versus game's first frame, as the host deals it.
std::unique_ptr<TGameState> VersusStart(uint32_t seed) {
  TRecordingHost host("");
  host.readPictures = false;
  auto form = std::make_unique<TMainForm>(host);
  form->SeedRandom(seed);
  form->FormCreate();
  form->versusMode = 1;
  form->side2Auto = 0;
  form->scene = kSceneNewGame;
  auto s = std::make_unique<TGameState>();
  s->Take(*form);
  return s;
}

TEST(NetProtocolTest, SmallMessagesRoundTrip) {
  uint8_t buf[256];
  TMessage m;
  const char* error = nullptr;

  THello hello;
  std::strcpy(hello.version, "1.2.3");
  std::strcpy(hello.name, "はなこ");
  hello.role = TRole::kSpectator;
  ASSERT_TRUE(DecodeMessage(buf, EncodeHello(hello, buf, sizeof buf), &m, &error)) << error;
  EXPECT_EQ(m.kind, TMessageKind::kHello);
  EXPECT_STREQ(m.hello.version, "1.2.3");
  EXPECT_STREQ(m.hello.name, "はなこ");
  EXPECT_EQ(m.hello.role, TRole::kSpectator);
  EXPECT_EQ(m.hello.protocol, kMatchProtocol);

  TTickInputs in;
  in.tick = 0x01020304;
  in.side = 1;
  in.clock = 0xfffffff0u;
  in.count = 2;
  in.inputs[0] = {TMatchInput::kKey, 1, 0, 0x55, 0, 0};
  in.inputs[1] = {TMatchInput::kClick, 0, 2, 0, -5, 470};
  ASSERT_TRUE(DecodeMessage(buf, EncodeInputs(in, buf, sizeof buf), &m, &error)) << error;
  EXPECT_EQ(m.kind, TMessageKind::kInputs);
  EXPECT_EQ(m.inputs.tick, in.tick);
  EXPECT_EQ(m.inputs.clock, in.clock);
  ASSERT_EQ(m.inputs.count, 2);
  EXPECT_EQ(m.inputs.inputs[0].key, 0x55);
  EXPECT_EQ(m.inputs.inputs[0].alt, 1);
  EXPECT_EQ(m.inputs.inputs[1].button, 2);
  EXPECT_EQ(m.inputs.inputs[1].x, -5);
  EXPECT_EQ(m.inputs.inputs[1].y, 470);

  ASSERT_TRUE(
      DecodeMessage(buf, EncodeHash({77, 0x8877665544332211ull}, buf, sizeof buf), &m, &error));
  EXPECT_EQ(m.hash.tick, 77u);
  EXPECT_EQ(m.hash.hash, 0x8877665544332211ull);
  ASSERT_TRUE(DecodeMessage(buf, EncodePause({1, 1}, buf, sizeof buf), &m, &error));
  EXPECT_EQ(m.pause.side, 1);
  EXPECT_EQ(m.pause.paused, 1);
  ASSERT_TRUE(
      DecodeMessage(buf, EncodeLeave({0, TLeaveReason::kDesync}, buf, sizeof buf), &m, &error));
  EXPECT_EQ(m.leave.reason, TLeaveReason::kDesync);
  ASSERT_TRUE(DecodeMessage(buf, EncodeRematch({1}, buf, sizeof buf), &m, &error));
  EXPECT_EQ(m.kind, TMessageKind::kRematch);

  // An encoder never writes past the buffer it is given.
  EXPECT_EQ(EncodeInputs(in, buf, 10), 0u);
}

TEST(NetProtocolTest, BrokenSmallMessagesAreRefused) {
  uint8_t buf[256];
  TMessage m;
  const char* error = nullptr;
  TTickInputs in;
  in.count = 1;
  const size_t n = EncodeInputs(in, buf, sizeof buf);
  for (size_t cut = 0; cut < n; cut++) EXPECT_FALSE(DecodeMessage(buf, cut, &m, &error)) << cut;
  buf[n] = 0;
  EXPECT_FALSE(DecodeMessage(buf, n + 1, &m, &error));
  EXPECT_STREQ(error, "a message with bytes left over");

  std::vector<uint8_t> bad(buf, buf + n);
  bad[5] = 2;  // side 2 does not exist
  EXPECT_FALSE(DecodeMessage(bad.data(), bad.size(), &m, &error));
  bad = std::vector<uint8_t>(buf, buf + n);
  bad[10] = kMaxTickInputs + 1;  // more inputs than a tick holds
  EXPECT_FALSE(DecodeMessage(bad.data(), bad.size(), &m, &error));

  // A name longer than its field, and kinds nobody sends.
  const uint8_t longName[] = {1, 1, '1', 1, 0, 40, 'a'};
  EXPECT_FALSE(DecodeMessage(longName, sizeof longName, &m, &error));
  const uint8_t relayKind[] = {static_cast<uint8_t>(TMessageKind::kRoomAnswer), 0};
  EXPECT_FALSE(DecodeMessage(relayKind, sizeof relayKind, &m, &error));
  std::vector<uint8_t> huge(kMaxMessageBytes + 1, 3);
  EXPECT_FALSE(DecodeMessage(huge.data(), huge.size(), &m, &error));

  // Random bytes never crash the decoder.
  std::mt19937 rng(7);
  for (int k = 0; k < 20000; k++) {
    uint8_t junk[24];
    const size_t len = rng() % sizeof junk;
    for (size_t j = 0; j < len; j++) junk[j] = static_cast<uint8_t>(rng());
    junk[0] = static_cast<uint8_t>(1 + rng() % 8);
    DecodeMessage(junk, len, &m, &error);
  }
}

TEST(NetProtocolTest, StartCarriesTheWholeStateAndIsChecked) {
  const auto dealt = VersusStart(12345);
  TMatchSettings s;
  s.matchNumber = 3;
  s.inputDelay = 4;
  s.firstClock = 987654;
  s.musicResults = 0x3ffff;
  std::memcpy(s.localTime, "20261208123456", 15);
  std::vector<uint8_t> buf(kStartSizeBound);
  const size_t n = EncodeStart(s, *dealt, buf.data(), buf.size());
  ASSERT_EQ(n, StartMessageSize());
  EXPECT_LT(n, kMaxMessageBytes);

  auto got = std::make_unique<TGameState>();
  TMatchSettings gs;
  const char* error = nullptr;
  ASSERT_TRUE(DecodeStart(buf.data(), n, &gs, got.get(), &error)) << error;
  EXPECT_EQ(gs.matchNumber, 3u);
  EXPECT_EQ(gs.inputDelay, 4);
  EXPECT_EQ(gs.firstClock, 987654u);
  EXPECT_EQ(gs.musicResults, 0x3ffffu);
  EXPECT_STREQ(gs.localTime, "20261208123456");
  // Both generators come back where they were: the next numbers agree.
  TMt19937 a = dealt->mt, b = got->mt;
  for (int k = 0; k < 700; k++) ASSERT_EQ(a.GenrandInt32(), b.GenrandInt32());
  EXPECT_EQ(got->lcgState, dealt->lcgState);
  EXPECT_EQ(got->bestScore, dealt->bestScore);
  EXPECT_EQ(std::memcmp(got->board, dealt->board, sizeof got->board), 0);

  // Cut, padded, or holding a state no game can begin with: refused.
  EXPECT_FALSE(DecodeStart(buf.data(), n - 1, &gs, got.get(), &error));
  EXPECT_FALSE(DecodeStart(buf.data(), n + 1, &gs, got.get(), &error));
  auto single = VersusStart(1);
  single->versusMode = 0;
  EncodeStart(s, *single, buf.data(), buf.size());
  EXPECT_FALSE(DecodeStart(buf.data(), n, &gs, got.get(), &error));
  EXPECT_STREQ(error, "a start that is not a two-person versus game");
  auto title = VersusStart(1);
  title->scene = kSceneTitle;
  EncodeStart(s, *title, buf.data(), buf.size());
  EXPECT_FALSE(DecodeStart(buf.data(), n, &gs, got.get(), &error));
  EncodeStart(s, *dealt, buf.data(), buf.size());
  buf[1 + 4 + 2 + 4 + 4 + 3] = 'x';  // a letter in the local time
  EXPECT_FALSE(DecodeStart(buf.data(), n, &gs, got.get(), &error));
  // A bool field holding 7 (showBackground sits somewhere in the scalars):
  // flipping each byte of the scalars in turn must never crash.
  EncodeStart(s, *dealt, buf.data(), buf.size());
  for (size_t at = 29; at < 29 + 300; at++) {
    const uint8_t keep = buf[at];
    buf[at] = 7;
    DecodeStart(buf.data(), n, &gs, got.get(), &error);
    buf[at] = keep;
  }
}

}  // namespace
