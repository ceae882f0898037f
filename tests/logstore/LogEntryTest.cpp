#include <gtest/gtest.h>

#include "logstore/LogEntry.h"

namespace zeva::test {

TEST(LogEntry, BadCountedFieldsReadAsEmptyAndEndTheLine) {
    struct Case {
        const char* line;
        std::int16_t type;
        bool dateValid;
        const char* data;
    };
    const Case cases[] = {
        {"00 0005451230003abc", 0, true, "abc"},
        {"00 0005451230003abcTRAILING", 0, true, "abc"}, // extra bytes after the count are ignored
        {"01 00x5451230003abc", 1, false, ""},           // time digits do not convert
        {"01 0099451230003abc", 1, false, ""},           // time count runs past the line
        {"02 0005451230009abc", 2, true, ""},            // data count runs past the line
        {"02 00054512300-3abc", 2, true, ""},
        {"03 0005x51230003abc", 3, false, "abc"}, // time text that is not a number: no date, data read
        {"xx 0005451230003abc", -1, true, "abc"},
        {"0", -1, false, ""},
        {"", -1, false, ""},
        {"05 00", 5, false, ""},
    };
    for (const auto& c : cases) {
        const LogEntry e = LogEntry::Parse(c.line);
        EXPECT_EQ(e.type, c.type) << c.line;
        EXPECT_EQ(e.dateValid, c.dateValid) << c.line;
        EXPECT_EQ(e.data, c.data) << c.line;
    }
}

} // namespace zeva::test
