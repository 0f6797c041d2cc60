#include "board_client/board_http.h"

#include <curl/curl.h>

#include <mutex>

namespace {

// curl_global_init is not thread-safe: it runs once, whichever thread asks first.
void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t Collect(char* data, size_t size, size_t count, void* user) {
  std::string* body = static_cast<std::string*>(user);
  const size_t n = size * count;
  if (body->size() + n > kMaxBoardAnswer) return 0;  // aborts the transfer
  body->append(data, n);
  return n;
}

THttpAnswer Perform(const std::string& url, const std::string* postBody,
                    const std::string& contentType, long timeoutMs) {
  InitCurlOnce();
  THttpAnswer answer;
  CURL* curl = curl_easy_init();
  if (!curl) {
    answer.error = "cannot start a request";
    return answer;
  }
  char errorText[CURL_ERROR_SIZE] = {};
  curl_slist* headers = nullptr;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
  // No signals: the request may run on a thread of its own.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "zazo-puzzle");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
  if (postBody) {
    headers = curl_slist_append(headers, ("Content-Type: " + contentType).c_str());
    // No "Expect: 100-continue" pause before the body.
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
  }
  const CURLcode rc = curl_easy_perform(curl);
  if (rc == CURLE_OK) {
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
  } else {
    answer.error = errorText[0] ? errorText : curl_easy_strerror(rc);
    answer.body.clear();
  }
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return answer;
}

}  // namespace

THttpAnswer HttpGet(const std::string& url, long timeoutMs) {
  return Perform(url, nullptr, "", timeoutMs);
}

THttpAnswer HttpPost(const std::string& url, const std::string& body,
                     const std::string& contentType, long timeoutMs) {
  return Perform(url, &body, contentType, timeoutMs);
}

std::string QueryEscape(const std::string& text) {
  InitCurlOnce();
  // libcurl ignores the handle here.
  char* escaped = curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size()));
  if (!escaped) return "";
  std::string out = escaped;
  curl_free(escaped);
  return out;
}
