// What replay checks an address may cost: a budget of check time (not of
// requests) per address over a sliding window. One maximal replay costs as
// much as thousands of page views, so requests are the wrong thing to count.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

class TCheckBudget {
 public:
  using Clock = std::chrono::steady_clock;
  // millisPerWindow: check time one address may use within window; 0: no
  // limit.
  TCheckBudget(int64_t millisPerWindow, std::chrono::seconds window)
      : budget_(millisPerWindow), window_(window) {}

  // True when client may start a check now; else *retryAfter is the seconds
  // until its spent time has drained below the budget.
  bool Allow(const std::string& client, Clock::time_point now, int* retryAfter);

  // Adds a finished check's time to client's spending.
  void Charge(const std::string& client, int64_t millis, Clock::time_point now);

 private:
  struct TSpent {
    double millis = 0;  // drains at budget_ per window
    Clock::time_point at;
  };
  void Drain(TSpent* s, Clock::time_point now) const;

  int64_t budget_;
  std::chrono::seconds window_;
  std::mutex mutex_;
  std::unordered_map<std::string, TSpent> spent_;
};
