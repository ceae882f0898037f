#pragma once
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "logstore/LogEntry.h"

namespace zeva {
class Clock;
}

// The commands of zeva-rlog, kept free of Qt so tests run them directly. Each returns the process
// exit status (tools/ToolExit.h: 0 done, 2 failed; a file that is not a record log fails) and writes UTF-8 to
// out, problems to err.
namespace zeva::rlog {

// "tt dd/mm/yyyy hh:mm:ss text": "??" for a line without a type, blanks for a missing time; the
// text converted from CP1252 with control characters other than TAB shown as \xNN.
std::string ListLine(const LogEntry& entry);

int List(const std::string& logFile, std::optional<std::int16_t> type, std::ostream& out, std::ostream& err);
int Count(const std::string& logFile, std::ostream& out, std::ostream& err);
// Backs up the log of identifier under baseFolder/LOGS into baseFolder/BACKUP.
int Backup(const std::string& baseFolder, const std::string& identifier, const Clock& clock,
           std::ostream& out, std::ostream& err);
// Converts the log file into prefix + "hhmmss" + "ddmmyyyy" + ".sqlite" and prints that name.
int Convert(const std::string& logFile, const std::string& prefix, const Clock& clock, std::ostream& out,
            std::ostream& err);

} // namespace zeva::rlog
