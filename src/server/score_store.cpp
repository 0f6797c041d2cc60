#include "server/score_store.h"

#include "server/store_sql.h"

std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& db, int connections) {
  return MakeSqlScoreStore(OpenSqlDatabase(db, connections));
}

std::unique_ptr<TScoreStore> OpenSqliteStore(const std::string& path) {
  return MakeSqlScoreStore(OpenSqliteDatabase(path));
}

std::unique_ptr<TScoreStore> OpenPostgresStore(const std::string& conninfo, int connections) {
  return MakeSqlScoreStore(OpenPostgresDatabase(conninfo, connections));
}
