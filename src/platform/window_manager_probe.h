// Whether a window manager looks after the game's window: without one (a
// kiosk, a bare X session) nobody answers the request for full screen, and
// the game covers the display with its window itself.
#pragma once

#include <SDL.h>

// True when the window's display has a window manager, or when that
// cannot be told (not X11): full screen is then asked of the window system.
bool WindowManagerRunning(SDL_Window* window);
