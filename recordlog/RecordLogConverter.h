#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "logstore/LogEntry.h"

namespace zeva {

class Clock;

// Turns a record log into an SQLite database: every line into "RawRecords" (records, type 0) or
// "Log" (everything else), and every record into a row of a data table with one typed column per
// stored field, the columns made from the field definitions (type 2 lines) met before it.
//
// Sections: definitions written after records start a new section, whose records go to the next
// data table ("Data0000", "Data0001", ...) with the columns known by then, so every record of
// every section lands in a data table. A later definition of a field number replaces the earlier
// one, also within one section: the field class logs every change of a field (its number, then its
// title, then its type) as a definition, so the last one met is the field as it was. Before any
// definition is known records stay in "RawRecords" only.
//
// Columns are named by field titles, quoted as identifiers. A title used twice (SQLite compares
// names without case), empty, or equal to "ID"/"Date" gets "_" and the field number appended.
// Values that do not convert to their column's type leave the cell NULL. Date-times are stored as
// "yyyy-mm-dd hh:mm:ss" text, Booleans as 1/0.
//
// A conversion is whole or nothing: it is built under the database's name + ".part" and renamed to
// its name only after the final commit. The first write that fails (a full disk, a file-size limit)
// ends it, the part-made file is removed and LastError() says which write failed; a database that
// carries its name holds every row LastTotals() counts.
class RecordLogConverter {
  public:
    // The next line of the log; false at its end.
    using LogSource = std::function<bool(LogEntry&)>;

    static constexpr std::int32_t kCounterModulus = 1000000;
    static constexpr const char* kExtension = ".sqlite";

    explicit RecordLogConverter(const Clock& clock) : clock_(clock) {}

    // Creates source + time "hhmmss" + date "ddmmyyyy" + ".sqlite" with the tables "RawRecords"
    // and "Log"; its name, or "" when it exists already or cannot be made (nothing is left behind).
    std::string RLCreateDBase(const std::string& source);
    // Converts every line the source gives into a new database; its name, or "" when the database
    // could not be made or a write failed (nothing is left behind; LastError() says why). A line that
    // is not a record or a definition, or a value that does not convert, only leaves its row or
    // cell out.
    std::string ConvertRLogToDBase(const std::string& source, const LogSource& log);
    // Why the last RLCreateDBase or ConvertRLogToDBase gave "": the file and the write that failed.
    const std::string& LastError() const { return error_; }
    // What kind of failure that was, for the caller to say what to do.
    enum class Failure {
        None,
        Exists, // a database of the same name (the same second) is there
        Create, // the database cannot be made where it goes (its folder is missing or cannot be written)
        Write,  // a write failed part-way (a full disk, a file-size limit)
    };
    Failure LastFailure() const { return failure_; }

    // The line counter starts after this value (0 gives the first line the ID 1).
    void SetCounterStart(std::int32_t start) { counterStart_ = start % kCounterModulus; }

    struct Totals {
        std::int64_t lines = 0, records = 0, dataRows = 0, dataTables = 0;
    };
    const Totals& LastTotals() const { return totals_; }

  private:
    std::string NameFor(const std::string& source) const;
    bool CreateTables(const std::string& path);
    bool Fill(const std::string& path, const LogSource& log);

    const Clock& clock_;
    // Keeps why and what kind the failure was.
    void Failed(Failure failure, std::string error);

    std::string error_;
    Failure failure_ = Failure::None;
    std::int32_t counterStart_ = 0;
    Totals totals_;
};

} // namespace zeva
