// The room directory in memory, in SQLite and (when ZAZO_TEST_PG names a
// database: tests/relay/relay_postgres.sh) in PostgreSQL, under the same
// tests; and two relays sharing one directory.
#include "relay/room_directory.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <stdlib.h>

#include "relay/match_pages.h"
#include "relay_fixture.h"
#include "server/store_sql.h"

namespace {

std::unique_ptr<TRoomDirectory> FreshDirectory(const std::string& kind) {
  if (kind == "memory") return MakeMemoryRoomDirectory();
  if (kind == "sqlite") {
    char dir[] = "/tmp/zazo-rooms-XXXXXX";
    if (!mkdtemp(dir)) return nullptr;
    return MakeSqlRoomDirectory(OpenSqliteDatabase(std::string(dir) + "/rooms.sqlite"));
  }
  const char* pg = std::getenv("ZAZO_TEST_PG");
  if (!pg || !*pg) return nullptr;
  PGconn* c = PQconnectdb(pg);
  if (PQstatus(c) == CONNECTION_OK)
    PQclear(PQexec(
        c, "SET client_min_messages = warning; DROP TABLE IF EXISTS relay_rooms, relay_matches"));
  PQfinish(c);
  return MakeSqlRoomDirectory(OpenPostgresDatabase(pg, 4));
}

class DirectoryTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    dir_ = FreshDirectory(GetParam());
    if (!dir_) GTEST_SKIP() << GetParam() << " is not available (set ZAZO_TEST_PG)";
  }
  std::unique_ptr<TRoomDirectory> dir_;
};

TEST_P(DirectoryTest, RoomCodesAreUniqueAndQuickRoomsAreClaimedOnce) {
  EXPECT_TRUE(dir_->AddRoom({"ABC234", "10.0.0.1:47652", "1.0.0", false}));
  EXPECT_FALSE(dir_->AddRoom({"ABC234", "10.0.0.2:47652", "1.0.0", false}));
  TRoomRecord r;
  ASSERT_TRUE(dir_->FindRoom("ABC234", &r));
  EXPECT_EQ(r.relay, "10.0.0.1:47652");
  EXPECT_FALSE(dir_->FindRoom("ZZZZZZ", &r));

  EXPECT_FALSE(dir_->ClaimQuickRoom("1.0.0", &r));  // a room by code is not for quick pairing
  EXPECT_TRUE(dir_->AddRoom({"QQQ234", "10.0.0.2:47652", "1.0.0", true}));
  EXPECT_TRUE(dir_->AddRoom({"OLD234", "10.0.0.2:47652", "0.9.0", true}));
  ASSERT_TRUE(dir_->ClaimQuickRoom("1.0.0", &r));
  EXPECT_EQ(r.code, "QQQ234");
  EXPECT_FALSE(dir_->ClaimQuickRoom("1.0.0", &r));

  dir_->RemoveRelayRooms("10.0.0.2:47652");
  EXPECT_FALSE(dir_->FindRoom("QQQ234", &r));
  EXPECT_FALSE(dir_->FindRoom("OLD234", &r));
  EXPECT_TRUE(dir_->FindRoom("ABC234", &r));
  dir_->RemoveRoom("ABC234");
  EXPECT_FALSE(dir_->FindRoom("ABC234", &r));
}

TEST_P(DirectoryTest, MatchesComeBackNewestFirstWithTheirReplays) {
  TMatchRecord m;
  m.code = "ABC234";
  m.hostName = "あき";
  m.guestName = "<b>bo</b>";
  m.result = "120 1 - - d41d8cd98f00b204e9800998ecf8427e";
  m.endedAt = 1765000000;
  m.replay = std::string("zazo-puzzle-replay 1\n\0\xff", 23);
  const int64_t first = dir_->AddMatch(m);
  m.code = "DEF567";
  const int64_t second = dir_->AddMatch(m);
  EXPECT_GT(second, first);
  const auto list = dir_->RecentMatches(10);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, second);
  EXPECT_EQ(list[0].code, "DEF567");
  EXPECT_EQ(list[1].hostName, "あき");
  EXPECT_TRUE(list[0].replay.empty());  // listings leave the replays out
  EXPECT_EQ(dir_->RecentMatches(1).size(), 1u);
  std::string replay;
  ASSERT_TRUE(dir_->MatchReplay(first, &replay));
  EXPECT_EQ(replay, m.replay);
  EXPECT_FALSE(dir_->MatchReplay(second + 1, &replay));

  // The board's pages of them: names escaped, the replay downloadable.
  TWebRequest req;
  req.method = "GET";
  req.path = "/score/matches/";
  TWebReply page = MatchPages(*dir_, req);
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.body.find("<b>bo"), std::string::npos);
  EXPECT_NE(page.body.find("&lt;b&gt;bo"), std::string::npos);
  EXPECT_NE(page.body.find("/score/matches/" + std::to_string(first) + ".zzr"), std::string::npos);
  req.path = "/score/matches/" + std::to_string(first) + ".zzr";
  EXPECT_EQ(MatchPages(*dir_, req).body, m.replay);
  for (const char* bad : {"/score/matches/x.zzr", "/score/matches/.zzr", "/score/matches/1.zzrx",
                          "/score/matches/99999.zzr", "/score/matches/1/../2.zzr",
                          "/score/matches/99999999999999999999999.zzr"}) {
    req.path = bad;
    EXPECT_EQ(MatchPages(*dir_, req).status, 404) << bad;
  }
}

TEST_P(DirectoryTest, TwoRelaysShareOneDirectory) {
  TRunningRelay a(*dir_), b(*dir_);
  TRoomClient host, guest, quick1, quick2;
  ASSERT_TRUE(host.Start("127.0.0.1", a.Port(), Request(TRoomRequest::kCreate, "h")));
  ASSERT_EQ(host.WaitFor(5000, false), TRoomClient::kWaiting);
  // Asked at the other relay: sent on to the one holding the room.
  ASSERT_TRUE(guest.Start("127.0.0.1", b.Port(), Request(TRoomRequest::kJoin, "g", host.Code())));
  ASSERT_TRUE(PollUntil(
      [&] { return host.State() == TRoomClient::kPaired && guest.State() == TRoomClient::kPaired; },
      5000, host, guest))
      << guest.Reason();
  ASSERT_TRUE(SendText(guest, 0, "hi"));
  TRoomMessage m;
  ASSERT_TRUE(PollUntil([&] { return ReceiveText(host, &m); }, 3000, host));
  EXPECT_EQ(m.bytes, "hi");
  // Quick pairing across relays: one waits at b, the other asks a.
  ASSERT_TRUE(quick1.Start("127.0.0.1", b.Port(), Request(TRoomRequest::kQuick, "q1")));
  ASSERT_EQ(quick1.WaitFor(5000, false), TRoomClient::kWaiting);
  ASSERT_TRUE(quick2.Start("127.0.0.1", a.Port(), Request(TRoomRequest::kQuick, "q2")));
  ASSERT_TRUE(PollUntil(
      [&] {
        return quick1.State() == TRoomClient::kPaired && quick2.State() == TRoomClient::kPaired;
      },
      5000, quick1, quick2))
      << quick2.Reason();
  EXPECT_EQ(quick2.Code(), quick1.Code());
}

INSTANTIATE_TEST_SUITE_P(Directories, DirectoryTest,
                         ::testing::Values("memory", "sqlite", "postgres"));

}  // namespace
