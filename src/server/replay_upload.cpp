// The replay upload and the kept replays' downloads.
#include "server/board_crypto.h"
#include "server/challenge.h"
#include "server/score_pages.h"
#include "server/score_service.h"
#include "server/service_text.h"
#include "server/web_text.h"

namespace {

// How long after its day's end a challenge still takes replays (a game
// started before midnight may end after it).
constexpr time_t kChallengeGrace = 2 * 60 * 60;

bool IsSinglePlayer(const TCheckedGame& g) {
  return (g.mode == "single" || g.mode == "advanced") && g.scoreText != "-";
}

}  // namespace

TWebReply TScoreService::Replay(const TWebRequest& req) {
  if (req.body.size() > kMaxReplayBytes) return Refuse(req, 413, "the replay is larger than 1 MB");
  if (req.body.empty()) return Refuse(req, 400, "no replay file was sent");
  // The score the uploader expects the replay to verify, when named.
  const std::string expected = Param(req, "score");
  std::string name, reason;
  if (!CheckPlayerName(Param(req, "name"), &name, &reason)) return Refuse(req, 400, reason);

  const std::string challengeId = Param(req, "challenge");
  TChallenge challenge;
  if (!challengeId.empty()) {
    time_t day = 0;
    if (!ParseDailyId(challengeId, &day))
      return Refuse(req, 422, "no such challenge: " + challengeId);
    const time_t now = now_();
    if (day > now) return Refuse(req, 422, "the challenge " + challengeId + " has not begun");
    if (now >= day + 24 * 60 * 60 + kChallengeGrace)
      return Refuse(req, 422, "the challenge " + challengeId + " has ended");
    challenge = DailyChallenge(day, Secret());
  }

  int retryAfter = 0;
  if (!budget_.Allow(req.client, TCheckBudget::Clock::now(), &retryAfter)) {
    TWebReply r = Refuse(req, 429,
                         "this address has used its share of replay checks; please try again "
                         "later");
    r.headers.emplace_back("Retry-After", std::to_string(retryAfter));
    return r;
  }
  const TReplayCheck check = checker_.Check(req.body);
  budget_.Charge(req.client, check.millis, TCheckBudget::Clock::now());
  switch (check.status) {
    case TReplayCheck::kOk:
      break;
    case TReplayCheck::kMalformed:
    case TReplayCheck::kWrongVersion:
      return Refuse(req, 400, "the replay file cannot be read: " + check.message);
    case TReplayCheck::kNotReproduced:
    case TReplayCheck::kOverLimit:
      return Refuse(req, 422, "the replay does not reproduce its game: " + check.message);
    case TReplayCheck::kBusy: {
      TWebReply r = Refuse(req, 503, check.message);
      r.headers.emplace_back("Retry-After", std::to_string(check.retryAfter));
      return r;
    }
    case TReplayCheck::kUnavailable:
      log_("replay check unavailable: " + check.message);
      return Refuse(req, 503, check.message);
  }

  std::vector<TScoreEntry> entries;
  bool sawExpected = expected.empty();
  for (size_t i = 0; i < check.games.size(); i++) {
    const TCheckedGame& g = check.games[i];
    if (!IsSinglePlayer(g)) continue;
    std::string why;
    if (!challengeId.empty() && !IsDealtStart(g, challenge.seed, &why))
      return Refuse(req, 422,
                    "game " + std::to_string(i + 1) + " of the replay is not the dealt start of " +
                        challengeId + ": " + why);
    TScoreEntry e;
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

  // Verified: from the dealt start on a public board, any reproducing game
  // on the player's own board. Otherwise the entries are stored as plain.
  const bool verified = options_.localBoard || !challengeId.empty();
  std::vector<TStoredEntry> stored;
  std::vector<std::string> tokens;
  for (const TScoreEntry& e : entries) {
    TNewEntry n;
    n.entry = e;
    n.verified = verified;
    n.challenge = challengeId;
    n.replay = req.body;
    std::string token = NewOwnerToken();
    n.ownerHash = OwnerTokenHash(token);
    TStoredEntry s;
    bool created = false, owned = false;
    store_.Register(n, &s, &created, &owned);
    if (!owned) token.clear();
    if (owned && !name.empty() && store_.SetName(s.id, name)) s.name = name;
    stored.push_back(s);
    tokens.push_back(token);
  }
  if (req.fromForm) {
    TWebReply r;
    r.body = ReplayResultPage(stored);
    for (size_t i = 0; i < stored.size(); i++)
      if (!tokens[i].empty()) SetOwnerCookie(&r, stored[i].id, tokens[i], req.secure);
    return r;
  }
  std::string body = "{\"ok\":true,\"entries\":[";
  for (size_t i = 0; i < stored.size(); i++) {
    if (i) body += ",";
    body += EntryJson(stored[i], &tokens[i]);
  }
  return Json(200, body + "]}");
}

TWebReply TScoreService::ReplayDownload(const TWebRequest& req) {
  // /score/replay/ID.zzr
  const std::string rest = req.path.substr(sizeof "/score/replay/" - 1);
  const size_t dot = rest.find(".zzr");
  if (dot == std::string::npos || dot + 4 != rest.size() || dot == 0 || dot > 12)
    return Refuse(req, 404, "no such replay");
  int64_t id = 0;
  for (size_t i = 0; i < dot; i++) {
    if (rest[i] < '0' || rest[i] > '9') return Refuse(req, 404, "no such replay");
    id = id * 10 + (rest[i] - '0');
  }
  TWebReply r;
  if (!store_.Replay(id, &r.body)) return Refuse(req, 404, "no replay is kept for this entry");
  r.contentType = "application/x-zazo-replay";
  r.headers.emplace_back("Content-Disposition",
                         "attachment; filename=\"zazo-" + std::to_string(id) + ".zzr\"");
  return r;
}

std::string TScoreService::Secret() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (secret_.empty())
    secret_ = options_.secret.empty() ? store_.Secret("daily", NewBoardSecret()) : options_.secret;
  return secret_;
}

int TScoreService::DayChallenge(const std::string& date, TChallenge* out, std::string* reason) {
  const time_t now = now_();
  time_t day = now - now % (24 * 60 * 60);
  if (!date.empty() && !ParseUtcDate(date, &day)) {
    *reason = "the date must be YYYY-MM-DD";
    return 400;
  }
  if (day > now) {
    *reason = "the challenge of " + date + " has not begun";
    return 404;
  }
  *out = DailyChallenge(day, Secret());
  return 0;
}

TWebReply TScoreService::DailyChallengeReply(const TWebRequest& req) {
  TChallenge c;
  std::string reason;
  if (int status = DayChallenge(Param(req, "date"), &c, &reason))
    return Refuse(req, status, reason);
  return Json(200, ChallengeJson(c));
}

TWebReply TScoreService::DailyTable(const TWebRequest& req, bool json) {
  std::string date = Param(req, "date");
  if (!json && req.path.size() > sizeof "/score/daily/" - 1)
    date = req.path.substr(sizeof "/score/daily/" - 1);
  TChallenge c;
  std::string reason;
  if (int status = DayChallenge(date, &c, &reason)) return Refuse(req, status, reason);
  const bool verifiedOnly = Param(req, "all") != "1";
  const std::vector<TStoredEntry> rows = store_.ChallengeTable(c.id, verifiedOnly, kChallengeRows);
  if (json) {
    std::string body = "{\"challenge\":\"" + c.id + "\",\"date\":\"" + c.date + "\",\"entries\":[";
    for (size_t i = 0; i < rows.size(); i++) {
      if (i) body += ",\n";
      body += EntryJson(rows[i]);
    }
    return Json(200, body + "]}");
  }
  TWebReply r;
  r.body = DailyPage(c, rows, UtcDate(now_()), verifiedOnly);
  return r;
}
