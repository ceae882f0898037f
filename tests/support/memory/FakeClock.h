#pragma once
#include "platform/Clock.h"

namespace zeva {

// A clock that moves only when the test says so.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(double now = 45000.5) : now_(now) {}
    double Now() const override { return now_; }
    double SteadyMs() const override { return now_ * 86400000.0 + setBackMs_; }
    void Set(double now) { now_ = now; }
    void AdvanceSeconds(double seconds) { now_ += seconds / 86400.0; }
    // The wall clock alone goes back, as at the end of daylight saving.
    void SetBackSeconds(double seconds) {
        now_ -= seconds / 86400.0;
        setBackMs_ += seconds * 1000.0;
    }

  private:
    double now_;
    double setBackMs_ = 0.0;
};

} // namespace zeva
