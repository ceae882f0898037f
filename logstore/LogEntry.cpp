#include "logstore/LogEntry.h"

#include "common/Convert.h"

namespace zeva {
namespace {

// Reads a counted text at pos: four digits n, then n characters. False (and nothing taken) when
// the digits are not digits or the text runs past the end of the line.
bool ReadCounted(std::string_view line, std::size_t& pos, std::string_view& out) {
    if (pos + 4 > line.size()) return false;
    std::size_t n = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = line[pos + i];
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    if (n > line.size() - pos - 4) return false;
    out = line.substr(pos + 4, n);
    pos += 4 + n;
    return true;
}

} // namespace

std::int16_t LogEntry::ParseType(std::string_view line) {
    if (line.size() < 2) return -1;
    const char a = line[0], b = line[1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return static_cast<std::int16_t>((a - '0') * 10 + (b - '0'));
}

LogEntry LogEntry::Parse(std::string_view line) {
    LogEntry e;
    e.type = ParseType(line);
    std::size_t pos = 3; // the counted time text starts at the fourth character
    std::string_view time;
    if (!ReadCounted(line, pos, time)) return e;
    if (const auto d = ToDouble(time)) {
        e.date = *d;
        e.dateValid = true;
    }
    std::string_view data;
    if (ReadCounted(line, pos, data)) e.data.assign(data);
    return e;
}

} // namespace zeva
