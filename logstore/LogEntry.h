#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zeva {

// One line of a log store file taken apart: "tt cccc<time>cccc<data>" where cccc are four-digit
// counts. The parse never fails: a part that does not read (its count is not four digits, or runs
// past the end of the line) is empty, and every later part is empty too.
struct LogEntry {
    std::int16_t type = -1; // -1 when the first two characters are not a type
    double date = 0.0;
    bool dateValid = false;
    std::string data;

    static LogEntry Parse(std::string_view line);
    // Only the type, for counting lines without copying their data.
    static std::int16_t ParseType(std::string_view line);
};

} // namespace zeva
