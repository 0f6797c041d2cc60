#include "server/web_text.h"

#include <cstdint>
#include <cstdio>

namespace {

// Decodes one UTF-8 character of s at *i (advancing *i); -1 when the bytes
// there are not a valid, shortest-form character.
int32_t NextCodePoint(std::string_view s, size_t* i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t b0 = byte(*i);
  int need = 0;
  int32_t cp = 0, min = 0;
  if (b0 < 0x80) {
    ++*i;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    need = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    need = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    need = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++*i;
    return -1;
  }
  if (*i + need >= s.size()) {  // cut short
    *i = s.size();
    return -1;
  }
  for (int k = 1; k <= need; k++) {
    const uint8_t b = byte(*i + k);
    if ((b & 0xC0) != 0x80) {
      *i += k;
      return -1;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  *i += need + 1;
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  return cp;
}

void AppendUtf8(std::string* out, int32_t cp) {
  if (cp < 0x80) {
    *out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out += static_cast<char>(0xC0 | (cp >> 6));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out += static_cast<char>(0xE0 | (cp >> 12));
    *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (cp >> 18));
    *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string HtmlEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string JsonEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const int32_t cp = NextCodePoint(s, &i);
    char buf[16];
    if (cp < 0) {
      AppendUtf8(&out, 0xFFFD);
    } else if (cp == '"' || cp == '\\') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp < 0x20 || cp == '<' || cp == '>' || cp == '&' || cp == 0x2028 || cp == 0x2029) {
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
      out += buf;
    } else {
      AppendUtf8(&out, cp);
    }
  }
  return out;
}

bool CheckPlayerName(std::string_view raw, std::string* out, std::string* reason) {
  while (!raw.empty() && raw.front() == ' ') raw.remove_prefix(1);
  while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
  int chars = 0;
  size_t i = 0;
  while (i < raw.size()) {
    const int32_t cp = NextCodePoint(raw, &i);
    if (cp < 0) {
      *reason = "the name is not valid UTF-8 text";
      return false;
    }
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F)) {
      *reason = "the name holds a control character";
      return false;
    }
    if (++chars > kMaxNameChars) {
      *reason = "the name is longer than 16 characters";
      return false;
    }
  }
  out->assign(raw);
  return true;
}
