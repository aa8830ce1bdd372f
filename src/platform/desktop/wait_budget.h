#pragma once

#include <chrono>
#include <string>

#include "system/status.h"

namespace vendaro {

// How long one change (or one give-back) may wait for the desktop in all.
// A stopped service must cost the user this once, not once per call: every
// call into the desktop takes its time limit from what is left and spends
// what it waited.  Time spent on our own work (composing) is not counted.
inline constexpr int kChangeLimitMs = 2000;

class WaitBudget {
 public:
  using Clock = std::chrono::steady_clock;

  explicit WaitBudget(int ms = kChangeLimitMs) : leftMs_(ms) {}

  // The time limit for the next call, in milliseconds; 0 once all is spent.
  int LeftMs() const { return leftMs_ > 0 ? leftMs_ : 0; }
  bool Spent() const { return leftMs_ <= 0; }
  void Spend(Clock::duration waited) {
    leftMs_ -=
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count());
  }
  void Refill(int ms = kChangeLimitMs) { leftMs_ = ms; }

  // The reason given when a call found nothing left, or timed out.
  static Status TimedOut(const std::string& who) {
    return Status::Error(who + " nie odpowiada (czekano " + std::to_string(kChangeLimitMs / 1000) +
                         " s)");
  }

 private:
  int leftMs_;
};

// Spends the time from its making to its end on the budget.
class Waiting {
 public:
  explicit Waiting(WaitBudget& budget) : budget_(budget), start_(WaitBudget::Clock::now()) {}
  ~Waiting() { budget_.Spend(WaitBudget::Clock::now() - start_); }
  Waiting(const Waiting&) = delete;
  Waiting& operator=(const Waiting&) = delete;

 private:
  WaitBudget& budget_;
  WaitBudget::Clock::time_point start_;
};

}  // namespace vendaro
