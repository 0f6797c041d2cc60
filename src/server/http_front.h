// The HTTP side of the score server (cpp-httplib): binding, request size
// caps, the per-client rate limit, the idle exit and the clean stop on
// SIGTERM/SIGINT. Requests go to a TScoreService.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "server/score_service.h"

struct TFrontOptions {
  std::string listen = "127.0.0.1";
  int port = 0;
  int threads = 8;
  int ratePerMinute = 0;    // requests per client address and minute; 0: no limit
  int idleExitSeconds = 0;  // stop after this long without a request; 0: never
};

// Blocks SIGTERM, SIGINT and SIGHUP in the calling thread (and so in every
// thread it starts later); ServeScores then takes them with sigtimedwait.
// Call first thing in main.
void BlockStopSignals();

// Binds and serves until a stop signal or the idle time. onListening runs
// once the socket listens (in a thread of its own). Returns 0 after a clean
// stop (every accepted request answered), 2 when the address cannot be
// bound (*bindFailed set).
int ServeScores(TScoreService& service, const TFrontOptions& options,
                const std::function<void()>& onListening, bool* bindFailed);

// Sends a replay file to a running server at 127.0.0.1:port; returns the
// HTTP status (0 when no answer) and the body in *answer.
int SendReplay(int port, const std::string& replay, std::string* answer);

// One line on stderr with the time, for errors and their causes.
void LogLine(const std::string& line);
