#include "model/RecordTrail.h"

#include "model/ZVFieldClass.h"

namespace zeva {

bool RecordTrail::Start() {
    if (!fields_.RecordLogOn()) return false;
    fields_.RLog_NewFile();
    inFile_ = fields_.RLSizeof(0);
    return true;
}

void RecordTrail::Store(const std::string& recordText) {
    if (!fields_.RecordLogOn()) return;
    fields_.StoreRecord(recordText);
    // A backup that could not be made (two within one second) leaves the file and tries again at
    // the next record.
    if (++inFile_ >= perFile_ && !fields_.RLBackup().empty()) {
        fields_.RLog_NewFile();
        inFile_ = 0;
    }
}

} // namespace zeva
