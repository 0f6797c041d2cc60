#include "app/main.h"

#include <cstring>

TMainForm::TMainForm(TGameHost& h) : host(h) {
  ZeroFields();
}

void TMainForm::ZeroFields() {
#define ZAZO_ZERO_FIELD(type, name, dumped) name = type{};
#define ZAZO_ZERO_ARRAY(type, name, dims) std::memset(name, 0, sizeof name);
  ZAZO_GAME_SCALARS(ZAZO_ZERO_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_ZERO_ARRAY)
#undef ZAZO_ZERO_FIELD
#undef ZAZO_ZERO_ARRAY
}
