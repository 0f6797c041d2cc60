#include "system/local_board_start.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

std::string FindScoreServer(const std::string& exeDir) {
  for (const char* place : {"zazo-scores", "bin/zazo-scores", "../bin/zazo-scores"}) {
    const std::string path = exeDir + place;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

bool StartLocalBoard(const std::string& exeDir, const std::string& replayPath, std::string* error) {
  const std::string server = FindScoreServer(exeDir);
  if (server.empty()) {
    *error = "no zazo-scores beside the program (" + exeDir + ")";
    return false;
  }
  // Everything the children need is made before fork: after it, only
  // async-signal-safe calls.
  std::vector<std::string> args = {server, "--local-board"};
  if (!replayPath.empty()) {
    args.push_back("--replay");
    args.push_back(replayPath);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    *error = std::string("cannot start the score server: ") + std::strerror(errno);
    return false;
  }
  const pid_t child = fork();
  if (child < 0) {
    *error = std::string("cannot start the score server: ") + std::strerror(errno);
    close(pipeFds[0]);
    close(pipeFds[1]);
    return false;
  }
  if (child == 0) {
    // First child: a new session, then the server in a grandchild that
    // init adopts once this one exits.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      const int devNull = open("/dev/null", O_RDWR);
      if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
      }
      execv(argv[0], argv.data());
      const int err = errno;
      (void)!write(pipeFds[1], &err, sizeof err);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  close(pipeFds[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The pipe closes on a successful exec; an errno arrives when it failed.
  int execError = 0;
  ssize_t got;
  while ((got = read(pipeFds[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
  }
  close(pipeFds[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got > 0) {
    *error = "cannot start " + server + ": " + (got > 0 ? std::strerror(execError) : "fork failed");
    return false;
  }
  return true;
}

int WaitBrieflyForExit(pid_t pid, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int result = -1;
  while (pid > 0 && result < 0 && std::chrono::steady_clock::now() < end) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (done < 0 && errno != EINTR) {
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::this_thread::sleep_until(end);
  return result;
}
