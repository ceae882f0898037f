#include "comms/CommType.h"

namespace zeva {

void CommType::Clear() {
    *this = CommType{};
}

bool CommType::Copy(CommType& target) const {
    if (&target != this) target = *this;
    return true;
}

} // namespace zeva
