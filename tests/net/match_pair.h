// The two machines of a match in one process, through the link simulator
// (shared by the match tests).
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/link_sim_process.h"
#include "support/match_peer.h"

inline std::string TempDir() {
  char path[] = "/tmp/zazo-net-XXXXXX";
  EXPECT_NE(mkdtemp(path), nullptr);
  return std::string(path) + "/";
}

inline std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> out;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') out.push_back(dir + e->d_name);
    }
    closedir(d);
  }
  return out;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct TMatchPair {
  std::string hostDir = TempDir(), joinDir = TempDir();
  TMatchPeer host{hostDir + "replays/", 1111, 0};
  TMatchPeer join{joinDir + "replays/", 2222, 1};
  TLinkSimProcess sim;

  TMatchPair(const TLinkSetting& setting, uint16_t inputDelay, uint32_t seed) {
    std::string error;
    host.link = TEnetLink::Listen(0, &error);
    EXPECT_TRUE(host.link) << error;
    EXPECT_TRUE(sim.Start(ZAZO_BINARY_DIR "/zazo-link-sim", host.link->Port(), setting, seed));
    join.link = TEnetLink::Connect("127.0.0.1", static_cast<uint16_t>(sim.Port()), &error);
    EXPECT_TRUE(join.link) << error;
    host.engine = std::make_unique<TMatchEngine>(*host.link, TMatchRole::kHost, "host");
    join.engine = std::make_unique<TMatchEngine>(*join.link, TMatchRole::kJoin, "join");
    host.inputDelay = inputDelay;
    host.bot.seed(seed);
    join.bot.seed(seed * 7 + 1);
  }
  ~TMatchPair() {
    sim.Stop();
    std::system(("rm -rf " + hostDir + " " + joinDir).c_str());
  }

  // Runs both until both engines ended or the time is up; `leaveAfter`
  // ticks past game over the host leaves.
  void Run(uint32_t seconds, uint32_t leaveAfter) {
    const uint32_t start = SteadyMs();
    while (SteadyMs() - start < seconds * 1000u) {
      const bool a = host.Step();
      const bool b = join.Step();
      if (host.engine->Phase() == TMatchPhase::kEnded &&
          join.engine->Phase() == TMatchPhase::kEnded) {
        return;
      }
      if (host.gameOverTick && host.engine->TicksRun() >= host.gameOverTick + leaveAfter) {
        host.engine->Leave();
      }
      if (!a && !b) usleep(200);
    }
  }
};
