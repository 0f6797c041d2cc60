#include "platform/startup_checks.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void IgnoreFileSizeLimitSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

bool IsRealDisplayDriver(const char* name) {
  static const char* const kReal[] = {"x11",      "wayland", "kmsdrm", "kmsdrm_legacy",
                                      "directfb", "vivante", "rpi"};
  if (name == nullptr) return false;
  for (const char* real : kReal) {
    if (SDL_strcasecmp(name, real) == 0) return true;
  }
  return false;
}

bool FindDisplay() {
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (chosen != nullptr && chosen[0] != '\0') return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "Zazo Puzzle: no display found (%s)\n", SDL_GetError());
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool real = IsRealDisplayDriver(driver);
  if (!real) {
    std::fprintf(stderr,
                 "Zazo Puzzle: no display found (only SDL's \"%s\" video driver answered, which "
                 "shows nothing); start the game inside a desktop session, or set SDL_VIDEODRIVER "
                 "to choose a driver\n",
                 driver != nullptr ? driver : "?");
  }
  // Kept up for the window when it is real: starting SDL's video a second
  // time in one process is slow and not always reliable under X.
  if (!real) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return real;
}
