// zazo-bench-ranks: leaderboard page and rank times at a large board, one
// "name value" line each (milliseconds, the median of 7 runs):
//   fill_s_STORE              filling the board (N entries, a third verified)
//   count_cold_ms_STORE       entries counted (the page count of /score/)
//   count_ms_STORE            the same within the second the count is kept
//   page1_ms_STORE            the first page of 50, its ranks included
//   page_mid_ms_STORE         a page halfway down (offset N/2)
//   page1_verified_ms_STORE   the first page of verified entries
//   find_rank_ms_STORE        one entry near the bottom with its rank
//   position_ms_STORE         its place (the entry page's window)
//   board_page_ms_STORE       GET /score/ end to end in the process
// Usage: zazo-bench-ranks [--pg postgresql://...] [--entries N]
// bench/scores/ranks.sh runs it with a throw-away PostgreSQL.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "server/score_service.h"
#include "server/store_sql.h"

namespace {

double Millis(const std::function<void()>& work) {
  std::vector<double> runs;
  for (int i = 0; i < 7; i++) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    runs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

// N rows made by the database itself: distinct texts, scores spread over
// 0..99,999,999, every third verified.
void Fill(TSqlConnections& db, int64_t n, bool postgres) {
  const std::string rows =
      postgres ? "SELECT g FROM generate_series(1, " + std::to_string(n) + ") AS g"
               : "WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s WHERE g < " +
                     std::to_string(n) + ") SELECT g FROM s";
  const std::string sql =
      "INSERT INTO scores (score_text, signature, played_at, score, level, frame_rate, verified, "
      "registered_at) SELECT 'bench' || g, 'x', '20240703200509', CAST(g AS BIGINT) * 7919 % "
      "100000000, "
      "1 + g % 99, 61, CASE WHEN g % 3 = 0 THEN 1 ELSE 0 END, 0 FROM (" +
      rows + ") AS r";
  db.With([&](TSqlSession& s) {
    s.Exec("DELETE FROM scores");
    s.Exec(sql);
    if (postgres) s.Exec("ANALYZE scores");
  });
}

void Figures(const char* name, std::shared_ptr<TSqlConnections> db, int64_t n, bool postgres) {
  const auto t0 = std::chrono::steady_clock::now();
  Fill(*db, n, postgres);
  std::printf("fill_s_%s %.1f\n", name,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  std::unique_ptr<TScoreStore> store = MakeSqlScoreStore(db);
  int64_t sink = 0;
  // The first count walks the index; the store keeps it for a second.
  const auto c0 = std::chrono::steady_clock::now();
  sink += store->Count(false);
  std::printf(
      "count_cold_ms_%s %.2f\n", name,
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - c0).count());
  std::printf("count_ms_%s %.2f\n", name, Millis([&] { sink += store->Count(false); }));
  std::printf("page1_ms_%s %.2f\n", name,
              Millis([&] { sink += store->List(false, 0, 50).back().rank; }));
  std::printf("page_mid_ms_%s %.2f\n", name,
              Millis([&] { sink += store->List(false, n / 2, 50).back().rank; }));
  std::printf("page1_verified_ms_%s %.2f\n", name,
              Millis([&] { sink += store->List(true, 0, 50).back().rank; }));
  // Score 7919 * g % 1e8 is lowest near g = 12628 * k: one near the bottom.
  const std::string low = "bench" + std::to_string(n > 12628 ? 12628 : 1);
  TStoredEntry e;
  std::printf("find_rank_ms_%s %.2f\n", name, Millis([&] { store->Find(low, &e); }));
  std::printf("position_ms_%s %.2f\n", name, Millis([&] { sink += store->Position(e); }));
  struct TNoCheck : TReplayChecker {
    TReplayCheck Check(std::string_view) override { return {}; }
  } checker;
  TScoreService service(*store, checker, [](const std::string&) {});
  std::printf("board_page_ms_%s %.2f\n", name, Millis([&] {
                sink += service.Handle({"GET", "/score/", {}, "", false}).status;
              }));
  std::fprintf(stderr, "(rank of the low entry %lld, %lld)\n", static_cast<long long>(e.rank),
               static_cast<long long>(sink % 7));
}

}  // namespace

int main(int argc, char** argv) {
  std::string pg;
  int64_t entries = 1000000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--pg") pg = argv[i + 1];
    if (a == "--entries") entries = std::atoll(argv[i + 1]);
  }
  char dir[] = "/tmp/zazo-bench-ranks-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  try {
    Figures("sqlite", OpenSqliteDatabase(std::string(dir) + "/scores.sqlite"), entries, false);
    if (!pg.empty()) Figures("postgres", OpenPostgresDatabase(pg, 2), entries, true);
  } catch (const TStoreError& e) {
    std::fprintf(stderr, "zazo-bench-ranks: %s\n", e.what());
    return 1;
  }
  std::system(("rm -rf " + std::string(dir)).c_str());
  return 0;
}
