#include "server/store_sql.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace {

// The columns every entry query selects, in the order ReadEntry reads.
#define ZAZO_ENTRY_COLUMNS                                                                      \
  "id, score_text, signature, played_at, score, level, frame_rate, name, verified, challenge, " \
  "owner_hash, CASE WHEN replay IS NULL THEN 0 ELSE 1 END"
constexpr size_t kEntryColumns = 12;

// A player in a challenge's table: the name, or the owner when unnamed.
#define ZAZO_PLAYER(t) \
  "CASE WHEN " t ".name <> '' THEN 'n:' || " t ".name ELSE 'o:' || " t ".owner_hash END"

// Each player's best entry of challenge ?1 (verified ones only when the
// filter says so), at most ?2.
#define ZAZO_CHALLENGE_TABLE(filter) \
  "SELECT " ZAZO_ENTRY_COLUMNS                                                           \
  " FROM scores AS s WHERE s.challenge = ?1" filter                                      \
  " AND NOT EXISTS (SELECT 1 FROM scores AS b WHERE b.challenge = s.challenge" filter    \
  " AND " ZAZO_PLAYER("b") " = " ZAZO_PLAYER("s")                                         \
  " AND (b.score > s.score OR (b.score = s.score AND b.id < s.id)))"                     \
  " ORDER BY s.score DESC, s.id LIMIT ?2"

const char* const kQueries[] = {
    // kInsert
    "INSERT INTO scores (score_text, signature, played_at, score, level, frame_rate, verified, "
    "registered_at, challenge, owner_hash, replay) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11) ON CONFLICT (score_text) DO NOTHING",
    // kVerify
    "UPDATE scores SET verified = 1, challenge = CASE WHEN challenge = '' THEN ?2 ELSE challenge "
    "END, replay = COALESCE(replay, ?3) WHERE score_text = ?1",
    // kClaim
    "UPDATE scores SET owner_hash = ?2 WHERE score_text = ?1 AND owner_hash = ''",
    // kFindText
    "SELECT " ZAZO_ENTRY_COLUMNS " FROM scores WHERE score_text = ?1",
    // kFindId
    "SELECT " ZAZO_ENTRY_COLUMNS " FROM scores WHERE id = ?1",
    // kSetName
    "UPDATE scores SET name = ?2 WHERE id = ?1",
    // kListAll
    "SELECT " ZAZO_ENTRY_COLUMNS " FROM scores ORDER BY score DESC, id LIMIT ?1 OFFSET ?2",
    // kListVerified
    "SELECT " ZAZO_ENTRY_COLUMNS
    " FROM scores WHERE verified = 1 ORDER BY score DESC, id LIMIT ?1 OFFSET ?2",
    // kCountAll
    "SELECT COUNT(*) FROM scores",
    // kCountVerified
    "SELECT COUNT(*) FROM scores WHERE verified = 1",
    // kBetterAll: walks the (score, id) index, never the whole table
    "SELECT COUNT(*) FROM scores WHERE score > ?1",
    // kBetterVerified
    "SELECT COUNT(*) FROM scores WHERE verified = 1 AND score > ?1",
    // kTiesBefore
    "SELECT COUNT(*) FROM scores WHERE score = ?1 AND id < ?2",
    // kChallengeAll
    ZAZO_CHALLENGE_TABLE(""),
    // kChallengeVerified
    ZAZO_CHALLENGE_TABLE(" AND verified = 1"),
    // kReplay
    "SELECT replay FROM scores WHERE id = ?1 AND replay IS NOT NULL",
    // kSecretInsert
    "INSERT INTO board_secrets (name, value) VALUES (?1, ?2) ON CONFLICT (name) DO NOTHING",
    // kSecretFind
    "SELECT value FROM board_secrets WHERE name = ?1",
};
static_assert(sizeof kQueries / sizeof kQueries[0] == static_cast<size_t>(TSqlQuery::kCount));

TStoredEntry ReadEntry(const TSqlRows& r, size_t i) {
  const std::vector<std::string>& row = r.cells[i];
  if (row.size() < kEntryColumns) throw TStoreError("a score row came back short");
  TStoredEntry e;
  e.id = r.Int(i, 0);
  e.entry.text = row[1];
  e.entry.signature = row[2];
  e.entry.playedAt = row[3];
  e.entry.score = static_cast<int32_t>(r.Int(i, 4));
  e.entry.level = static_cast<int32_t>(r.Int(i, 5));
  e.entry.frameRate = static_cast<int32_t>(r.Int(i, 6));
  e.name = row[7];
  e.verified = r.Int(i, 8) != 0;
  e.challenge = row[9];
  e.ownerHash = row[10];
  e.hasReplay = r.Int(i, 11) != 0;
  return e;
}

class TSqlScoreStore final : public TScoreStore {
 public:
  explicit TSqlScoreStore(std::shared_ptr<TSqlConnections> db) : db_(std::move(db)) {}

  void Register(const TNewEntry& n, TStoredEntry* out, bool* created, bool* owned) override {
    const TScoreEntry& e = n.entry;
    const TSqlParam insert[] = {
        TSqlParam::Text(e.text),
        TSqlParam::Text(e.signature),
        TSqlParam::Text(e.playedAt),
        TSqlParam::Int(e.score),
        TSqlParam::Int(e.level),
        TSqlParam::Int(e.frameRate),
        TSqlParam::Int(n.verified ? 1 : 0),
        TSqlParam::Int(static_cast<int64_t>(time(nullptr))),
        TSqlParam::Text(n.verified ? n.challenge : ""),
        TSqlParam::Text(n.ownerHash),
        n.verified && !n.replay.empty() ? TSqlParam::Blob(n.replay) : TSqlParam{},
    };
    db_->With([&](TSqlSession& s) {
      InTransaction(s, db_->Dialect(), [&] {
        *created = s.Run(TSqlQuery::kInsert, insert).changed == 1;
        *owned = *created && !n.ownerHash.empty();
        if (!*created && n.verified) {
          const TSqlParam verify[] = {insert[0], insert[8], insert[10]};
          s.Run(TSqlQuery::kVerify, verify);
        }
        if (!*created && !n.ownerHash.empty()) {
          const TSqlParam claim[] = {insert[0], insert[9]};
          *owned = s.Run(TSqlQuery::kClaim, claim).changed == 1;
        }
        if (!FindOn(s, TSqlQuery::kFindText, insert[0], out))
          throw TStoreError("the entry vanished while it was stored");
      });
    });
    Counted(*created, n.verified);
  }

  bool Find(const std::string& text, TStoredEntry* out) override {
    bool found = false;
    db_->With([&](TSqlSession& s) {
      found = FindOn(s, TSqlQuery::kFindText, TSqlParam::Text(text), out);
    });
    return found;
  }

  bool FindId(int64_t id, TStoredEntry* out) override {
    bool found = false;
    db_->With(
        [&](TSqlSession& s) { found = FindOn(s, TSqlQuery::kFindId, TSqlParam::Int(id), out); });
    return found;
  }

  bool SetName(int64_t id, const std::string& name) override {
    bool found = false;
    const TSqlParam p[] = {TSqlParam::Int(id), TSqlParam::Text(name)};
    db_->With([&](TSqlSession& s) { found = s.Run(TSqlQuery::kSetName, p).changed == 1; });
    return found;
  }

  std::vector<TStoredEntry> List(bool verifiedOnly, int64_t offset, int limit) override {
    std::vector<TStoredEntry> rows;
    const TSqlParam p[] = {TSqlParam::Int(limit), TSqlParam::Int(offset)};
    db_->With([&](TSqlSession& s) {
      const TSqlRows r = s.Run(verifiedOnly ? TSqlQuery::kListVerified : TSqlQuery::kListAll, p);
      rows.clear();
      for (size_t i = 0; i < r.cells.size(); i++) rows.push_back(ReadEntry(r, i));
      if (rows.empty()) return;
      // The first row's rank by counting the better ones along the index;
      // the others follow from it (ties share the rank).
      const TSqlParam better[] = {TSqlParam::Int(rows[0].entry.score)};
      rows[0].rank =
          1 + s.Run(verifiedOnly ? TSqlQuery::kBetterVerified : TSqlQuery::kBetterAll, better)
                  .Int(0, 0);
      RankFollowing(&rows, offset);
    });
    return rows;
  }

  // Counting a large board walks a whole index: the count is kept for a
  // second (a page count a moment old is as good), and a new entry of this
  // process counts at once.
  int64_t Count(bool verifiedOnly) override {
    const auto now = std::chrono::steady_clock::now();
    {
      std::lock_guard<std::mutex> lock(countMutex_);
      const TCount& c = counts_[verifiedOnly];
      if (c.at != std::chrono::steady_clock::time_point() && now - c.at < std::chrono::seconds(1))
        return c.n;
    }
    int64_t n = 0;
    db_->With([&](TSqlSession& s) {
      n = s.Run(verifiedOnly ? TSqlQuery::kCountVerified : TSqlQuery::kCountAll, {}).Int(0, 0);
    });
    std::lock_guard<std::mutex> lock(countMutex_);
    counts_[verifiedOnly] = {n, now};
    return n;
  }

  int64_t Position(const TStoredEntry& e) override {
    int64_t n = 0;
    const TSqlParam better[] = {TSqlParam::Int(e.entry.score)};
    const TSqlParam ties[] = {TSqlParam::Int(e.entry.score), TSqlParam::Int(e.id)};
    db_->With([&](TSqlSession& s) {
      // The rank a Find gave already counts the better entries.
      n = (e.rank > 0 ? e.rank - 1 : s.Run(TSqlQuery::kBetterAll, better).Int(0, 0)) +
          s.Run(TSqlQuery::kTiesBefore, ties).Int(0, 0);
    });
    return n;
  }

  std::vector<TStoredEntry> ChallengeTable(const std::string& challenge, bool verifiedOnly,
                                           int limit) override {
    std::vector<TStoredEntry> rows;
    const TSqlParam p[] = {TSqlParam::Text(challenge), TSqlParam::Int(limit)};
    db_->With([&](TSqlSession& s) {
      const TSqlRows r =
          s.Run(verifiedOnly ? TSqlQuery::kChallengeVerified : TSqlQuery::kChallengeAll, p);
      rows.clear();
      for (size_t i = 0; i < r.cells.size(); i++) rows.push_back(ReadEntry(r, i));
      if (!rows.empty()) rows[0].rank = 1;
      RankFollowing(&rows, 0);
    });
    return rows;
  }

  bool Replay(int64_t id, std::string* out) override {
    bool found = false;
    const TSqlParam p[] = {TSqlParam::Int(id)};
    db_->With([&](TSqlSession& s) {
      TSqlRows r = s.Run(TSqlQuery::kReplay, p);
      found = r.cells.size() == 1 && !r.cells[0].empty();
      if (found) *out = std::move(r.cells[0][0]);
    });
    return found;
  }

  std::string Secret(const std::string& name, const std::string& candidate) override {
    std::string value;
    const TSqlParam p[] = {TSqlParam::Text(name), TSqlParam::Text(candidate)};
    db_->With([&](TSqlSession& s) {
      InTransaction(s, db_->Dialect(), [&] {
        s.Run(TSqlQuery::kSecretInsert, p);
        const TSqlRows r = s.Run(TSqlQuery::kSecretFind, std::span(p, 1));
        if (r.cells.size() != 1 || r.cells[0].empty())
          throw TStoreError("the board's secret " + name + " could not be kept");
        value = r.cells[0][0];
      });
    });
    return value;
  }

 private:
  static bool FindOn(TSqlSession& s, TSqlQuery q, const TSqlParam& key, TStoredEntry* out) {
    const TSqlRows r = s.Run(q, std::span(&key, 1));
    if (r.cells.size() != 1) return false;
    *out = ReadEntry(r, 0);
    const TSqlParam better[] = {TSqlParam::Int(out->entry.score)};
    out->rank = 1 + s.Run(TSqlQuery::kBetterAll, better).Int(0, 0);
    return true;
  }

  // Ranks of rows[1..] from rows[0]'s: a tie keeps the rank above, any
  // other row ranks by its place (offset + index + 1).
  static void RankFollowing(std::vector<TStoredEntry>* rows, int64_t offset) {
    for (size_t i = 1; i < rows->size(); i++) {
      TStoredEntry& r = (*rows)[i];
      const TStoredEntry& above = (*rows)[i - 1];
      r.rank =
          r.entry.score == above.entry.score ? above.rank : offset + static_cast<int64_t>(i) + 1;
    }
  }

  // A new entry adds to the counts kept; one verified later is counted
  // again at the next look.
  void Counted(bool created, bool verified) {
    std::lock_guard<std::mutex> lock(countMutex_);
    if (created) counts_[0].n++;
    if (created && verified) counts_[1].n++;
    if (!created && verified) counts_[1].at = {};
  }

  struct TCount {
    int64_t n = 0;
    std::chrono::steady_clock::time_point at;
  };
  std::shared_ptr<TSqlConnections> db_;
  std::mutex countMutex_;
  TCount counts_[2];  // all, verified
};

}  // namespace

const TSqlDialect kSqliteDialect = {"id INTEGER PRIMARY KEY AUTOINCREMENT", "INTEGER", "BLOB",
                                    "BEGIN IMMEDIATE",
                                    "SELECT COUNT(*) FROM pragma_table_info(?1) WHERE name = ?2"};
const TSqlDialect kPostgresDialect = {
    "id BIGSERIAL PRIMARY KEY", "BIGINT", "BYTEA", "BEGIN",
    "SELECT COUNT(*) FROM information_schema.columns WHERE table_schema = current_schema() "
    "AND table_name = ?1 AND column_name = ?2"};

int64_t TSqlRows::Int(size_t row, size_t col) const {
  if (row >= cells.size() || col >= cells[row].size())
    throw TStoreError("a score query answered fewer cells than asked");
  return std::strtoll(cells[row][col].c_str(), nullptr, 10);
}

std::vector<std::string> SchemaStatements(const TSqlDialect& d) {
  return {
      std::string("CREATE TABLE IF NOT EXISTS scores (") + d.idColumn +
          ", score_text TEXT NOT NULL UNIQUE, signature TEXT NOT NULL, played_at TEXT NOT NULL,"
          " score INTEGER NOT NULL, level INTEGER NOT NULL, frame_rate INTEGER NOT NULL,"
          " name TEXT NOT NULL DEFAULT '', verified INTEGER NOT NULL DEFAULT 0,"
          " registered_at " +
          d.bigint + " NOT NULL)",
      "CREATE TABLE IF NOT EXISTS board_secrets (name TEXT PRIMARY KEY, value TEXT NOT NULL)",
  };
}

std::vector<TAddedColumn> AddedColumns(const TSqlDialect& d) {
  return {
      {"scores", "challenge", "challenge TEXT NOT NULL DEFAULT ''"},
      {"scores", "owner_hash", "owner_hash TEXT NOT NULL DEFAULT ''"},
      {"scores", "replay", std::string("replay ") + d.blob},
  };
}

// Indexes come after the added columns they cover.
static const char* const kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS scores_rank ON scores (score DESC, id)",
    "CREATE INDEX IF NOT EXISTS scores_verified_rank ON scores (verified, score DESC, id)",
    "CREATE INDEX IF NOT EXISTS scores_challenge ON scores (challenge, score DESC, id)",
};

const char* QueryText(TSqlQuery q) {
  return kQueries[static_cast<size_t>(q)];
}

std::string DollarPlaceholders(const std::string& sql) {
  std::string out;
  out.reserve(sql.size());
  bool quoted = false;
  for (size_t i = 0; i < sql.size(); i++) {
    const char c = sql[i];
    if (c == '\'') quoted = !quoted;
    const bool numbered = i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9';
    out += !quoted && c == '?' && numbered ? '$' : c;
  }
  return out;
}

void InTransaction(TSqlSession& s, const TSqlDialect& d, const std::function<void()>& work) {
  s.Exec(d.begin);
  try {
    work();
    s.Exec("COMMIT");
  } catch (...) {
    try {
      s.Exec("ROLLBACK");
    } catch (const TStoreError&) {
      // The connection is gone; the database rolls back by itself.
    }
    throw;
  }
}

void PrepareSchema(TSqlSession& s, const TSqlDialect& d) {
  InTransaction(s, d, [&] {
    for (const std::string& sql : SchemaStatements(d)) s.Exec(sql);
    for (const TAddedColumn& c : AddedColumns(d)) {
      const TSqlParam p[] = {TSqlParam::Text(c.table), TSqlParam::Text(c.column)};
      if (s.RunSql(d.hasColumn, p).Int(0, 0) == 0)
        s.Exec(std::string("ALTER TABLE ") + c.table + " ADD COLUMN " + c.declaration);
    }
    for (const char* sql : kIndexes) s.Exec(sql);
  });
}

std::shared_ptr<TSqlConnections> OpenSqlDatabase(const std::string& db, int connections) {
  if (db.rfind("sqlite:", 0) == 0) return OpenSqliteDatabase(db.substr(7));
  if (db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0)
    return OpenPostgresDatabase(db, connections);
  throw TStoreError("unknown database \"" + db +
                    "\": give sqlite:PATH or postgresql://USER@HOST:PORT/NAME");
}

std::unique_ptr<TScoreStore> MakeSqlScoreStore(std::shared_ptr<TSqlConnections> db) {
  return std::make_unique<TSqlScoreStore>(std::move(db));
}
