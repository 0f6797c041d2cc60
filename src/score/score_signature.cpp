#include "score/score_signature.h"

#include <cstdio>
#include <cstring>

#include "score/MD5.h"
#include "score/atomic_file.h"

const char kScoreSalt[] = "h3Tq9pLx2VmW8rKd";
// A build for a public board defines ZAZO_SCORE_SERVER ("https://host");
// otherwise the address is the local board the game starts itself.
#define ZAZO_TEXT(x) #x
#define ZAZO_PORT_TEXT(x) ZAZO_TEXT(x)
// The local board's own address, whatever the build's default.
const char kLocalBoardBase[] = "http://127.0.0.1:" ZAZO_PORT_TEXT(ZAZO_LOCAL_BOARD_PORT);
#ifdef ZAZO_SCORE_SERVER
const char kRegistrationAddress[] = ZAZO_SCORE_SERVER "/score/?mode=reg";
const bool kRegistrationIsLocalBoard = false;
const char kDefaultBoardBase[] = ZAZO_SCORE_SERVER;
#else
const char kRegistrationAddress[] =
    "http://127.0.0.1:" ZAZO_PORT_TEXT(ZAZO_LOCAL_BOARD_PORT) "/score/?mode=reg";
const bool kRegistrationIsLocalBoard = true;
const char kDefaultBoardBase[] = "http://127.0.0.1:" ZAZO_PORT_TEXT(ZAZO_LOCAL_BOARD_PORT);
#endif

namespace {

// The registration page, one entry per line, already in Shift-JIS (the
// Japanese text is given byte by byte, with the text itself beside it).
// Every {LINK} becomes the registration link. Each line ends in CR LF.
constexpr const char* kPageLines[] = {
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">",
    "<html lang=\"ja\"><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
    "charset=shift_jis\">",
    "<meta http-equiv=\"refresh\" CONTENT=\"10;URL={LINK}\">",
    "<style>",
    "body {",
    "font-family: \"Lucida Grande\", \"Lucida Sans Unicode\", \"Trebuchet MS\", Trebuchet, Arial, "
    "sans-serif;",
    "font-size: 90%;",
    "line-height: 1.5em;",
    "background-color: #FFFCFB;",
    "margin: 10px;",
    "padding: 10px;",
    "}",
    "h1 {",
    "padding: 6px;",
    "border-width: 0px 0px 1px;",
    "border-color: silver;",
    "border-style: solid;",
    "line-height: 1.5em;",
    "}",
    "div.code {",
    // font-family: "ＭＳゴシック","Osaka-等幅",monospace;
    "font-family: \"\x82\x6c\x82\x72\x83\x53\x83\x56\x83\x62\x83\x4e\",\"Osaka-\x93\x99\x95\x9d\","
    "monospace;",
    "background-color: whitesmoke;",
    "margin: 3%;",
    "padding: 6px;",
    "border-width: 1px;",
    "border-color: silver;",
    "border-style: double;",
    "}",
    "</style>",
    // <title>スコア 登録</title>
    "<title>\x83\x58\x83\x52\x83\x41 \x93\x6f\x98\x5e</title>",
    "</head>",
    // <body #FFFFF8><h1>現在のスコアを登録</h1>
    "<body #FFFFF8><h1>\x8c\xbb\x8d\xdd\x82\xcc\x83\x58\x83\x52\x83\x41\x82\xf0\x93\x6f\x98\x5e"
    "</h1>",
    // <p>このプレイのスコアを web サイトに登録します。</p>
    "<p>\x82\xb1\x82\xcc\x83\x76\x83\x8c\x83\x43\x82\xcc\x83\x58\x83\x52\x83\x41\x82\xf0 web "
    "\x83\x54\x83\x43\x83\x67\x82\xc9\x93\x6f\x98\x5e\x82\xb5\x82\xdc\x82\xb7\x81\x42</p>",
    // <p>10 秒後、下記のスコア登録ページに移動します。</p>
    "<p>10 \x95\x62\x8c\xe3\x81\x41\x89\xba\x8b\x4c\x82\xcc\x83\x58\x83\x52\x83\x41\x93\x6f\x98"
    "\x5e\x83\x79\x81\x5b\x83\x57\x82\xc9\x88\xda\x93\xae\x82\xb5\x82\xdc\x82\xb7\x81\x42</p>",
    "<div class=\"code\"><p><a href=\"{LINK}\">{LINK}</a></p></div>",
    "</body></html>",
};
static_assert(sizeof kPageLines / sizeof kPageLines[0] == 36, "the page has 36 lines");

constexpr char kLinkMark[] = "{LINK}";

}  // namespace

void Md5HexTo(const char* data, size_t len, char out[33]) {
  uint8_t digest[16];
  Md5Digest(data, len, digest);
  Md5ToHex(digest, out);
}

std::string Md5Hex(const std::string& text) {
  char hex[33];
  Md5HexTo(text.data(), text.size(), hex);
  return std::string(hex, 32);
}

void SignScoreText(const char* scoreText, size_t len, char out[33]) {
  TMd5Context ctx;
  Md5Init(ctx);
  Md5Update(ctx, scoreText, len);
  Md5Update(ctx, kScoreSalt, sizeof kScoreSalt - 1);
  uint8_t digest[16];
  Md5Final(ctx, digest);
  Md5ToHex(digest, out);
}

int MakeScoreText(char* out, int outSize, const char* dateTime14, int32_t score, int32_t level,
                  int32_t avgPlusOne) {
  if (out == nullptr || outSize <= 0) return 0;
  int n =
      std::snprintf(out, static_cast<size_t>(outSize), "%.14s%.8d%.8d%.3d", dateTime14,
                    static_cast<int>(score), static_cast<int>(level), static_cast<int>(avgPlusOne));
  if (n < 0) {
    out[0] = '\0';
    return 0;
  }
  return n < outSize ? n : outSize - 1;
}

namespace {

bool HostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-';
}

bool PathChar(char c) {
  return HostChar(c) || c == '_' || c == '~' || c == '/';
}

}  // namespace

bool ParseBoardAddress(const std::string& text, TBoardAddress* out, std::string* error) {
  std::string base = text;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  size_t at = 0;
  if (base.rfind("http://", 0) == 0) {
    at = 7;
  } else if (base.rfind("https://", 0) == 0) {
    at = 8;
  } else {
    *error = "the board address must begin with http:// or https://: " + text;
    return false;
  }
  const size_t hostStart = at;
  while (at < base.size() && HostChar(base[at])) at++;
  bool ok = at > hostStart;
  if (ok && at < base.size() && base[at] == ':') {
    const size_t portStart = ++at;
    while (at < base.size() && base[at] >= '0' && base[at] <= '9') at++;
    ok = at > portStart && at - portStart <= 5;
  }
  if (ok && at < base.size()) {
    ok = base[at] == '/';
    while (ok && at < base.size()) ok = PathChar(base[at++]);
  }
  if (!ok || base.size() > 200) {
    *error = "not a board address (http[s]://host[:port][/path]): " + text;
    return false;
  }
  out->base = base;
  out->local = base == kLocalBoardBase;
  return true;
}

std::string RegistrationAddressOf(const std::string& base) {
  return base + "/score/?mode=reg";
}

std::string RegistrationLink(const std::string& scoreText, const std::string& md5Hex) {
  return RegistrationLinkAt(kRegistrationAddress, scoreText, md5Hex);
}

std::string RegistrationLinkAt(const std::string& address, const std::string& scoreText,
                               const std::string& md5Hex) {
  std::string link = address;
  link += "&score=";
  link += scoreText;
  link += "&p=";
  link += md5Hex;
  return link;
}

std::string BuildRegistrationPage(const std::string& scoreText, const std::string& md5Hex) {
  return BuildRegistrationPageFor(RegistrationLink(scoreText, md5Hex));
}

std::string BuildRegistrationPageFor(const std::string& link) {
  std::string page;
  page.reserve(1600 + 3 * link.size());
  for (const char* line : kPageLines) {
    const char* p = line;
    while (const char* mark = std::strstr(p, kLinkMark)) {
      page.append(p, static_cast<size_t>(mark - p));
      page += link;
      p = mark + sizeof kLinkMark - 1;
    }
    page += p;
    page += "\r\n";
  }
  return page;
}

bool WriteRegistrationPage(const std::string& path, const std::string& scoreText,
                           const std::string& md5Hex, std::string* error) {
  const std::string page = BuildRegistrationPage(scoreText, md5Hex);
  if (WriteFileAtomically(path.c_str(), page.data(), page.size(), error)) return true;
  if (error != nullptr) error->insert(0, "cannot write the registration page: ");
  return false;
}
