// The board's secrets: owner tokens (given to the player, kept only as a
// hash), and the daily challenge's seed (derived from the board's secret, so
// nobody can know it before its day).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// 32 lowercase hexadecimal digits from the system's random source. Throws
// std::runtime_error when the system gives none.
std::string NewOwnerToken();

// 64 hexadecimal digits: a new secret for the board.
std::string NewBoardSecret();

// The SHA-256 of a token, in hexadecimal: what the store keeps.
std::string OwnerTokenHash(std::string_view token);

// token is a well-formed token whose hash is hash (compared in constant
// time). False for an empty hash: an entry nobody owns.
bool OwnerTokenMatches(std::string_view token, std::string_view hash);

// The first four bytes (big-endian) of HMAC-SHA256(secret, id).
uint32_t ChallengeSeed(std::string_view secret, std::string_view id);
