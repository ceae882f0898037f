#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "logstore/LogEntry.h"
#include "logstore/LogLineReader.h"

namespace zeva {

// Reads the entries of a log store file in order, read-only, from any path: the store's own
// reader and the administrators' tool use it. Lines are numbered from 0 (the first header line).
class LogFileReader {
  public:
    LogFileReader() = default;
    ~LogFileReader() { Close(); }
    LogFileReader(const LogFileReader&) = delete;
    LogFileReader& operator=(const LogFileReader&) = delete;

    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // The next line taken apart; false at the end of the file.
    bool Next(LogEntry& entry);
    // The next line's type only (-1 when it has none); false at the end.
    bool NextType(std::int16_t& type);
    bool Skip();
    bool AtEnd() { return lines_.AtEnd(); }
    // Number of the line the next call reads.
    std::int32_t NextLine() const { return nextLine_; }

  private:
    std::FILE* file_ = nullptr;
    LogLineReader lines_;
    std::string line_;
    std::int32_t nextLine_ = 0;
};

} // namespace zeva
