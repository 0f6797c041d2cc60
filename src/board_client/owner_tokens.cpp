#include "board_client/owner_tokens.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <toml++/toml.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string_view>

#include "score/atomic_file.h"
#include "system/regular_file.h"

namespace {

constexpr size_t kMaxTokensFile = 16u << 20;

std::string UtcNow() {
  const time_t now = time(nullptr);
  struct tm utc;
  char text[32] = "1970-01-01T00:00:00Z";
  if (gmtime_r(&now, &utc)) strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// Renames a damaged tokens file to the first free name path.broken,
// path.broken-2, ...
bool SetAside(const std::string& path, std::string* error) {
  for (int n = 1; n < 1000; n++) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, n == 1 ? ".broken" : ".broken-%d", n);
    const std::string aside = path + suffix;
    struct stat st;
    if (lstat(aside.c_str(), &st) == 0) continue;
    if (std::rename(path.c_str(), aside.c_str()) == 0) {
      std::fprintf(stderr, "Zazo Puzzle: the damaged tokens file was kept as %s\n", aside.c_str());
      return true;
    }
    *error = path + ": cannot set the damaged file aside: " + std::strerror(errno);
    return false;
  }
  *error = path + ": too many damaged copies beside it";
  return false;
}

}  // namespace

bool LoadOwnerTokens(const std::string& path, std::vector<TOwnerToken>* out, std::string* error) {
  out->clear();
  std::vector<uint8_t> bytes;
  const char* reason = nullptr;
  if (!ReadRegularFile(path.c_str(), kMaxTokensFile, bytes, &reason)) {
    if (reason == kFileMissing) return true;
    *error = path + ": " + reason;
    return false;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  toml::table root;
  try {
    root = toml::parse(text, path);
  } catch (const toml::parse_error& e) {
    std::ostringstream why;
    why << e;
    *error = why.str();
    return false;
  }
  const toml::array* entries = root["entry"].as_array();
  if (!entries) return true;
  for (const toml::node& node : *entries) {
    const toml::table* t = node.as_table();
    if (!t) continue;
    TOwnerToken token;
    token.board = (*t)["board"].value_or(std::string());
    token.entry = (*t)["entry"].value_or(std::string());
    token.token = (*t)["token"].value_or(std::string());
    token.challenge = (*t)["challenge"].value_or(std::string());
    token.score = (*t)["score"].value_or(int64_t{0});
    token.kept = (*t)["kept"].value_or(std::string());
    if (!token.token.empty()) out->push_back(token);
  }
  return true;
}

std::string FormatOwnerTokens(const std::vector<TOwnerToken>& tokens) {
  toml::array entries;
  for (const TOwnerToken& t : tokens) {
    entries.push_back(toml::table{{"board", t.board},
                                  {"entry", t.entry},
                                  {"token", t.token},
                                  {"challenge", t.challenge},
                                  {"score", t.score},
                                  {"kept", t.kept}});
  }
  toml::table root{{"entry", std::move(entries)}};
  std::ostringstream text;
  text << "# The owner tokens of the entries Zazo Puzzle sent to score boards.\n"
          "# Each lets its owner name that entry: keep this file private.\n\n"
       << root << "\n";
  return text.str();
}

bool AddOwnerTokens(const std::string& path, const std::vector<TOwnerToken>& tokens,
                    std::string* error) {
  std::vector<TOwnerToken> all;
  std::string loadError;
  if (!LoadOwnerTokens(path, &all, &loadError)) {
    std::fprintf(stderr, "Zazo Puzzle: %s\n", loadError.c_str());
    if (!SetAside(path, error)) return false;
    all.clear();
  }
  const std::string now = UtcNow();
  for (TOwnerToken t : tokens) {
    if (t.token.empty()) continue;
    if (t.kept.empty()) t.kept = now;
    all.push_back(t);
  }
  const std::string text = FormatOwnerTokens(all);
  // A new file is made private before anything is written into it (the
  // atomic writer keeps the mode of the file it replaces).
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) close(fd);
  return WriteFileAtomically(path.c_str(), text.data(), text.size(), error);
}
