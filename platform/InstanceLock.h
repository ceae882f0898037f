#pragma once

namespace zeva {

// Answers whether another copy of the program already runs on this machine. The lock is held
// until the object is destroyed.
class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
    // True when this process now holds the lock; false when another instance holds it.
    virtual bool TryAcquire() = 0;
};

} // namespace zeva
