// What the replay file's writer and reader agree on besides the types: the
// bounds of its numbers, the widths of its lines, the clock's letters and how
// the state's arrays are laid out. Internal to src/replay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace replay_detail {

// Numbers beyond these cannot come from a game and could overflow the
// drawing's pixel arithmetic.
constexpr int64_t kValueBound = 100'000'000;
constexpr int kMtWordsPerLine = 16;
constexpr int kDeltasPerLine = 100;
// The clock deltas 0..61 ms are one letter each.
constexpr char kDeltaLetters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr uint32_t kDeltaLetterCount = 62;

// Array fields are written as their int32 values, one line per element of
// their first dimension.
template <class T>
constexpr size_t IntsPerLine() {
  constexpr size_t kElementBytes = sizeof(std::remove_extent_t<T>);
  return kElementBytes / sizeof(int32_t);
}
template <class T>
constexpr size_t LinesOf() {
  return std::extent_v<T>;
}

// Signed fields stay within kValueBound; the others may hold any value.
template <class T>
bool WithinBound(const T& v) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return v >= -kValueBound && v <= kValueBound;
  } else {
    return true;
  }
}

}  // namespace replay_detail
