// Where the relay is: the board names it in GET /score/api/board as
// {"name":...,"relay":{"host":...,"port":N}}. An empty host means the
// board's own host (a relay beside the board).
#pragma once

#include <string>

struct TRelayAddress {
  std::string host;
  int port = 0;
};

// The board's API address for its relay: base + "/score/api/board".
std::string BoardInfoUrl(const std::string& base);

// Reads the board's answer; false with *error when it names no relay or is
// not the board's answer. boardBase ("http://host[:port][/path]") supplies
// the host when the answer leaves it empty.
bool ParseBoardRelay(const std::string& json, const std::string& boardBase, TRelayAddress* out,
                     std::string* error);

// Asks the board at base for its relay within timeoutMs (libcurl). False
// with *error (for the player) when the board cannot be reached or names no
// relay. Blocks: run it off the game's thread.
bool FetchBoardRelay(const std::string& base, long timeoutMs, TRelayAddress* out,
                     std::string* error);

// The host part of "http://host[:port]/..." ("[v6]" without brackets); ""
// when the address has none.
std::string UrlHost(const std::string& url);
