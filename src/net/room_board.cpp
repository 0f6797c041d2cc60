#include "net/room_board.h"

#include <curl/curl.h>

#include <mutex>
#include <nlohmann/json.hpp>

namespace {

// The board's description is small; anything longer is not it.
constexpr size_t kMaxBoardInfo = 64 * 1024;

size_t Collect(char* data, size_t size, size_t n, void* user) {
  auto* body = static_cast<std::string*>(user);
  if (body->size() + size * n > kMaxBoardInfo) return 0;  // cuts the transfer short
  body->append(data, size * n);
  return size * n;
}

}  // namespace

std::string BoardInfoUrl(const std::string& base) {
  std::string b = base;
  while (!b.empty() && b.back() == '/') b.pop_back();
  return b + "/score/api/board";
}

std::string UrlHost(const std::string& url) {
  const size_t scheme = url.find("://");
  size_t from = scheme == std::string::npos ? 0 : scheme + 3;
  const size_t at = url.find('@', from);
  const size_t slash = url.find('/', from);
  if (at != std::string::npos && (slash == std::string::npos || at < slash)) from = at + 1;
  if (from < url.size() && url[from] == '[') {
    const size_t close = url.find(']', from);
    return close == std::string::npos ? "" : url.substr(from + 1, close - from - 1);
  }
  const size_t end = url.find_first_of(":/?#", from);
  return url.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

bool ParseBoardRelay(const std::string& json, const std::string& boardBase, TRelayAddress* out,
                     std::string* error) {
  const nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) {
    *error = "the board's answer is not its description";
    return false;
  }
  const auto relay = doc.find("relay");
  if (relay == doc.end() || !relay->is_object()) {
    *error = "the board offers no relay for online play";
    return false;
  }
  const auto host = relay->find("host");
  const auto port = relay->find("port");
  if (port == relay->end() || !port->is_number_integer() || port->get<int64_t>() < 1 ||
      port->get<int64_t>() > 65535 || (host != relay->end() && !host->is_string())) {
    *error = "the board names its relay wrongly";
    return false;
  }
  out->host = host == relay->end() ? "" : host->get<std::string>();
  if (out->host.empty()) out->host = UrlHost(boardBase);
  if (out->host.empty()) {
    *error = "no host for the relay";
    return false;
  }
  out->port = static_cast<int>(port->get<int64_t>());
  return true;
}

bool FetchBoardRelay(const std::string& base, long timeoutMs, TRelayAddress* out,
                     std::string* error) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  CURL* curl = curl_easy_init();
  if (!curl) {
    *error = "cannot start an HTTP request";
    return false;
  }
  std::string body;
  const std::string url = BoardInfoUrl(base);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  const CURLcode rc = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  if (rc != CURLE_OK) {
    *error = "the board " + base + " cannot be reached: " + curl_easy_strerror(rc);
    return false;
  }
  if (status != 200) {
    *error = "the board " + base + " answered " + std::to_string(status) + " to " + url;
    return false;
  }
  return ParseBoardRelay(body, base, out, error);
}
