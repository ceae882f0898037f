#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace zeva {

class ZVFieldClass;

// The record trail of a station: the field class's record log kept as the shift's list of calls.
// Start writes the field definitions the records are read with; each record shown is stored; a
// file that reaches recordsPerFile records is moved aside into BACKUP (the log store's backup) and
// the new file starts with the field definitions again.
//
// A store that fails (the disk full) does not stop the station: the trail says so once through
// onNotice, counts the records it could not keep, and says so again, with the count, when a record
// is stored again.
class RecordTrail {
  public:
    explicit RecordTrail(ZVFieldClass& fields, std::int32_t recordsPerFile = 10000, std::string folder = {})
        : fields_(fields), perFile_(recordsPerFile), folder_(std::move(folder)) {}

    // A line for the operator (the Output window and the comms console).
    std::function<void(const std::string& line)> onNotice;

    // False when the record log is not on (a folder that cannot be written).
    bool Start();
    // False when the record could not be kept.
    bool Store(const std::string& recordText);

    // Records that could not be kept since Start.
    std::int64_t Lost() const { return lost_; }
    bool Failing() const { return failing_; }

    // The line for a trail that cannot write in folder.
    static std::string CannotWriteLine(const std::string& folder);

  private:
    void Notice(const std::string& line) {
        if (onNotice) onNotice(line);
    }

    ZVFieldClass& fields_;
    std::int32_t perFile_;
    std::string folder_;
    std::int32_t inFile_ = 0;
    bool failing_ = false;
    std::int64_t lost_ = 0;
    std::int64_t lostWhileFailing_ = 0;
};

} // namespace zeva
