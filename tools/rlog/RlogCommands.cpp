#include "tools/rlog/RlogCommands.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "common/Cp1252.h"
#include "common/FormatValue.h"
#include "logstore/LogFileReader.h"
#include "logstore/RStoreClass.h"
#include "recordlog/RecordLogConverter.h"

namespace zeva::rlog {
namespace fs = std::filesystem;

namespace {

bool OpenLog(LogFileReader& reader, const std::string& logFile, std::ostream& err) {
    std::error_code ec;
    if (!fs::is_regular_file(logFile, ec) || !reader.Open(logFile)) {
        err << "zeva-rlog: cannot read the log file " << logFile << "\n";
        return false;
    }
    return true;
}

} // namespace

std::string ListLine(const LogEntry& entry) {
    std::string line = entry.type >= 0 ? FormatValue(entry.type, "00") : "??";
    line += ' ';
    line += entry.dateValid
                ? FormatValue(entry.date, "dd/mm/yyyy") + " " + FormatValue(entry.date, "hh:mm:ss")
                : std::string(19, ' ');
    line += ' ';
    for (char c : Cp1252ToUtf8(entry.data)) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            line += hex;
        } else {
            line += c;
        }
    }
    return line;
}

int List(const std::string& logFile, std::optional<std::int16_t> type, std::ostream& out, std::ostream& err) {
    LogFileReader reader;
    if (!OpenLog(reader, logFile, err)) return 1;
    LogEntry e;
    while (reader.Next(e))
        if (!type || e.type == *type) out << ListLine(e) << '\n';
    return 0;
}

int Count(const std::string& logFile, std::ostream& out, std::ostream& err) {
    LogFileReader reader;
    if (!OpenLog(reader, logFile, err)) return 1;
    std::map<std::int16_t, std::int64_t> counts;
    std::int64_t total = 0;
    std::int16_t type = -1;
    while (reader.NextType(type)) {
        ++counts[type];
        ++total;
    }
    for (const auto& [t, n] : counts)
        out << (t >= 0 ? "type " + FormatValue(t, "00") : std::string("no type")) << ": " << n << '\n';
    out << "total: " << total << '\n';
    return 0;
}

int Backup(const std::string& baseFolder, const std::string& identifier, const Clock& clock,
           std::ostream& out, std::ostream& err) {
    const fs::path log = fs::path(baseFolder) / "LOGS" / RStoreClass::LogFileName(identifier);
    std::error_code ec;
    if (!fs::is_regular_file(log, ec)) {
        err << "zeva-rlog: no log file " << log.string() << "\n";
        return 1;
    }
    RStoreClass store(clock);
    if (!store.Connect(baseFolder, identifier)) {
        err << "zeva-rlog: cannot open the log " << log.string() << "\n";
        return 1;
    }
    const std::string name = store.Backup();
    store.Disconnect();
    if (name.empty()) {
        err << "zeva-rlog: backup not made (the backup folder is unusable, or a backup of the same "
               "second exists); the log is left in place\n";
        return 1;
    }
    out << (store.BackupFolder() / name).string() << '\n';
    return 0;
}

int Convert(const std::string& logFile, const std::string& prefix, const Clock& clock, std::ostream& out,
            std::ostream& err) {
    LogFileReader reader;
    if (!OpenLog(reader, logFile, err)) return 1;
    RecordLogConverter converter(clock);
    const std::string name =
        converter.ConvertRLogToDBase(prefix, [&](LogEntry& e) { return reader.Next(e); });
    if (name.empty()) {
        err << "zeva-rlog: cannot create the database " << prefix << "hhmmssddmmyyyy"
            << RecordLogConverter::kExtension << "\n";
        return 1;
    }
    const auto& t = converter.LastTotals();
    out << name << '\n';
    err << t.lines << " lines, " << t.records << " records, " << t.dataRows << " data rows in "
        << t.dataTables << " data tables";
    if (t.failedRows) err << ", " << t.failedRows << " rows not stored";
    err << "\n";
    return 0;
}

} // namespace zeva::rlog
