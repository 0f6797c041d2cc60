#include "board_client/board_api.h"

#include <nlohmann/json.hpp>

#include "board_client/board_http.h"

namespace {

using nlohmann::json;

// Ids, dates and tokens go into file names, addresses and the tokens file:
// only letters, digits, '-', '_' and ':' are taken.
bool PlainText(const std::string& text, size_t maxLength) {
  if (text.empty() || text.size() > maxLength) return false;
  for (const char c : text) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == ':';
    if (!ok) return false;
  }
  return true;
}

std::string StringField(const json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end()) return "";
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number_integer()) return std::to_string(it->get<int64_t>());
  return "";
}

int64_t NumberField(const json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_number_integer() ? it->get<int64_t>() : 0;
}

std::string AnswerError(const std::string& body, long status) {
  const json doc = json::parse(body, nullptr, false);
  if (doc.is_object()) {
    const std::string message = StringField(doc, "error");
    if (!message.empty()) return message;
  }
  return "the board answered " + std::to_string(status);
}

}  // namespace

bool ParseChallenge(const std::string& text, TChallenge* out, std::string* error) {
  const json doc = json::parse(text, nullptr, false);
  if (!doc.is_object()) {
    *error = "the board's challenge is not JSON";
    return false;
  }
  TChallenge c;
  c.id = StringField(doc, "id");
  c.date = StringField(doc, "date");
  c.ends = StringField(doc, "ends");
  const auto seed = doc.find("seed");
  if (!PlainText(c.id, 64) || !PlainText(c.date, 10) || seed == doc.end() ||
      !seed->is_number_integer() || seed->get<int64_t>() < 0 ||
      seed->get<int64_t>() > 0xffffffffLL) {
    *error = "the board's challenge lacks a plain id, date or 32-bit seed";
    return false;
  }
  c.seed = static_cast<uint32_t>(seed->get<int64_t>());
  *out = c;
  return true;
}

bool ParseUploadAnswer(const std::string& text, std::vector<TUploadedEntry>* out,
                       std::string* error) {
  const json doc = json::parse(text, nullptr, false);
  if (!doc.is_object()) {
    *error = "the board's answer is not JSON";
    return false;
  }
  const auto ok = doc.find("ok");
  const auto entries = doc.find("entries");
  if (ok == doc.end() || !ok->is_boolean() || !ok->get<bool>() || entries == doc.end() ||
      !entries->is_array()) {
    const std::string message = StringField(doc, "error");
    *error = message.empty() ? "the board refused the replay" : message;
    return false;
  }
  out->clear();
  for (const json& e : *entries) {
    if (!e.is_object()) continue;
    TUploadedEntry entry;
    entry.id = StringField(e, "id");
    entry.token = StringField(e, "token");
    entry.challenge = StringField(e, "challenge");
    entry.score = NumberField(e, "score");
    entry.level = NumberField(e, "level");
    const auto verified = e.find("verified");
    entry.verified = verified != e.end() && verified->is_boolean() && verified->get<bool>();
    // A token the game cannot keep safely is not kept at all.
    if (!PlainText(entry.id, 64)) entry.id.clear();
    if (!PlainText(entry.token, 128)) entry.token.clear();
    if (!entry.challenge.empty() && !PlainText(entry.challenge, 64)) entry.challenge.clear();
    out->push_back(entry);
  }
  return true;
}

TBoardResult FetchDailyChallenge(const std::string& base, long timeoutMs, TChallenge* out,
                                 std::string* error) {
  const THttpAnswer answer = HttpGet(base + "/score/api/challenge/daily", timeoutMs);
  if (!answer.error.empty()) {
    *error = answer.error;
    return TBoardResult::kNoAnswer;
  }
  if (answer.status != 200) {
    *error = AnswerError(answer.body, answer.status);
    return TBoardResult::kRefused;
  }
  return ParseChallenge(answer.body, out, error) ? TBoardResult::kOk : TBoardResult::kRefused;
}

TBoardResult UploadReplay(const std::string& base, const std::string& replay,
                          const std::string& challengeId, const std::string& name, long timeoutMs,
                          std::vector<TUploadedEntry>* out, std::string* error) {
  std::string url = base + "/score/api/replay";
  char join = '?';
  if (!challengeId.empty()) {
    url += join + std::string("challenge=") + QueryEscape(challengeId);
    join = '&';
  }
  if (!name.empty()) url += join + std::string("name=") + QueryEscape(name);
  const THttpAnswer answer = HttpPost(url, replay, "application/octet-stream", timeoutMs);
  if (!answer.error.empty()) {
    *error = answer.error;
    return TBoardResult::kNoAnswer;
  }
  if (answer.status != 200) {
    *error = AnswerError(answer.body, answer.status);
    return TBoardResult::kRefused;
  }
  return ParseUploadAnswer(answer.body, out, error) ? TBoardResult::kOk : TBoardResult::kRefused;
}
