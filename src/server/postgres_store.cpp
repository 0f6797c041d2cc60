// The PostgreSQL store: a small pool of connections, every query prepared
// once per connection. Several server processes may share the database: the
// unique score text and the upsert make "stored exactly once" the database's
// business, not the process's.
#include <libpq-fe.h>

#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "server/score_store.h"

namespace {

const char kSchema[] =
    "SET client_min_messages = warning;"
    "SELECT pg_advisory_lock(7311022);"
    "CREATE TABLE IF NOT EXISTS scores ("
    " id BIGSERIAL PRIMARY KEY,"
    " score_text TEXT NOT NULL UNIQUE,"
    " signature TEXT NOT NULL,"
    " played_at TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " level INTEGER NOT NULL,"
    " frame_rate INTEGER NOT NULL,"
    " name TEXT NOT NULL DEFAULT '',"
    " verified INTEGER NOT NULL DEFAULT 0,"
    " registered_at BIGINT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS scores_rank ON scores (score DESC, id);"
    "CREATE INDEX IF NOT EXISTS scores_verified_rank ON scores (verified, score DESC, id);"
    "SELECT pg_advisory_unlock(7311022);";

#define ZAZO_ENTRY_COLUMNS \
  "id, score_text, signature, played_at, score, level, frame_rate, name, verified"

struct TQuery {
  const char* name;
  const char* sql;
};
const TQuery kQueries[] = {
    {"insert",
     "INSERT INTO scores (score_text, signature, played_at, score, level, frame_rate, verified, "
     "registered_at) VALUES ($1, $2, $3, $4, $5, $6, $7, $8) ON CONFLICT (score_text) DO NOTHING "
     "RETURNING id"},
    {"verify", "UPDATE scores SET verified = 1 WHERE score_text = $1 AND verified = 0"},
    {"find", "SELECT " ZAZO_ENTRY_COLUMNS
             ", 1 + (SELECT COUNT(*) FROM scores AS better WHERE better.score > scores.score) "
             "FROM scores WHERE score_text = $1"},
    {"set_name", "UPDATE scores SET name = $2 WHERE score_text = $1"},
    {"list", "SELECT " ZAZO_ENTRY_COLUMNS
             ", RANK() OVER (ORDER BY score DESC) FROM scores WHERE verified >= $1::int "
             "ORDER BY score DESC, id LIMIT $2::int OFFSET $3::bigint"},
    {"count", "SELECT COUNT(*) FROM scores WHERE verified >= $1::int"},
    {"position",
     "SELECT COUNT(*) FROM scores WHERE score > $1::int OR (score = $1::int AND id < "
     "$2::bigint)"},
};

// One query's result, cleared on every path.
class TResult {
 public:
  explicit TResult(PGresult* r) : r_(r) {}
  ~TResult() { PQclear(r_); }
  TResult(const TResult&) = delete;
  TResult& operator=(const TResult&) = delete;
  PGresult* get() const { return r_; }
  int Rows() const { return PQntuples(r_); }
  std::string Text(int row, int col) const {
    return std::string(PQgetvalue(r_, row, col), static_cast<size_t>(PQgetlength(r_, row, col)));
  }
  int64_t Int(int row, int col) const {
    return std::strtoll(PQgetvalue(r_, row, col), nullptr, 10);
  }

 private:
  PGresult* r_;
};

class TPostgresStore final : public TScoreStore {
 public:
  TPostgresStore(const std::string& conninfo, int connections) : conninfo_(conninfo) {
    maxConnections_ = connections < 1 ? 1 : connections;
    PGconn* c = Connect();
    TResult schema(PQexec(c, kSchema));
    if (PQresultStatus(schema.get()) != PGRES_TUPLES_OK &&
        PQresultStatus(schema.get()) != PGRES_COMMAND_OK) {
      const std::string why = PQerrorMessage(c);
      PQfinish(c);
      throw TStoreError("cannot set up the score table: " + why);
    }
    PrepareAll(c);
    idle_.push_back(c);
    open_ = 1;
  }

  ~TPostgresStore() override {
    for (PGconn* c : idle_) PQfinish(c);
  }

  void Register(const TScoreEntry& e, bool verified, TStoredEntry* out, bool* created) override {
    const std::string score = std::to_string(e.score), level = std::to_string(e.level),
                      rate = std::to_string(e.frameRate), ver = verified ? "1" : "0",
                      now = std::to_string(static_cast<int64_t>(time(nullptr)));
    Run([&](PGconn* c) {
      const char* params[] = {e.text.c_str(), e.signature.c_str(), e.playedAt.c_str(),
                              score.c_str(),  level.c_str(),       rate.c_str(),
                              ver.c_str(),    now.c_str()};
      TResult inserted(Exec(c, "insert", 8, params));
      *created = inserted.Rows() == 1;
      if (verified && !*created) {
        TResult v(Exec(c, "verify", 1, params));
      }
      if (!FindOn(c, e.text, out)) throw TStoreError("the entry vanished while it was stored");
    });
  }

  bool Find(const std::string& text, TStoredEntry* out) override {
    bool found = false;
    Run([&](PGconn* c) { found = FindOn(c, text, out); });
    return found;
  }

  bool SetName(const std::string& text, const std::string& name) override {
    bool found = false;
    Run([&](PGconn* c) {
      const char* params[] = {text.c_str(), name.c_str()};
      TResult r(Exec(c, "set_name", 2, params));
      found = std::atoll(PQcmdTuples(r.get())) == 1;
    });
    return found;
  }

  std::vector<TStoredEntry> List(bool verifiedOnly, int64_t offset, int limit) override {
    std::vector<TStoredEntry> rows;
    const std::string lim = std::to_string(limit), off = std::to_string(offset);
    Run([&](PGconn* c) {
      const char* params[] = {verifiedOnly ? "1" : "0", lim.c_str(), off.c_str()};
      TResult r(Exec(c, "list", 3, params));
      rows.clear();
      for (int i = 0; i < r.Rows(); i++) rows.push_back(ReadEntry(r, i));
    });
    return rows;
  }

  int64_t Count(bool verifiedOnly) override {
    int64_t n = 0;
    Run([&](PGconn* c) {
      const char* params[] = {verifiedOnly ? "1" : "0"};
      TResult r(Exec(c, "count", 1, params));
      n = r.Int(0, 0);
    });
    return n;
  }

  int64_t Position(const TStoredEntry& e) override {
    int64_t n = 0;
    const std::string score = std::to_string(e.entry.score), id = std::to_string(e.id);
    Run([&](PGconn* c) {
      const char* params[] = {score.c_str(), id.c_str()};
      TResult r(Exec(c, "position", 2, params));
      n = r.Int(0, 0);
    });
    return n;
  }

 private:
  static TStoredEntry ReadEntry(const TResult& r, int i) {
    TStoredEntry e;
    e.id = r.Int(i, 0);
    e.entry.text = r.Text(i, 1);
    e.entry.signature = r.Text(i, 2);
    e.entry.playedAt = r.Text(i, 3);
    e.entry.score = static_cast<int32_t>(r.Int(i, 4));
    e.entry.level = static_cast<int32_t>(r.Int(i, 5));
    e.entry.frameRate = static_cast<int32_t>(r.Int(i, 6));
    e.name = r.Text(i, 7);
    e.verified = r.Int(i, 8) != 0;
    e.rank = r.Int(i, 9);
    return e;
  }

  bool FindOn(PGconn* c, const std::string& text, TStoredEntry* out) {
    const char* params[] = {text.c_str()};
    TResult r(Exec(c, "find", 1, params));
    if (r.Rows() != 1) return false;
    *out = ReadEntry(r, 0);
    return true;
  }

  // Runs a prepared query; throws TStoreError with the server's message.
  static PGresult* Exec(PGconn* c, const char* name, int n, const char* const* params) {
    PGresult* r = PQexecPrepared(c, name, n, params, nullptr, nullptr, 0);
    const ExecStatusType st = PQresultStatus(r);
    if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK) {
      const std::string why = PQresultErrorMessage(r);
      PQclear(r);
      throw TStoreError("score query " + std::string(name) + " failed: " + why);
    }
    return r;
  }

  PGconn* Connect() {
    PGconn* c = PQconnectdb(conninfo_.c_str());
    if (PQstatus(c) != CONNECTION_OK) {
      const std::string why = PQerrorMessage(c);
      PQfinish(c);
      throw TStoreError("cannot connect to the score database: " + why);
    }
    return c;
  }

  static void PrepareAll(PGconn* c) {
    for (const TQuery& q : kQueries) {
      TResult r(PQprepare(c, q.name, q.sql, 0, nullptr));
      if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        throw TStoreError(std::string("cannot prepare score query ") + q.name + ": " +
                          PQresultErrorMessage(r.get()));
    }
  }

  // Takes a connection from the pool (opening one while under the limit,
  // else waiting), runs work on it and gives it back. A connection found
  // broken is reset and work retried once.
  template <class F>
  void Run(F work) {
    PGconn* c = Acquire();
    try {
      try {
        work(c);
      } catch (const TStoreError&) {
        if (PQstatus(c) == CONNECTION_OK) throw;
        PQreset(c);
        if (PQstatus(c) != CONNECTION_OK)
          throw TStoreError(std::string("lost the score database: ") + PQerrorMessage(c));
        PrepareAll(c);
        work(c);
      }
    } catch (...) {
      Release(c);
      throw;
    }
    Release(c);
  }

  PGconn* Acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (!idle_.empty()) {
        PGconn* c = idle_.back();
        idle_.pop_back();
        return c;
      }
      if (open_ < maxConnections_) {
        open_++;
        lock.unlock();
        try {
          PGconn* c = Connect();
          PrepareAll(c);
          return c;
        } catch (...) {
          lock.lock();
          open_--;
          throw;
        }
      }
      freed_.wait(lock);
    }
  }

  void Release(PGconn* c) {
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(c);
    freed_.notify_one();
  }

  std::string conninfo_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<PGconn*> idle_;
  int open_ = 0;
  int maxConnections_ = 1;
};

}  // namespace

std::unique_ptr<TScoreStore> OpenPostgresStore(const std::string& conninfo, int connections) {
  return std::make_unique<TPostgresStore>(conninfo, connections);
}
