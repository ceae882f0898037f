#include "common/OleDate.h"
#include "platform/Clock.h"

#include <chrono>

namespace zeva {

double SystemClock::Now() const {
    return OleNow();
}

double SystemClock::SteadyMs() const {
    using Ms = std::chrono::duration<double, std::milli>;
    return Ms(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace zeva
