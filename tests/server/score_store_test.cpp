// Both stores under the same tests. PostgreSQL runs when ZAZO_TEST_PG names a
// database (tests/server/postgres.sh starts a throw-away cluster for it).
#include "server/score_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <thread>

#include "server/score_entry.h"
#include "server/server_test_util.h"

namespace {

TScoreEntry Entry(int score, int second = 9, int level = 12) {
  const std::string text = ScoreText(score, level, second);
  TScoreEntry e;
  std::string reason;
  EXPECT_EQ(CheckScoreEntry(text, Sign(text), time(nullptr), &e, &reason), TEntryCheck::kOk);
  return e;
}

class StoreTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    store_ = FreshStore(GetParam());
    if (!store_) GTEST_SKIP() << GetParam() << " is not available (set ZAZO_TEST_PG)";
  }
  TStoredEntry Put(const TScoreEntry& e, bool verified = false, bool* created = nullptr) {
    TStoredEntry out;
    bool c = false;
    store_->Register(e, verified, &out, &c);
    if (created) *created = c;
    return out;
  }
  std::unique_ptr<TScoreStore> store_;
};

}  // namespace

TEST_P(StoreTest, RegisteringTwiceKeepsOneEntry) {
  bool created = false;
  const TStoredEntry first = Put(Entry(500), false, &created);
  EXPECT_TRUE(created);
  const TStoredEntry again = Put(Entry(500), false, &created);
  EXPECT_FALSE(created);
  EXPECT_EQ(first.id, again.id);
  EXPECT_EQ(store_->Count(false), 1);
  EXPECT_EQ(again.entry.text, Entry(500).text);
  EXPECT_EQ(again.entry.signature, Entry(500).signature);
  EXPECT_EQ(again.entry.level, 12);
  EXPECT_EQ(again.entry.frameRate, 61);
}

TEST_P(StoreTest, VerifiedIsKeptOnceGivenAndMayComeLater) {
  Put(Entry(100));
  EXPECT_EQ(store_->Count(true), 0);
  bool created = true;
  const TStoredEntry v = Put(Entry(100), true, &created);
  EXPECT_FALSE(created);
  EXPECT_TRUE(v.verified);
  // A later unverified registration does not take it back.
  EXPECT_TRUE(Put(Entry(100)).verified);
  // A new entry verified at once.
  EXPECT_TRUE(Put(Entry(200), true, &created).verified);
  EXPECT_TRUE(created);
  EXPECT_EQ(store_->Count(true), 2);
  EXPECT_EQ(store_->Count(false), 2);
}

TEST_P(StoreTest, RanksShareTiesAndOrderByScoreThenRegistration) {
  Put(Entry(300, 1));
  Put(Entry(500, 2));
  Put(Entry(300, 3), true);
  Put(Entry(100, 4), true);
  const std::vector<TStoredEntry> all = store_->List(false, 0, 10);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].entry.score, 500);
  EXPECT_EQ(all[0].rank, 1);
  EXPECT_EQ(all[1].entry.playedAt.substr(12), "01");  // the earlier 300 first
  EXPECT_EQ(all[1].rank, 2);
  EXPECT_EQ(all[2].rank, 2);
  EXPECT_EQ(all[3].rank, 4);
  TStoredEntry found;
  ASSERT_TRUE(store_->Find(Entry(300, 3).text, &found));
  EXPECT_EQ(found.rank, 2);
  EXPECT_EQ(store_->Position(found), 2);
  EXPECT_EQ(store_->Position(all[0]), 0);
  EXPECT_FALSE(store_->Find(Entry(999).text, &found));

  // Ranks within the verified selection.
  const std::vector<TStoredEntry> verified = store_->List(true, 0, 10);
  ASSERT_EQ(verified.size(), 2u);
  EXPECT_EQ(verified[0].rank, 1);
  EXPECT_EQ(verified[1].entry.score, 100);
  EXPECT_EQ(verified[1].rank, 2);

  // Paging: offset and limit.
  const std::vector<TStoredEntry> page = store_->List(false, 1, 2);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0].id, all[1].id);
  EXPECT_EQ(page[1].id, all[2].id);
  EXPECT_TRUE(store_->List(false, 10, 10).empty());
}

TEST_P(StoreTest, NamesAreStoredAsGivenWhateverTheyHold) {
  const TScoreEntry e = Entry(700);
  EXPECT_FALSE(store_->SetName(12345, "nobody"));  // not registered yet
  const int64_t id = Put(e).id;
  for (const std::string& name : std::initializer_list<std::string>{
           "'); DROP TABLE scores; --", "\" OR \"1\"=\"1", "<script>x</script>", "ざぞ😀", ""}) {
    ASSERT_TRUE(store_->SetName(id, name));
    TStoredEntry found;
    ASSERT_TRUE(store_->Find(e.text, &found));
    EXPECT_EQ(found.name, name);
  }
  EXPECT_EQ(store_->Count(false), 1);
  // Registering again keeps the name.
  ASSERT_TRUE(store_->SetName(id, "Aki"));
  EXPECT_EQ(Put(e).name, "Aki");
}

TEST_P(StoreTest, ConcurrentRegistrationsStoreEachEntryOnce) {
  // 8 threads register the same 40 entries in different orders.
  constexpr int kEntries = 40;
  std::vector<std::thread> threads;
  std::atomic<int> createdCount{0};
  for (int t = 0; t < 8; t++)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEntries; i++) {
        const int k = (i * 7 + t * 13) % kEntries;
        TStoredEntry out;
        bool created = false;
        store_->Register(Entry(1000 + k, k % 60), t % 2 == 0, &out, &created);
        if (created) createdCount++;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(createdCount.load(), kEntries);
  EXPECT_EQ(store_->Count(false), kEntries);
  EXPECT_EQ(store_->Count(true), kEntries);
  std::set<int64_t> ids;
  for (const TStoredEntry& e : store_->List(false, 0, 100)) ids.insert(e.id);
  EXPECT_EQ(ids.size(), static_cast<size_t>(kEntries));
}

TEST_P(StoreTest, VerifyingKeepsTheFirstChallengeAndReplayAndOwnerClaimsOnlyUnowned) {
  TNewEntry n;
  n.entry = Entry(400);
  n.ownerHash = "hash-a";
  TStoredEntry out;
  bool created = false, owned = false;
  store_->Register(n, &out, &created, &owned);
  EXPECT_TRUE(created);
  EXPECT_TRUE(owned);
  EXPECT_FALSE(out.verified);
  EXPECT_EQ(out.ownerHash, "hash-a");
  EXPECT_FALSE(out.hasReplay);

  // A verifying upload of the same game: verified, challenge and replay
  // (with bytes a text column would refuse) taken; the owner stays.
  const std::string replay("zazo\0\xff\x01 replay", 15);
  n.verified = true;
  n.challenge = "daily-2026-12-08";
  n.ownerHash = "hash-b";
  n.replay = replay;
  store_->Register(n, &out, &created, &owned);
  EXPECT_FALSE(created);
  EXPECT_FALSE(owned);
  EXPECT_TRUE(out.verified);
  EXPECT_EQ(out.challenge, "daily-2026-12-08");
  EXPECT_EQ(out.ownerHash, "hash-a");
  EXPECT_TRUE(out.hasReplay);
  std::string kept;
  ASSERT_TRUE(store_->Replay(out.id, &kept));
  EXPECT_EQ(kept, replay);
  EXPECT_FALSE(store_->Replay(out.id + 1000, &kept));

  // A later one keeps the first challenge and replay.
  n.challenge = "daily-2026-12-09";
  n.replay = "other";
  store_->Register(n, &out, &created, &owned);
  EXPECT_EQ(out.challenge, "daily-2026-12-08");
  ASSERT_TRUE(store_->Replay(out.id, &kept));
  EXPECT_EQ(kept, replay);

  // Plain entries keep no replay; an unowned entry is claimed once.
  TNewEntry plain;
  plain.entry = Entry(300);
  plain.replay = "ignored";
  store_->Register(plain, &out, &created, &owned);
  EXPECT_FALSE(owned);
  EXPECT_FALSE(out.hasReplay);
  plain.ownerHash = "hash-c";
  store_->Register(plain, &out, &created, &owned);
  EXPECT_TRUE(owned);
  plain.ownerHash = "hash-d";
  store_->Register(plain, &out, &created, &owned);
  EXPECT_FALSE(owned);
  EXPECT_EQ(out.ownerHash, "hash-c");
  TStoredEntry byId;
  ASSERT_TRUE(store_->FindId(out.id, &byId));
  EXPECT_EQ(byId.entry.text, plain.entry.text);
  EXPECT_EQ(byId.rank, 2);
}

TEST_P(StoreTest, ChallengeTableCountsEachPlayersBestVerifiedRun) {
  auto put = [&](int score, int second, const char* owner, const char* challenge,
                 const char* name = "") {
    TNewEntry n;
    n.entry = Entry(score, second);
    n.verified = true;
    n.challenge = challenge;
    n.ownerHash = owner;
    TStoredEntry out;
    bool created = false, owned = false;
    store_->Register(n, &out, &created, &owned);
    if (*name) store_->SetName(out.id, name);
    return out;
  };
  put(500, 1, "aa", "daily-1");
  put(900, 2, "aa", "daily-1");  // aa's best
  put(700, 3, "bb", "daily-1", "Aki");
  put(800, 4, "cc", "daily-1", "Aki");  // the same name: one player
  put(600, 5, "dd", "daily-1");
  put(999, 6, "ee", "daily-2");  // another day
  Put(Entry(950, 7));            // plain, no challenge
  const std::vector<TStoredEntry> t = store_->ChallengeTable("daily-1", true, 10);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].entry.score, 900);
  EXPECT_EQ(t[1].entry.score, 800);
  EXPECT_EQ(t[1].name, "Aki");
  EXPECT_EQ(t[2].entry.score, 600);
  EXPECT_EQ(t[2].rank, 3);
  EXPECT_EQ(store_->ChallengeTable("daily-1", true, 2).size(), 2u);
  EXPECT_TRUE(store_->ChallengeTable("daily-3", true, 10).empty());
}

TEST_P(StoreTest, SecretIsKeptOnceForEveryProcess) {
  EXPECT_EQ(store_->Secret("daily", "first"), "first");
  EXPECT_EQ(store_->Secret("daily", "second"), "first");
  EXPECT_EQ(store_->Secret("other", "x"), "x");
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

TEST(ScoreStoreOpen, UnknownOrUnreachableDatabasesSayWhy) {
  try {
    OpenScoreStore("mysql://x", 1);
    FAIL();
  } catch (const TStoreError& e) {
    EXPECT_NE(std::string(e.what()).find("unknown database"), std::string::npos);
  }
  EXPECT_THROW(OpenScoreStore("sqlite:/nonexistent-folder/x/scores.sqlite", 1), TStoreError);
  EXPECT_THROW(OpenScoreStore("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2", 1),
               TStoreError);
}

TEST(ScoreStoreOpen, AnOlderSqliteBoardGainsTheNewColumnsAndKeepsItsEntries) {
  char dir[] = "/tmp/zazo-store-XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  const std::string path = std::string(dir) + "/old.sqlite";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const std::string text = ScoreText(4321);
  const std::string sql =
      "CREATE TABLE scores (id INTEGER PRIMARY KEY AUTOINCREMENT, score_text TEXT NOT NULL "
      "UNIQUE, signature TEXT NOT NULL, played_at TEXT NOT NULL, score INTEGER NOT NULL, level "
      "INTEGER NOT NULL, frame_rate INTEGER NOT NULL, name TEXT NOT NULL DEFAULT '', verified "
      "INTEGER NOT NULL DEFAULT 0, registered_at INTEGER NOT NULL);"
      "INSERT INTO scores (score_text, signature, played_at, score, level, frame_rate, name, "
      "verified, registered_at) VALUES ('" +
      text + "', '" + Sign(text) + "', '20240703200509', 4321, 12, 61, 'Old', 1, 0);";
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  for (int open = 0; open < 2; open++) {  // and opening it again changes nothing
    std::unique_ptr<TScoreStore> store = OpenSqliteStore(path);
    TStoredEntry e;
    ASSERT_TRUE(store->Find(text, &e));
    EXPECT_EQ(e.name, "Old");
    EXPECT_TRUE(e.verified);
    EXPECT_EQ(e.challenge, "");
    EXPECT_EQ(e.ownerHash, "");
    EXPECT_FALSE(e.hasReplay);
  }
}
