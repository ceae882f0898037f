#include "display/RecordFinder.h"
#include "display/RecordsCsv.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/MemoryFlexGrid.h"
#include "tests/support/memory/MemoryListBox.h"

#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace

TEST(RecordFinder, MatchesAcrossCaseAndDigitGroups) {
    const struct {
        const char* sought;
        const char* text;
        bool holds;
    } rows[] = {
        {"0311 112", "0311112222", true},
        {"0311112", "0311 112 222", true},
        {"0311  112", "x 0311112222", true},
        {"main 1", "Main1", false}, // a space beside a letter still counts
        {"12 main", "12main", false},
        {"CAF\xC9", "caf\xE9", true}, // E acute against e acute
        {"ZAR\x8A", "zar\x9A", true}, // S caron against s caron, beyond Latin-1
        {"0312", "0311112222", false},
        {"", "anything", true},
    };
    for (const auto& r : rows)
        EXPECT_EQ(RecordFinder(r.sought).Holds(r.text), r.holds) << r.sought << " in " << r.text;
}

TEST(RecordFinder, RowsAndNextOutputLine) {
    MemoryFlexGrid grid;
    FillGrid(grid,
             {{"Id", "Number", "Name"}, {"0002", "0311112222", "Huber"}, {"0001", "0699 123", "number"}});
    EXPECT_EQ(RecordFinder("number").MatchingRows(grid), std::vector<int>{2})
        << "the titles row never matches";
    EXPECT_EQ(RecordFinder("0002").MatchingRows(grid), std::vector<int>{1}) << "the first column counts";

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
                    {"0001", "Ren\xE9 \x8A", "said \"help\""},
                    {"0000", "two\r\nlines", ""}});
    EXPECT_EQ(RecordsCsv(grid), "Id,\"Name, first\",Note\r\n"
                                "0001,Ren\xC3\xA9 \xC5\xA0,\"said \"\"help\"\"\"\r\n"
                                "0000,\"two\r\nlines\",\r\n");
}

// Saving the grid: the operator's messages when the file cannot be written or put in place. The
// whole-file write itself is the common library's.
TEST(RecordsCsv, SaveNamesWhatFailedAndWhatToDo) {
    test::SiteFolder folder("csv");
    std::string error;
    const std::string blocked = folder.File("blocked.csv"); // a folder in the file's place
    std::filesystem::create_directories(std::filesystem::path(blocked) / "inside");
    EXPECT_FALSE(SaveFileWhole(blocked, "x", error));
    EXPECT_TRUE(error.starts_with("Cannot save " + blocked + ": ")) << error;
    EXPECT_TRUE(error.ends_with(". Choose another name or folder.")) << error;
    const std::string nowhere = folder.File("no/such/folder/r.csv");
    EXPECT_FALSE(SaveFileWhole(nowhere, "x", error));
    EXPECT_EQ(error, "Cannot write " + nowhere + ".part: choose a folder you may write to.");
}
