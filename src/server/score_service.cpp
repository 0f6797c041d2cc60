#include "server/score_service.h"

#include <algorithm>

#include "server/score_pages.h"
#include "server/web_text.h"

namespace {

std::string Param(const TWebRequest& req, const char* name) {
  const auto it = req.params.find(name);
  return it == req.params.end() ? std::string() : it->second;
}

// A decimal number of at most 9 digits within [lo, hi]; fallback when
// absent; -1 when present but not such a number.
int64_t NumberParam(const TWebRequest& req, const char* name, int64_t fallback, int64_t lo,
                    int64_t hi) {
  const auto it = req.params.find(name);
  if (it == req.params.end() || it->second.empty()) return fallback;
  const std::string& s = it->second;
  if (s.size() > 9) return -1;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v < lo || v > hi ? -1 : v;
}

bool IsSinglePlayer(const TCheckedGame& g) {
  return (g.mode == "single" || g.mode == "advanced") && g.scoreText != "-";
}

std::string EntryJson(const TStoredEntry& e) {
  return "{\"rank\":" + std::to_string(e.rank) + ",\"score\":" + std::to_string(e.entry.score) +
         ",\"level\":" + std::to_string(e.entry.level) + ",\"date\":\"" +
         JsonEscape(FormatPlayedAt(e.entry.playedAt)) +
         "\",\"fps\":" + std::to_string(e.entry.frameRate - 1) + ",\"name\":\"" +
         JsonEscape(e.name) + "\",\"verified\":" + (e.verified ? "true" : "false") + "}";
}

TWebReply Json(int status, const std::string& body) {
  TWebReply r;
  r.status = status;
  r.contentType = "application/json; charset=utf-8";
  r.body = body + "\n";
  return r;
}

}  // namespace

TScoreService::TScoreService(TScoreStore& store, TReplayChecker& checker,
                             std::function<void(const std::string&)> log,
                             std::function<time_t()> now)
    : store_(store), checker_(checker), log_(std::move(log)), now_(std::move(now)) {}

TWebReply TScoreService::Handle(const TWebRequest& req) {
  try {
    if (req.path == "/score/" || req.path == "/score") {
      if (req.method != "GET" && req.method != "HEAD")
        return Refuse(req, 405, "use GET for this address");
      return Param(req, "mode") == "reg" ? Register(req) : Board(req);
    }
    if (req.path == "/score/name") {
      if (req.method != "POST") return Refuse(req, 405, "use POST for this address");
      return SetName(req);
    }
    if (req.path == "/score/api/replay") {
      if (req.method != "POST") return Refuse(req, 405, "use POST for this address");
      return Replay(req);
    }
    if (req.path == "/score/api/top") {
      if (req.method != "GET" && req.method != "HEAD")
        return Refuse(req, 405, "use GET for this address");
      return Top(req);
    }
    return Refuse(req, 404, "no such page");
  } catch (const TStoreError& e) {
    log_(std::string("store error on ") + req.method + " " + req.path + ": " + e.what());
    return Refuse(req, 503, "the score database is not available; please try again later");
  } catch (const std::exception& e) {
    log_(std::string("error on ") + req.method + " " + req.path + ": " + e.what());
    return Refuse(req, 500, "the server failed to answer");
  }
}

TWebReply TScoreService::Refuse(const TWebRequest& req, int status, const std::string& message) {
  const bool api = req.path.rfind("/score/api/", 0) == 0 && !req.fromForm;
  TWebReply r;
  if (api) {
    r = Json(status, "{\"ok\":false,\"error\":\"" + JsonEscape(message) + "\"}");
  } else {
    const char* ja = "エラー";
    const char* en = "Error";
    if (status == 400) ja = "不正なデータです", en = "Bad request";
    if (status == 403) ja = "署名が正しくありません", en = "Signature wrong";
    if (status == 404) ja = "見つかりません", en = "Not found";
    if (status == 422) ja = "リプレイを受け付けられません", en = "Replay refused";
    if (status == 503) ja = "しばらくしてからもう一度どうぞ", en = "Try again later";
    r.body = MessagePage(ja, en, message);
    r.status = status;
  }
  return r;
}

TWebReply TScoreService::EntryReply(const TStoredEntry& e, bool created, const std::string& note) {
  const int64_t position = store_.Position(e);
  // A full hundred where there are that many: the window slides back from
  // the end of the list.
  const int64_t total = store_.Count(false);
  const int64_t offset =
      std::max<int64_t>(0, std::min<int64_t>(position - kAroundRows / 2, total - kAroundRows));
  std::vector<TStoredEntry> around = store_.List(false, offset, kAroundRows);
  TWebReply r;
  r.body = EntryPage(e, created, around, note);
  return r;
}

int TScoreService::CheckRequestEntry(const TWebRequest& req, TScoreEntry* entry,
                                     std::string* reason) {
  switch (CheckScoreEntry(Param(req, "score"), Param(req, "p"), now_(), entry, reason)) {
    case TEntryCheck::kMalformed:
      return 400;
    case TEntryCheck::kForged:
      return 403;
    case TEntryCheck::kOk:
      break;
  }
  return 0;
}

TWebReply TScoreService::Register(const TWebRequest& req) {
  TScoreEntry entry;
  std::string reason;
  if (int status = CheckRequestEntry(req, &entry, &reason)) return Refuse(req, status, reason);
  TStoredEntry stored;
  bool created = false;
  store_.Register(entry, false, &stored, &created);
  return EntryReply(stored, created, "");
}

TWebReply TScoreService::SetName(const TWebRequest& req) {
  TScoreEntry entry;
  std::string reason;
  if (int status = CheckRequestEntry(req, &entry, &reason)) return Refuse(req, status, reason);
  std::string name;
  if (!CheckPlayerName(Param(req, "name"), &name, &reason)) return Refuse(req, 400, reason);
  TStoredEntry stored;
  if (!store_.Find(entry.text, &stored) || !store_.SetName(stored.id, name))
    return Refuse(req, 404, "this score is not registered yet");
  TWebReply r;
  r.status = 303;
  r.location = EntryLink(entry);
  r.body = MessagePage("名前を保存しました", "Name saved", "");
  return r;
}

TWebReply TScoreService::Replay(const TWebRequest& req) {
  if (req.body.size() > kMaxReplayBytes) return Refuse(req, 413, "the replay is larger than 1 MB");
  if (req.body.empty()) return Refuse(req, 400, "no replay file was sent");
  // The score the uploader expects the replay to verify, when named.
  const std::string expected = Param(req, "score");

  const TReplayCheck check = checker_.Check(req.body);
  switch (check.status) {
    case TReplayCheck::kOk:
      break;
    case TReplayCheck::kMalformed:
    case TReplayCheck::kWrongVersion:
      return Refuse(req, 400, "the replay file cannot be read: " + check.message);
    case TReplayCheck::kNotReproduced:
    case TReplayCheck::kOverLimit:
      return Refuse(req, 422, "the replay does not reproduce its game: " + check.message);
    case TReplayCheck::kUnavailable:
      log_("replay check unavailable: " + check.message);
      return Refuse(req, 503, check.message);
  }

  std::vector<TScoreEntry> entries;
  bool sawExpected = expected.empty();
  for (const TCheckedGame& g : check.games) {
    if (!IsSinglePlayer(g)) continue;
    TScoreEntry e;
    std::string reason;
    if (CheckScoreEntry(g.scoreText, g.signature, now_(), &e, &reason) != TEntryCheck::kOk)
      return Refuse(req, 422, "the replay's game ends with an entry the server refuses: " + reason);
    if (e.text == expected) sawExpected = true;
    entries.push_back(e);
  }
  if (entries.empty())
    return Refuse(req, 422, "the replay holds no finished single-player game to verify");
  if (!sawExpected)
    return Refuse(req, 422,
                  "the replay does not reproduce the score " + expected +
                      "; it is the replay of another game");

  std::vector<TStoredEntry> stored;
  for (const TScoreEntry& e : entries) {
    TStoredEntry s;
    bool created = false;
    store_.Register(e, true, &s, &created);
    stored.push_back(s);
  }
  if (req.fromForm) {
    TWebReply r;
    r.body = ReplayResultPage(stored);
    return r;
  }
  std::string body = "{\"ok\":true,\"entries\":[";
  for (size_t i = 0; i < stored.size(); i++) {
    if (i) body += ",";
    body += EntryJson(stored[i]);
  }
  return Json(200, body + "]}");
}

TWebReply TScoreService::Top(const TWebRequest& req) {
  const int64_t limit = NumberParam(req, "limit", 100, 1, 1000);
  if (limit < 0) return Refuse(req, 400, "limit must be a number from 1 to 1000");
  const bool verifiedOnly = Param(req, "verified") == "1";
  const std::vector<TStoredEntry> rows = store_.List(verifiedOnly, 0, static_cast<int>(limit));
  std::string body = "[";
  for (size_t i = 0; i < rows.size(); i++) {
    if (i) body += ",\n";
    body += EntryJson(rows[i]);
  }
  return Json(200, body + "]");
}

TWebReply TScoreService::Board(const TWebRequest& req) {
  const bool verifiedOnly = Param(req, "verified") == "1";
  const int64_t page = NumberParam(req, "page", 1, 1, 100000000);
  if (page < 0) return Refuse(req, 400, "page must be a positive number");
  const int64_t total = store_.Count(verifiedOnly);
  const int64_t pages = std::max<int64_t>(1, (total + kBoardPageRows - 1) / kBoardPageRows);
  const std::vector<TStoredEntry> rows =
      store_.List(verifiedOnly, (page - 1) * kBoardPageRows, kBoardPageRows);
  TWebReply r;
  r.body = BoardPage(rows, page, pages, total, verifiedOnly);
  return r;
}
