#include "server/http_front.h"

#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {

using Clock = std::chrono::steady_clock;

// Fixed one-minute windows per client address; the table is emptied at every
// window change, so it never holds more than one minute's clients.
class TRateLimiter {
 public:
  explicit TRateLimiter(int perMinute) : perMinute_(perMinute) {}
  bool Allow(const std::string& client) {
    if (perMinute_ <= 0) return true;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = Clock::now();
    if (now - windowStart_ >= std::chrono::minutes(1)) {
      counts_.clear();
      windowStart_ = now;
    }
    return ++counts_[client] <= perMinute_;
  }

 private:
  int perMinute_;
  std::mutex mutex_;
  Clock::time_point windowStart_ = Clock::now();
  std::unordered_map<std::string, int> counts_;
};

TWebRequest ToWebRequest(const httplib::Request& req) {
  TWebRequest w;
  w.method = req.method;
  w.path = req.path;
  for (const auto& [key, value] : req.params) w.params.emplace(key, value);
  const std::string type = req.get_header_value("Content-Type");
  if (req.is_multipart_form_data()) {
    w.fromForm = true;
    for (const auto& [key, part] : req.files) {
      if (key == "replay")
        w.body = part.content;
      else
        w.params.emplace(key, part.content);
    }
  } else {
    // The name form posts url-encoded fields; a replay is taken as sent,
    // whatever type the client gave it (curl -d says url-encoded).
    w.body = req.body;
    w.fromForm =
        req.path != "/score/api/replay" && type.rfind("application/x-www-form-urlencoded", 0) == 0;
  }
  return w;
}

}  // namespace

void LogLine(const std::string& line) {
  char stamp[32];
  const time_t now = time(nullptr);
  struct tm tmv;
  gmtime_r(&now, &tmv);
  strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &tmv);
  std::fprintf(stderr, "%s zazo-scores: %s\n", stamp, line.c_str());
}

void BlockStopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  // A client that goes away mid-answer must not end the server.
  signal(SIGPIPE, SIG_IGN);
}

int ServeScores(TScoreService& service, const TFrontOptions& options,
                const std::function<void()>& onListening, bool* bindFailed) {
  *bindFailed = false;
  httplib::Server server;
  const int threads = options.threads < 1 ? 1 : options.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // A replay file in a form takes a little more than the file itself.
  server.set_payload_max_length(kMaxReplayBytes + 64 * 1024);
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  server.set_keep_alive_max_count(100);
  // Address reuse for a quick restart, but not the library's default port
  // sharing: a second server on a taken port must fail to bind (the local
  // board relies on that to find the one already running).
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });

  std::atomic<int64_t> lastRequest{
      std::chrono::duration_cast<std::chrono::seconds>(Clock::now().time_since_epoch()).count()};
  TRateLimiter limiter(options.ratePerMinute);
  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
    lastRequest =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now().time_since_epoch()).count();
    if (limiter.Allow(req.remote_addr)) return httplib::Server::HandlerResponse::Unhandled;
    res.status = 429;
    res.set_header("Retry-After", "60");
    res.set_content("too many requests from this address; try again in a minute\n",
                    "text/plain; charset=utf-8");
    return httplib::Server::HandlerResponse::Handled;
  });
  const auto handle = [&service](const httplib::Request& req, httplib::Response& res) {
    const TWebReply reply = service.Handle(ToWebRequest(req));
    res.status = reply.status;
    if (!reply.location.empty()) res.set_header("Location", reply.location);
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Content-Security-Policy",
                   "default-src 'none'; style-src 'unsafe-inline'; "
                   "form-action 'self'");
    res.set_content(reply.body, reply.contentType.c_str());
  };
  server.Get(".*", handle);
  server.Post(".*", handle);
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty())
      res.set_content("error " + std::to_string(res.status) + "\n", "text/plain; charset=utf-8");
  });

  if (!server.bind_to_port(options.listen.c_str(), options.port)) {
    *bindFailed = true;
    LogLine("cannot listen on " + options.listen + ":" + std::to_string(options.port));
    return 2;
  }

  // Stop signals and the idle clock, watched once a second.
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    const timespec second{1, 0};
    while (!done) {
      const int sig = sigtimedwait(&set, nullptr, &second);
      if (sig > 0) {
        LogLine(std::string("stopping on ") + strsignal(sig));
        break;
      }
      const int64_t now =
          std::chrono::duration_cast<std::chrono::seconds>(Clock::now().time_since_epoch()).count();
      if (options.idleExitSeconds > 0 && now - lastRequest >= options.idleExitSeconds) {
        LogLine("stopping after " + std::to_string(options.idleExitSeconds) +
                " s without requests");
        break;
      }
    }
    // stop() only acts on a running server: wait for listen to begin.
    while (!done && !server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server.stop();
  });
  std::thread announcer;
  if (onListening)
    announcer = std::thread([&] {
      while (!done && !server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (!done) onListening();
    });
  // Returns once stop() has closed the socket and the worker threads have
  // answered every request they accepted.
  server.listen_after_bind();
  done = true;
  watcher.join();
  if (announcer.joinable()) announcer.join();
  return 0;
}

int SendReplay(int port, const std::string& replay, std::string* answer) {
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(5, 0);
  client.set_read_timeout(60, 0);
  const auto res = client.Post("/score/api/replay", replay, "application/octet-stream");
  if (!res) return 0;
  *answer = res->body;
  return res->status;
}
