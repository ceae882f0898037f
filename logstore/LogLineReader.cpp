#include "logstore/LogLineReader.h"

#include <cstring>

namespace zeva {

void LogLineReader::Reset(std::FILE* file) {
    file_ = file;
    if (buffer_.empty()) buffer_.resize(64 * 1024);
    pos_ = len_ = 0;
}

bool LogLineReader::Fill() {
    if (!file_) return false;
    std::clearerr(file_); // lines may have been appended since the end was met
    len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    pos_ = 0;
    return len_ > 0;
}

bool LogLineReader::AtEnd() {
    return pos_ >= len_ && !Fill();
}

bool LogLineReader::Next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (pos_ >= len_ && !Fill()) break;
        any = true;
        const char* start = buffer_.data() + pos_;
        const std::size_t avail = len_ - pos_;
        const void* lf = std::memchr(start, '\n', avail);
        const std::size_t take = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : avail;
        if (line.size() < kMaxLine) line.append(start, std::min(take, kMaxLine - line.size()));
        pos_ += take;
        if (lf) {
            ++pos_;
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

} // namespace zeva
