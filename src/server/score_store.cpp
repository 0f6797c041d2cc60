#include "server/score_store.h"

std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& db, int connections) {
  if (db.rfind("sqlite:", 0) == 0) return OpenSqliteStore(db.substr(7));
  if (db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0)
    return OpenPostgresStore(db, connections);
  throw TStoreError("unknown database \"" + db +
                    "\": give sqlite:PATH or postgresql://USER@HOST:PORT/NAME");
}
