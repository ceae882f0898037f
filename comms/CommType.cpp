#include "comms/CommType.h"

namespace zeva {

void CommType::Clear() {
    // Field by field, so the texts keep their storage: a reader that parses packet after packet
    // into one CommType allocates only while the texts grow.
    Number1 = 0;
    Text0.clear();
    Number2 = 0;
    Source.clear();
    Destination.clear();
    Created = 0.0;
    Expire = 0.0;
    PacketType.clear();
    Data.clear();
    for (std::string* t : {&Text1, &Text2, &Text3, &Text4, &Text5, &Text6, &Text7, &Text8})
        t->clear();
}

bool CommType::Copy(CommType& target) const {
    if (&target != this) target = *this;
    return true;
}

} // namespace zeva
