// The SQLite database of the score store: one file, one connection behind a
// lock, write-ahead log so readers of other processes are not blocked,
// every query prepared once.
#include <sqlite3.h>

#include <mutex>

#include "server/store_sql.h"

namespace {

class TSqliteSession final : public TSqlSession {
 public:
  explicit TSqliteSession(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      throw TStoreError("cannot open the score database " + path + ": " + why);
    }
    sqlite3_busy_timeout(db_, 10000);
    try {
      Exec("PRAGMA journal_mode=WAL");
      Exec("PRAGMA synchronous=FULL");
      PrepareSchema(*this, kSqliteDialect);
      for (size_t q = 0; q < static_cast<size_t>(TSqlQuery::kCount); q++)
        queries_[q] = Prepare(QueryText(static_cast<TSqlQuery>(q)), SQLITE_PREPARE_PERSISTENT);
    } catch (...) {
      Close();
      throw;
    }
  }

  ~TSqliteSession() override { Close(); }

  TSqlRows Run(TSqlQuery q, std::span<const TSqlParam> params) override {
    return Step(queries_[static_cast<size_t>(q)], params);
  }

  TSqlRows RunSql(const std::string& sql, std::span<const TSqlParam> params) override {
    sqlite3_stmt* s = Prepare(sql.c_str(), 0);
    try {
      TSqlRows r = Step(s, params);
      sqlite3_finalize(s);
      return r;
    } catch (...) {
      sqlite3_finalize(s);
      throw;
    }
  }

  void Exec(const std::string& sql) override {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string why = message ? message : sqlite3_errmsg(db_);
      sqlite3_free(message);
      throw TStoreError("score database: " + why);
    }
  }

 private:
  void Close() {
    for (sqlite3_stmt*& s : queries_) {
      sqlite3_finalize(s);
      s = nullptr;
    }
    sqlite3_close(db_);
    db_ = nullptr;
  }

  sqlite3_stmt* Prepare(const char* sql, unsigned flags) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, flags, &s, nullptr) != SQLITE_OK)
      throw TStoreError(std::string("cannot prepare a score query: ") + sqlite3_errmsg(db_));
    return s;
  }

  // Binds params, runs s to its end and resets it either way.
  TSqlRows Step(sqlite3_stmt* s, std::span<const TSqlParam> params) {
    int i = 1;
    for (const TSqlParam& p : params) {
      switch (p.kind) {
        case TSqlParam::kText:
          sqlite3_bind_text(s, i, p.text.data(), static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
          break;
        case TSqlParam::kBlob:
          sqlite3_bind_blob(s, i, p.text.data(), static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
          break;
        case TSqlParam::kInt:
          sqlite3_bind_int64(s, i, p.number);
          break;
        case TSqlParam::kNull:
          sqlite3_bind_null(s, i);
          break;
      }
      i++;
    }
    TSqlRows rows;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      std::vector<std::string>& row = rows.cells.emplace_back();
      const int n = sqlite3_column_count(s);
      for (int c = 0; c < n; c++) {
        const void* v = sqlite3_column_blob(s, c);
        row.emplace_back(v ? static_cast<const char*>(v) : "",
                         static_cast<size_t>(sqlite3_column_bytes(s, c)));
      }
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (rc != SQLITE_DONE)
      throw TStoreError(std::string("score query failed: ") + sqlite3_errmsg(db_));
    rows.changed = sqlite3_changes(db_);
    return rows;
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* queries_[static_cast<size_t>(TSqlQuery::kCount)] = {};
};

class TSqliteConnections final : public TSqlConnections {
 public:
  explicit TSqliteConnections(const std::string& path) : session_(path) {}
  void With(const std::function<void(TSqlSession&)>& work) override {
    std::lock_guard<std::mutex> lock(mutex_);
    work(session_);
  }
  const TSqlDialect& Dialect() const override { return kSqliteDialect; }

 private:
  std::mutex mutex_;
  TSqliteSession session_;
};

}  // namespace

std::shared_ptr<TSqlConnections> OpenSqliteDatabase(const std::string& path) {
  return std::make_shared<TSqliteConnections>(path);
}
