// Starts zazo-link-sim as a child process in front of a UDP port and stops
// it by its process id. Used by the network tests and the benchmark.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

struct TLinkSetting {
  int delayMs = 0;  // one way
  int jitterMs = 0;
  double loss = 0;  // percent per datagram and direction
  double dup = 0;
  double reorder = 0;
};

class TLinkSimProcess {
 public:
  TLinkSimProcess() = default;
  TLinkSimProcess(const TLinkSimProcess&) = delete;
  ~TLinkSimProcess() { Stop(); }

  // Starts the simulator in front of 127.0.0.1:targetPort; false when it
  // could not be started. Port() is then where clients send to.
  bool Start(const std::string& binary, int targetPort, const TLinkSetting& s, uint32_t seed) {
    std::vector<std::string> args = {binary,
                                     "--target",
                                     "127.0.0.1:" + std::to_string(targetPort),
                                     "--delay-ms",
                                     std::to_string(s.delayMs),
                                     "--jitter-ms",
                                     std::to_string(s.jitterMs),
                                     "--loss",
                                     std::to_string(s.loss),
                                     "--dup",
                                     std::to_string(s.dup),
                                     "--reorder",
                                     std::to_string(s.reorder),
                                     "--seed",
                                     std::to_string(seed),
                                     "--max-seconds",
                                     "600"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
      close(fds[0]);
      pid_ = -1;
      return false;
    }
    FILE* out = fdopen(fds[0], "r");
    int port = 0;
    const bool ok = out && std::fscanf(out, "port %d", &port) == 1;
    if (out) std::fclose(out);
    port_ = port;
    return ok && port > 0;
  }

  int Port() const { return port_; }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};
