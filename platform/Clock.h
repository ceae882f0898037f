#pragma once

namespace zeva {

// Local wall-clock time as an OLE date double (days since 1899-12-30, fraction = time of day).
// Plain classes read time only here, so tests move it forward explicitly.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual double Now() const = 0;
};

// The system clock in local time.
class SystemClock final : public Clock {
  public:
    double Now() const override;
};

} // namespace zeva
