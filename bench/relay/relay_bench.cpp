// How many matches one relay process carries on one core: the relay on a
// thread pinned to core 0, simulated matches on loopback (two players each
// sending a 16-byte input message 60 times a second, as a match does, and a
// spectator in every fourth room), for a few seconds at each load. Prints
// the relay's CPU share, the messages delivered and their delay through the
// relay, and the matches one core would carry at that rate.
//
//   zazo-bench-relay [--rooms 50,100,200] [--seconds 4]
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "net/room_client.h"
#include "relay/relay_server.h"

namespace {

using TClock = std::chrono::steady_clock;

double ThreadCpuSeconds(pthread_t t) {
  clockid_t id;
  timespec ts{};
  if (pthread_getcpuclockid(t, &id) != 0 || clock_gettime(id, &ts) != 0) return 0;
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

void Pin(pthread_t t, int core) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(core % std::max(1u, std::thread::hardware_concurrency()), &set);
  pthread_setaffinity_np(t, sizeof set, &set);
}

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(TClock::now().time_since_epoch())
      .count();
}

struct TMatch {
  TRoomClient host, guest, spectator;
  bool watched = false;
};

struct TFigures {
  int rooms = 0;
  double cpuShare = 0;
  int64_t sent = 0, received = 0;
  double p50 = 0, p99 = 0;
};

TFigures RunLoad(int port, int rooms, double seconds, const TRelay& relay) {
  std::vector<std::unique_ptr<TMatch>> matches;
  for (int i = 0; i < rooms; i++) {
    auto m = std::make_unique<TMatch>();
    TRoomRequest req;
    req.version = "bench";
    req.name = "h";
    m->host.Start("127.0.0.1", port, req);
    if (m->host.WaitFor(5000, false) != TRoomClient::kWaiting) {
      std::fprintf(stderr, "room %d not made: %s\n", i, m->host.Reason().c_str());
      break;
    }
    req.kind = TRoomRequest::kJoin;
    req.code = m->host.Code();
    m->guest.Start("127.0.0.1", port, req);
    m->guest.WaitFor(5000, true);
    m->host.WaitFor(5000, true);
    if (i % 4 == 0) {
      req.kind = TRoomRequest::kSpectate;
      m->spectator.Start("127.0.0.1", port, req);
      m->watched = m->spectator.WaitFor(5000, true) == TRoomClient::kPaired;
    }
    matches.push_back(std::move(m));
  }
  TFigures f;
  f.rooms = static_cast<int>(matches.size());
  std::vector<int64_t> delays;
  auto in = std::make_unique<TLinkMessage>();
  const auto start = TClock::now();
  const double cpu0 = 0;
  (void)cpu0;
  auto nextTick = start;
  int64_t tick = 0;
  while (TClock::now() - start < std::chrono::duration<double>(seconds)) {
    if (TClock::now() >= nextTick) {
      uint8_t msg[16] = {3};  // an inputs message's kind
      const int64_t t = NowMicros();
      std::memcpy(msg + 8, &t, 8);
      for (auto& m : matches) {
        // Turn based: one side plays, but both send their frame messages.
        m->host.Send(kChannelInputs, msg, sizeof msg, TDelivery::kReliable);
        m->guest.Send(kChannelInputs, msg, sizeof msg, TDelivery::kReliable);
        f.sent += 2;
      }
      tick++;
      nextTick = start + std::chrono::microseconds(tick * 16667);
    }
    for (auto& m : matches) {
      for (TRoomClient* c : {&m->host, &m->guest}) {
        c->Poll(0);
        while (c->Receive(in.get())) {
          int64_t t = 0;
          if (in->size == 16) std::memcpy(&t, in->data + 8, 8);
          delays.push_back(NowMicros() - t);
          f.received++;
        }
      }
      if (m->watched) {
        m->spectator.Poll(0);
        while (m->spectator.Receive(in.get())) {
        }
      }
    }
  }
  (void)relay;
  std::sort(delays.begin(), delays.end());
  if (!delays.empty()) {
    f.p50 = delays[delays.size() / 2] / 1000.0;
    f.p99 = delays[delays.size() * 99 / 100] / 1000.0;
  }
  for (auto& m : matches) {
    m->host.Close(0);
    m->guest.Close(0);
    m->spectator.Close(0);
  }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> loads = {25, 50, 100};
  double seconds = 4;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rooms") == 0) {
      loads.clear();
      std::stringstream ss(argv[i + 1]);
      std::string n;
      while (std::getline(ss, n, ',')) loads.push_back(std::clamp(std::atoi(n.c_str()), 1, 400));
    } else if (std::strcmp(argv[i], "--seconds") == 0) {
      seconds = std::clamp(std::atof(argv[i + 1]), 1.0, 30.0);
    }
  }
  auto dir = MakeMemoryRoomDirectory();
  TRelayOptions opt;
  opt.listen = "127.0.0.1";
  opt.port = 0;
  opt.maxPeers = 4000;
  opt.requestsPerSecond = 1000;
  TRelay relay(*dir, opt, nullptr, [](const std::string&) {});
  std::string error;
  if (!relay.Open(&error)) {
    std::fprintf(stderr, "zazo-bench-relay: %s\n", error.c_str());
    return 1;
  }
  std::atomic<bool> stop{false};
  std::thread thread([&] { relay.Run(stop); });
  Pin(thread.native_handle(), 0);
  Pin(pthread_self(), 1);
  std::printf("matches  relay-cpu  sent/s   delivered  delay-p50  delay-p99  matches/core\n");
  for (int rooms : loads) {
    const double cpuBefore = ThreadCpuSeconds(thread.native_handle());
    const auto t0 = TClock::now();
    const TFigures f = RunLoad(relay.Port(), rooms, seconds, relay);
    const double wall = std::chrono::duration<double>(TClock::now() - t0).count();
    const double cpu = ThreadCpuSeconds(thread.native_handle()) - cpuBefore;
    const double share = cpu / wall;
    std::printf("%7d  %8.1f%%  %7.0f  %8.2f%%  %6.2f ms  %6.2f ms  %11.0f\n", f.rooms, share * 100,
                f.sent / seconds, f.sent ? 100.0 * f.received / f.sent : 0, f.p50, f.p99,
                share > 0 ? f.rooms / share : 0);
    std::fflush(stdout);
  }
  stop = true;
  thread.join();
  return 0;
}
