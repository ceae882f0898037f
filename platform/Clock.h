#pragma once

namespace zeva {

// Local wall-clock time as an OLE date double (days since 1899-12-30, fraction = time of day).
// Plain classes read time only here, so tests move it forward explicitly.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual double Now() const = 0;
    // Milliseconds on a clock that never jumps, for measuring a wait: a wall clock set back or
    // forward during the wait would stretch or cut it. A test's clock moves it with Now().
    virtual double SteadyMs() const { return Now() * 86400000.0; }
};

// The system clock in local time.
class SystemClock final : public Clock {
  public:
    double Now() const override;
    double SteadyMs() const override;
};

} // namespace zeva
