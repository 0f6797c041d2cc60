// The game's icon on its window: the same art as the desktop icons, drawn
// by the asset generator and compiled into the program.
#pragma once

#include <SDL.h>

// Sets the icon; a window system that refuses it leaves the window as it is.
void SetGameWindowIcon(SDL_Window* window);
