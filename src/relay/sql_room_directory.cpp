// The room directory in the board's database (SQLite, or PostgreSQL shared
// by several relays): two tables beside the scores, the same SQL for both.
#include <ctime>

#include "relay/room_directory.h"
#include "server/store_sql.h"

namespace {

// Finished matches kept; older ones are dropped as new ones come.
constexpr int64_t kKeptMatches = 1000;

std::vector<std::string> Schema(const TSqlDialect& d) {
  return {
      std::string("CREATE TABLE IF NOT EXISTS relay_rooms (code TEXT PRIMARY KEY, relay TEXT NOT "
                  "NULL, version TEXT NOT NULL, quick INTEGER NOT NULL, created ") +
          d.bigint + " NOT NULL)",
      "CREATE INDEX IF NOT EXISTS relay_rooms_relay ON relay_rooms (relay)",
      std::string("CREATE TABLE IF NOT EXISTS relay_matches (") + d.idColumn +
          ", code TEXT NOT NULL, host_name TEXT NOT NULL, guest_name TEXT NOT NULL, result TEXT "
          "NOT NULL, ended_at " +
          d.bigint + " NOT NULL, replay " + d.blob + " NOT NULL)",
  };
}

class TSqlRoomDirectory : public TRoomDirectory {
 public:
  explicit TSqlRoomDirectory(std::shared_ptr<TSqlConnections> db) : db_(std::move(db)) {
    db_->With([&](TSqlSession& s) {
      InTransaction(s, db_->Dialect(), [&] {
        for (const std::string& sql : Schema(db_->Dialect())) s.Exec(sql);
      });
    });
  }

  bool AddRoom(const TRoomRecord& room) override {
    const TSqlParam p[] = {TSqlParam::Text(room.code), TSqlParam::Text(room.relay),
                           TSqlParam::Text(room.version), TSqlParam::Int(room.quick ? 1 : 0),
                           TSqlParam::Int(static_cast<int64_t>(time(nullptr)))};
    return Run("INSERT INTO relay_rooms (code, relay, version, quick, created) VALUES (?1, ?2, "
               "?3, ?4, ?5) ON CONFLICT (code) DO NOTHING",
               p)
               .changed == 1;
  }

  bool FindRoom(const std::string& code, TRoomRecord* out) override {
    const TSqlParam p[] = {TSqlParam::Text(code)};
    return One(Run("SELECT code, relay, version, quick FROM relay_rooms WHERE code = ?1", p), out);
  }

  bool ClaimQuickRoom(const std::string& version, TRoomRecord* out) override {
    // The update takes the mark only where it is still set: of two relays
    // claiming the same room at once, one gets it.
    const TSqlParam p[] = {TSqlParam::Text(version)};
    return One(Run("UPDATE relay_rooms SET quick = 0 WHERE quick = 1 AND code = (SELECT code FROM "
                   "relay_rooms WHERE quick = 1 AND version = ?1 ORDER BY created, code LIMIT 1) "
                   "RETURNING code, relay, version, quick",
                   p),
               out);
  }

  void RemoveRoom(const std::string& code) override {
    const TSqlParam p[] = {TSqlParam::Text(code)};
    Run("DELETE FROM relay_rooms WHERE code = ?1", p);
  }

  void RemoveRelayRooms(const std::string& relay) override {
    const TSqlParam p[] = {TSqlParam::Text(relay)};
    Run("DELETE FROM relay_rooms WHERE relay = ?1", p);
  }

  int64_t AddMatch(const TMatchRecord& m) override {
    const TSqlParam p[] = {TSqlParam::Text(m.code),      TSqlParam::Text(m.hostName),
                           TSqlParam::Text(m.guestName), TSqlParam::Text(m.result),
                           TSqlParam::Int(m.endedAt),    TSqlParam::Blob(m.replay)};
    const TSqlRows r =
        Run("INSERT INTO relay_matches (code, host_name, guest_name, result, "
            "ended_at, replay) VALUES (?1, ?2, ?3, ?4, ?5, ?6) RETURNING id",
            p);
    const int64_t id = r.Int(0, 0);
    const TSqlParam old[] = {TSqlParam::Int(id - kKeptMatches)};
    Run("DELETE FROM relay_matches WHERE id <= ?1", old);
    return id;
  }

  std::vector<TMatchRecord> RecentMatches(int limit) override {
    const TSqlParam p[] = {TSqlParam::Int(limit)};
    const TSqlRows r =
        Run("SELECT id, code, host_name, guest_name, result, ended_at FROM "
            "relay_matches ORDER BY id DESC LIMIT ?1",
            p);
    std::vector<TMatchRecord> out;
    for (size_t i = 0; i < r.cells.size(); i++) {
      if (r.cells[i].size() < 6) throw TStoreError("a match query answered fewer cells than asked");
      TMatchRecord m;
      m.id = r.Int(i, 0);
      m.code = r.cells[i][1];
      m.hostName = r.cells[i][2];
      m.guestName = r.cells[i][3];
      m.result = r.cells[i][4];
      m.endedAt = r.Int(i, 5);
      out.push_back(std::move(m));
    }
    return out;
  }

  bool MatchReplay(int64_t id, std::string* replay) override {
    const TSqlParam p[] = {TSqlParam::Int(id)};
    TSqlRows r = Run("SELECT replay FROM relay_matches WHERE id = ?1", p);
    if (r.cells.size() != 1 || r.cells[0].empty()) return false;
    *replay = std::move(r.cells[0][0]);
    return true;
  }

 private:
  TSqlRows Run(const char* sql, std::span<const TSqlParam> params) {
    TSqlRows rows;
    db_->With([&](TSqlSession& s) { rows = s.RunSql(sql, params); });
    return rows;
  }

  static bool One(const TSqlRows& r, TRoomRecord* out) {
    if (r.cells.size() != 1 || r.cells[0].size() < 4) return false;
    out->code = r.cells[0][0];
    out->relay = r.cells[0][1];
    out->version = r.cells[0][2];
    out->quick = r.cells[0][3] == "1";
    return true;
  }

  std::shared_ptr<TSqlConnections> db_;
};

}  // namespace

std::unique_ptr<TRoomDirectory> MakeSqlRoomDirectory(std::shared_ptr<TSqlConnections> db) {
  return std::make_unique<TSqlRoomDirectory>(std::move(db));
}
