#include "model/RecordTrail.h"

#include "model/ZVFieldClass.h"

namespace zeva {

std::string RecordTrail::CannotWriteLine(const std::string& folder) {
    return "Record log: cannot write in " + folder + " - calls are not being recorded";
}

bool RecordTrail::Start() {
    if (!fields_.RecordLogOn()) return false;
    fields_.RLog_NewFile();
    inFile_ = fields_.RLSizeof(0);
    return true;
}

bool RecordTrail::Store(const std::string& recordText) {
    if (!fields_.RecordLogOn()) return false;
    if (!fields_.StoreRecord(recordText)) {
        ++lost_;
        ++lostWhileFailing_;
        if (!failing_) {
            failing_ = true;
            Notice(
                CannotWriteLine(folder_) +
                " (make room on its disk, or make the folder one the client can write; recording goes on by "
                "itself then)");
        }
        return false;
    }
    if (failing_) {
        failing_ = false;
        Notice("Record log: writing again in " + folder_ + " - " + std::to_string(lostWhileFailing_) +
               (lostWhileFailing_ == 1 ? " call was" : " calls were") + " not recorded");
        lostWhileFailing_ = 0;
    }
    // A backup that could not be made (two within one second) leaves the file and tries again at
    // the next record.
    if (++inFile_ >= perFile_ && !fields_.RLBackup().empty()) {
        fields_.RLog_NewFile();
        inFile_ = 0;
    }
    return true;
}

} // namespace zeva
