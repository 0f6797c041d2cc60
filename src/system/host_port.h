// "HOST:PORT" as a player types it (--join): a host name or IPv4 address and
// a UDP port 1..65535.
#pragma once

#include <cstdint>
#include <string>

// Splits text into *host and *port; false when it is not of that form (no
// colon, an empty host, a port out of range, "[v6]:port").
bool ParseHostPort(const std::string& text, std::string* host, uint16_t* port);
