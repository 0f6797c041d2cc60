// Checks and settings the program makes before anything else: how it takes
// a file-size limit, and whether there is a display to show the game on.
#pragma once

// A write beyond the file-size limit (ulimit -f) then fails with EFBIG, so a
// save fails like any other failed save instead of the kernel's SIGXFSZ
// ending the game mid-play.
void IgnoreFileSizeLimitSignal();

// Whether SDL's video driver `name` shows windows on a real display (x11,
// wayland, kmsdrm and the other Linux window systems), as opposed to the
// offscreen and dummy drivers that show nothing to anyone.
bool IsRealDisplayDriver(const char* name);

// Whether SDL's video reaches a real display. When the player chose a driver
// in SDL_VIDEODRIVER, that choice stands and nothing is checked. Otherwise
// SDL's video is started to see which driver it picks; when it finds no
// display or only a driver that shows nothing, this says "no display found"
// on stderr, stops the video again and returns false: the program should
// then exit with a non-zero status. On success the video stays started for
// the window (SDL_Quit ends it).
bool FindDisplay();
