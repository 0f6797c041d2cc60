#include "server/score_service.h"

#include <algorithm>

#include "server/board_crypto.h"
#include "server/challenge.h"
#include "server/score_pages.h"
#include "server/service_text.h"
#include "server/web_text.h"

namespace {

bool IsGet(const TWebRequest& req) {
  return req.method == "GET" || req.method == "HEAD";
}

}  // namespace

TScoreService::TScoreService(TScoreStore& store, TReplayChecker& checker,
                             std::function<void(const std::string&)> log,
                             std::function<time_t()> now, TServiceOptions options)
    : store_(store),
      checker_(checker),
      log_(std::move(log)),
      now_(std::move(now)),
      options_(std::move(options)),
      budget_(options_.checkMillisPerAddress, std::chrono::minutes(10)) {}

void TScoreService::AddRoute(std::string prefix, TRouteHandler handler) {
  routes_.emplace_back(std::move(prefix), std::move(handler));
}

void TScoreService::SetRelay(const std::string& host, int port) {
  std::lock_guard<std::mutex> lock(mutex_);
  relayHost_ = host;
  relayPort_ = port;
}

TWebReply TScoreService::Handle(const TWebRequest& req) {
  try {
    return Dispatch(req);
  } catch (const TStoreError& e) {
    log_(std::string("store error on ") + req.method + " " + req.path + ": " + e.what());
    return Refuse(req, 503, "the score database is not available; please try again later");
  } catch (const std::exception& e) {
    log_(std::string("error on ") + req.method + " " + req.path + ": " + e.what());
    return Refuse(req, 500, "the server failed to answer");
  }
}

TWebReply TScoreService::Dispatch(const TWebRequest& req) {
  for (const auto& [prefix, handler] : routes_)
    if (req.path.rfind(prefix, 0) == 0) return handler(req);
  const std::string& p = req.path;
  const bool post = p == "/score/name" || p == "/score/api/replay";
  if (post && req.method != "POST") return Refuse(req, 405, "use POST for this address");
  if (!post && !IsGet(req)) return Refuse(req, 405, "use GET for this address");
  if (p == "/score/" || p == "/score")
    return Param(req, "mode") == "reg" ? Register(req) : Board(req);
  if (p == "/score/name") return SetName(req);
  if (p == "/score/api/replay") return Replay(req);
  if (p == "/score/api/top") return Top(req);
  if (p == "/score/api/challenge/daily") return DailyChallengeReply(req);
  if (p == "/score/api/daily") return DailyTable(req, true);
  if (p == "/score/daily" || p.rfind("/score/daily/", 0) == 0) return DailyTable(req, false);
  if (p.rfind("/score/replay/", 0) == 0) return ReplayDownload(req);
  if (p == "/score/api/board") return BoardInfo();
  return Refuse(req, 404, "no such page");
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
    if (status == 429) ja = "しばらくしてからもう一度どうぞ", en = "Too many requests";
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
  TNewEntry n;
  n.entry = entry;
  const std::string token = NewOwnerToken();
  n.ownerHash = OwnerTokenHash(token);
  TStoredEntry stored;
  bool created = false, owned = false;
  store_.Register(n, &stored, &created, &owned);
  // The game hands over the token of the entry it uploaded: the browser
  // gets it as the owner cookie, and the address loses it.
  const std::string given = Param(req, "token");
  if (!given.empty()) {
    TWebReply r;
    r.status = 303;
    r.location = EntryLink(entry);
    if (OwnerTokenMatches(given, stored.ownerHash))
      SetOwnerCookie(&r, stored.id, given, req.secure);
    r.body = MessagePage("登録しました", "Registered", "");
    return r;
  }
  TWebReply r = EntryReply(stored, created, "");
  if (created && owned) SetOwnerCookie(&r, stored.id, token, req.secure);
  return r;
}

TWebReply TScoreService::SetName(const TWebRequest& req) {
  std::string name, reason;
  if (!CheckPlayerName(Param(req, "name"), &name, &reason)) return Refuse(req, 400, reason);
  TStoredEntry stored;
  bool signedByGame = false;
  const int64_t id = NumberParam(req, "id", 0, 1, 999999999);
  if (id < 0) return Refuse(req, 400, "id must be an entry's number");
  if (id > 0) {
    if (!store_.FindId(id, &stored)) return Refuse(req, 404, "no such entry");
  } else {
    TScoreEntry entry;
    if (int status = CheckRequestEntry(req, &entry, &reason)) return Refuse(req, status, reason);
    if (!store_.Find(entry.text, &stored))
      return Refuse(req, 404, "this score is not registered yet");
    signedByGame = true;
  }
  std::string token = Param(req, "token");
  if (token.empty()) {
    const auto it = req.cookies.find(OwnerCookieName(stored.id));
    if (it != req.cookies.end()) token = it->second;
  }
  const bool owner = OwnerTokenMatches(token, stored.ownerHash);
  if (!owner && !(options_.localBoard && signedByGame)) {
    TWebReply r = Refuse(req, 403,
                         "only the entry's owner can name it: this browser holds no owner token "
                         "for this entry");
    return r;
  }
  if (!store_.SetName(stored.id, name)) return Refuse(req, 404, "no such entry");
  TWebReply r;
  r.status = 303;
  r.location = EntryLink(stored.entry);
  r.body = MessagePage("名前を保存しました", "Name saved", "");
  return r;
}

TWebReply TScoreService::Top(const TWebRequest& req) {
  const int64_t limit = NumberParam(req, "limit", 100, 1, 1000);
  if (limit < 0) return Refuse(req, 400, "limit must be a number from 1 to 1000");
  const bool verifiedOnly = Param(req, "all") != "1";
  const std::vector<TStoredEntry> rows = store_.List(verifiedOnly, 0, static_cast<int>(limit));
  std::string body = "[";
  for (size_t i = 0; i < rows.size(); i++) {
    if (i) body += ",\n";
    body += EntryJson(rows[i]);
  }
  return Json(200, body + "]");
}

TWebReply TScoreService::Board(const TWebRequest& req) {
  const bool verifiedOnly = Param(req, "all") != "1";
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

TWebReply TScoreService::BoardInfo() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string relay = relayPort_ > 0 ? "{\"host\":\"" + JsonEscape(relayHost_) +
                                                 "\",\"port\":" + std::to_string(relayPort_) + "}"
                                           : "null";
  return Json(200, "{\"name\":\"" + JsonEscape(options_.boardName) + "\",\"relay\":" + relay + "}");
}
