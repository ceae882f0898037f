#include "common/OleDate.h"
#include "platform/Clock.h"

namespace zeva {

double SystemClock::Now() const {
    return OleNow();
}

} // namespace zeva
