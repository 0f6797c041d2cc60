// zazo-bench-match: what lockstep feels like on a bad link. Two headless
// machines play at the game's own pace (a tick at most every 16 ms, as the
// window runs them) through the link simulator, both pressing keys, and for
// each link setting (round trip 0 / 50 / 150 ms x loss 0 / 2 / 10 %) and
// input delay this prints:
//   felt     the time from a key press to the tick that acts on it, on each
//            machine (mean and 95th percentile, ms)
//   stalls   the frames per minute a machine waited for the other
//
//   zazo-bench-match [--seconds 15] [--delays 2,3,5]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/link_sim_process.h"
#include "support/match_peer.h"

namespace {

struct TFigures {
  double feltMean[2] = {}, feltP95[2] = {};
  double stallsPerMinute[2] = {};
  uint32_t ticks = 0;
  bool ended = false;
};

TFigures Run(const TLinkSetting& setting, uint16_t delay, double seconds, uint32_t seed) {
  TFigures f;
  char dir[] = "/tmp/zazo-bench-match-XXXXXX";
  if (!mkdtemp(dir)) return f;
  const std::string folder = std::string(dir) + "/";
  TMatchPeer peers[2] = {{folder + "h/", 1, 0}, {folder + "j/", 2, 1}};
  std::string error;
  peers[0].link = TEnetLink::Listen(0, &error);
  TLinkSimProcess sim;
  if (!peers[0].link ||
      !sim.Start(ZAZO_BINARY_DIR "/zazo-link-sim", peers[0].link->Port(), setting, seed)) {
    std::fprintf(stderr, "the link could not be set up\n");
    std::exit(1);
  }
  peers[1].link = TEnetLink::Connect("127.0.0.1", static_cast<uint16_t>(sim.Port()), &error);
  peers[0].engine = std::make_unique<TMatchEngine>(*peers[0].link, TMatchRole::kHost, "a");
  peers[1].engine = std::make_unique<TMatchEngine>(*peers[1].link, TMatchRole::kJoin, "b");
  peers[0].inputDelay = delay;

  std::vector<double> felt[2];
  std::vector<uint32_t> pressedAt[2];
  uint32_t lastTick[2] = {}, lastStall[2] = {}, stalls[2] = {};
  uint32_t started = 0;
  for (;;) {
    const uint32_t now = SteadyMs();
    bool bothPlaying = true;
    for (int p = 0; p < 2; p++) {
      TMatchPeer& m = peers[p];
      m.engine->Pump(now);
      if (m.engine->NeedsDeal()) {
        TGameState start;
        TMatchSettings settings;
        const char* why;
        if (MakeMatchStart(*m.form, now, 1, delay, 0x3ffff, "20261208120000", &start, &settings,
                           &why))
          m.engine->Deal(start, settings);
      }
      const TGameState* s;
      const TMatchSettings* st;
      if (m.engine->TakeStart(&s, &st)) LoadMatchStart(*m.form, m.host, *s, *st);
      bothPlaying = bothPlaying && m.engine->Phase() == TMatchPhase::kPlaying && m.host.inMatch;
    }
    if (!bothPlaying) {
      if (peers[0].engine->Phase() == TMatchPhase::kEnded ||
          peers[1].engine->Phase() == TMatchPhase::kEnded) {
        f.ended = true;
        break;
      }
      usleep(500);
      continue;
    }
    if (started == 0) started = now;
    if (now - started > seconds * 1000) break;
    for (int p = 0; p < 2; p++) {
      TMatchPeer& m = peers[p];
      if (now - lastTick[p] < 16) continue;
      // A key every few ticks, numbered in its x to find it again.
      if (m.bot() % 8 == 0) {
        const uint16_t key = SideKeyFor(p, "WASD"[m.bot() % 4]);
        m.engine->AddLocalInput(
            {TMatchInput::kKey, 0, 0, key, static_cast<int16_t>(pressedAt[p].size() & 0x7fff), 0});
        pressedAt[p].push_back(now);
      }
      TMatchTick tick;
      if (!m.engine->NextTick(now, &tick)) {
        if (now - lastStall[p] >= 16 && now - lastTick[p] >= 32) {
          stalls[p]++;
          lastStall[p] = now;
        }
        continue;
      }
      lastTick[p] = now;
      for (int k = 0; k < tick.count[p]; k++) {
        const size_t seq = static_cast<uint16_t>(tick.inputs[p][k].x);
        // Only the low 15 bits travel: find the latest press with them.
        for (size_t at = pressedAt[p].size(); at-- > 0;) {
          if ((at & 0x7fff) == seq) {
            felt[p].push_back(now - pressedAt[p][at]);
            break;
          }
        }
      }
      RunMatchTick(*m.form, m.host, tick, nullptr);
      m.engine->TickRan(nullptr);
    }
    usleep(1000);
  }
  f.ticks = peers[0].engine->TicksRun();
  const double minutes = seconds / 60.0;
  for (int p = 0; p < 2; p++) {
    std::sort(felt[p].begin(), felt[p].end());
    double sum = 0;
    for (double v : felt[p]) sum += v;
    f.feltMean[p] = felt[p].empty() ? 0 : sum / felt[p].size();
    f.feltP95[p] = felt[p].empty() ? 0 : felt[p][felt[p].size() * 95 / 100];
    f.stallsPerMinute[p] = stalls[p] / minutes;
  }
  sim.Stop();
  std::system(("rm -rf " + folder).c_str());
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 15;
  std::vector<int> delays = {2, 3, 5, 8};
  for (int k = 1; k + 1 < argc; k += 2) {
    const std::string a = argv[k];
    if (a == "--seconds") {
      seconds = std::atof(argv[k + 1]);
    } else if (a == "--delays") {
      delays.clear();
      for (const char* p = argv[k + 1]; *p;) {
        delays.push_back(std::atoi(p));
        while (*p && *p != ',') p++;
        if (*p == ',') p++;
      }
    }
  }
  std::printf("lockstep over ENet's reliable channel, %.0f s per run at the game's pace\n",
              seconds);
  std::printf("%-7s %-5s %-6s %-22s %-22s %s\n", "rtt", "loss", "delay", "felt host mean/p95 ms",
              "felt join mean/p95 ms", "stall frames/min host join");
  const int rtts[] = {0, 50, 150};
  const double losses[] = {0, 2, 10};
  uint32_t seed = 1;
  for (int rtt : rtts) {
    for (double loss : losses) {
      for (int d : delays) {
        TLinkSetting s;
        s.delayMs = rtt / 2;
        s.jitterMs = rtt / 15;
        s.loss = loss;
        const TFigures f = Run(s, static_cast<uint16_t>(d), seconds, seed++);
        std::printf(
            "%4d ms %3.0f %%  %2d     %6.1f / %-6.1f        %6.1f / %-6.1f        %7.1f %7.1f%s\n",
            rtt, loss, d, f.feltMean[0], f.feltP95[0], f.feltMean[1], f.feltP95[1],
            f.stallsPerMinute[0], f.stallsPerMinute[1], f.ended ? "  (ended early)" : "");
        std::fflush(stdout);
      }
    }
  }
  return 0;
}
