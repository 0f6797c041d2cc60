#include "system/room_code.h"

#include <cstring>

bool NormalizeRoomCode(std::string* code) {
  if (code->size() != kRoomCodeLength) return false;
  for (char& c : *code) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == '\0' || !std::strchr(kRoomCodeAlphabet, c)) return false;
  }
  return true;
}
