#include "replay/replay_format.h"

#include <cstdio>

#include "replay/replay_format_detail.h"

using replay_detail::WithinBound;

const char kReplayVersionLine[] = "zazo-puzzle-replay 1";

const char* ReplayModeName(const TGameState& s) {
  if (s.versusMode == 1) return s.side2Auto == 1 ? "versusai" : "versus2";
  return s.advancedStart == 1 ? "advanced" : "single";
}

bool CheckStartState(const TGameState& s, std::string* error) {
  char why[160] = {};
  auto fail = [&](const char* format, auto... args) {
    std::snprintf(why, sizeof why, format, args...);
    *error = why;
    return false;
  };
  if (s.scene != kSceneNewGame) return fail("scene %d is not 150", s.scene);
  if (!s.loopRunning || s.errorCode != 0)
    return fail("%s", "the frame loop is not running between frames");
  if (s.boardLeft != 32 || s.boardTop != 32) return fail("%s", "the board is not at (32, 32)");
#define ZAZO_CHECK_INT(type, name, dumped) \
  if (!WithinBound(s.name)) return fail("%s out of range", #name);
  ZAZO_GAME_SCALARS(ZAZO_CHECK_INT)
#undef ZAZO_CHECK_INT
  for (int32_t flag : {s.advancedStart, s.versusMode, s.side2Auto, static_cast<int32_t>(s.turnSide),
                       static_cast<int32_t>(s.aiInverted)}) {
    if (flag != 0 && flag != 1) return fail("%s", "a mode or turn flag is not 0 or 1");
  }
  if (s.menuChoice < 0 || s.menuChoice > 4 || s.menuChoicePrev < 0 || s.menuChoicePrev > 4)
    return fail("%s", "the menu choice is not 0..4");
  for (int32_t v : {s.score, s.score2, s.bestScore}) {
    if (v < 0 || v > kScoreCap) return fail("a score of %d is out of 0..99999999", v);
  }
  if (s.cursorX < 0 || s.cursorX >= kBoardCols || s.cursorY < 0 || s.cursorY >= kBoardRows)
    return fail("%s", "the cursor is off the board");
  if (s.previewX < -1 || s.previewX >= kBoardCols || s.previewY < -1 || s.previewY >= kBoardRows)
    return fail("%s", "the preview is off the board");
  for (const auto* cells : {&s.board, &s.aiBoard}) {
    for (int x = 0; x < kBoardCols; x++) {
      for (int y = 0; y < kBoardRows; y++) {
        const int32_t k = (*cells)[x][y].kind;
        if (k != kCellEmpty && k != kCellBlock && k != kCellClearing && k != kCellWall)
          return fail("cell (%d, %d) has kind %d", x, y, k);
      }
    }
  }
  for (int k = 0; k < kEffectCount; k++) {
    if (s.effects[k].kind < 0 || s.effects[k].kind > 2)
      return fail("effect %d has kind %d", k, s.effects[k].kind);
  }
  return true;
}
