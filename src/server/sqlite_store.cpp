// The SQLite store: one file, one connection behind a lock, write-ahead log
// so readers of other processes are not blocked, prepared statements only.
#include <sqlite3.h>

#include <ctime>
#include <mutex>

#include "server/score_store.h"

namespace {

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS scores ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " score_text TEXT NOT NULL UNIQUE,"
    " signature TEXT NOT NULL,"
    " played_at TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " level INTEGER NOT NULL,"
    " frame_rate INTEGER NOT NULL,"
    " name TEXT NOT NULL DEFAULT '',"
    " verified INTEGER NOT NULL DEFAULT 0,"
    " registered_at INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS scores_rank ON scores(score DESC, id);"
    "CREATE INDEX IF NOT EXISTS scores_verified_rank ON scores(verified, score DESC, id);";

#define ZAZO_ENTRY_COLUMNS \
  "id, score_text, signature, played_at, score, level, frame_rate, name, verified"

class TSqliteStore final : public TScoreStore {
 public:
  explicit TSqliteStore(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      throw TStoreError("cannot open the score database " + path + ": " + why);
    }
    sqlite3_busy_timeout(db_, 10000);
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec(kSchema);
    insert_ = Prepare(
        "INSERT INTO scores (score_text, signature, played_at, score, level, frame_rate, "
        "verified, registered_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) "
        "ON CONFLICT (score_text) DO NOTHING");
    verify_ = Prepare("UPDATE scores SET verified = 1 WHERE score_text = ?1 AND verified = 0");
    find_ = Prepare("SELECT " ZAZO_ENTRY_COLUMNS
                    ", 1 + (SELECT COUNT(*) FROM scores AS better WHERE better.score > "
                    "scores.score) FROM scores WHERE score_text = ?1");
    setName_ = Prepare("UPDATE scores SET name = ?2 WHERE score_text = ?1");
    list_ = Prepare("SELECT " ZAZO_ENTRY_COLUMNS
                    ", RANK() OVER (ORDER BY score DESC) FROM scores WHERE verified >= ?1 "
                    "ORDER BY score DESC, id LIMIT ?2 OFFSET ?3");
    count_ = Prepare("SELECT COUNT(*) FROM scores WHERE verified >= ?1");
    position_ = Prepare("SELECT COUNT(*) FROM scores WHERE score > ?1 OR (score = ?1 AND id < ?2)");
    begin_ = Prepare("BEGIN IMMEDIATE");
    commit_ = Prepare("COMMIT");
    rollback_ = Prepare("ROLLBACK");
  }

  ~TSqliteStore() override {
    for (sqlite3_stmt* s :
         {insert_, verify_, find_, setName_, list_, count_, position_, begin_, commit_, rollback_})
      sqlite3_finalize(s);
    sqlite3_close(db_);
  }

  void Register(const TScoreEntry& e, bool verified, TStoredEntry* out, bool* created) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Step(begin_);
    try {
      Bind(insert_, 1, e.text);
      Bind(insert_, 2, e.signature);
      Bind(insert_, 3, e.playedAt);
      sqlite3_bind_int64(insert_, 4, e.score);
      sqlite3_bind_int64(insert_, 5, e.level);
      sqlite3_bind_int64(insert_, 6, e.frameRate);
      sqlite3_bind_int(insert_, 7, verified ? 1 : 0);
      sqlite3_bind_int64(insert_, 8, static_cast<int64_t>(time(nullptr)));
      Step(insert_);
      *created = sqlite3_changes(db_) == 1;
      if (verified && !*created) {
        Bind(verify_, 1, e.text);
        Step(verify_);
      }
      if (!FindLocked(e.text, out)) throw TStoreError("the entry vanished while it was stored");
      Step(commit_);
    } catch (...) {
      sqlite3_step(rollback_);
      sqlite3_reset(rollback_);
      throw;
    }
  }

  bool Find(const std::string& text, TStoredEntry* out) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return FindLocked(text, out);
  }

  bool SetName(const std::string& text, const std::string& name) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Bind(setName_, 1, text);
    Bind(setName_, 2, name);
    Step(setName_);
    return sqlite3_changes(db_) == 1;
  }

  std::vector<TStoredEntry> List(bool verifiedOnly, int64_t offset, int limit) override {
    std::lock_guard<std::mutex> lock(mutex_);
    sqlite3_bind_int(list_, 1, verifiedOnly ? 1 : 0);
    sqlite3_bind_int(list_, 2, limit);
    sqlite3_bind_int64(list_, 3, offset);
    std::vector<TStoredEntry> rows;
    Rows(list_, [&] { rows.push_back(ReadEntry(list_)); });
    return rows;
  }

  int64_t Count(bool verifiedOnly) override {
    std::lock_guard<std::mutex> lock(mutex_);
    sqlite3_bind_int(count_, 1, verifiedOnly ? 1 : 0);
    int64_t n = 0;
    Rows(count_, [&] { n = sqlite3_column_int64(count_, 0); });
    return n;
  }

  int64_t Position(const TStoredEntry& e) override {
    std::lock_guard<std::mutex> lock(mutex_);
    sqlite3_bind_int64(position_, 1, e.entry.score);
    sqlite3_bind_int64(position_, 2, e.id);
    int64_t n = 0;
    Rows(position_, [&] { n = sqlite3_column_int64(position_, 0); });
    return n;
  }

 private:
  bool FindLocked(const std::string& text, TStoredEntry* out) {
    Bind(find_, 1, text);
    bool found = false;
    Rows(find_, [&] {
      *out = ReadEntry(find_);
      found = true;
    });
    return found;
  }

  static TStoredEntry ReadEntry(sqlite3_stmt* s) {
    auto text = [s](int col) {
      const unsigned char* t = sqlite3_column_text(s, col);
      return std::string(t ? reinterpret_cast<const char*>(t) : "",
                         static_cast<size_t>(sqlite3_column_bytes(s, col)));
    };
    TStoredEntry r;
    r.id = sqlite3_column_int64(s, 0);
    r.entry.text = text(1);
    r.entry.signature = text(2);
    r.entry.playedAt = text(3);
    r.entry.score = sqlite3_column_int(s, 4);
    r.entry.level = sqlite3_column_int(s, 5);
    r.entry.frameRate = sqlite3_column_int(s, 6);
    r.name = text(7);
    r.verified = sqlite3_column_int(s, 8) != 0;
    r.rank = sqlite3_column_int64(s, 9);
    return r;
  }

  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
      throw TStoreError(std::string("cannot prepare a score query: ") + sqlite3_errmsg(db_));
    return s;
  }

  void Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string why = message ? message : sqlite3_errmsg(db_);
      sqlite3_free(message);
      throw TStoreError("cannot set up the score database: " + why);
    }
  }

  static void Bind(sqlite3_stmt* s, int i, const std::string& v) {
    sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }

  // Runs s to its end, calling row() for every row; resets s either way.
  template <class F>
  void Rows(sqlite3_stmt* s, F row) {
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) row();
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (rc != SQLITE_DONE)
      throw TStoreError(std::string("score query failed: ") + sqlite3_errmsg(db_));
  }

  void Step(sqlite3_stmt* s) {
    Rows(s, [] {});
  }

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt *insert_ = nullptr, *verify_ = nullptr, *find_ = nullptr, *setName_ = nullptr,
               *list_ = nullptr, *count_ = nullptr, *position_ = nullptr, *begin_ = nullptr,
               *commit_ = nullptr, *rollback_ = nullptr;
};

}  // namespace

std::unique_ptr<TScoreStore> OpenSqliteStore(const std::string& path) {
  return std::make_unique<TSqliteStore>(path);
}
