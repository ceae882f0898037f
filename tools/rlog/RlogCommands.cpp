#include "tools/rlog/RlogCommands.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "common/Cp1252.h"
#include "common/FormatValue.h"
#include "common/TextUtil.h"
#include "common/WholeFile.h"
#include "logstore/LogFileReader.h"
#include "logstore/RStoreClass.h"
#include "model/ZVFieldType.h"
#include "recordlog/RecordLogConverter.h"
#include "tools/ToolExit.h"

namespace zeva::rlog {
namespace fs = std::filesystem;

namespace {

// A log store file begins with its header, a message entry "File : <name>" with its time: anything
// else (a database, a text file, an empty file) is refused rather than read as garbled lines.
bool OpenLog(LogFileReader& reader, const std::string& logFile, std::ostream& err) {
    std::error_code ec;
    if (!fs::is_regular_file(logFile, ec) || !reader.Open(logFile)) {
        err << "zeva-rlog: cannot read the log file " << logFile << "\n";
        return false;
    }
    LogEntry first;
    if (!reader.Next(first) || first.type != 1 || !first.dateValid || !first.data.starts_with("File : ")) {
        err << "zeva-rlog: " << logFile << " is not a record log (it does not begin with the log header)\n";
        return false;
    }
    reader.Open(logFile);
    return true;
}

// The field definitions a log ends with: the last definition packet of each field number, in the
// order the numbers were first met, as a conversion of the log would know them.
std::vector<std::string> LastDefinitions(const fs::path& logFile) {
    std::vector<std::string> packets;
    std::unordered_map<int, std::size_t> index;
    LogFileReader reader;
    if (!reader.Open(logFile)) return packets;
    LogEntry e;
    while (reader.Next(e)) {
        ZVFieldType f;
        if (e.type != 2 || !f.ExtractPacket(e.data)) continue;
        const auto [it, added] = index.try_emplace(f.Identifier, packets.size());
        if (added)
            packets.push_back(std::move(e.data));
        else
            packets[it->second] = std::move(e.data);
    }
    return packets;
}

// What to do after a conversion failed, by what failed.
const char* ConvertRemedy(RecordLogConverter::Failure failure) {
    switch (failure) {
    case RecordLogConverter::Failure::Exists:
        return "a database of the same second is there: run it again in a second, or give another --prefix";
    case RecordLogConverter::Failure::Create:
        return "give a --prefix in a folder that exists and can be written, and run it again";
    default:
        return "make room on the disk (or choose another folder with --prefix) and run it again";
    }
}

// Why the backup into folder (base/BACKUP) was not made: the folder, or a backup of the same second.
std::string BackupProblem(const fs::path& base, const fs::path& folder) {
    std::error_code ec;
    if (!fs::exists(folder, ec)) {
        const std::string why = FolderProblem(base.string());
        return "the folder " + folder.string() + " cannot be made" + (why.empty() ? "" : ": " + why);
    }
    if (const std::string why = FolderProblem(folder.string()); !why.empty())
        return why + (fs::is_directory(folder, ec) ? ": let this user write in it"
                                                   : ": move it away, the backups go into that folder");
    return "a backup made in the same second is in " + folder.string() +
           ", or the log could not be moved there: run it again in a second";
}

} // namespace

std::string ListLine(const LogEntry& entry) {
    std::string line = entry.type >= 0 ? FormatValue(entry.type, "00") : "??";
    line += ' ';
    line += entry.dateValid
                ? FormatValue(entry.date, "dd/mm/yyyy") + " " + FormatValue(entry.date, "hh:mm:ss")
                : std::string(19, ' ');
    line += ' ';
    line += TerminalSafe(Cp1252ToUtf8(entry.data));
    return line;
}

int List(const std::string& logFile, std::optional<std::int16_t> type, std::ostream& out, std::ostream& err) {
    LogFileReader reader;
    if (!OpenLog(reader, logFile, err)) return tool::kFailed;
    LogEntry e;
    while (reader.Next(e))
        if (!type || e.type == *type) out << ListLine(e) << '\n';
    return tool::kDone;
}

int Count(const std::string& logFile, std::ostream& out, std::ostream& err) {
    LogFileReader reader;
    if (!OpenLog(reader, logFile, err)) return tool::kFailed;
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
    return tool::kDone;
}

int Backup(const std::string& baseFolder, const std::string& identifier, const Clock& clock,
           std::ostream& out, std::ostream& err) {
    const fs::path log = fs::path(baseFolder) / "LOGS" / RStoreClass::LogFileName(identifier);
    std::error_code ec;
    if (!fs::is_regular_file(log, ec)) {
        err << "zeva-rlog: no log file " << log.string()
            << ": give the station's identifier of three characters (e.g. s05) and, as the base folder, the "
               "client's record trail folder (Setup\\RecordLogFolder, default RecordLog)\n";
        return tool::kFailed;
    }
    RStoreClass store(clock);
    if (!store.Connect(baseFolder, identifier)) {
        err << "zeva-rlog: cannot open the log " << log.string() << "\n";
        return tool::kFailed;
    }
    const std::vector<std::string> definitions = LastDefinitions(log);
    const std::string name = store.Backup();
    if (name.empty()) {
        store.Disconnect();
        err << "zeva-rlog: backup not made: " << BackupProblem(baseFolder, store.BackupFolder())
            << "; the log is left in place\n";
        return tool::kFailed;
    }
    out << (store.BackupFolder() / name).string() << '\n';
    // The new log starts with the field definitions, as the client's own rollover writes them, so
    // that its records convert into data rows. The texts are the field class's.
    bool written = store.Connected() && store.AddLog(1, "Dumping current field information ...");
    for (const std::string& packet : definitions)
        written = written && store.AddLog(2, packet);
    written = written && store.AddLog(1, "Finished dump of current field information ...");
    store.Disconnect();
    if (!written) {
        err << "zeva-rlog: the backup was made, but the new log " << log.string()
            << " could not be started with the field definitions; its records convert into data rows only "
               "after the client writes them again (restart the client once the folder can be written)\n";
        return tool::kFailed;
    }
    return tool::kDone;
}

int Convert(const std::string& logFile, const std::string& prefix, const Clock& clock, std::ostream& out,
            std::ostream& err) {
    LogFileReader reader;
    if (!OpenLog(reader, logFile, err)) return tool::kFailed;
    RecordLogConverter converter(clock);
    const std::string name =
        converter.ConvertRLogToDBase(prefix, [&](LogEntry& e) { return reader.Next(e); });
    if (name.empty()) {
        err << "zeva-rlog: " << logFile << " was not converted: " << converter.LastError()
            << ". No database was kept: " << ConvertRemedy(converter.LastFailure()) << ".\n";
        return tool::kFailed;
    }
    const auto& t = converter.LastTotals();
    out << name << '\n';
    err << t.lines << " lines, " << t.records << " records, " << t.dataRows << " data rows in "
        << t.dataTables << " data tables\n";
    return tool::kDone;
}

} // namespace zeva::rlog
