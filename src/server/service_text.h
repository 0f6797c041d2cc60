// Small pieces the score server's handlers share: request parameters, JSON
// answers, an entry as JSON, the owner cookie.
#pragma once

#include <cstdint>
#include <string>

#include "server/score_service.h"

// The parameter's first value, "" when absent.
std::string Param(const TWebRequest& req, const char* name);

// A decimal number of at most 9 digits within [lo, hi]; fallback when
// absent; -1 when present but not such a number.
int64_t NumberParam(const TWebRequest& req, const char* name, int64_t fallback, int64_t lo,
                    int64_t hi);

// A JSON answer (body plus a newline).
TWebReply Json(int status, const std::string& body);

// The download address of an entry's kept replay, "" when none.
std::string ReplayPath(const TStoredEntry& e);

// {"rank":…,"score":…,"level":…,"date":…,"fps":…,"name":…,"verified":…,
// "id":…,"challenge":…,"replay":…} and, when token is given, "token".
std::string EntryJson(const TStoredEntry& e, const std::string* token = nullptr);

// The owner cookie's name for an entry, and the header that sets it.
std::string OwnerCookieName(int64_t id);
void SetOwnerCookie(TWebReply* r, int64_t id, const std::string& token, bool secure);
