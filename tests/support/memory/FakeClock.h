#pragma once
#include "platform/Clock.h"

namespace zeva {

// A clock that moves only when the test says so.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(double now = 45000.5) : now_(now) {}
    double Now() const override { return now_; }
    void Set(double now) { now_ = now; }
    void AdvanceSeconds(double seconds) { now_ += seconds / 86400.0; }

  private:
    double now_;
};

} // namespace zeva
