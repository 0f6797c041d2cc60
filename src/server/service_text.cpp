#include "server/service_text.h"

#include "server/web_text.h"

std::string Param(const TWebRequest& req, const char* name) {
  const auto it = req.params.find(name);
  return it == req.params.end() ? std::string() : it->second;
}

int64_t NumberParam(const TWebRequest& req, const char* name, int64_t fallback, int64_t lo,
                    int64_t hi) {
  const auto it = req.params.find(name);
  if (it == req.params.end() || it->second.empty()) return fallback;
  const std::string& s = it->second;
  if (s.size() > 9) return -1;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v < lo || v > hi ? -1 : v;
}

TWebReply Json(int status, const std::string& body) {
  TWebReply r;
  r.status = status;
  r.contentType = "application/json; charset=utf-8";
  r.body = body + "\n";
  return r;
}

std::string ReplayPath(const TStoredEntry& e) {
  return e.hasReplay ? "/score/replay/" + std::to_string(e.id) + ".zzr" : "";
}

std::string EntryJson(const TStoredEntry& e, const std::string* token) {
  std::string j =
      "{\"rank\":" + std::to_string(e.rank) + ",\"score\":" + std::to_string(e.entry.score) +
      ",\"level\":" + std::to_string(e.entry.level) + ",\"date\":\"" +
      JsonEscape(FormatPlayedAt(e.entry.playedAt)) +
      "\",\"fps\":" + std::to_string(e.entry.frameRate - 1) + ",\"name\":\"" + JsonEscape(e.name) +
      "\",\"verified\":" + (e.verified ? "true" : "false") + ",\"id\":" + std::to_string(e.id) +
      ",\"challenge\":\"" + JsonEscape(e.challenge) + "\",\"replay\":\"" + ReplayPath(e) + "\"";
  if (token) j += ",\"token\":\"" + JsonEscape(*token) + "\"";
  return j + "}";
}

std::string OwnerCookieName(int64_t id) {
  return "zazo_owner_" + std::to_string(id);
}

void SetOwnerCookie(TWebReply* r, int64_t id, const std::string& token, bool secure) {
  r->headers.emplace_back("Set-Cookie", OwnerCookieName(id) + "=" + token +
                                            "; Path=/score/; Max-Age=31536000; HttpOnly; "
                                            "SameSite=Lax" +
                                            (secure ? "; Secure" : ""));
}
