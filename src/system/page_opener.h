// Child processes that show a page: started without waiting for them and
// collected later, between frames, so none is left behind as a zombie.
#pragma once

#include <sys/types.h>

// Starts `program` (searched in PATH) with one argument without waiting for
// it. Returns its process id, or -1 when it could not be started. The
// program gets the default action for SIGXFSZ, which the game ignores.
pid_t SpawnProgram(const char* program, const char* argument);

// Collects *pid if it has ended (then sets it to -1); never waits. True when
// there is nothing left to collect.
bool ReapIfExited(pid_t* pid);

// The page openers started and not yet collected. Every started process is
// collected: in its slot between frames, or, when every slot is taken, by a
// waiter of its own that blocks on it off the game's thread.
class TPageOpener {
 public:
  static constexpr int kSlots = 4;

  // Starts `program` with `argument`; false (nothing started) when it could
  // not be started.
  bool Open(const char* program, const char* argument);
  // Collects every opener that has ended; never waits.
  void ReapFinished();
  // Openers started and not yet known to have ended, in the slots.
  int Running() const;
  // The process id of the opener the last successful Open started.
  pid_t LastStarted() const { return lastStarted_; }

 private:
  pid_t pids_[kSlots] = {-1, -1, -1, -1};
  pid_t lastStarted_ = -1;
};
