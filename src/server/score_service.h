// The score server's requests, independent of the HTTP library: a request
// in, a reply out. The HTTP front (http_front.cpp) and the fuzz target both
// drive this.
//
//   GET  /score/?mode=reg&score=TEXT&p=SIG[&token=T]  register (idempotent), entry page
//   GET  /score/?page=N[&all=1]              leaderboard, 50 a page, verified
//                                            entries unless all=1
//   POST /score/name (id or score, name, token or owner cookie)  name an entry
//   POST /score/api/replay[?challenge=ID&name=NAME]  replay file as the body (or
//                                            a form's "replay" file): verify
//   GET  /score/api/top?limit=N[&all=1]      JSON
//   GET  /score/api/challenge/daily[?date=D] today's (or a past day's) challenge
//   GET  /score/daily/[YYYY-MM-DD]           a day's challenge table (page)
//   GET  /score/api/daily?date=D             the same, JSON
//   GET  /score/replay/ID.zzr                a verified entry's kept replay
//   GET  /score/api/board                    the board's name and relay
// Other modules add routes of their own with AddRoute.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "server/check_budget.h"
#include "server/replay_check.h"
#include "server/score_store.h"

struct TChallenge;

struct TWebRequest {
  std::string method;                          // "GET", "POST", ...
  std::string path;                            // without the query
  std::map<std::string, std::string> params;   // query and form fields (first value each)
  std::string body;                            // the replay file for the replay upload
  bool fromForm = false;                       // a browser form: answer with a page, not JSON
  std::map<std::string, std::string> cookies;  // the Cookie header's pairs
  bool secure = false;                         // came over TLS (through the proxy)
  std::string client;                          // the client's address
};

struct TWebReply {
  int status = 200;
  std::string contentType = "text/html; charset=utf-8";
  std::string body;
  std::string location;                                      // for 303
  std::vector<std::pair<std::string, std::string>> headers;  // more headers (Set-Cookie, ...)
};

// Largest replay file accepted.
constexpr size_t kMaxReplayBytes = 1 << 20;
// Leaderboard rows per page; entries shown around a registered one; rows of
// a challenge table.
constexpr int kBoardPageRows = 50;
constexpr int kAroundRows = 100;
constexpr int kChallengeRows = 200;

struct TServiceOptions {
  // The player's own board (zazo-scores --local-board): a reproducing
  // replay verifies without a challenge, and the signature alone names an
  // entry, as the game's own page has always done.
  bool localBoard = false;
  std::string boardName = "Zazo Puzzle";
  // The secret the daily seeds come from; "" takes the one kept in the
  // store (made on first use).
  std::string secret;
  // Replay check time one client address may use per ten minutes; 0: no
  // limit.
  int64_t checkMillisPerAddress = 0;
};

using TRouteHandler = std::function<TWebReply(const TWebRequest&)>;

class TScoreService {
 public:
  // log receives one line per error, with its cause. now() gives the clock
  // the date checks and the daily challenge use.
  TScoreService(
      TScoreStore& store, TReplayChecker& checker, std::function<void(const std::string&)> log,
      std::function<time_t()> now = [] { return time(nullptr); }, TServiceOptions options = {});

  // Requests whose path starts with prefix go to handler (before the
  // board's own addresses). Call before serving.
  void AddRoute(std::string prefix, TRouteHandler handler);

  // The relay for online play that /score/api/board names (none until set).
  void SetRelay(const std::string& host, int port);

  // Never throws: store errors become 503 with the cause logged.
  TWebReply Handle(const TWebRequest& req);

 private:
  TWebReply Dispatch(const TWebRequest& req);
  // The request's score text and signature checked: 0 with *entry filled,
  // else the status to refuse with (400 malformed, 403 forged) and *reason.
  int CheckRequestEntry(const TWebRequest& req, TScoreEntry* entry, std::string* reason);
  TWebReply Register(const TWebRequest& req);
  TWebReply SetName(const TWebRequest& req);
  TWebReply Replay(const TWebRequest& req);
  TWebReply ReplayDownload(const TWebRequest& req);
  TWebReply Top(const TWebRequest& req);
  TWebReply Board(const TWebRequest& req);
  TWebReply DailyChallengeReply(const TWebRequest& req);
  TWebReply DailyTable(const TWebRequest& req, bool json);
  TWebReply BoardInfo();
  TWebReply EntryReply(const TStoredEntry& e, bool created, const std::string& note);
  TWebReply Refuse(const TWebRequest& req, int status, const std::string& message);
  // The daily challenge of the day a "YYYY-MM-DD" names ("" for today):
  // 0, or the status to refuse with (400 bad date, 404 a future day).
  int DayChallenge(const std::string& date, TChallenge* out, std::string* reason);
  std::string Secret();

  TScoreStore& store_;
  TReplayChecker& checker_;
  std::function<void(const std::string&)> log_;
  std::function<time_t()> now_;
  TServiceOptions options_;
  std::vector<std::pair<std::string, TRouteHandler>> routes_;
  TCheckBudget budget_;
  std::mutex mutex_;  // the secret and the relay
  std::string secret_;
  std::string relayHost_;
  int relayPort_ = 0;
};
