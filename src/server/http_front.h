// The HTTP side of the score server (GNU libmicrohttpd): binding, the
// connection caps and deadlines, request size caps, the per-client rate
// limit, the replay uploads' own pool, the idle exit and the clean stop on
// SIGTERM/SIGINT. Requests go to a TScoreService.
//
// Connections live in libmicrohttpd's epoll threads, not in a worker each:
// an idle or slow client holds a socket, never a thread. Every request must
// be complete (headers and body) within requestSeconds of its connection's
// opening or of the answer before it; idle keep-alive connections close
// after idleSeconds; no address holds more than perAddressConnections.
// Replay uploads wait for their check in threads of their own, their
// connection suspended meanwhile, so checks never hold up a page.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "server/replay_check.h"
#include "server/score_service.h"

struct TFrontOptions {
  std::string listen = "127.0.0.1";
  int port = 0;
  int threads = 8;          // threads answering requests (epoll loops)
  int ratePerMinute = 0;    // requests per client address and minute; 0: no limit
  int idleExitSeconds = 0;  // stop after this long without a request; 0: never
  int maxConnections = 1024;
  int perAddressConnections = 64;
  int requestSeconds = 20;          // whole-request deadline (headers and body)
  int idleSeconds = 10;             // keep-alive connections idle this long are closed
  int requestsPerConnection = 100;  // then the connection is closed after its answer
  int uploadThreads = 4;            // replay uploads handled at once
  int uploadQueue = 8;              // uploads waiting for one of those; beyond: 503
  bool trustProxy = false;          // the client is X-Real-IP (set by our proxy)
};

// Blocks SIGTERM, SIGINT and SIGHUP in the calling thread (and so in every
// thread it starts later); ServeScores then takes them with sigtimedwait.
// Call first thing in main.
void BlockStopSignals();

// Binds and serves until a stop signal or the idle time. onListening runs
// once the socket listens (in a thread of its own) with the port it got.
// On a stop: no new connection is accepted, queued and running replay checks
// are abandoned (checker.Stop(), answered 503) within 5 s, every other
// request is answered. Returns 0 after a clean stop, 2 when the address
// cannot be bound (*bindFailed set).
int ServeScores(TScoreService& service, TReplayChecker& checker, const TFrontOptions& options,
                const std::function<void(int port)>& onListening, bool* bindFailed);

// Sends a replay file to a running server at 127.0.0.1:port; returns the
// HTTP status (0 when no answer) and the body in *answer.
int SendReplay(int port, const std::string& replay, std::string* answer);

// One line on stderr with the time, for errors and their causes.
void LogLine(const std::string& line);
