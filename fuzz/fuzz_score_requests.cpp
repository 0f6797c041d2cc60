// The score server's request handlers (TScoreService over an in-memory
// SQLite store), fed requests cut from the input: line 1 the method, line 2
// the path, then "key=value" lines ("cookie:key=value" for cookies) up to an
// empty line, then the body. The
// replay check is a stand-in that reads the body's lines as the games it
// reproduced ("MODE TEXT SIGNATURE").
// Checks: every answer has a known status; a refused request stores nothing;
// a registration or replay answered 200 leaves its entries stored; no text
// from the input reaches a page or JSON unescaped (the marker "<zz" never
// appears in an answer).
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "server/score_service.h"
#include "server/score_store.h"

namespace {

class TLinesChecker : public TReplayChecker {
 public:
  TReplayCheck Check(std::string_view text) override {
    TReplayCheck r;
    std::istringstream in{std::string(text)};
    std::string line;
    if (text.substr(0, 1) == "!") r.status = TReplayCheck::kNotReproduced;
    while (std::getline(in, line)) {
      std::istringstream f(line);
      TCheckedGame g;
      f >> g.mode >> g.scoreText >> g.signature;
      r.games.push_back(g);
    }
    return r;
  }
};

bool Known(int status) {
  for (int s : {200, 303, 400, 403, 404, 405, 413, 422, 429, 503}) {
    if (status == s) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<TScoreStore> store = OpenSqliteStore(":memory:");
  static TLinesChecker checker;
  static TScoreService service(*store, checker, [](const std::string&) {});

  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  TWebRequest req;
  std::getline(in, req.method);
  std::getline(in, req.path);
  std::string line;
  while (std::getline(in, line) && !line.empty()) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      req.fromForm = true;
      continue;
    }
    if (line.rfind("cookie:", 0) == 0)
      req.cookies.emplace(line.substr(7, eq - 7), line.substr(eq + 1));
    else
      req.params.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  const size_t bodyAt = static_cast<size_t>(in.tellg());
  if (in && bodyAt < input.size()) req.body = input.substr(bodyAt);

  const int64_t before = store->Count(false);
  const TWebReply reply = service.Handle(req);
  const int64_t after = store->Count(false);
  FUZZ_CHECK(Known(reply.status));
  FUZZ_CHECK(reply.body.find("<zz") == std::string::npos);
  FUZZ_CHECK(reply.location.find_first_of("\r\n<\"") == std::string::npos);
  for (const auto& [key, value] : reply.headers)
    FUZZ_CHECK((key + value).find_first_of("\r\n") == std::string::npos);
  // A refusal stores nothing (a 303 is a name saved, or a registration
  // forwarded without its token).
  if (reply.status != 200 && reply.status != 303) FUZZ_CHECK(after == before);
  if (reply.status == 200 && (req.path == "/score/" || req.path == "/score") &&
      req.params.count("mode") && req.params.at("mode") == "reg" && req.method == "GET") {
    TStoredEntry e;
    FUZZ_CHECK(store->Find(req.params.at("score"), &e));
  }
  return 0;
}
