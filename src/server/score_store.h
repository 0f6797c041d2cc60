// Where the score server keeps its entries: one small interface over one
// SQL text (store_sql.cpp) that two databases run: an SQLite file, or a
// PostgreSQL database several servers may share. Every store enforces "one
// entry per score text" in the database itself, so concurrent servers never
// store an entry twice.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "server/score_entry.h"

// A database failure (connection lost, disk full, ...), with its cause.
class TStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TStoredEntry {
  int64_t id = 0;
  TScoreEntry entry;
  std::string name;  // "" until the player gives one
  bool verified = false;
  std::string challenge;   // the dealt challenge it was verified for; "" for none
  std::string ownerHash;   // hash of the owner's token; "" when nobody owns it
  bool hasReplay = false;  // the replay that verified it is kept
  int64_t rank = 0;        // 1 + entries with a higher score (ties share a rank)
};

// What a registration stores.
struct TNewEntry {
  TScoreEntry entry;
  bool verified = false;
  std::string challenge;    // with verified: the challenge it was verified for
  std::string ownerHash;    // the new owner's token hash ("" for none)
  std::string_view replay;  // with verified: the replay file to keep ("" for none)
};

// Ranking order everywhere: score descending, then the earlier registration.
class TScoreStore {
 public:
  virtual ~TScoreStore() = default;

  // In one transaction: stores e unless its score text is already stored
  // (then *created is false and the stored entry is kept). With verified,
  // marks the entry verified either way, and gives it the challenge and the
  // replay when it has none yet. An owner hash is taken only by an entry
  // nobody owns (*owned tells). Fills *out with the stored entry and its rank
  // among all entries. Throws TStoreError.
  virtual void Register(const TNewEntry& e, TStoredEntry* out, bool* created, bool* owned) = 0;

  // The entry of a score text (or of an id); false when none. Rank among
  // all entries.
  virtual bool Find(const std::string& text, TStoredEntry* out) = 0;
  virtual bool FindId(int64_t id, TStoredEntry* out) = 0;

  // Gives entry id a name (already checked); false when no entry.
  virtual bool SetName(int64_t id, const std::string& name) = 0;

  // At most limit entries in ranking order from offset (0-based), verified
  // ones only if asked, each with its rank within that same selection.
  virtual std::vector<TStoredEntry> List(bool verifiedOnly, int64_t offset, int limit) = 0;

  // Number of entries (verified ones only if asked).
  virtual int64_t Count(bool verifiedOnly) = 0;

  // 0-based place of a stored entry in the ranking order of all entries.
  virtual int64_t Position(const TStoredEntry& e) = 0;

  // A challenge's table: each player's best entry (a player is the entry's
  // name, or its owner when unnamed), at most limit, in ranking order, ranks
  // within the table; verified entries only if asked.
  virtual std::vector<TStoredEntry> ChallengeTable(const std::string& challenge, bool verifiedOnly,
                                                   int limit) = 0;

  // The kept replay of entry id; false when none.
  virtual bool Replay(int64_t id, std::string* out) = 0;

  // The board's secret called name: the stored one, or candidate when none
  // was stored yet (then stored). Every process on one database gets the
  // same.
  virtual std::string Secret(const std::string& name, const std::string& candidate) = 0;

  // Shorthand for a registration without challenge, owner or replay.
  void Register(const TScoreEntry& e, bool verified, TStoredEntry* out, bool* created) {
    TNewEntry n;
    n.entry = e;
    n.verified = verified;
    bool owned = false;
    Register(n, out, created, &owned);
  }
};

// Opens "sqlite:PATH" or "postgresql://..." (also "postgres://..."),
// creating or completing the tables when needed. connections: the most
// database connections used at once (PostgreSQL). Throws TStoreError with
// the cause.
std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& db, int connections);

std::unique_ptr<TScoreStore> OpenSqliteStore(const std::string& path);
std::unique_ptr<TScoreStore> OpenPostgresStore(const std::string& conninfo, int connections);
