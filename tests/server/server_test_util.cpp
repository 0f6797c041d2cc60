#include "server/server_test_util.h"

#include <libpq-fe.h>

#include <atomic>

std::unique_ptr<TScoreStore> FreshStore(const std::string& kind, int connections) {
  static std::atomic<int> serial{0};
  if (kind == "sqlite") {
    char dir[] = "/tmp/zazo-store-XXXXXX";
    if (!mkdtemp(dir)) return nullptr;
    return OpenSqliteStore(std::string(dir) + "/scores" + std::to_string(serial++) + ".sqlite");
  }
  const char* pg = std::getenv("ZAZO_TEST_PG");
  if (!pg || !*pg) return nullptr;
  PGconn* c = PQconnectdb(pg);
  if (PQstatus(c) == CONNECTION_OK)
    PQclear(
        PQexec(c, "SET client_min_messages = warning; DROP TABLE IF EXISTS scores, board_secrets"));
  PQfinish(c);
  return OpenPostgresStore(pg, connections);
}
