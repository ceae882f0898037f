#include "DisplayFixture.h"

#include "display/RecordMenu.h"
#include "model/RecordText.h"

#include <algorithm>
#include <ranges>

namespace zeva::test {
namespace {

using RecordClass = DisplayFixture;

// The identifier in grid column 0 of every record row, top first.
std::vector<std::string> GridIds(const MemoryFlexGrid& g) {
    std::vector<std::string> ids;
    for (int r = 1; r < g.Rows(); ++r)
        ids.push_back(g.TextMatrix(r, 0));
    return ids;
}

// One grid row's cells joined by "|".
std::string GridRow(const MemoryFlexGrid& g, int row) {
    std::string s;
    for (int c = 0; c < g.Cols(); ++c)
        s += (c ? "|" : "") + g.TextMatrix(row, c);
    return s;
}

TEST_F(RecordClass, IdentifiersAreReusedAndTheOldestIsTrimmedWithItsRowAndLineOverManyRecords) {
    auto rc = Start(10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rc->NewRecord(), i);
    // The eleventh takes 10 (0..9 are in use), then 0 goes as the oldest.
    EXPECT_EQ(rc->NewRecord(), 10);
    EXPECT_EQ(std::tuple(rc->Exists(0), rc->QRecords()), std::tuple(false, 10));
    EXPECT_EQ(rc->NewRecord(), 0);
    EXPECT_EQ(rc->LastIdentifier(), 0);
    // The grid holds exactly the queued records, newest on row 1; the list matches.
    const std::vector<std::string> expected = {"0000", "0010", "0009", "0008", "0007",
                                               "0006", "0005", "0004", "0003", "0002"};
    EXPECT_EQ(GridIds(grid), expected);
    EXPECT_EQ(list.Lines(), expected);
    EXPECT_EQ(std::tuple(rc->RecordAtRow(1), rc->QMapTo(2)), std::tuple(0, 10));

    // Over many records the grid stays bounded and rows show their own records, not stale ones
    // under a reused identifier.
    rc->SetDisplayRows(3);
    for (int i = 0; i < 500; ++i)
        rc->SetRRawData(rc->NewRecord(), RecordText::ImportPipeRecord("3|" + std::to_string(i)));
    EXPECT_EQ(std::tuple(rc->QRecords(), grid.Rows(), list.ListCount()), std::tuple(3, 4, 3));
    for (int r = 1; r < grid.Rows(); ++r)
        EXPECT_EQ(grid.TextMatrix(r, 1),
                  rc->RRawData(static_cast<std::int16_t>(std::stoi(grid.TextMatrix(r, 0)))));
    EXPECT_EQ(rc->RField(rc->LastIdentifier(), 102), "499");
}

TEST_F(RecordClass, TrimDeletesAtMost300PerCall) {
    auto rc = Start(1000);
    for (int i = 0; i < 1000; ++i)
        rc->NewRecord();
    rc->SetDisplayRows(1);
    EXPECT_EQ(rc->QRecords(), 700);
    rc->NewRecord();
    EXPECT_EQ(rc->QRecords(), 401);
    rc->SetDisplayRows(0); // refused
    EXPECT_EQ(std::tuple(rc->Valid(), rc->DisplayRows()), std::tuple(false, 1));
}

TEST_F(RecordClass, DeleteRekeyAndFieldAccess) {
    auto rc = Start(10);
    const auto a = rc->NewRecord();
    const auto b = rc->NewRecord();
    rc->SetRField(a, 105, "0311112222");
    rc->SetRField(a, 101, "3");
    EXPECT_EQ(std::tuple(rc->RField(a, 105), rc->RField(a, 999), rc->RField(77, 105)),
              std::tuple("0311112222", "", ""));
    // Iteration walks the entries in stored order.
    std::int16_t id = -2;
    std::vector<std::pair<int, std::string>> seen;
    for (std::string v = rc->RFieldNext(a, id); id != -1; id = -1, v = rc->RFieldNext(a, id))
        seen.emplace_back(id, v);
    EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{{105, "0311112222"}, {101, "3"}}));

    rc->SetFIdentifier(a, b); // target in use
    EXPECT_FALSE(rc->Valid());
    rc->SetFIdentifier(a, 42);
    EXPECT_EQ(
        std::tuple(rc->Valid(), rc->RField(42, 101), rc->Exists(a), grid.TextMatrix(2, 0), list.List(1)),
        std::tuple(true, "3", false, "0042", "0042"));
    EXPECT_EQ(rc->NewRecord(), a); // the old identifier is free again

    rc->SetFIdentifier(42, -1);
    EXPECT_EQ(std::tuple(rc->Exists(42), GridIds(grid)),
              std::tuple(false, std::vector<std::string>{"0000", "0001"}));
}

TEST_F(RecordClass, RawDataRewritesTheRowWithFormattedFieldColumns) {
    auto rc = Start(10);
    ASSERT_TRUE(rc->RFieldAdd(103));
    ASSERT_TRUE(rc->RFieldAdd(105));
    EXPECT_FALSE(rc->RFieldAdd(105)); // already a column
    EXPECT_FALSE(rc->RFieldAdd(999)); // not a defined field
    rc->SetCVisible(rc->SearchRField(103), true);
    rc->SetCVisible(rc->SearchRField(105), true);
    const std::string raw = rc->ImportPipeRecord(kDefaultTestRecord);
    EXPECT_EQ(GridRow(grid, 0), "Identifier|RawData|CallDate|CLI");
    EXPECT_EQ(GridRow(grid, 1), "0000|" + raw + "|03/02/2001|0311112222");
    // A title change reaches the header; a deleted field loses its column.
    fields->SetFTitle(105, "Calling");
    rc->ZVFClass_FieldChange(fields->FField("105"), 1);
    EXPECT_EQ(GridRow(grid, 0), "Identifier|RawData|CallDate|Calling");
    ZVFieldType gone;
    gone.Identifier = 103;
    rc->ZVFClass_FieldChange(gone, 2);
    EXPECT_EQ(std::tuple(rc->SearchRField(103), GridRow(grid, 0)),
              std::tuple(-1, "Identifier|RawData|Calling"));
}

TEST_F(RecordClass, ColumnMapStaysDenseThroughShowHideMoveDeleteAndTheFiftyColumnLimit) {
    auto rc = Start(10);
    for (std::int16_t f : {101, 102, 103, 104})
        ASSERT_TRUE(rc->RFieldAdd(f));
    // Every grid column shows one column of the map.
    auto dense = [&] {
        std::vector<int> maps;
        for (std::int16_t i = 0; i < rc->NumberOfColumns(); ++i)
            if (rc->CMapTo(i) != -1) maps.push_back(rc->CMapTo(i));
        std::sort(maps.begin(), maps.end());
        return std::ranges::equal(maps, std::ranges::iota_view(0, grid.Cols()));
    };
    for (std::int16_t i = 2; i < 6; ++i)
        rc->SetCVisible(i, true);
    EXPECT_TRUE(dense());
    EXPECT_EQ(rc->CMapTo(5), 5);
    rc->SetCMapTo(5, 0); // after grid column 0
    EXPECT_EQ(std::tuple(rc->CMapTo(5), rc->CMapTo(1)), std::tuple(1, 2));
    EXPECT_TRUE(dense());
    rc->SetCVisible(3, false);
    rc->RFieldDelete(4);
    EXPECT_TRUE(dense());
    EXPECT_FALSE(rc->RFieldDelete(1)); // built-in columns stay
    rc->SetCMapTo(0, -1);              // "Identifier" is not Enabled
    EXPECT_EQ(std::tuple(rc->Valid(), rc->CMapTo(0)), std::tuple(false, 0));
    rc->SetCMapTo(2, 50); // past the 50-column grid
    EXPECT_FALSE(rc->Valid());

    for (std::int16_t f = 105; f <= 153; ++f)
        rc->RFieldAdd(f);
    for (std::int16_t i = 2; i < rc->NumberOfColumns(); ++i)
        rc->SetCVisible(i, true);
    EXPECT_EQ(std::tuple(grid.Cols(), rc->CMapTo(rc->NumberOfColumns() - 1)), std::tuple(50, -1));
    EXPECT_TRUE(dense());
}

TEST_F(RecordClass, ColumnMapAndRowOrderPersist) {
    {
        auto rc = Start(10);
        rc->RFieldAdd(105);
        rc->RFieldAdd(107);
        rc->SetCVisible(2, true);
        grid.SetColWidth(2, 2345);
        for (int i = 0; i < 3; ++i)
            rc->NewRecord();
        rc->Disconnect();
        rc->Connect("s01", fields.get()); // the queued records are listed again
        EXPECT_EQ(list.ListCount(), 3);
        rc->Disconnect();
    }
    std::vector<std::string> stored;
    for (const char* key : {"NumberofFields", "RField Id2", "Record Width2", "Record MapTo3", "QMapIndex"})
        stored.push_back(Setting("RECORD_Window", key));
    EXPECT_EQ(stored, (std::vector<std::string>{"4", "105", "2345", "-1", "000:001:002:"}));

    // Field 107 is gone from the definitions: its column is "Invalid666" and dropped at connect.
    fields->SetFIdentifier(107, -1);
    auto rc = Start(10);
    EXPECT_EQ(std::tuple(rc->NumberOfColumns(), rc->ctitle(2), grid.TextMatrix(0, 2), grid.ColWidth(2)),
              std::tuple(3, "CLI", "CLI", 2345));
}

TEST_F(RecordClass, RowOrderLoadsIdentifiersAboveThreeDigitsAndNull) {
    auto rc = Start(2000);
    for (int i = 0; i < 1300; ++i)
        rc->NewRecord();
    // Rows 1..: 1299 at the top. Keep a custom order: 5, 1205, 7 and the rest below.
    settings->RegSaveSetting(3, "ZEVA", "RECORD_Window", "QMapIndex", "007:1205:005:");
    rc->LoadFieldMapFromReg();
    // Unnamed records follow, newest first.
    EXPECT_EQ(std::tuple(rc->QMapTo(5), rc->QMapTo(1205), rc->QMapTo(7), rc->QMapTo(1299), grid.Rows(),
                         grid.TextMatrix(2, 0)),
              std::tuple(1, 2, 3, 4, 1301, "1205"));
    rc->SaveFieldMapToReg();
    EXPECT_EQ(Setting("RECORD_Window", "QMapIndex").substr(0, 8), "000:001:");
    settings->RegSaveSetting(3, "ZEVA", "RECORD_Window", "QMapIndex", "NULL");
    rc->LoadFieldMapFromReg(); // "NULL" reads as empty: the order stays
    EXPECT_EQ(rc->QMapTo(5), 1);
}

TEST_F(RecordClass, StoredLayoutWithGapsAndDuplicatesIsMadeDense) {
    const char* keys[][2] = {{"NumberofFields", "4"}, {"Record Title2", "x"}, {"RField Id2", "105"},
                             {"Record MapTo2", "7"},  {"Record Title3", "y"}, {"RField Id3", "101"},
                             {"Record MapTo3", "7"},  {"Record MapTo1", "-5"}};
    for (auto& k : keys)
        settings->RegSaveSetting(3, "ZEVA", "RECORD_Window", k[0], k[1]);
    auto rc = Start(10);
    EXPECT_EQ((std::vector<int>{rc->CMapTo(0), rc->CMapTo(1), rc->CMapTo(2), rc->CMapTo(3)}),
              (std::vector<int>{0, -1, 1, 2}));
    // Titles of field columns come from the definitions.
    EXPECT_EQ(std::tuple(grid.Cols(), rc->ctitle(2)), std::tuple(3, "CLI"));
}

TEST_F(RecordClass, MenuRulesAndCommands) {
    auto rc = Start(10);
    rc->RFieldAdd(105);
    rc->RFieldAdd(107);
    EXPECT_FALSE(RecordMenu::Opens(grid.Rows()));
    rc->NewRecord();
    EXPECT_TRUE(RecordMenu::Opens(grid.Rows()));

    // "Identifier" is not Enabled; RawData is shown and built in, and under the current column.
    const RecordMenu m = RecordMenu::Build(*rc, 1);
    EXPECT_EQ(MenuLine(m.Remove), "Identifier, RawData+*, CLI, GivenName");
    EXPECT_EQ(MenuLine(m.InsertBefore), "Identifier, RawData*, CLI+, GivenName+");
    EXPECT_EQ(MenuLine(m.Delete), "Identifier, RawData*, CLI+, GivenName+");

    RunRecordMenuCommand(*rc, RecordMenu::List::InsertAfter, 2, 0);
    EXPECT_EQ(rc->CMapTo(2), 1);
    RunRecordMenuCommand(*rc, RecordMenu::List::InsertBefore, 3, 0);
    EXPECT_EQ(std::tuple(rc->CMapTo(3), rc->CMapTo(0)), std::tuple(0, 1)) << "before column 0 is column 0";
    RunRecordMenuCommand(*rc, RecordMenu::List::Remove, 2, 0);
    EXPECT_EQ(rc->CMapTo(2), -1);
    RunRecordMenuCommand(*rc, RecordMenu::List::Delete, 2, 0);
    EXPECT_EQ(rc->SearchRField(105), -1);
    EXPECT_EQ(RecordMenu::Build(*rc, 0).Remove.size(), 3u);
}

} // namespace
} // namespace zeva::test
