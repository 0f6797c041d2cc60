// The score board's answers the game uses: today's challenge and the
// entries a replay upload made. Headless; the requests go through
// board_http.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// GET /score/api/challenge/daily:
// {"id":"daily-YYYY-MM-DD","date":"YYYY-MM-DD","seed":N,"ends":"...Z"}.
struct TChallenge {
  std::string id;
  std::string date;
  uint32_t seed = 0;
  std::string ends;
};

// One entry of POST /score/api/replay's answer
// {"ok":true,"entries":[{...,"id":..,"token":"<32 hex>",...}]}.
struct TUploadedEntry {
  std::string id;
  std::string token;  // the entry's owner token ("" when the board gave none)
  std::string challenge;
  int64_t score = 0;
  int64_t level = 0;
  bool verified = false;
};

// Reads the challenge; false with *error when the text is not one (the id
// and date must be plain, the seed an unsigned 32-bit number).
bool ParseChallenge(const std::string& json, TChallenge* out, std::string* error);
// Reads an upload's answer; false with *error (the board's own message when
// it gave one) when the upload was refused or the text is not an answer.
bool ParseUploadAnswer(const std::string& json, std::vector<TUploadedEntry>* out,
                       std::string* error);

// How a request to the board went: done, no answer (nothing listens, a
// timeout, a broken connection), or an answer that is not what was asked
// for (a refusal, a board without the feature, a garbled answer).
enum class TBoardResult { kOk, kNoAnswer, kRefused };

// Fetches today's challenge from the board at base within timeoutMs.
TBoardResult FetchDailyChallenge(const std::string& base, long timeoutMs, TChallenge* out,
                                 std::string* error);
// Sends a replay file's text to the board, for the challenge `challengeId`
// ("" none) under `name` ("" none); the entries it made in *out.
TBoardResult UploadReplay(const std::string& base, const std::string& replay,
                          const std::string& challengeId, const std::string& name, long timeoutMs,
                          std::vector<TUploadedEntry>* out, std::string* error);
