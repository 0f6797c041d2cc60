// A room's code at the board's relay: 6 characters from an alphabet without
// look-alikes (no 0/O, no 1/I), typed in either case.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kRoomCodeLength = 6;
constexpr char kRoomCodeAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";

// True when code is kRoomCodeLength characters of the alphabet (after
// upper-casing, which *code receives).
bool NormalizeRoomCode(std::string* code);
