#include "model/FieldDatabase.h"
#include "model/RecordText.h"
#include "model/RecordTrail.h"
#include "model/ZVFieldClass.h"

#include "common/SqliteDatabase.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"
#include "tests/model/FieldLine.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/MemoryFlexGrid.h"
#include "tests/support/memory/MemoryListBox.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

namespace zeva {
namespace {

namespace fs = std::filesystem;
using test::FieldLine;

// Records every line it is given; the connect line as type -1, the disconnect as type -2. While
// *full is true it takes nothing.
class FakeLog : public RecordLogChannel {
  public:
    explicit FakeLog(std::vector<std::pair<int, std::string>>& lines, const bool* full = nullptr)
        : lines_(lines), full_(full) {}
    bool Connect(const std::string& server, const std::string& userid) override {
        return AddLog(-1, server + userid);
    }
    bool Disconnect() override { return AddLog(-2, ""); }
    bool AddLog(std::int16_t type, const std::string& text) override {
        if (full_ && *full_) return false;
        lines_.emplace_back(type, text);
        return true;
    }
    std::string Backup() override { return "backup"; }
    std::int32_t Sizeof(std::int16_t) override { return 7; }
    std::string CreateDBase(const std::string& s) override { return s; }
    std::string ConvertToDBase(const std::string& s) override { return s; }

  private:
    std::vector<std::pair<int, std::string>>& lines_;
    const bool* full_;
};

class FieldClass : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::CreateSettingsDatabase(settingsPath));
        Sql(fieldsPath, FieldDatabase::SchemaSql());
        session.Userid = "s01";
        session.AdminMode = true;
        settings = std::make_unique<SettingsDatabase>(settingsPath, session);
    }
    void Sql(const std::string& path, const std::string& script) {
        SqliteDatabase db;
        ASSERT_TRUE(db.Open(path, SqliteDatabase::Mode::Create));
        ASSERT_TRUE(db.ExecScript(script)) << db.LastError();
    }
    void AddRows(int from, int to) {
        std::ostringstream sql;
        for (int n = from; n <= to; ++n)
            sql << "INSERT INTO ZVFields VALUES (" << n << ", 'F" << n << "', 8, 'Field " << n
                << "', NULL, NULL, NULL, NULL, 1);";
        Sql(fieldsPath, sql.str());
    }
    // Start-up's sequence: open read-only, hand over, connect, close again. When logged, with a
    // record log that keeps its lines in logLines (and takes none while logFull).
    std::unique_ptr<ZVFieldClass> Start(const std::string& userid = "s01", bool logged = false) {
        auto c = std::make_unique<ZVFieldClass>(settings.get(), &messages);
        if (logged) {
            c->SetRecordLogFactory([this] { return std::make_unique<FakeLog>(logLines, &logFull); });
            c->SetupRLogging("trail");
        }
        EXPECT_TRUE(PXOpenDatabase(database, fieldsPath));
        c->SetupFDBase(&database);
        c->SetupFGrid(&grid, &list);
        c->SetFieldChangeHandler(
            [this](ZVFieldType& f, std::int16_t e) { events.emplace_back(f.Identifier, e); });
        connected = c->Connect(userid);
        PXCloseDatabase(database);
        return c;
    }
    // How many attributes are shown, when their grid columns are 0, 1, 2, ... each once; else -1.
    static int DenseColumns(ZVFieldClass& c) {
        std::set<int> columns;
        int shown = 0;
        for (std::int16_t i = 0; i < 9; ++i) {
            if (c.CMapTo(i) == -1) continue;
            ++shown;
            columns.insert(c.CMapTo(i));
        }
        return int(columns.size()) == shown && (shown == 0 || *columns.rbegin() == shown - 1) ? shown : -1;
    }
    // Grid row r as its cells joined by "|".
    std::string Row(int r) {
        std::string out;
        for (int c = 0; c < grid.Cols(); ++c)
            out += (c ? "|" : "") + grid.TextMatrix(r, c);
        return out;
    }
    test::SiteFolder site{"zeva-model"};
    const fs::path dir = site.Path();
    std::string settingsPath = site.File("ZEVARegistry.mdb"), fieldsPath = site.File("ZEVAField.mdb");
    Session session;
    std::unique_ptr<SettingsDatabase> settings;
    FieldDatabase database;
    MemoryFlexGrid grid;
    MemoryListBox list;
    RecordingMessageBox messages;
    std::vector<std::pair<int, int>> events;
    bool connected = false;
    std::vector<std::pair<int, std::string>> logLines;
    bool logFull = false;
};

TEST_F(FieldClass, ConnectLoadsSoundRowsAndSkipsBrokenOnes) {
    // A file made by hand may lack the unique index: a number given twice loads once.
    Sql(fieldsPath, "DROP INDEX Identifier;"
                    "INSERT INTO ZVFields VALUES (103, 'C', 8, 'third', NULL, NULL, NULL, NULL, 1);"
                    "INSERT INTO ZVFields VALUES (103, 'C', 8, 'third', NULL, NULL, NULL, NULL, 1);"
                    "INSERT INTO ZVFields VALUES (101, NULL, 2, NULL, NULL, NULL, NULL, NULL, 0);"
                    "INSERT INTO ZVFields VALUES (102, 'B', NULL, 'no type', NULL, NULL, NULL, NULL, 1);"
                    "INSERT INTO ZVFields VALUES (104, 'D', 'abc', 'bad type', NULL, NULL, NULL, NULL, 1);"
                    "INSERT INTO ZVFields VALUES (105, 'E', 7, 'no flag', NULL, NULL, NULL, NULL, NULL);"
                    "INSERT INTO ZVFields VALUES (40000, 'F', 8, 'too big', NULL, NULL, NULL, NULL, 1);"
                    "INSERT INTO ZVFields VALUES (-5, 'G', 8, 'negative', NULL, NULL, NULL, NULL, 1);"
                    "INSERT INTO ZVFields VALUES (106, 'Ünï', 8, 'x', 'dflt', 'fmt', '1', '2', 1);");
    auto c = Start();
    ASSERT_TRUE(connected);
    ASSERT_EQ(std::tuple(c->Connected(), c->Userid(), c->Count()), std::tuple(true, "s01", 3));
    // Null title and description read as empty: the field stays.
    EXPECT_EQ(FieldLine(c->FField(1)), "101|2|||||||False");
    EXPECT_EQ(FieldLine(c->FField("106")), "106|8|\xDCn\xEF|x|dflt|fmt|1|2|True"); // CP1252 in the program
    // Each loaded line goes on top of the list.
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"0106 \xDCn\xEF", "0103 C", "0101 "}));
    EXPECT_EQ(c->ListItemData(), (std::vector<std::int16_t>{106, 103, 101}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FieldClass, ConnectNormalisesTheIdentifierAndRefusesBadDatabases) {
    auto c = Start("X07");
    EXPECT_EQ(std::tuple(connected, c->Userid()), std::tuple(true, "x07"));
    for (const char* bad : {"s??", "m**", "sab", "s-1"}) {
        ZVFieldClass other;
        EXPECT_FALSE(other.Connect(bad)) << bad;
        EXPECT_EQ(other.Userid(), "NOTINIT");
    }
    ZVFieldClass star;
    EXPECT_TRUE(star.Connect("#5"));
    EXPECT_EQ(star.Userid(), " 05");
    FieldDatabase db;
    EXPECT_FALSE(PXOpenDatabase(db, (dir / "absent.mdb").string()));
    EXPECT_FALSE(fs::exists(dir / "absent.mdb"));
    std::ofstream((dir / "text.mdb").string()) << "this is not a database at all, just some text\n";
    EXPECT_FALSE(PXOpenDatabase(db, (dir / "text.mdb").string()));
    // A database without the table: the class shows number and description and fails.
    Sql((dir / "empty.mdb").string(), "CREATE TABLE Other (x);");
    ASSERT_TRUE(PXOpenDatabase(db, (dir / "empty.mdb").string()));
    ZVFieldClass e(settings.get(), &messages);
    e.SetupFDBase(&db);
    EXPECT_FALSE(e.Connect("s01"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.starts_with("1:") &&
                messages.shown[0].text.find("ZVFields") != std::string::npos)
        << messages.shown[0].text;
    EXPECT_FALSE(e.Connected());
}

TEST_F(FieldClass, AttributeChangesSetFFieldTheirEventsAndLookupsThatMiss) {
    AddRows(101, 101);
    auto c = Start();
    // A lookup that misses leaves Valid false until the next operation; Valid reads it once.
    EXPECT_EQ(c->FField("abc").Identifier, -1);
    EXPECT_FALSE(c->Valid());
    EXPECT_EQ(c->FField(2).Identifier, -1);
    EXPECT_FALSE(c->Valid());
    c->FTitle(101);
    EXPECT_TRUE(c->Valid());
    EXPECT_FALSE(c->Valid());
    c->SetFTitle(std::string("scratch")); // the current field
    EXPECT_EQ(c->FTitle(), "scratch");
    c->SetQMapTo(101, 1);
    c->SetFTitle(101, "f101"); // differs only in case
    EXPECT_EQ(c->FTitle(101), "F101");
    EXPECT_TRUE(events.empty());
    c->SetFTitle(101, "Surname");
    c->SetFVType(101, 7);
    c->SetFFormat(101, "dd/mm/yyyy");
    c->SetFDBase(101, false);
    c->SetFDescription(101, "Family name");
    c->SetFVType(101, 7); // unchanged: no event
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{101, 1}, {101, 5}, {101, 4}, {101, 9}}));
    EXPECT_EQ(list.Lines(), std::vector<std::string>{"0101 Surname"});
    EXPECT_EQ(Row(1), "101|Surname|Date|Family name||dd/mm/yyyy|||NO");
    EXPECT_EQ(std::tuple(grid.CellBackColor(1, 8), c->CellState(1, 8)), std::tuple(65535u, std::int16_t{1}));
    c->SetFDBase(101, true);
    EXPECT_EQ(std::tuple(grid.TextMatrix(1, 8), grid.CellBackColor(1, 8)),
              std::tuple(std::string(" "), 0xFFFFFFu));

    // SetFField adds a field through the setters, each with its event.
    events.clear();
    const ZVFieldType d{.Title = "Postcode",
                        .VType = 2,
                        .Description = "Four digits",
                        .Default = "3000",
                        .DFormat = "0000",
                        .Minsize = "200",
                        .Maxsize = "9999",
                        .DBase = false};
    c->SetFField(137, d);
    EXPECT_TRUE(c->Valid());
    EXPECT_EQ(std::tuple(c->FVType(137), c->FDBase(137)), std::tuple(2, false));
    // The copy keeps its limits and default although the field starts as a text field.
    EXPECT_EQ(FieldLine(c->FField("137")), "137|2|Postcode|Four digits|3000|0000|200|9999|False");
    EXPECT_EQ(c->FFormatField(137, "300"), "0300");
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{137, 9}, {137, 4}, {137, 5}, {137, 1}}));
    c->SetFField(70000, d);
    EXPECT_FALSE(c->Valid());
}

TEST_F(FieldClass, WriteBacksAreRefusedQuietlyByTheSharedDatabaseOnly) {
    AddRows(101, 101);
    auto c = Start();
    // Still open read-only (as between open and close at start-up): the write is attempted.
    ASSERT_TRUE(PXOpenDatabase(database, fieldsPath));
    c->SetFTitle(101, "Changed");
    c->SetFIdentifier(-1, 120);
    c->SetFIdentifier(101, -1);
    EXPECT_GE(database.WritesRefused(), 3);
    PXCloseDatabase(database);
    EXPECT_EQ(c->FField("120").Identifier, 120);
    std::vector<ZVFieldType> rows;
    FieldDatabase db;
    ASSERT_TRUE(db.Open(fieldsPath, true));
    ASSERT_TRUE(db.ReadFields(rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Title, "F101");

    // A writable database takes them.
    ZVFieldClass w;
    w.SetupFDBase(&db);
    ASSERT_TRUE(w.Connect("s01"));
    w.SetFTitle(101, "It's typed");
    w.SetFVType(101, 2);
    w.SetFMaxsize(101, FieldValue(std::int16_t{9}));
    w.SetFIdentifier(101, 140);
    w.SetFIdentifier(-1, 150);
    ASSERT_TRUE(db.ReadFields(rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(FieldLine(rows[0]), "140|2|It's typed|Field 101||||9|True");
    EXPECT_EQ(FieldLine(rows[1]), "150|8|||||||True");
    EXPECT_EQ(db.WritesRefused(), 0);
}

TEST_F(FieldClass, AddingRenumberingAndDeleting) {
    AddRows(101, 103);
    auto c = Start();
    c->SetFIdentifier(-1, 102); // already there
    EXPECT_FALSE(c->Valid());
    EXPECT_EQ(c->Count(), 3);
    c->SetFIdentifier(-1, -5);
    EXPECT_FALSE(c->Valid());
    c->SetFIdentifier(101, 102); // renumbering onto an existing number does nothing
    EXPECT_FALSE(c->Valid());
    EXPECT_EQ(c->FTitle(101), "F101");
    EXPECT_EQ(c->FTitle(102), "F102");
    c->SetQMapTo(101, 1);
    c->SetFIdentifier(101, 1234);
    EXPECT_TRUE(c->Valid());
    EXPECT_EQ(c->FTitle(1234), "F101");
    EXPECT_EQ(c->FField(3).Identifier, 1234); // back in at the end
    EXPECT_EQ(c->QMapTo(1234), 1);
    EXPECT_EQ(grid.TextMatrix(1, 0), "1234");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"1234 F101", "0103 F103", "0102 F102"}));
    c->SetQMapTo(103, 2);
    c->SetFIdentifier(1234, -1);
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{1234, 2}}));
    // The later row moved up.
    EXPECT_EQ(std::tuple(c->Count(), c->QMapTo(103), grid.Rows(), grid.TextMatrix(1, 0), list.ListCount()),
              std::tuple(2, 1, 2, "103", 2));
    c->SetFIdentifier(1234, -1);
    EXPECT_FALSE(c->Valid());
}

TEST_F(FieldClass, GridRowsInsertMoveAndStopAt200) {
    AddRows(1000, 1200);
    auto c = Start();
    c->SetQMapTo(1000, 1);
    c->SetQMapTo(1001, 1);
    c->SetQMapTo(1002, 3);
    EXPECT_EQ(c->GridOrder(), (std::vector<std::int16_t>{1001, 1000, 1002}));
    c->SetQMapTo(1003, 5); // past the end
    EXPECT_FALSE(c->Valid());
    EXPECT_EQ(c->QMapTo(1003), -1);
    EXPECT_TRUE(c->Valid());
    c->SetQMapTo(1003, 0); // the header row
    EXPECT_FALSE(c->Valid());
    c->SetQMapTo(1000, -1);
    EXPECT_EQ(c->GridOrder(), (std::vector<std::int16_t>{1001, 1002}));
    for (int n = 1000; n <= 1200; ++n)
        c->SetQMapTo(static_cast<std::int16_t>(n), 1);
    EXPECT_FALSE(c->Valid()); // the last one found the grid full
    EXPECT_EQ(std::tuple(grid.Rows(), c->GridOrder().size(), c->QMapTo(1200)), std::tuple(200, 199u, -1));
    // Every shown row holds its own field.
    for (int r = 1; r < grid.Rows(); ++r)
        EXPECT_EQ(grid.TextMatrix(r, 0), std::to_string(c->GridOrder()[static_cast<std::size_t>(r - 1)]));
}

TEST_F(FieldClass, FieldMapAndLayoutAreSavedAndComeBack) {
    AddRows(101, 102);
    Sql(fieldsPath, "INSERT INTO ZVFields VALUES (1234, 'Big', 8, '', NULL, NULL, NULL, NULL, 1);");
    {
        auto c = Start();
        c->SetQMapTo(101, 1);
        c->SetQMapTo(102, 2);
        c->SetQMapTo(1234, 3);
        c->SetCMapTo(0, -1); // attribute 0 is not enabled: ignored
        EXPECT_EQ(c->CMapTo(0), 0);
        c->SetCVisible(3, false);
        c->Setctitle(1, "Name");
        grid.SetColWidth(c->CMapTo(1), 2222);
        ASSERT_TRUE(c->Disconnect());
        EXPECT_EQ(std::tuple(c->Connected(), grid.Rows(), list.ListCount()), std::tuple(false, 1, 0));
    }
    EXPECT_EQ(settings->RegGetSetting(2, "ZEVA", "FIELDS_Window", "QMapIndex", ""), "1234:102:101:");
    auto c = Start();
    EXPECT_EQ(c->GridOrder(), (std::vector<std::int16_t>{101, 102, 1234}));
    EXPECT_EQ(std::tuple(c->ctitle(1), c->CMapTo(3), DenseColumns(*c), grid.Cols(),
                         grid.ColWidth(c->CMapTo(1)), grid.TextMatrix(0, c->CMapTo(1)),
                         grid.TextMatrix(3, c->CMapTo(1))),
              std::tuple("Name", -1, 8, 8, 2222, "Name", "Big"));

    // Unknown numbers, junk groups and the stored form of an empty value.
    settings->RegSaveSetting(3, "ZEVA", "FIELDS_Window", "QMapIndex", "102:777:xx:101:");
    c->LoadFieldMapFromReg();
    EXPECT_EQ(c->GridOrder(), (std::vector<std::int16_t>{101, 102}));
    settings->RegSaveSetting(3, "ZEVA", "FIELDS_Window", "QMapIndex", "NULL");
    c->LoadFieldMapFromReg();
    EXPECT_TRUE(c->GridOrder().empty());
}

TEST_F(FieldClass, ColumnMapStaysDense) {
    AddRows(101, 101);
    auto c = Start();
    c->SetQMapTo(101, 1);
    c->SetCVisible(3, false);
    EXPECT_EQ(std::tuple(DenseColumns(*c), c->CField(3)), std::tuple(8, 4)); // Default Value moved left
    c->SetCVisible(3, true);                                                 // shown again at the end
    EXPECT_EQ(std::tuple(c->CMapTo(3), DenseColumns(*c)), std::tuple(8, 9));
    c->SetCMapTo(3, 0); // directly after grid column 0
    EXPECT_EQ(std::tuple(c->CMapTo(3), c->CMapTo(1)), std::tuple(1, 2));
    c->SetCMapTo(5, 60);  // far past the end: placed last
    c->SetCMapTo(5, 100); // out of range: refused
    EXPECT_EQ(std::tuple(c->CMapTo(5), DenseColumns(*c)), std::tuple(8, 9));
    c->SetCEnabled(8, false);
    EXPECT_EQ(std::tuple(c->CMapTo(8), c->CEnabled(8), c->CEnabled(0), DenseColumns(*c), grid.Cols(),
                         grid.TextMatrix(1, c->CMapTo(3)), c->ctitle(9), c->CMapTo(-1)),
              std::tuple(-1, true, false, 8, 8, "Field 101", "", -1));

    // A stored layout with gaps and clashes is laid out densely.
    c->Disconnect(); // saves the layout: break it afterwards
    for (const auto& [key, to] : {std::pair{"Field MapTo2", 40}, {"Field MapTo4", 1}, {"Field MapTo7", 1}})
        settings->RegSaveSetting(3, "ZEVA", "FIELDS_Window", key, to);
    auto d = Start();
    EXPECT_EQ(DenseColumns(*d), grid.Cols());
    EXPECT_EQ(d->CMapTo(2), grid.Cols() - 1);
}

TEST_F(FieldClass, RecordTrailRollsAFullFileOverWithTheFieldDefinitions) {
    AddRows(101, 101);
    auto c = Start("s01", true);
    RecordTrail trail(*c, 9); // the fake file already holds 7 records
    ASSERT_TRUE(trail.Start());
    trail.Store("r1");
    trail.Store("r2"); // the ninth: the file is backed up, the next starts with the definitions
    trail.Store("r3");
    std::vector<std::string> seen;
    for (const auto& [type, text] : logLines)
        if (type == 0 || text.starts_with("Dumping")) seen.push_back(text);
    EXPECT_EQ(seen, (std::vector<std::string>{"Dumping current field information ...", "r1", "r2",
                                              "Dumping current field information ...", "r3"}));
}

TEST_F(FieldClass, RecordTrailThatCannotWriteSaysSoOnceCountsWhatItLostAndRunsOn) {
    AddRows(101, 101);
    auto c = Start("s01", true);
    RecordTrail trail(*c, 10000, "RecordLog");
    std::vector<std::string> notices;
    trail.onNotice = [&](const std::string& line) { notices.push_back(line); };
    ASSERT_TRUE(trail.Start());
    EXPECT_TRUE(trail.Store("r1"));
    logFull = true;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(trail.Store("lost"));
    EXPECT_EQ(notices, (std::vector<std::string>{
                           "Record log: cannot write in RecordLog - calls are not being "
                           "recorded (make room on its disk, or make the folder one the client can write; "
                           "recording goes on by itself then)"}))
        << "said once, not once a record";
    logFull = false;
    EXPECT_TRUE(trail.Store("r2"));
    EXPECT_TRUE(trail.Store("r3"));
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1], "Record log: writing again in RecordLog - 3 calls were not recorded");
    logFull = true;
    trail.Store("lost");
    logFull = false;
    trail.Store("r4");
    EXPECT_EQ(notices.back(), "Record log: writing again in RecordLog - 1 call was not recorded");
    EXPECT_EQ(trail.Lost(), 4);
    std::vector<std::string> stored;
    for (const auto& [type, text] : logLines)
        if (type == 0) stored.push_back(text);
    EXPECT_EQ(stored, (std::vector<std::string>{"r1", "r2", "r3", "r4"}));
}

TEST_F(FieldClass, SampleDatabaseFitsTheDefaultTestRecord) {
    std::ifstream in(std::string(ZEVA_SOURCE_DIR) + "/data/sample-fields.sql");
    ASSERT_TRUE(in) << "data/sample-fields.sql";
    std::stringstream sql;
    sql << in.rdbuf();
    fs::remove(fieldsPath);
    Sql(fieldsPath, sql.str());
    auto c = Start();
    ASSERT_TRUE(connected);
    ASSERT_EQ(c->Count(), 53);
    EXPECT_EQ(std::tuple(c->FField(1).Identifier, c->FField(53).Identifier), std::tuple(101, 153));
    const std::string record = RecordText::ImportPipeRecord(kDefaultTestRecord);
    for (std::int16_t n = 101; n <= 153; ++n) {
        const std::string value = RecordText::Get(record, n);
        c->FFormatField(n, value);
        EXPECT_TRUE(c->Valid() || value.empty()) << n << " '" << value << "'";
    }
}

} // namespace
} // namespace zeva
