// Plain HTTP requests to the score board (libcurl): one request, a bounded
// time, the status and the body. Headless; safe to call from any thread.
#pragma once

#include <string>

struct THttpAnswer {
  long status = 0;    // the HTTP status; 0 when no answer arrived
  std::string body;   // at most kMaxBody bytes
  std::string error;  // why no answer arrived ("" when one did)
};

// The most of an answer's body that is read; a longer one is cut off and
// counts as no answer.
constexpr size_t kMaxBoardAnswer = 1u << 20;

// GET url within timeoutMs (connecting included).
THttpAnswer HttpGet(const std::string& url, long timeoutMs);
// POST body (of contentType) to url within timeoutMs.
THttpAnswer HttpPost(const std::string& url, const std::string& body,
                     const std::string& contentType, long timeoutMs);
// text escaped for a query value (RFC 3986: everything but A-Z a-z 0-9 - . _ ~).
std::string QueryEscape(const std::string& text);
