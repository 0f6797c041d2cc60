// What must hold after every frame, whatever the player did: the walls where
// they belong, only the four cell kinds, scores within the counter's eight
// digits, and no one-shot scene left standing. Shared by the soak test and
// the replay fuzzer. Allocates nothing.
#pragma once

#include <cstddef>
#include <cstdio>

#include "app/main.h"

namespace soak {

inline bool IsWall(int x, int y) {
  return x <= 2 || x >= 13 || y <= 2 || y >= 23;
}

// Returns true when the state is sound; otherwise writes what is wrong into
// why (size n) and returns false. boardBuilt: a game has been set up since
// start-up, so the walls must stand (before that the board is all zero).
// sceneBefore: the scene the frame began in. Two one-shot values may stand
// at the end of a frame, each served by the next one: 150 after the slide's
// last frame (titleSlide past 600), and the place or invert request that the
// automatic player's step in the play frame raises, as a key would.
inline bool CheckAfterFrame(const TMainForm& f, int32_t sceneBefore, bool boardBuilt, char* why,
                            size_t n) {
  for (int x = 0; x < kBoardCols; x++) {
    for (int y = 0; y < kBoardRows; y++) {
      const int32_t kind = f.board[x][y].kind;
      if (kind != kCellEmpty && kind != kCellBlock && kind != kCellClearing && kind != kCellWall) {
        std::snprintf(why, n, "cell (%d, %d) has kind %d", x, y, kind);
        return false;
      }
      if (boardBuilt && (kind == kCellWall) != IsWall(x, y)) {
        std::snprintf(why, n, "cell (%d, %d) has kind %d: the walls are broken", x, y, kind);
        return false;
      }
    }
  }
  if (f.score < 0 || f.score > kScoreCap || f.score2 < 0 || f.score2 > kScoreCap) {
    std::snprintf(why, n, "score %d / %d out of 0..99999999", f.score, f.score2);
    return false;
  }
  const bool slideEnded =
      f.scene == kSceneNewGame && sceneBefore == kSceneTitleSlide && f.titleSlide > 600;
  const bool computerRequest = (f.scene == kSceneRequestPlace || f.scene == kSceneRequestInvert) &&
                               f.versusMode == 1 && f.side2Auto == 1 &&
                               (sceneBefore == kScenePlay || sceneBefore == kSceneRequestPlace ||
                                sceneBefore == kSceneRequestInvert || sceneBefore == kSceneNewGame);
  if (f.scene != kSceneTitle && f.scene != kSceneTitleSlide && f.scene != kScenePlay &&
      f.scene != kSceneGameOver && !slideEnded && !computerRequest) {
    std::snprintf(why, n, "a frame ended in scene %d", f.scene);
    return false;
  }
  if (f.cursorX < 0 || f.cursorX >= kBoardCols || f.cursorY < 0 || f.cursorY >= kBoardRows) {
    std::snprintf(why, n, "cursor (%d, %d) off the board", f.cursorX, f.cursorY);
    return false;
  }
  for (int k = 0; k < kEffectCount; k++) {
    if (f.effects[k].kind < 0 || f.effects[k].kind > 2) {
      std::snprintf(why, n, "effect %d has kind %d", k, f.effects[k].kind);
      return false;
    }
  }
  return true;
}

}  // namespace soak
