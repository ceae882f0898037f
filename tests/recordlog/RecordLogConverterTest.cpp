#include "RecordLogFixture.h"

#include <fstream>

#include "common/Convert.h"
#include "model/RecordText.h"

namespace zeva::test {

namespace {
std::string Record(const std::vector<std::pair<int, std::string>>& fields) {
    std::string text;
    for (const auto& [n, v] : fields)
        EXPECT_TRUE(RecordText::Set(text, n, v));
    return text;
}
const std::string kNoon = "text:2023-07-16 12:00:00";
} // namespace

TEST_F(RecordLogFixture, CreateDBaseNamesByTimeAndNeverOverwrites) {
    RecordLogConverter converter(clock);
    const std::string prefix = (dir / "rlog").string();
    const std::string name = converter.RLCreateDBase(prefix);
    EXPECT_EQ(name, prefix + "13020316072023.sqlite");

    // The same second again: the existing database is left alone.
    EXPECT_EQ(converter.RLCreateDBase(prefix), "");
    EXPECT_EQ(converter.RLCreateDBase((dir / "missing" / "rlog").string()), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(RecordLogFixture, LogWithoutDefinitionsKeepsLinesButNoDataRows) {
    RecordLogConverter converter(clock);
    const std::string db =
        Convert({Line(1, "Dumping current field information ..."), Line(0, Record({{101, "3"}})),
                 Line(0, Record({{101, "4"}})), Line(1, "Calling ZVFieldClass disconnecting...")},
                converter);
    ASSERT_FALSE(db.empty());
    EXPECT_EQ(Query(db, "SELECT ID, Date, LType, Raw FROM RawRecords ORDER BY ID"),
              (Rows{"integer:2|" + kNoon + "|integer:0|text:000501013",
                    "integer:3|" + kNoon + "|integer:0|text:000501014"}));
    EXPECT_EQ(Query(db, "SELECT ID, LType, Log FROM Log ORDER BY ID"),
              (Rows{"integer:1|integer:1|text:Dumping current field information ...",
                    "integer:4|integer:1|text:Calling ZVFieldClass disconnecting..."}));
    EXPECT_TRUE(Query(db, "SELECT name FROM sqlite_master WHERE name LIKE 'Data%'").empty());
}

TEST_F(RecordLogFixture, DataTableHasTypedColumnsForStoredFieldsOnly) {
    RecordLogConverter converter(clock);
    std::vector<LogEntry> lines = {
        Definition(101, 2, "Int16"),         Definition(102, 3, "Int32"),
        Definition(103, 4, "Single"),        Definition(104, 5, "Double"),
        Definition(105, 6, "Currency"),      Definition(106, 7, "When"),
        Definition(107, 8, "Name"),          Definition(108, 11, "Flag"),
        Definition(109, 17, "Byte"),         Definition(110, 12, "Variant"),
        Definition(111, 8, "Hidden", false), Definition(112, 8, "NA\"ME'); DROP TABLE Log;--")};
    lines.push_back(Line(0, Record({{101, "12"},
                                    {102, "70000"},
                                    {103, "1.5"},
                                    {104, "2.25"},
                                    {105, "9.99"},
                                    {106, "2001-02-03 04:05:06"},
                                    {107, "MARGARET \xE9"},
                                    {108, "True"},
                                    {109, "255"},
                                    {110, "0012"},
                                    {111, "secret"},
                                    {112, "quoted"},
                                    {150, "no definition"}})));
    // Values that do not fit their type leave their cells empty; the row is kept.
    lines.push_back(
        Line(0, Record({{101, "40000"}, {102, "abc"}, {106, "31/02/2001"}, {109, "256"}, {107, ""}})));
    const std::string db = Convert(lines, converter);
    ASSERT_FALSE(db.empty());

    EXPECT_EQ(Query(db, "SELECT name, type FROM pragma_table_info('Data0000')"),
              (Rows{"text:ID|text:INTEGER", "text:Date|text:DATETIME", "text:Int16|text:SMALLINT",
                    "text:Int32|text:INTEGER", "text:Single|text:FLOAT", "text:Double|text:DOUBLE",
                    "text:When|text:DATETIME", "text:Name|text:TEXT", "text:Flag|text:BOOLEAN",
                    "text:Byte|text:TINYINT", "text:Variant|text:TEXT",
                    "text:NA\"ME'); DROP TABLE Log;--|text:TEXT"}));
    // 40000 is no 16-bit integer; an empty text stays an empty text.
    EXPECT_EQ(Query(db, "SELECT * FROM Data0000 ORDER BY ID"),
              (Rows{"integer:13|" + kNoon +
                        "|integer:12|integer:70000|real:1.5|real:2.25|text:2001-02-03 04:05:06|text:MARGARET "
                        "\xC3\xA9|integer:1|integer:255|text:0012|text:quoted",
                    "integer:14|" + kNoon + "|null|null|null|null|null|text:|null|null|null|null"}));
    // The hidden and currency values stay in RawRecords only.
    EXPECT_EQ(Query(db, "SELECT count(*) FROM RawRecords WHERE Raw LIKE '%9.99%secret%'"), Rows{"integer:1"});
}

TEST_F(RecordLogFixture, EverySectionGetsItsOwnTableAndLaterDefinitionsWin) {
    RecordLogConverter converter(clock);
    const std::string db = Convert(
        {
            Line(0, Record({{101, "before any definition"}})),
            Line(1, "Dumping current field information ..."),
            Definition(101, 8, "NAME"),
            Definition(102, 8, "NAME"), // same title: the second gets its number
            Definition(103, 8, "name"), // SQLite names ignore case
            Line(1, "Finished dump of current field information ..."),
            Line(0, Record({{101, "a"}, {102, "b"}, {103, "c"}})),
            Line(0, Record({{101, "d"}})),
            Definition(101, 8, "SURNAME"), // a retitle after records starts a new section
            Definition(104, 3, "ID"),
            Line(0, Record({{101, "e"}, {104, "7"}})),
        },
        converter);
    ASSERT_FALSE(db.empty());
    EXPECT_EQ(Query(db, "SELECT group_concat(name) FROM pragma_table_info('Data0000')"),
              Rows{"text:ID,Date,NAME,NAME_102,name_103"});
    EXPECT_EQ(Query(db, "SELECT group_concat(name) FROM pragma_table_info('Data0001')"),
              Rows{"text:ID,Date,SURNAME,NAME,name_103,ID_104"});
    EXPECT_EQ(Query(db, "SELECT ID, NAME, NAME_102, name_103 FROM Data0000 ORDER BY ID"),
              (Rows{"integer:7|text:a|text:b|text:c", "integer:8|text:d|null|null"}));
    EXPECT_EQ(Query(db, "SELECT ID, SURNAME, ID_104 FROM Data0001"), Rows{"integer:11|text:e|integer:7"});
    EXPECT_EQ(Query(db, "SELECT count(*) FROM RawRecords"), Rows{"integer:4"});
}

TEST_F(RecordLogFixture, LineCounterWrapsAfter999999) {
    RecordLogConverter converter(clock);
    converter.SetCounterStart(999998);
    LogEntry undated = Line(1, "no time");
    undated.dateValid = false;
    const std::string db =
        Convert({Line(0, "000501013"), Line(0, "000501014"), undated, Line(-1, "")}, converter);
    EXPECT_EQ(Query(db, "SELECT ID FROM RawRecords ORDER BY rowid"), (Rows{"integer:999999", "integer:0"}));
    EXPECT_EQ(Query(db, "SELECT ID, Date, LType FROM Log ORDER BY rowid"),
              (Rows{"integer:1|null|integer:1", "integer:2|" + kNoon + "|integer:-1"}));
}

TEST_F(RecordLogFixture, MalformedRecordsAndPacketsDoNotStopTheConversion) {
    RecordLogConverter converter(clock);
    const std::string db = Convert(
        {
            Line(2, "0001101\t8\t0004NAME"), // wrong check field: not a definition
            Line(2, "garbage"), Definition(101, 8, "NAME"),
            Line(0, "00050101A9999"),             // sound entry, then an entry cut short
            Line(0, std::string("\x00\xff,", 3)), // no sound entry at all
        },
        converter);
    ASSERT_FALSE(db.empty());
    EXPECT_EQ(Query(db, "SELECT NAME FROM Data0000 ORDER BY ID"), (Rows{"text:A", "null"}));
    EXPECT_EQ(Query(db, "SELECT count(*) FROM Log"), Rows{"integer:3"});
}

TEST_F(RecordLogFixture, AFailedWriteEndsTheConversionAndKeepsNoDatabase) {
    // Two definitions, then records of about the test record's size, each a RawRecords and a data row.
    std::vector<LogEntry> lines = {Definition(101, 8, "NAME"), Definition(102, 3, "COUNT")};
    for (int n = 0; n < 2500; ++n)
        lines.push_back(Line(0, Record({{101, std::string(600, 'x')}, {102, IntText(n)}})));
    const std::vector<LogEntry> few(lines.begin(), lines.begin() + 102);
    const struct {
        const char* what;
        const std::vector<LogEntry>& lines;
        rlim_t limit;
        std::string failure;
    } cases[] = {
        // Beyond SQLite's page cache the rows go to the file while the conversion runs.
        {"disk full part-way", lines, 64 * 1024, "writing line "},
        {"disk full at the commit", few, 64 * 1024, "the final commit failed"},
        {"final name taken meanwhile", few, RLIM_INFINITY, "exists already"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string prefix = "conv" + IntText(n++);
        const auto name = dir / (prefix + "13020316072023.sqlite");
        RecordLogConverter converter(clock);
        std::string db;
        {
            FileSizeLimit limit(c.limit);
            db = Convert(c.lines, converter, prefix, [&] {
                if (c.limit == RLIM_INFINITY && !std::filesystem::exists(name)) std::ofstream{name};
            });
        }
        EXPECT_EQ(db, "");
        EXPECT_NE(converter.LastError().find(c.failure), std::string::npos) << converter.LastError();
        for (const auto& f : std::filesystem::directory_iterator(dir))
            EXPECT_TRUE(!f.path().filename().string().starts_with(prefix) ||
                        (f.path() == name && std::filesystem::file_size(name) == 0))
                << f.path();
    }
    // Without the limit the same log converts whole.
    RecordLogConverter converter(clock);
    const std::string db = Convert(lines, converter);
    ASSERT_NE(db, "") << converter.LastError();
    EXPECT_EQ(Query(db, "SELECT count(*), sum(COUNT) FROM Data0000"), Rows{"integer:2500|integer:3123750"});
    EXPECT_EQ(converter.LastTotals().dataRows, 2500);
}

} // namespace zeva::test
