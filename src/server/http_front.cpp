#include "server/http_front.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "server/job_pool.h"

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

// One connection as the deadline watch sees it.
struct TConnection {
  int fd = -1;
  Clock::time_point since;  // opened, or its last answer sent
  bool waiting = false;     // suspended for a replay check: the check's limits apply
  bool cut = false;         // shut down by the watch
  int requests = 0;
};

// One request while it is read and answered.
struct TRequest {
  TWebRequest web;
  std::string raw;  // a body that is not a form
  MHD_PostProcessor* form = nullptr;
  bool tooLarge = false;
  bool queued = false;  // handed to the upload pool
  std::atomic<bool> answered{false};
  std::mutex handOver;  // held while the connection is being suspended
  TWebReply reply;
  ~TRequest() {
    if (form) MHD_destroy_post_processor(form);
  }
};

// A replay file in a form takes a little more than the file itself.
constexpr size_t kMaxBody = kMaxReplayBytes + 64 * 1024;

class TFront {
 public:
  TFront(TScoreService& service, TReplayChecker& checker, const TFrontOptions& o)
      : service_(service),
        checker_(checker),
        options_(o),
        limiter_(o.ratePerMinute),
        uploads_(o.uploadThreads, o.uploadQueue) {}

  TScoreService& service_;
  TReplayChecker& checker_;
  TFrontOptions options_;
  TRateLimiter limiter_;
  TJobPool uploads_;
  MHD_Daemon* daemon_ = nullptr;
  std::atomic<int64_t> lastRequest_{Now()};
  std::mutex connectionsMutex_;
  std::unordered_map<MHD_Connection*, TConnection> connections_;

  static int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(Clock::now().time_since_epoch())
        .count();
  }

  // Shuts down the sockets of connections past the whole-request deadline;
  // libmicrohttpd then sees them end and closes them in its own thread.
  void CutLateConnections() {
    const auto now = Clock::now();
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    for (auto& [c, w] : connections_) {
      if (w.cut || w.waiting || now - w.since < std::chrono::seconds(options_.requestSeconds))
        continue;
      shutdown(w.fd, SHUT_RDWR);
      w.cut = true;
    }
  }

  void SetWaiting(MHD_Connection* c, bool waiting) {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    const auto it = connections_.find(c);
    if (it == connections_.end()) return;
    it->second.waiting = waiting;
    it->second.since = Clock::now();
  }

  // The answer's end: the deadline starts again for the next request. True
  // when the connection has had its share of requests.
  bool Answered(MHD_Connection* c) {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    const auto it = connections_.find(c);
    if (it == connections_.end()) return false;
    it->second.since = Clock::now();
    return ++it->second.requests >= options_.requestsPerConnection;
  }

  std::string ClientAddress(MHD_Connection* c) {
    if (options_.trustProxy) {
      const char* real = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "X-Real-IP");
      if (real && *real && std::strlen(real) < 64) return real;
    }
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char text[INET6_ADDRSTRLEN] = "?";
    if (info && info->client_addr) {
      const sockaddr* sa = info->client_addr;
      if (sa->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, text, sizeof text);
      else if (sa->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr, text,
                  sizeof text);
    }
    return text;
  }

  MHD_Result Send(MHD_Connection* c, const TWebReply& reply) {
    MHD_Response* r = MHD_create_response_from_buffer(
        reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!r) return MHD_NO;
    MHD_add_response_header(r, "Content-Type", reply.contentType.c_str());
    MHD_add_response_header(r, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(r, "Content-Security-Policy",
                            "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'");
    if (!reply.location.empty()) MHD_add_response_header(r, "Location", reply.location.c_str());
    for (const auto& [key, value] : reply.headers)
      MHD_add_response_header(r, key.c_str(), value.c_str());
    if (Answered(c)) MHD_add_response_header(r, "Connection", "close");
    const MHD_Result ok = MHD_queue_response(c, static_cast<unsigned>(reply.status), r);
    MHD_destroy_response(r);
    return ok;
  }

  static TWebReply Plain(int status, const std::string& text) {
    TWebReply r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = text + "\n";
    return r;
  }

  // The request's parts: query, cookies, the form's fields or the body.
  static MHD_Result AddValue(void* to, MHD_ValueKind, const char* key, const char* value) {
    if (key) static_cast<std::map<std::string, std::string>*>(to)->emplace(key, value ? value : "");
    return MHD_YES;
  }

  static MHD_Result FormField(void* cls, MHD_ValueKind, const char* key, const char* filename,
                              const char*, const char*, const char* data, uint64_t, size_t size) {
    TRequest* q = static_cast<TRequest*>(cls);
    if (!key) return MHD_YES;
    std::string& to =
        std::strcmp(key, "replay") == 0 && filename ? q->web.body : q->web.params[key];
    if (to.size() + size > kMaxBody) {
      q->tooLarge = true;
      return MHD_NO;
    }
    to.append(data, size);
    return MHD_YES;
  }

  MHD_Result Access(MHD_Connection* c, const char* url, const char* method, const char* uploadData,
                    size_t* uploadSize, void** context) {
    TRequest* q = static_cast<TRequest*>(*context);
    if (!q) {
      q = new TRequest;
      *context = q;
      lastRequest_ = Now();
      q->web.method = method;
      q->web.path = url;
      q->web.client = ClientAddress(c);
      const char* proto = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "X-Forwarded-Proto");
      q->web.secure = options_.trustProxy && proto && std::strcmp(proto, "https") == 0;
      if (!limiter_.Allow(q->web.client)) {
        q->answered = true;
        q->reply = Plain(429, "too many requests from this address; try again in a minute");
        q->reply.headers.emplace_back("Retry-After", "60");
        return MHD_YES;
      }
      // A body announced too large is refused before it is read.
      const char* length = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "Content-Length");
      if (length && std::strtoull(length, nullptr, 10) > kMaxBody) {
        q->answered = true;
        q->reply = Plain(413, "the request is larger than " + std::to_string(kMaxBody) + " bytes");
        return Send(c, q->reply);
      }
      const char* type = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "Content-Type");
      const bool form = type && (std::strncmp(type, "multipart/form-data", 19) == 0 ||
                                 std::strncmp(type, "application/x-www-form-urlencoded", 33) == 0);
      // The name form posts url-encoded fields; a replay is taken as sent,
      // whatever type the client gave it (curl -d says url-encoded).
      const bool rawReplay = q->web.path == "/score/api/replay" && type &&
                             std::strncmp(type, "multipart/form-data", 19) != 0;
      if (form && !rawReplay) {
        q->form = MHD_create_post_processor(c, 16 * 1024, &FormField, q);
        q->web.fromForm = q->form != nullptr;
      }
      return MHD_YES;
    }
    if (*uploadSize > 0) {
      if (!q->answered && !q->tooLarge) {
        if (q->form) {
          if (MHD_post_process(q->form, uploadData, *uploadSize) != MHD_YES && !q->tooLarge) {
            q->answered = true;
            q->reply = Plain(400, "the form could not be read");
          }
        } else if (q->raw.size() + *uploadSize > kMaxBody) {
          q->tooLarge = true;
        } else {
          q->raw.append(uploadData, *uploadSize);
        }
      }
      *uploadSize = 0;
      return MHD_YES;
    }
    // The whole request has arrived (or an upload's check is done).
    if (q->queued && !q->answered) return MHD_YES;  // not yet (spurious call)
    if (!q->answered) {
      if (q->tooLarge) {
        q->answered = true;
        q->reply = Plain(413, "the request is larger than " + std::to_string(kMaxBody) + " bytes");
      } else {
        if (!q->form) q->web.body = std::move(q->raw);
        MHD_get_connection_values(c, MHD_GET_ARGUMENT_KIND, &AddValue, &q->web.params);
        MHD_get_connection_values(c, MHD_COOKIE_KIND, &AddValue, &q->web.cookies);
        if (q->web.path == "/score/api/replay" && q->web.method == "POST") {
          // Checked in the upload pool, the connection suspended meanwhile.
          std::lock_guard<std::mutex> lock(q->handOver);
          const bool taken = uploads_.Submit([this, c, q] {
            // Not before the connection is suspended.
            { std::lock_guard<std::mutex> suspended(q->handOver); }
            q->reply = service_.Handle(q->web);
            q->answered = true;
            SetWaiting(c, false);
            MHD_resume_connection(c);
          });
          if (taken) {
            q->queued = true;
            SetWaiting(c, true);
            MHD_suspend_connection(c);
            return MHD_YES;
          }
          q->answered = true;
          q->reply =
              Plain(503, "every replay check is taken; please send the replay again in a moment");
          q->reply.headers.emplace_back("Retry-After", "5");
        } else {
          q->reply = service_.Handle(q->web);
          q->answered = true;
        }
      }
    }
    return Send(c, q->reply);
  }
};

MHD_Result OnAccess(void* cls, MHD_Connection* c, const char* url, const char* method, const char*,
                    const char* uploadData, size_t* uploadSize, void** context) {
  return static_cast<TFront*>(cls)->Access(c, url, method, uploadData, uploadSize, context);
}

void OnCompleted(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
  delete static_cast<TRequest*>(*context);
  *context = nullptr;
}

void OnConnection(void* cls, MHD_Connection* c, void**, MHD_ConnectionNotificationCode code) {
  TFront* f = static_cast<TFront*>(cls);
  std::lock_guard<std::mutex> lock(f->connectionsMutex_);
  if (code == MHD_CONNECTION_NOTIFY_STARTED) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
    TConnection w;
    w.fd = info ? info->connect_fd : -1;
    w.since = Clock::now();
    if (w.fd >= 0) f->connections_[c] = w;
  } else {
    f->connections_.erase(c);
  }
}

// The listening socket: IPv4 or IPv6 by the address's form, address reuse
// for a quick restart but no port sharing (a second server on a taken port
// must fail: the local board relies on that to find the one running).
int Listen(const std::string& address, int port, int* boundPort, std::string* why) {
  addrinfo hints = {};
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (rc != 0) {
    *why = gai_strerror(rc);
    return -1;
  }
  const int fd = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, 0);
  int yes = 1;
  if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
      bind(fd, found->ai_addr, found->ai_addrlen) != 0 || listen(fd, 1024) != 0) {
    *why = std::strerror(errno);
    if (fd >= 0) close(fd);
    freeaddrinfo(found);
    return -1;
  }
  freeaddrinfo(found);
  sockaddr_storage bound = {};
  socklen_t len = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
  *boundPort =
      ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                        : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return fd;
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

int ServeScores(TScoreService& service, TReplayChecker& checker, const TFrontOptions& options,
                const std::function<void(int port)>& onListening, bool* bindFailed) {
  *bindFailed = false;
  int port = 0;
  std::string why;
  const int fd = Listen(options.listen, options.port, &port, &why);
  if (fd < 0) {
    *bindFailed = true;
    LogLine("cannot listen on " + options.listen + ":" + std::to_string(options.port) + ": " + why);
    return 2;
  }
  TFront front(service, checker, options);
  front.daemon_ = MHD_start_daemon(
      // (no error log: a flood of cut connections would flood it too)
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr,
      nullptr, &OnAccess, &front, MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_THREAD_POOL_SIZE,
      static_cast<unsigned>(options.threads < 1 ? 1 : options.threads), MHD_OPTION_CONNECTION_LIMIT,
      static_cast<unsigned>(options.maxConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
      static_cast<unsigned>(options.perAddressConnections), MHD_OPTION_CONNECTION_TIMEOUT,
      static_cast<unsigned>(options.idleSeconds),
      // A request line and headers beyond 8 KB are refused (414, 431).
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(8 * 1024),
      MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, nullptr, MHD_OPTION_NOTIFY_CONNECTION,
      &OnConnection, &front, MHD_OPTION_END);
  if (!front.daemon_) {
    close(fd);
    LogLine("cannot start the HTTP server on " + options.listen + ":" + std::to_string(port));
    return 1;
  }
  std::thread announcer;
  if (onListening) announcer = std::thread([&] { onListening(port); });

  // Stop signals, the idle clock and the request deadline, watched twice a
  // second.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  const timespec half{0, 500000000};
  for (;;) {
    const int sig = sigtimedwait(&set, nullptr, &half);
    if (sig > 0) {
      LogLine(std::string("stopping on ") + strsignal(sig));
      break;
    }
    if (options.idleExitSeconds > 0 &&
        TFront::Now() - front.lastRequest_ >= options.idleExitSeconds) {
      LogLine("stopping after " + std::to_string(options.idleExitSeconds) + " s without requests");
      break;
    }
    front.CutLateConnections();
  }
  if (announcer.joinable()) announcer.join();
  // No new connections; the queued and running checks give up; their
  // uploads are answered (503) and every other request in flight finishes.
  const MHD_socket listening = MHD_quiesce_daemon(front.daemon_);
  if (listening != MHD_INVALID_SOCKET) close(listening);
  checker.Stop();
  if (!front.uploads_.WaitIdle(Clock::now() + std::chrono::seconds(5))) {
    // (their connections are still suspended: the library cannot stop
    // cleanly around them)
    LogLine("replay uploads still unanswered after 5 s; stopping anyway");
    std::fflush(stderr);
    std::_Exit(0);
  }
  // A moment for the answers just queued to leave.
  const auto until = Clock::now() + std::chrono::seconds(1);
  while (Clock::now() < until) {
    const MHD_DaemonInfo* info =
        MHD_get_daemon_info(front.daemon_, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
    if (!info || info->num_connections == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  MHD_stop_daemon(front.daemon_);
  return 0;
}
