#include "system/host_port.h"

#include <cstdlib>

bool ParseHostPort(const std::string& text, std::string* host, uint16_t* port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
  if (text.find(':') != colon) return false;
  const std::string digits = text.substr(colon + 1);
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const long v = std::strtol(digits.c_str(), nullptr, 10);
  if (v < 1 || v > 65535) return false;
  *host = text.substr(0, colon);
  *port = static_cast<uint16_t>(v);
  return true;
}
