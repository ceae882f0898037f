#include "logstore/RStoreClass.h"

#include <system_error>

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "platform/Clock.h"

namespace zeva {
namespace fs = std::filesystem;

namespace {

const char* const kEnabledMessage = "(#) Software Enabled Log Recording";
const char* const kDisabledMessage = "(#) Software Disabled Log Recording";

bool IsDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool EnsureDirectory(const fs::path& p) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) return true;
    fs::create_directory(p, ec);
    return !ec && fs::is_directory(p, ec);
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

// The data as stored: commas, CR and LF would split the line when it is read back.
std::string StoredText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == ',' || c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string Count4(std::size_t n) {
    return FormatValue(static_cast<double>(n), "0000");
}

} // namespace

RStoreClass::RStoreClass(const Clock& clock) : clock_(clock) {}

std::string RStoreClass::PaddedId(std::string_view identifier) {
    std::string id(identifier.substr(0, 8));
    id.resize(8, ' ');
    return id;
}

std::string RStoreClass::NamePart(std::string_view identifier) {
    std::string part = PaddedId(identifier).substr(0, 3);
    for (char& c : part) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    return part;
}

std::string RStoreClass::LogFileName(std::string_view identifier) {
    return "rstre" + NamePart(identifier) + ".log";
}

std::string RStoreClass::CheckDelimiter(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == ',') c = ' ';
    return out;
}

std::string RStoreClass::FormatEntry(std::int16_t type, double date, std::string_view text) {
    if (text.size() > kMaxData) return {};
    const std::string time = DoubleText(date);
    std::string line;
    line.reserve(16 + time.size() + text.size());
    line += FormatValue(type, "00");
    line += ' ';
    line += Count4(time.size());
    line += time;
    line += Count4(text.size());
    line += StoredText(text);
    line += "\r\n";
    return line;
}

fs::path RStoreClass::BackupFolder() const {
    return fs::path(base_) / "BACKUP";
}

bool RStoreClass::WriteLine(const std::string& line) {
    std::FILE* f = std::fopen(LogPath().string().c_str(), "ab");
    if (!f) return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

bool RStoreClass::WriteHeader() {
    const double now = clock_.Now();
    const std::string lines[] = {
        "File : " + fileName_,
        std::string("Version : ") + kVersion,
        "Created : " + FormatValue(now, "dd/mm/yyyy") + " " + FormatValue(now, "hh:mm:ss"),
        "Directory :" + logFolder_.string(),
        "",
    };
    std::string block;
    for (const auto& l : lines)
        block += FormatEntry(1, now, l.substr(0, kMaxData));
    return WriteLine(block);
}

bool RStoreClass::Connect(std::string_view baseFolder, std::string_view identifier, std::string_view) {
    if (connected_) {
        error_ = 0;
        return false;
    }
    const std::string base = !baseFolder.empty() ? std::string(baseFolder) : haveBase_ ? base_ : ".";
    if (!IsDirectory(base)) {
        error_ = 1;
        return false;
    }
    base_ = base;
    haveBase_ = true;
    logFolder_ = fs::path(base_) / "LOGS";
    if (!EnsureDirectory(logFolder_)) {
        error_ = 1;
        return false;
    }
    fileName_ = LogFileName(identifier);
    const fs::path path = LogPath();
    if (!Exists(path)) {
        if (!WriteHeader()) {
            error_ = 1;
            return false;
        }
    } else {
        std::FILE* f = std::fopen(path.string().c_str(), "a+b");
        if (!f) {
            error_ = 1;
            return false;
        }
        // A last line cut short (a crash mid-write) would swallow the next entry: end it first.
        bool ok = true;
        if (std::fseek(f, -1, SEEK_END) == 0) {
            const int last = std::fgetc(f);
            if (last != EOF && last != '\n') {
                std::fseek(f, 0, SEEK_END);
                ok = std::fputs("\r\n", f) >= 0;
            }
        }
        if (std::fclose(f) != 0 || !ok) {
            error_ = 1;
            return false;
        }
    }
    userid_ = std::string(identifier);
    connected_ = true;
    enabled_ = true;
    reader_.Close();
    entry_ = LogEntry{};
    lline_ = -1;
    return true;
}

bool RStoreClass::Disconnect() {
    reader_.Close();
    connected_ = false;
    return true;
}

bool RStoreClass::AddLog(std::int16_t type, std::string_view text) {
    if (!enabled_) return true;
    if (!connected_ || type < 0 || type > 99 || text.size() > kMaxData) return false;
    if (WriteLine(FormatEntry(type, clock_.Now(), text))) return true;
    error_ = 1;
    return false;
}

void RStoreClass::SetEnabled(bool value) {
    if (value) {
        enabled_ = true;
        AddLog(1, kEnabledMessage);
    } else {
        AddLog(1, kDisabledMessage);
        enabled_ = false;
    }
}

std::int16_t RStoreClass::Error() {
    const std::int16_t e = error_;
    error_ = 0;
    return e;
}

std::int32_t RStoreClass::Sizeof(std::int16_t type) {
    if (!connected_) return 0;
    LogFileReader counter;
    if (!counter.Open(LogPath())) {
        error_ = 1;
        return 0;
    }
    std::int32_t count = 0;
    std::int16_t lineType = -1;
    while (counter.NextType(lineType))
        if (type == -1 || lineType == type) ++count;
    return count;
}

bool RStoreClass::OpenReader() {
    if (reader_.Open(LogPath())) return true;
    error_ = 1;
    return false;
}

bool RStoreClass::FindLog(std::int32_t index) {
    if (!connected_ || index < 0) return false;
    if (!reader_.IsOpen() || reader_.NextLine() > index)
        if (!OpenReader()) return false;
    while (reader_.NextLine() < index)
        if (!reader_.Skip()) return false;
    return !reader_.AtEnd();
}

bool RStoreClass::GetLog(std::int16_t type) {
    entry_ = LogEntry{};
    lline_ = -1;
    if (!connected_) return false;
    if (!reader_.IsOpen() && !OpenReader()) return false;
    LogEntry e;
    while (true) {
        const std::int32_t number = reader_.NextLine();
        if (!reader_.Next(e)) return false;
        if (type != -1 && e.type != type) continue;
        entry_ = std::move(e);
        lline_ = number;
        return true;
    }
}

std::string RStoreClass::Backup() {
    if (!connected_) return {};
    const std::string padded = PaddedId(userid_);
    AddLog(1, "Backing up Log file (by " + padded + ") ...");
    const fs::path folder = BackupFolder();
    if (!EnsureDirectory(folder)) {
        error_ = 1;
        return {};
    }
    const std::string name =
        fileName_ + "_" + FormatValue(clock_.Now(), "dd-mm-yyyy-hh-mm-ss") + "." + NamePart(userid_);
    if (Exists(folder / name)) return {};
    reader_.Close();
    std::error_code ec;
    fs::rename(LogPath(), folder / name, ec);
    if (ec) {
        error_ = 1;
        return {};
    }
    const std::string base = base_, id = userid_;
    Disconnect();
    if (Connect(base, id)) AddLog(1, "... Continuation from recently backed up log file = " + name);
    return name;
}

std::string RStoreClass::FServer() {
    if (!haveBase_) {
        error_ = 1;
        return {};
    }
    return base_;
}

} // namespace zeva
