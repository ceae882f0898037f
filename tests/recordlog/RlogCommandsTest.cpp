#include "RecordLogFixture.h"

#include <fstream>
#include <sstream>

#include "logstore/RStoreClass.h"
#include "tools/rlog/RlogCommands.h"

namespace zeva::test {

TEST_F(RecordLogFixture, ToolListsCountsAndConverts) {
    const auto log = dir / "rstres01.log";
    {
        std::ofstream out(log, std::ios::binary);
        out << RStoreClass::FormatEntry(1, 45123.5, "File : rstres01.log")
            << RStoreClass::FormatEntry(0, 45123.75, "000501013") << "garbled\x1b[2J\r\n"
            << RStoreClass::FormatEntry(2, 45123.75, "caf\xE9\tx");
    }
    std::ostringstream out, err;
    ASSERT_EQ(rlog::List(log.string(), std::nullopt, out, err), 0);
    EXPECT_EQ(out.str(), "01 16/07/2023 12:00:00 File : rstres01.log\n"
                         "00 16/07/2023 18:00:00 000501013\n"
                         "??                     \n"
                         "02 16/07/2023 18:00:00 caf\xC3\xA9\tx\n");
    out.str("");
    ASSERT_EQ(rlog::List(log.string(), std::int16_t{0}, out, err), 0);
    EXPECT_EQ(out.str(), "00 16/07/2023 18:00:00 000501013\n");

    LogEntry escaped;
    escaped.type = 1;
    escaped.data = "a\x1b[2Jb";
    EXPECT_EQ(rlog::ListLine(escaped), "01                     a\\x1B[2Jb");

    out.str("");
    ASSERT_EQ(rlog::Count(log.string(), out, err), 0);
    EXPECT_EQ(out.str(), "no type: 1\ntype 00: 1\ntype 01: 1\ntype 02: 1\ntotal: 4\n");

    out.str("");
    ASSERT_EQ(rlog::Convert(log.string(), (dir / "db").string(), clock, out, err), 0);
    EXPECT_EQ(out.str(), (dir / "db").string() + "13020316072023.sqlite\n");

    EXPECT_EQ(rlog::List((dir / "none.log").string(), std::nullopt, out, err), 1);
    EXPECT_EQ(rlog::Backup(dir.string(), "s01", clock, out, err), 1); // no LOGS/rstres01.log
}

} // namespace zeva::test
