#include "display/RecordFinder.h"
#include "display/RecordsCsv.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/MemoryFlexGrid.h"
#include "tests/support/memory/MemoryListBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zeva;

namespace {

// A Records grid as the record queue lays it out: titles in row 0, newest record in row 1.
void FillGrid(MemoryFlexGrid& grid, const std::vector<std::vector<std::string>>& rows) {
    grid.SetCols(static_cast<int>(rows.front().size()));
    grid.SetRows(static_cast<int>(rows.size()));
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid.SetTextMatrix(static_cast<int>(r), static_cast<int>(c), rows[r][c]);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(RecordFinder, MatchesAcrossCaseAndDigitGroups) {
    struct Row {
        const char* sought;
        const char* text;
        bool holds;
    } rows[] = {
        {"0311 112", "0311112222", true},
        {"0311112", "0311 112 222", true},
        {"0311  112", "x 0311112222", true},
        {"1 2", "12", true},
        {"main 1", "Main1", false}, // a space beside a letter still counts
        {"12 main", "12main", false},
        {"\xC9"
         "COLE",
         "\xE9"
         "cole",
         true}, // E acute against e acute
        {"\x8A"
         "AR",
         "\x9A"
         "ar",
         true}, // S caron against s caron
        {"m\xFC"
         "ller",
         "M\xDC"
         "LLER",
         true},
        {"0312", "0311112222", false},
        {"", "anything", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RecordFinder(r.sought).Holds(r.text), r.holds) << r.sought << " in " << r.text;
}

TEST(RecordFinder, RowsAndNextOutputLine) {
    MemoryFlexGrid grid;
    FillGrid(grid, {{"Id", "Number", "Name"},
                    {"0002", "0311112222", "Huber"},
                    {"0001", "0699 123", "number"},
                    {"0000", "04",
                     "Z\x9A"
                     "and"}});
    EXPECT_EQ(RecordFinder("number").MatchingRows(grid), std::vector<int>{2})
        << "the titles row never matches";
    EXPECT_EQ(RecordFinder("0000").MatchingRows(grid), std::vector<int>{3}) << "the first column counts";
    EXPECT_EQ(RecordFinder("Z\x8A").MatchingRows(grid), std::vector<int>{3});
    EXPECT_EQ(RecordFinder("").MatchingRows(grid), (std::vector<int>{1, 2, 3}));

    MemoryListBox output;
    for (const char* line : {"HUBER 0311112222", "street", "huber again", "end"})
        output.AddItem(line);
    const RecordFinder huber("huber");
    EXPECT_EQ(huber.NextLine(output, -1), 0);
    EXPECT_EQ(huber.NextLine(output, 0), 2);
    EXPECT_EQ(huber.NextLine(output, 2), 0) << "wraps to the top";
    EXPECT_EQ(RecordFinder("street").NextLine(output, 1), 1) << "the line itself is found last";
    EXPECT_EQ(RecordFinder("none").NextLine(output, 0), -1);
    EXPECT_EQ(huber.NextLine(MemoryListBox(), -1), -1);
}

TEST(RecordsCsv, TitlesEveryRowQuotingAndUtf8) {
    MemoryFlexGrid grid;
    FillGrid(grid, {{"Id", "Name, first", "Note"},
                    {"0001",
                     "Ren\xE9"
                     " \x8A"
                     "ubert",
                     "said \"help\""},
                    {"0000", "two\r\nlines", ""}});
    EXPECT_EQ(RecordsCsv(grid), "Id,\"Name, first\",Note\r\n"
                                "0001,Ren\xC3\xA9 \xC5\xA0ubert,\"said \"\"help\"\"\"\r\n"
                                "0000,\"two\r\nlines\",\r\n");
    MemoryFlexGrid empty;
    FillGrid(empty, {{"Id", "Name"}});
    EXPECT_EQ(RecordsCsv(empty), "Id,Name\r\n");
}

TEST(RecordsCsv, AFailedSaveLeavesNoHalfFile) {
    test::SiteFolder folder("csv");
    const std::string path = folder.File("records.csv");
    std::string error;
    ASSERT_TRUE(SaveFileWhole(path, "a,b\r\n", error)) << error;
    EXPECT_EQ(ReadAll(path), "a,b\r\n");
    ASSERT_TRUE(SaveFileWhole(path, "c\r\n", error)) << error;
    EXPECT_EQ(ReadAll(path), "c\r\n") << "saving again replaces the file";
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    // A folder in the file's place: the rename fails, the old content and no part file remain.
    const std::string blocked = folder.File("blocked.csv");
    std::filesystem::create_directories(std::filesystem::path(blocked) / "inside");
    EXPECT_FALSE(SaveFileWhole(blocked, "x", error));
    EXPECT_NE(error.find(blocked), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(blocked + ".part"));

    EXPECT_FALSE(SaveFileWhole(folder.File("no/such/folder/r.csv"), "x", error));
    EXPECT_NE(error.find("no/such/folder"), std::string::npos) << error;
}
