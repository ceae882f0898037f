#include "logstore/LogFileReader.h"

namespace zeva {

bool LogFileReader::Open(const std::filesystem::path& path) {
    Close();
    file_ = std::fopen(path.string().c_str(), "rb");
    if (!file_) return false;
    lines_.Reset(file_);
    return true;
}

void LogFileReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    lines_.Reset(nullptr);
    nextLine_ = 0;
}

bool LogFileReader::Next(LogEntry& entry) {
    if (!lines_.Next(line_)) return false;
    ++nextLine_;
    entry = LogEntry::Parse(line_);
    return true;
}

bool LogFileReader::NextType(std::int16_t& type) {
    if (!lines_.Next(line_)) return false;
    ++nextLine_;
    type = LogEntry::ParseType(line_);
    return true;
}

bool LogFileReader::Skip() {
    if (!lines_.Next(line_)) return false;
    ++nextLine_;
    return true;
}

} // namespace zeva
