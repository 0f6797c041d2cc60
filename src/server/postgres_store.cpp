// The PostgreSQL database of the score store: a small pool of connections,
// every query prepared once per connection. Several server processes may
// share the database: the unique score text and the upsert make "stored
// exactly once" the database's business, not the process's.
#include <libpq-fe.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "server/store_sql.h"

namespace {

constexpr Oid kByteaOid = 17;

// One query's result, cleared on every path.
class TResult {
 public:
  explicit TResult(PGresult* r) : r_(r) {}
  ~TResult() { PQclear(r_); }
  TResult(const TResult&) = delete;
  TResult& operator=(const TResult&) = delete;
  PGresult* get() const { return r_; }

 private:
  PGresult* r_;
};

std::string QueryName(size_t q) {
  return "q" + std::to_string(q);
}

class TPostgresSession final : public TSqlSession {
 public:
  explicit TPostgresSession(const std::string& conninfo) {
    c_ = PQconnectdb(conninfo.c_str());
    if (PQstatus(c_) != CONNECTION_OK) {
      const std::string why = PQerrorMessage(c_);
      PQfinish(c_);
      throw TStoreError("cannot connect to the score database: " + why);
    }
  }
  ~TPostgresSession() override { PQfinish(c_); }

  bool Broken() const { return PQstatus(c_) != CONNECTION_OK; }

  // Re-opens a broken connection; its prepared queries went with it.
  void Reset() {
    PQreset(c_);
    if (Broken()) throw TStoreError(std::string("lost the score database: ") + PQerrorMessage(c_));
    prepared_ = false;
  }

  void PrepareQueries() {
    if (prepared_) return;
    for (size_t q = 0; q < static_cast<size_t>(TSqlQuery::kCount); q++) {
      const std::string sql = DollarPlaceholders(QueryText(static_cast<TSqlQuery>(q)));
      TResult r(PQprepare(c_, QueryName(q).c_str(), sql.c_str(), 0, nullptr));
      if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        throw TStoreError("cannot prepare score query " + QueryName(q) + ": " +
                          PQresultErrorMessage(r.get()));
    }
    prepared_ = true;
  }

  TSqlRows Run(TSqlQuery q, std::span<const TSqlParam> params) override {
    const size_t i = static_cast<size_t>(q);
    return Call(QueryName(i).c_str(), nullptr, params);
  }

  TSqlRows RunSql(const std::string& sql, std::span<const TSqlParam> params) override {
    const std::string text = DollarPlaceholders(sql);
    return Call(nullptr, text.c_str(), params);
  }

  void Exec(const std::string& sql) override {
    TResult r(PQexec(c_, sql.c_str()));
    const ExecStatusType st = PQresultStatus(r.get());
    if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK)
      throw TStoreError("score database: " + std::string(PQresultErrorMessage(r.get())));
  }

 private:
  // A prepared query by name, or a one-off text; numbers and text are sent
  // as text, byte strings as binary.
  TSqlRows Call(const char* name, const char* sql, std::span<const TSqlParam> params) {
    std::vector<std::string> numbers(params.size());
    std::vector<const char*> values(params.size());
    std::vector<int> lengths(params.size()), formats(params.size());
    for (size_t i = 0; i < params.size(); i++) {
      const TSqlParam& p = params[i];
      if (p.kind == TSqlParam::kInt) {
        numbers[i] = std::to_string(p.number);
        values[i] = numbers[i].c_str();
      } else if (p.kind != TSqlParam::kNull) {
        values[i] = p.text.c_str();
        lengths[i] = static_cast<int>(p.text.size());
        formats[i] = p.kind == TSqlParam::kBlob ? 1 : 0;
      }
    }
    const int n = static_cast<int>(params.size());
    TResult r(
        name ? PQexecPrepared(c_, name, n, values.data(), lengths.data(), formats.data(), 0)
             : PQexecParams(c_, sql, n, nullptr, values.data(), lengths.data(), formats.data(), 0));
    const ExecStatusType st = PQresultStatus(r.get());
    if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK)
      throw TStoreError(std::string("score query failed: ") + PQresultErrorMessage(r.get()));
    TSqlRows rows;
    const int cols = PQnfields(r.get());
    for (int row = 0; row < PQntuples(r.get()); row++) {
      std::vector<std::string>& out = rows.cells.emplace_back();
      for (int c = 0; c < cols; c++) {
        const char* v = PQgetvalue(r.get(), row, c);
        if (PQftype(r.get(), c) == kByteaOid && !PQgetisnull(r.get(), row, c)) {
          size_t len = 0;
          unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &len);
          if (!bytes) throw TStoreError("a kept replay could not be read back");
          out.emplace_back(reinterpret_cast<const char*>(bytes), len);
          PQfreemem(bytes);
        } else {
          out.emplace_back(v, static_cast<size_t>(PQgetlength(r.get(), row, c)));
        }
      }
    }
    rows.changed = std::atoll(PQcmdTuples(r.get()));
    return rows;
  }

  PGconn* c_ = nullptr;
  bool prepared_ = false;
};

class TPostgresConnections final : public TSqlConnections {
 public:
  TPostgresConnections(const std::string& conninfo, int connections)
      : conninfo_(conninfo), max_(connections < 1 ? 1 : connections) {
    auto first = std::make_unique<TPostgresSession>(conninfo_);
    // One process at a time completes the tables.
    first->Exec("SET client_min_messages = warning");
    first->Exec("SELECT pg_advisory_lock(7311022)");
    try {
      PrepareSchema(*first, kPostgresDialect);
    } catch (...) {
      first->Exec("SELECT pg_advisory_unlock(7311022)");
      throw;
    }
    first->Exec("SELECT pg_advisory_unlock(7311022)");
    first->PrepareQueries();
    idle_.push_back(std::move(first));
    open_ = 1;
  }

  // Takes a session from the pool (opening one while under the limit, else
  // waiting), runs work on it and gives it back. A session found broken is
  // reset and work retried once.
  void With(const std::function<void(TSqlSession&)>& work) override {
    std::unique_ptr<TPostgresSession> s = Acquire();
    try {
      try {
        work(*s);
      } catch (const TStoreError&) {
        if (!s->Broken()) throw;
        s->Reset();
        s->PrepareQueries();
        work(*s);
      }
    } catch (...) {
      Release(std::move(s));
      throw;
    }
    Release(std::move(s));
  }

  const TSqlDialect& Dialect() const override { return kPostgresDialect; }

 private:
  std::unique_ptr<TPostgresSession> Acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (!idle_.empty()) {
        std::unique_ptr<TPostgresSession> s = std::move(idle_.back());
        idle_.pop_back();
        return s;
      }
      if (open_ < max_) {
        open_++;
        lock.unlock();
        try {
          auto s = std::make_unique<TPostgresSession>(conninfo_);
          s->PrepareQueries();
          return s;
        } catch (...) {
          lock.lock();
          open_--;
          throw;
        }
      }
      freed_.wait(lock);
    }
  }

  void Release(std::unique_ptr<TPostgresSession> s) {
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(s));
    freed_.notify_one();
  }

  std::string conninfo_;
  int max_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<std::unique_ptr<TPostgresSession>> idle_;
  int open_ = 0;
};

}  // namespace

std::shared_ptr<TSqlConnections> OpenPostgresDatabase(const std::string& conninfo,
                                                      int connections) {
  return std::make_shared<TPostgresConnections>(conninfo, connections);
}
