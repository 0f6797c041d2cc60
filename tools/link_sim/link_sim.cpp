// zazo-link-sim: a bad network between two machines on one computer. It
// forwards UDP datagrams between one client and a target address, delaying
// each by a base time plus jitter and dropping, duplicating or reordering
// some, as a long or lossy link would. The kernel's traffic shaping is not
// needed: everything happens here, in user space.
//
//   zazo-link-sim --target 127.0.0.1:47651 [--listen-port 0] [--delay-ms 25]
//                 [--jitter-ms 5] [--loss 2] [--dup 1] [--reorder 1]
//                 [--seed 1] [--max-seconds 600]
//
// --delay-ms is one way (a round trip costs twice that); --loss, --dup and
// --reorder are percentages per datagram and direction. On start it prints
// "port N" (the port clients send to) and flushes. It ends on SIGTERM or
// after --max-seconds.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <random>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t gStop = 0;

struct TOptions {
  std::string targetHost = "127.0.0.1";
  int targetPort = 0;
  int listenPort = 0;
  double delayMs = 0, jitterMs = 0, loss = 0, dup = 0, reorder = 0;
  uint32_t seed = 1;
  double maxSeconds = 600;
};

struct TDatagram {
  double due;
  uint64_t order;  // keeps equal due times in arrival order
  bool toTarget;
  std::vector<uint8_t> bytes;
  bool operator>(const TDatagram& o) const { return due != o.due ? due > o.due : order > o.order; }
};

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool ParseOptions(int argc, char** argv, TOptions* o) {
  for (int k = 1; k < argc; k++) {
    const std::string a = argv[k];
    if (k + 1 >= argc) return false;
    const char* v = argv[++k];
    if (a == "--target") {
      const char* colon = std::strrchr(v, ':');
      if (!colon) return false;
      o->targetHost.assign(v, colon - v);
      o->targetPort = std::atoi(colon + 1);
    } else if (a == "--listen-port") {
      o->listenPort = std::atoi(v);
    } else if (a == "--delay-ms") {
      o->delayMs = std::atof(v);
    } else if (a == "--jitter-ms") {
      o->jitterMs = std::atof(v);
    } else if (a == "--loss") {
      o->loss = std::atof(v);
    } else if (a == "--dup") {
      o->dup = std::atof(v);
    } else if (a == "--reorder") {
      o->reorder = std::atof(v);
    } else if (a == "--seed") {
      o->seed = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
    } else if (a == "--max-seconds") {
      o->maxSeconds = std::atof(v);
    } else {
      return false;
    }
  }
  return o->targetPort > 0 && o->targetPort < 65536;
}

int BoundSocket(int port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions o;
  if (!ParseOptions(argc, argv, &o)) {
    std::fprintf(stderr,
                 "usage: zazo-link-sim --target HOST:PORT [--listen-port P] [--delay-ms MS] "
                 "[--jitter-ms MS] [--loss PCT] [--dup PCT] [--reorder PCT] [--seed N] "
                 "[--max-seconds S]\n");
    return 2;
  }
  std::signal(SIGTERM, [](int) { gStop = 1; });
  std::signal(SIGINT, [](int) { gStop = 1; });

  // Clients talk to `front`; `back` talks to the target, so the target sees
  // one address for the one client.
  const int front = BoundSocket(o.listenPort);
  const int back = BoundSocket(0);
  if (front < 0 || back < 0) {
    std::fprintf(stderr, "zazo-link-sim: cannot bind a UDP socket on 127.0.0.1\n");
    return 1;
  }
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(o.targetPort));
  if (inet_pton(AF_INET, o.targetHost.c_str(), &target.sin_addr) != 1) {
    std::fprintf(stderr, "zazo-link-sim: the target must be an IPv4 address\n");
    return 2;
  }
  sockaddr_in bound{};
  socklen_t boundLen = sizeof bound;
  getsockname(front, reinterpret_cast<sockaddr*>(&bound), &boundLen);
  std::printf("port %d\n", ntohs(bound.sin_port));
  std::fflush(stdout);

  std::mt19937 rng(o.seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::priority_queue<TDatagram, std::vector<TDatagram>, std::greater<>> queue;
  sockaddr_in client{};
  bool haveClient = false;
  uint64_t order = 0;
  const double start = NowMs();
  std::vector<uint8_t> buf(65536);

  auto schedule = [&](bool toTarget, const uint8_t* data, size_t n) {
    if (unit(rng) * 100 < o.loss) return;
    const int copies = unit(rng) * 100 < o.dup ? 2 : 1;
    for (int c = 0; c < copies; c++) {
      double delay = o.delayMs + (unit(rng) * 2 - 1) * o.jitterMs;
      // A reordered datagram is held back past the ones sent after it.
      if (unit(rng) * 100 < o.reorder) delay += o.jitterMs * 2 + 5;
      if (delay < 0) delay = 0;
      queue.push({NowMs() + delay, order++, toTarget, std::vector<uint8_t>(data, data + n)});
    }
  };

  while (!gStop && NowMs() - start < o.maxSeconds * 1000) {
    int timeout = 50;
    if (!queue.empty()) {
      const double wait = queue.top().due - NowMs();
      timeout = wait <= 0 ? 0 : wait < 50 ? static_cast<int>(wait) + 1 : 50;
    }
    pollfd fds[2] = {{front, POLLIN, 0}, {back, POLLIN, 0}};
    poll(fds, 2, timeout);
    if (fds[0].revents & POLLIN) {
      sockaddr_in from{};
      socklen_t fromLen = sizeof from;
      const ssize_t n =
          recvfrom(front, buf.data(), buf.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
      if (n >= 0) {
        if (!haveClient) {
          client = from;
          haveClient = true;
        }
        if (from.sin_port == client.sin_port && from.sin_addr.s_addr == client.sin_addr.s_addr) {
          schedule(true, buf.data(), static_cast<size_t>(n));
        }
      }
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t n = recv(back, buf.data(), buf.size(), 0);
      if (n >= 0 && haveClient) schedule(false, buf.data(), static_cast<size_t>(n));
    }
    const double now = NowMs();
    while (!queue.empty() && queue.top().due <= now) {
      const TDatagram& d = queue.top();
      if (d.toTarget) {
        sendto(back, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof target);
      } else {
        sendto(front, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&client),
               sizeof client);
      }
      queue.pop();
    }
  }
  close(front);
  close(back);
  return 0;
}
