// Where the score server keeps its entries: one small interface, two stores
// (an SQLite file, or a PostgreSQL database several servers may share).
// Every store enforces "one entry per score text" in the database itself, so
// concurrent servers never store an entry twice.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
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
  int64_t rank = 0;  // 1 + entries with a higher score (ties share a rank)
};

// Ranking order everywhere: score descending, then the earlier registration.
class TScoreStore {
 public:
  virtual ~TScoreStore() = default;

  // Stores e unless its score text is already stored (then *created is
  // false and the stored entry is kept); with verified, marks the entry
  // verified either way. Fills *out with the stored entry and its rank among
  // all entries. Throws TStoreError.
  virtual void Register(const TScoreEntry& e, bool verified, TStoredEntry* out, bool* created) = 0;

  // The entry of a score text; false when none. Rank among all entries.
  virtual bool Find(const std::string& text, TStoredEntry* out) = 0;

  // Gives the entry of text a name (already checked); false when no entry.
  virtual bool SetName(const std::string& text, const std::string& name) = 0;

  // At most limit entries in ranking order from offset (0-based), verified
  // ones only if asked, each with its rank within that same selection.
  virtual std::vector<TStoredEntry> List(bool verifiedOnly, int64_t offset, int limit) = 0;

  // Number of entries (verified ones only if asked).
  virtual int64_t Count(bool verifiedOnly) = 0;

  // 0-based place of a stored entry in the ranking order of all entries.
  virtual int64_t Position(const TStoredEntry& e) = 0;
};

// Opens "sqlite:PATH" or "postgresql://..." (also "postgres://..."),
// creating the table when missing. connections: the most database
// connections used at once (PostgreSQL). Throws TStoreError with the cause.
std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& db, int connections);

std::unique_ptr<TScoreStore> OpenSqliteStore(const std::string& path);
std::unique_ptr<TScoreStore> OpenPostgresStore(const std::string& conninfo, int connections);
