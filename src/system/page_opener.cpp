#include "system/page_opener.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

pid_t SpawnProgram(const char* program, const char* argument) {
  char* const argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
  // The game ignores SIGXFSZ (see startup_checks.h); what it starts does not.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGXFSZ);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, program, nullptr, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  return failed != 0 ? -1 : pid;
}

bool ReapIfExited(pid_t* pid) {
  if (*pid <= 0) return true;
  int status = 0;
  const pid_t done = waitpid(*pid, &status, WNOHANG);
  if (done == *pid || (done < 0 && errno == ECHILD)) {
    *pid = -1;
    return true;
  }
  return false;
}

bool TPageOpener::Open(const char* program, const char* argument) {
  const pid_t pid = SpawnProgram(program, argument);
  if (pid <= 0) return false;
  lastStarted_ = pid;
  for (pid_t& slot : pids_) {
    if (ReapIfExited(&slot)) {
      slot = pid;
      return true;
    }
  }
  // Every slot holds an opener that still runs (a browser kept open by
  // each click): this one gets a waiter of its own instead of being dropped.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

void TPageOpener::ReapFinished() {
  for (pid_t& pid : pids_) ReapIfExited(&pid);
}

int TPageOpener::Running() const {
  int n = 0;
  for (pid_t pid : pids_) n += pid > 0 ? 1 : 0;
  return n;
}
