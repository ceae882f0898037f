#pragma once
#include <cstdint>
#include <string>

namespace zeva {

class ZVFieldClass;

// The record trail of a station: the field class's record log kept as the shift's list of calls.
// Start writes the field definitions the records are read with; each record shown is stored; a
// file that reaches recordsPerFile records is moved aside into BACKUP (the log store's backup) and
// the new file starts with the field definitions again.
class RecordTrail {
  public:
    explicit RecordTrail(ZVFieldClass& fields, std::int32_t recordsPerFile = 10000)
        : fields_(fields), perFile_(recordsPerFile) {}

    // False when the record log is not on (a folder that cannot be written).
    bool Start();
    void Store(const std::string& recordText);

  private:
    ZVFieldClass& fields_;
    std::int32_t perFile_;
    std::int32_t inFile_ = 0;
};

} // namespace zeva
