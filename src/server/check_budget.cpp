#include "server/check_budget.h"

#include <cmath>

void TCheckBudget::Drain(TSpent* s, Clock::time_point now) const {
  const double seconds = std::chrono::duration<double>(now - s->at).count();
  s->millis = std::max(0.0, s->millis - seconds * static_cast<double>(budget_) /
                                            static_cast<double>(window_.count()));
  s->at = now;
}

bool TCheckBudget::Allow(const std::string& client, Clock::time_point now, int* retryAfter) {
  if (budget_ <= 0) return true;
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = spent_.find(client);
  if (it == spent_.end()) return true;
  Drain(&it->second, now);
  if (it->second.millis < static_cast<double>(budget_)) return true;
  const double over = it->second.millis - static_cast<double>(budget_) + 1;
  *retryAfter = 1 + static_cast<int>(std::ceil(over * static_cast<double>(window_.count()) /
                                               static_cast<double>(budget_)));
  return false;
}

void TCheckBudget::Charge(const std::string& client, int64_t millis, Clock::time_point now) {
  if (budget_ <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  // Addresses whose spending has drained are forgotten, so the table holds
  // only the recent spenders.
  if (spent_.size() > 4096) {
    for (auto it = spent_.begin(); it != spent_.end();) {
      Drain(&it->second, now);
      it = it->second.millis <= 0 ? spent_.erase(it) : std::next(it);
    }
  }
  TSpent& s = spent_[client];
  if (s.at == Clock::time_point()) s.at = now;
  Drain(&s, now);
  s.millis += static_cast<double>(millis);
}
