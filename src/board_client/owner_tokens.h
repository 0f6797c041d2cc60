// The owner tokens the boards gave for the entries the game sent: one per
// entry, kept in tokens.toml in the save folder (the per-user data folder
// of an installed game), readable by the player only. A token is what lets
// its owner name the entry on the board, so none is ever dropped: a new one
// is added to those already kept, and a damaged file is set aside (as
// tokens.toml.broken, .broken-2, ...) rather than written over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TOwnerToken {
  std::string board;      // the board's base address
  std::string entry;      // the entry's id on that board
  std::string token;      // the private owner token
  std::string challenge;  // the challenge id, "" for none
  int64_t score = 0;
  std::string kept;  // when the game kept it, "YYYY-MM-DDTHH:MM:SSZ"
};

// The tokens kept in path; an absent file is an empty list. False with
// *error when the file cannot be read or is not a tokens file.
bool LoadOwnerTokens(const std::string& path, std::vector<TOwnerToken>* out, std::string* error);

// Adds tokens to those kept in path and writes the file atomically (mode
// 0600). A file that cannot be read as tokens is first renamed aside. False
// with *error when nothing could be written; the earlier file is then as it
// was.
bool AddOwnerTokens(const std::string& path, const std::vector<TOwnerToken>& tokens,
                    std::string* error);

// The tokens as the file's text (the format AddOwnerTokens writes).
std::string FormatOwnerTokens(const std::vector<TOwnerToken>& tokens);
