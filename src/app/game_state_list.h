// The one list of the game's state: every field TMainForm owns besides the
// pictures and the host. The class declares its fields from it, ZeroFields
// clears them from it, and the replay dump, the replay snapshot and the
// benchmark's snapshot are all made from it, so a field added here is
// declared, reset, dumped and saved in one stroke.
//
// ZAZO_GAME_SCALARS(X) calls X(type, name, dumped) once per plain field, in
// the order of the replay dump; `dumped` is true when the field has a line of
// its own in that dump ("name value").
// ZAZO_GAME_ARRAYS(X) calls X(type, name, dims) once per fixed array.
#pragma once

#define ZAZO_GAME_SCALARS(X)                                               \
  X(int32_t, scene, true)                                                  \
  X(int32_t, level, true)                                                  \
  X(int32_t, score, true)                                                  \
  X(int32_t, score2, true)                                                 \
  X(int32_t, bestScore, true)                                              \
  X(int32_t, clearingCount, true)                                          \
  X(int32_t, clearingShown, true)                                          \
  X(int32_t, gaugeSub, true)                                               \
  X(int32_t, gauge, true)                                                  \
  X(int32_t, phase, true)                                                  \
  X(int32_t, bgmTrack, true)                                               \
  X(int32_t, levelShake, true)                                             \
  X(int32_t, gaugeSpeed, true)                                             \
  X(int32_t, riseStep, true)                                               \
  X(int32_t, phaseShape, true)                                             \
  X(int32_t, bonusValue, true)                                             \
  X(int32_t, bonusTimer, true)                                             \
  X(int32_t, bonusRow, true)                                               \
  X(int32_t, advancedStart, true)                                          \
  X(int32_t, versusMode, true)                                             \
  X(int32_t, side2Auto, true)                                              \
  X(int32_t, versusFrames, true)                                           \
  X(uint8_t, turnSide, true)                                               \
  X(int32_t, leaderShown, true)                                            \
  X(int32_t, leaderShake, true)                                            \
  X(int32_t, bgPhase, true)                                                \
  X(int32_t, bgFade, true)                                                 \
  X(int32_t, cursorX, true)                                                \
  X(int32_t, cursorY, true)                                                \
  X(int32_t, cursorShown, true)                                            \
  X(int32_t, previewX, true)                                               \
  X(int32_t, previewY, true)                                               \
  X(int32_t, menuChoice, true)                                             \
  X(int32_t, menuChoicePrev, true)                                         \
  X(int32_t, titleSlide, true)                                             \
  X(bool, showBackground, true)                                            \
  X(bool, showEffects, true)                                               \
  X(int32_t, framesThisSecond, true)                                       \
  X(int32_t, framesLastSecond, true)                                       \
  X(uint32_t, secondStartTick, true)                                       \
  X(int32_t, fpsSum, true)                                                 \
  X(int32_t, fpsSamples, true)                                             \
  X(int32_t, errorCode, true)                                              \
  X(bool, loopRunning, true)                                               \
  X(int32_t, aiState, true)                                                \
  X(int32_t, aiTargetX, true)                                              \
  X(int32_t, aiTargetY, true)                                              \
  X(int32_t, aiCounter, true)                                              \
  X(uint8_t, aiInverted, true)                                             \
  X(bool, musicOnSlotB, true)                                              \
  X(uint64_t, mtDraws, true)  /* MT19937 outputs consumed since seeding */ \
  X(uint64_t, lcgDraws, true) /* LCG steps since seeding */                \
  X(bool, frameActive, false)                                              \
  X(uint32_t, lastFrameTick, false)                                        \
  X(int32_t, boardLeft, false)                                             \
  X(int32_t, boardTop, false)                                              \
  X(uint32_t, lcgState, false) /* the system's 32-bit LCG */               \
  X(TMt19937, mt, false)       /* the game's generator */

#define ZAZO_GAME_ARRAYS(X)                                                      \
  X(TCell, board, [kBoardCols][kBoardRows]) /* [x][y] */                         \
  X(TMaskCell, pieces, [4][4][kPieceSlots]) /* [i][j][slot] */                   \
  X(TEffect, effects, [kEffectCount])                                            \
  X(TCell, aiBoard, [kBoardCols][kBoardRows]) /* the automatic player's board */ \
  X(TMaskCell, aiPiece, [4][4][kPieceSlots])  /* the automatic player's piece */
