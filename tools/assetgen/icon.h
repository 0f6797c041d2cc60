// The game's icon, drawn from its own cell art: a 4 x 4 piece of the well
// with the piece in hand (mint), two blocks and a clearing row (gold).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

// The icon sizes of the desktop's icon theme, smallest first.
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
// The size of the window icon compiled into the program.
inline constexpr int kWindowIconSize = 64;

// The icon at its own size, 64 x 64: four 16 x 16 cells per side, drawn as
// the game draws them, with a transparent outside.
Canvas DrawIconArt();

// The square art at size x size: larger sizes repeat each pixel (the cell art stays
// crisp), smaller ones average the pixels each covers, weighted by opacity.
Canvas IconAtSize(const Canvas& art, int size);

// Straight (not premultiplied) 8-bit RGBA, row by row from the top.
std::vector<uint8_t> RgbaBytes(const Canvas& canvas);

// Writes OUTDIR/icons/hicolor/NxN/apps/zazo-puzzle.png for every size and
// OUTDIR/icons/window_icon.inc, the 64 x 64 pixels as a C++ array
// initializer for the program's window icon. False with a message on
// failure.
bool WriteIcons(const std::string& outDir, std::string* error);
