// The score server's requests, independent of the HTTP library: a request
// in, a reply out. The HTTP front (http_front.cpp) and the fuzz target both
// drive this.
//
//   GET  /score/?mode=reg&score=TEXT&p=SIG   register (idempotent), entry page
//   GET  /score/?page=N&verified=1           leaderboard, 50 a page
//   POST /score/name   (score, p, name)      name an entry, then back to it
//   POST /score/api/replay                   replay file as the body (or a
//                                            form's "replay" file): verify
//   GET  /score/api/top?limit=N&verified=1   JSON
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <map>
#include <string>

#include "server/replay_check.h"
#include "server/score_store.h"

struct TWebRequest {
  std::string method;                         // "GET", "POST", ...
  std::string path;                           // without the query
  std::map<std::string, std::string> params;  // query and form fields (first value each)
  std::string body;                           // the replay file for the replay upload
  bool fromForm = false;                      // a browser form: answer with a page, not JSON
};

struct TWebReply {
  int status = 200;
  std::string contentType = "text/html; charset=utf-8";
  std::string body;
  std::string location;  // for 303
};

// Largest replay file accepted.
constexpr size_t kMaxReplayBytes = 1 << 20;
// Leaderboard rows per page; entries shown around a registered one.
constexpr int kBoardPageRows = 50;
constexpr int kAroundRows = 100;

class TScoreService {
 public:
  // log receives one line per error, with its cause. now() gives the clock
  // the date check uses.
  TScoreService(
      TScoreStore& store, TReplayChecker& checker, std::function<void(const std::string&)> log,
      std::function<time_t()> now = [] { return time(nullptr); });

  // Never throws: store errors become 503 with the cause logged.
  TWebReply Handle(const TWebRequest& req);

 private:
  // The request's score text and signature checked: 0 with *entry filled,
  // else the status to refuse with (400 malformed, 403 forged) and *reason.
  int CheckRequestEntry(const TWebRequest& req, TScoreEntry* entry, std::string* reason);
  TWebReply Register(const TWebRequest& req);
  TWebReply SetName(const TWebRequest& req);
  TWebReply Replay(const TWebRequest& req);
  TWebReply Top(const TWebRequest& req);
  TWebReply Board(const TWebRequest& req);
  TWebReply EntryReply(const TStoredEntry& e, bool created, const std::string& note);
  TWebReply Refuse(const TWebRequest& req, int status, const std::string& message);

  TScoreStore& store_;
  TReplayChecker& checker_;
  std::function<void(const std::string&)> log_;
  std::function<time_t()> now_;
};
