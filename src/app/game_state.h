// A copy of the whole game state (every field of app/game_state_list.h), to
// put a game back exactly where it was: the replay's snapshot at the start of
// a game, and the benchmark's rerun of one step from the same point.
#pragma once

#include "app/main.h"

struct TGameState {
#define ZAZO_STATE_FIELD(type, name, dumped) type name{};
#define ZAZO_STATE_ARRAY(type, name, dims) type name dims = {};
  ZAZO_GAME_SCALARS(ZAZO_STATE_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_STATE_ARRAY)
#undef ZAZO_STATE_FIELD
#undef ZAZO_STATE_ARRAY

  // Copies every field from / to a game object (pictures and host untouched).
  // Neither allocates.
  void Take(const TMainForm& f);
  void Restore(TMainForm& f) const;
};
