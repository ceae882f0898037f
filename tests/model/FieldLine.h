#pragma once
#include "common/Convert.h"
#include "model/ZVFieldType.h"

#include <string>

namespace zeva::test {

// What a field definition holds, as one line a failure shows whole:
// Identifier|VType|Title|Description|Default|Format|Minsize|Maxsize|DBase.
inline std::string FieldLine(const ZVFieldType& f) {
    return std::to_string(f.Identifier) + "|" + std::to_string(f.VType) + "|" + f.Title + "|" +
           f.Description + "|" + f.Default + "|" + f.DFormat + "|" + f.Minsize + "|" + f.Maxsize + "|" +
           BoolText(f.DBase);
}

} // namespace zeva::test
