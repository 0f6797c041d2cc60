#include "input_script.h"

#include <cerrno>
#include <cstdlib>

namespace {

// Splits a line into words separated by blanks; stops at '#'.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == '#') break;
    if (c == ' ' || c == '\t' || c == '\r') {
      i++;
      continue;
    }
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
           line[i] != '#') {
      i++;
    }
    words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A decimal integer in [lo, hi], optional leading '-'; nothing else.
bool ToInt(std::string_view word, int64_t lo, int64_t hi, int64_t* out) {
  if (word.empty() || word.size() > 20) return false;
  size_t i = 0;
  bool negative = false;
  if (word[0] == '-') {
    negative = true;
    i = 1;
  }
  if (i == word.size()) return false;
  int64_t value = 0;
  for (; i < word.size(); i++) {
    char c = word[i];
    if (c < '0' || c > '9') return false;
    if (value > (INT64_MAX - (c - '0')) / 10) return false;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < lo || value > hi) return false;
  *out = value;
  return true;
}

bool IsTimeText(std::string_view word) {
  if (word.size() != 14) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool ParseInputScript(std::string_view text, TInputScript* script, std::string* error) {
  *script = TInputScript();
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    lineNo++;

    std::vector<std::string_view> w = Words(line);
    if (w.empty()) {
      if (end == text.size()) break;
      continue;
    }
    auto fail = [&](const char* what) {
      *error = "line " + std::to_string(lineNo) + ": " + what + ": " + std::string(line);
      return false;
    };
    int64_t a = 0, b = 0, c = 0;
    if (w[0] == "seed") {
      if (w.size() != 3 || !ToInt(w[2], 0, UINT32_MAX, &a)) {
        return fail("expected 'seed mt S' or 'seed lcg S' with S in 0..4294967295");
      }
      if (w[1] == "mt") {
        script->seedMt = static_cast<uint32_t>(a);
      } else if (w[1] == "lcg") {
        script->seedLcg = static_cast<uint32_t>(a);
      } else {
        return fail("expected 'seed mt S' or 'seed lcg S'");
      }
    } else if (w[0] == "best") {
      if (w.size() != 2 || !ToInt(w[1], INT32_MIN, INT32_MAX, &a)) {
        return fail("expected 'best N' with a 32-bit N");
      }
      script->best = static_cast<int32_t>(a);
    } else if (w[0] == "time") {
      if (w.size() != 2 || !IsTimeText(w[1])) return fail("expected 'time YYYYMMDDHHNNSS'");
      script->time = std::string(w[1]);
    } else if (w[0] == "run") {
      if (w.size() != 2 || !ToInt(w[1], 0, 100000000, &a)) {
        return fail("expected 'run F' with F in 0..100000000");
      }
      if (a > script->frames) script->frames = static_cast<int32_t>(a);
    } else if (w[0] == "at") {
      if (w.size() < 3 || !ToInt(w[1], 1, 100000000, &a)) {
        return fail("expected 'at F ...' with F in 1..100000000");
      }
      TScriptEvent e;
      e.frame = static_cast<int32_t>(a);
      if (w[2] == "key") {
        if (w.size() < 4 || w.size() > 5 || !ToInt(w[3], 0, 65535, &b)) {
          return fail("expected 'at F key K [alt]' with K in 0..65535");
        }
        if (w.size() == 5 && w[4] != "alt") return fail("expected 'alt' after the key code");
        e.kind = TScriptEvent::kKey;
        e.key = static_cast<int32_t>(b);
        e.alt = w.size() == 5;
      } else if (w[2] == "move") {
        if (w.size() != 5 || !ToInt(w[3], -100000, 100000, &b) ||
            !ToInt(w[4], -100000, 100000, &c)) {
          return fail("expected 'at F move X Y'");
        }
        e.kind = TScriptEvent::kMove;
        e.x = static_cast<int32_t>(b);
        e.y = static_cast<int32_t>(c);
      } else if (w[2] == "down") {
        if (w.size() != 6 || !ToInt(w[4], -100000, 100000, &b) ||
            !ToInt(w[5], -100000, 100000, &c)) {
          return fail("expected 'at F down left|right|middle X Y'");
        }
        if (w[3] == "left") {
          e.button = 0;
        } else if (w[3] == "right") {
          e.button = 1;
        } else if (w[3] == "middle") {
          e.button = 2;
        } else {
          return fail("expected a button: left, right or middle");
        }
        e.kind = TScriptEvent::kDown;
        e.x = static_cast<int32_t>(b);
        e.y = static_cast<int32_t>(c);
      } else {
        return fail("expected 'key', 'move' or 'down' after 'at F'");
      }
      script->events.push_back(e);
    } else {
      return fail("unknown directive");
    }
    if (end == text.size()) break;
  }
  return true;
}
