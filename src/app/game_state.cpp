#include "app/game_state.h"

#include <cstring>

void TGameState::Take(const TMainForm& f) {
#define ZAZO_TAKE_FIELD(type, name, dumped) name = f.name;
#define ZAZO_TAKE_ARRAY(type, name, dims) std::memcpy(name, f.name, sizeof name);
  ZAZO_GAME_SCALARS(ZAZO_TAKE_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_TAKE_ARRAY)
#undef ZAZO_TAKE_FIELD
#undef ZAZO_TAKE_ARRAY
}

void TGameState::Restore(TMainForm& f) const {
#define ZAZO_RESTORE_FIELD(type, name, dumped) f.name = name;
#define ZAZO_RESTORE_ARRAY(type, name, dims) std::memcpy(f.name, name, sizeof name);
  ZAZO_GAME_SCALARS(ZAZO_RESTORE_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_RESTORE_ARRAY)
#undef ZAZO_RESTORE_FIELD
#undef ZAZO_RESTORE_ARRAY
}
