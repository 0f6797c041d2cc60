// The nine sprite sheets. Each function draws one sheet at its least size
// (or larger) with every region where the game reads it.
#pragma once

#include <string>

#include "canvas.h"

// graph/item.bmp, 128 x 480: 16 x 16 cell sprites, row = display code,
// column = animation frame; turn and leader markers in rows 464..479.
Canvas DrawItemSheet();
// graph/bg.bmp, 640 x 2400: five 640 x 480 play backgrounds.
Canvas DrawBackgroundSheet();
// graph/title.bmp, 640 x 1040: the title picture and five menu strips.
Canvas DrawTitleSheet();
// The title picture's background (no menu, no help): also carried by the
// title label, which is copied onto it opaquely.
Canvas DrawTitleBackdrop();
// graph/info.bmp (top-bar buttons), graph/label.bmp (title and game-over
// labels), graph/gauge.bmp (gauge bar).
Canvas DrawInfoSheet();
Canvas DrawLabelSheet();
Canvas DrawGaugeSheet();
// graph/score.bmp (32 x 32 digits), graph/score2.bmp (8 x 8 digits, dots).
Canvas DrawScoreSheet();
Canvas DrawScore2Sheet();
// graph/bom.bmp, 128 x 48: two looks of eight burst frames.
Canvas DrawBurstSheet();

// Draws every sheet and writes the nine BMP files into graphDir.
bool WritePictures(const std::string& graphDir, std::string* error);
