// The score store's SQL, written once for both databases: the tables, every
// query (with ?1, ?2, ... placeholders; a driver that numbers them $1, $2,
// ... translates), the row reader and the transactions. A database driver
// (sqlite_store.cpp, postgres_store.cpp) only runs what it is given.
//
// Other parts of the server that keep tables in the same database (the room
// directory of online play) add their own statements through the same
// session: TSqlSession::Exec for their schema, RunSql for their queries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "server/score_store.h"

// One parameter of a query.
struct TSqlParam {
  enum TKind { kText, kInt, kBlob, kNull };
  TKind kind = kNull;
  std::string text;  // kText, kBlob
  int64_t number = 0;
  static TSqlParam Text(std::string s) { return {kText, std::move(s), 0}; }
  static TSqlParam Int(int64_t v) { return {kInt, {}, v}; }
  static TSqlParam Blob(std::string_view b) { return {kBlob, std::string(b), 0}; }
};

// A query's answer: every cell as its bytes (numbers in decimal), and how
// many rows an INSERT, UPDATE or DELETE changed.
struct TSqlRows {
  std::vector<std::vector<std::string>> cells;
  int64_t changed = 0;
  int64_t Int(size_t row, size_t col) const;
};

enum class TSqlQuery {
  kInsert,
  kVerify,
  kClaim,
  kFindText,
  kFindId,
  kSetName,
  kListAll,
  kListVerified,
  kCountAll,
  kCountVerified,
  kBetterAll,
  kBetterVerified,
  kTiesBefore,
  kChallengeAll,
  kChallengeVerified,
  kReplay,
  kSecretInsert,
  kSecretFind,
  kCount  // not a query: how many there are
};

// What the two dialects write differently.
struct TSqlDialect {
  const char* idColumn;   // the auto-numbered primary key's declaration
  const char* bigint;     // a 64-bit integer column
  const char* blob;       // a byte string column
  const char* begin;      // starts a writing transaction
  const char* hasColumn;  // one row, one cell: 1 when table ?1 has column ?2
};
extern const TSqlDialect kSqliteDialect;
extern const TSqlDialect kPostgresDialect;

// The statements that create the tables and indexes (each idempotent).
std::vector<std::string> SchemaStatements(const TSqlDialect& d);

// Columns later versions added to the scores table: each ALTER TABLE runs
// when the dialect's hasColumn says the column is missing.
struct TAddedColumn {
  const char* table;
  const char* column;
  std::string declaration;  // after ADD COLUMN
};
std::vector<TAddedColumn> AddedColumns(const TSqlDialect& d);

// The text of a query, with ?N placeholders.
const char* QueryText(TSqlQuery q);

// "?1 ... ?12" as "$1 ... $12" (outside quoted strings).
std::string DollarPlaceholders(const std::string& sql);

// One database connection, used by one thread at a time.
class TSqlSession {
 public:
  virtual ~TSqlSession() = default;
  // Runs one of the store's queries. Throws TStoreError.
  virtual TSqlRows Run(TSqlQuery q, std::span<const TSqlParam> params) = 0;
  // Runs any statement (with ?N placeholders) once. Throws TStoreError.
  virtual TSqlRows RunSql(const std::string& sql, std::span<const TSqlParam> params) = 0;
  // Runs statements without parameters (schema, BEGIN, COMMIT).
  virtual void Exec(const std::string& sql) = 0;
};

// The connections of one database: With runs work on a session of its own
// (waiting for one when all are busy). A connection found broken is
// re-opened and work run again once, so work must not have effects outside
// the database.
class TSqlConnections {
 public:
  virtual ~TSqlConnections() = default;
  virtual void With(const std::function<void(TSqlSession&)>& work) = 0;
  virtual const TSqlDialect& Dialect() const = 0;
};

// Runs work between the dialect's BEGIN and COMMIT; ROLLBACK when it throws.
void InTransaction(TSqlSession& s, const TSqlDialect& d, const std::function<void()>& work);

// Creates and completes the tables on s (inside a transaction).
void PrepareSchema(TSqlSession& s, const TSqlDialect& d);

// Opens "sqlite:PATH" or "postgresql://..." (also "postgres://...") with
// at most `connections` at once (PostgreSQL; SQLite uses one), the score
// tables prepared. Throws TStoreError with the cause.
std::shared_ptr<TSqlConnections> OpenSqlDatabase(const std::string& db, int connections);
std::shared_ptr<TSqlConnections> OpenSqliteDatabase(const std::string& path);
std::shared_ptr<TSqlConnections> OpenPostgresDatabase(const std::string& conninfo, int connections);

// The score store over a database's connections (schema already prepared);
// other tables may share the connections.
std::unique_ptr<TScoreStore> MakeSqlScoreStore(std::shared_ptr<TSqlConnections> db);
