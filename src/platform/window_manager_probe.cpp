#include "platform/window_manager_probe.h"

#include <SDL_syswm.h>

bool WindowManagerRunning(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return true;
  }
  Display* display = info.info.x11.display;
  // An EWMH window manager names its check window on the root window.
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &after, &data);
  const bool running = status == Success && type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return running;
#else
  (void)window;
  return true;
#endif
}
