#include "common/Convert.h"
#include "logstore/LogEntry.h"
#include "logstore/RStoreClass.h"
#include "model/RecordText.h"
#include "model/ZVFieldClass.h"
#include "model/ZVFieldType.h"
#include "recordlog/RStoreRecordLog.h"
#include "recordlog/RecordLogConverter.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/FakeClock.h"
#include "tools/rlog/RlogCommands.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace zeva::test {

// A file-size limit for this process, standing in for a full disk: a write past it fails (EFBIG)
// instead of raising SIGXFSZ, which is ignored meanwhile.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    void (*handler_)(int);
    rlimit old_{};
};

// A temporary folder per test, log lines built in memory, and a plain-SQLite reader for results.
class RecordLogFixture : public ::testing::Test {
  protected:
    static LogEntry Line(std::int16_t type, std::string data, double date = 45123.5) {
        return {.type = type, .date = date, .dateValid = true, .data = std::move(data)};
    }
    static LogEntry Definition(std::int16_t id, std::int16_t vtype, const std::string& title,
                               bool dbase = true) {
        ZVFieldType f;
        f.Identifier = id;
        f.VType = vtype;
        f.Title = title;
        f.DBase = dbase;
        std::string packet;
        EXPECT_TRUE(f.CreatePacket(packet));
        return Line(2, packet);
    }

    // Converts lines with the converter; returns the database name. atEnd runs when the lines are
    // used up.
    std::string Convert(const std::vector<LogEntry>& lines, RecordLogConverter& converter,
                        const std::string& prefix = "conv", const std::function<void()>& atEnd = {}) {
        std::size_t next = 0;
        return converter.ConvertRLogToDBase((dir / prefix).string(), [&](LogEntry& e) {
            if (next == lines.size()) {
                if (atEnd) atEnd();
                return false;
            }
            e = lines[next++];
            return true;
        });
    }

    using Rows = std::vector<std::string>;
    // Runs a query with plain SQLite; a row is its cells as "typeof:value" or "null", joined by "|".
    static Rows Query(const std::string& db, const std::string& sql) {
        Rows rows;
        sqlite3* h = nullptr;
        EXPECT_EQ(sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(h);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const int t = sqlite3_column_type(st, c);
                const char* kind = t == SQLITE_INTEGER ? "integer:" : t == SQLITE_FLOAT ? "real:" : "text:";
                // Appended piece by piece: a string put in front of a temporary one makes an
                // optimised link-time build warn of an impossible copy size.
                if (c) row += '|';
                if (t == SQLITE_NULL) {
                    row += "null";
                } else {
                    row += kind;
                    row += reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                }
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        sqlite3_close(h);
        return rows;
    }

    SiteFolder site{"zeva-recordlog"};
    const std::filesystem::path dir = site.Path();
    FakeClock clock{45123.5 + 3723.0 / 86400.0}; // 16/07/2023 13:02:03
};

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
    EXPECT_EQ(converter.RLCreateDBase(prefix), prefix + "13020316072023.sqlite");
    EXPECT_EQ(converter.RLCreateDBase(prefix), ""); // the same second: the existing database is left alone
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

TEST_F(RecordLogFixture, AFailedWriteEndsTheConversionAndKeepsNoDatabase) {
    // Records of about the test record's size: beyond SQLite's page cache the rows go to the file
    // while the conversion runs, so a full disk stops it part-way; fewer wait for the final commit.
    std::vector<LogEntry> lines = {Definition(101, 8, "NAME"), Definition(102, 3, "COUNT")};
    for (int n = 0; n < 2500; ++n)
        lines.push_back(Line(0, Record({{101, std::string(600, 'x')}, {102, IntText(n)}})));
    RecordLogConverter converter(clock);
    for (const auto& [count, why] :
         {std::pair{lines.size(), "writing line "}, {200, "the final commit failed"}}) {
        FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(Convert({lines.begin(), lines.begin() + std::ptrdiff_t(count)}, converter, "full"), "");
        EXPECT_NE(converter.LastError().find(why), std::string::npos) << converter.LastError();
    }
    // The final name taken while the conversion ran: that file is left as it was.
    const auto name = dir / "taken13020316072023.sqlite";
    EXPECT_EQ(Convert({lines[0], lines[2]}, converter, "taken", [&] { std::ofstream{name}; }), "");
    EXPECT_NE(converter.LastError().find("exists already"), std::string::npos) << converter.LastError();
    for (const auto& f : std::filesystem::directory_iterator(dir))
        EXPECT_TRUE(f.path() == name && std::filesystem::file_size(name) == 0) << f.path();
}

TEST_F(RecordLogFixture, FieldClassLogsItsRecordsAndConvertsThem) {
    ZVFieldClass fields;
    fields.SetRecordLogFactory(RStoreRecordLog::MakeFactory(clock));
    fields.SetupRLogging(dir.string()); // asked for before the connect
    ASSERT_TRUE(fields.Connect("s01"));
    fields.SetFIdentifier(-1, 101);
    fields.SetFIdentifier(-1, 102);
    fields.SetFTitle(101, "NAME");
    fields.SetFTitle(102, "COUNT");
    fields.SetFVType(102, 3);
    EXPECT_TRUE(fields.StoreRecord(Record({{101, "MARGARET"}, {102, "42"}})));
    const std::string db = fields.ConvertRLogToDBase((dir / "fields").string());
    EXPECT_EQ(Query(db, "SELECT NAME, COUNT FROM Data0000"), Rows{"text:MARGARET|integer:42"});
    EXPECT_EQ(fields.RLBackup(), "rstres01.log_16-07-2023-13-02-03.s01");
    EXPECT_EQ(fields.RLSizeof(-1), 6);
    ASSERT_TRUE(fields.Disconnect());
}

TEST_F(RecordLogFixture, ToolListsCountsAndConverts) {
    const auto log = dir / "rstres01.log";
    {
        std::ofstream out(log, std::ios::binary);
        out << RStoreClass::FormatEntry(1, 45123.5, "File : rstres01.log")
            << RStoreClass::FormatEntry(0, 45123.75, "000501013") << "garbled\x1b[2J\r\n"
            << RStoreClass::FormatEntry(2, 45123.75, "caf\xE9\tx")
            << RStoreClass::FormatEntry(1, 0, "a\x1b[2Jb");
    }
    std::ostringstream out, err;
    ASSERT_EQ(rlog::List(log.string(), std::nullopt, out, err), 0);
    EXPECT_EQ(out.str(), "01 16/07/2023 12:00:00 File : rstres01.log\n"
                         "00 16/07/2023 18:00:00 000501013\n"
                         "??                     \n"
                         "02 16/07/2023 18:00:00 caf\xC3\xA9\tx\n"
                         "01 30/12/1899 00:00:00 a\\x1B[2Jb\n");

    out.str("");
    ASSERT_EQ(rlog::Count(log.string(), out, err), 0);
    EXPECT_EQ(out.str(), "no type: 1\ntype 00: 1\ntype 01: 2\ntype 02: 1\ntotal: 5\n");

    out.str("");
    ASSERT_EQ(rlog::Convert(log.string(), (dir / "db").string(), clock, out, err), 0);
    EXPECT_EQ(out.str(), (dir / "db").string() + "13020316072023.sqlite\n");

    // The remedy follows the cause: a database of the same second, a --prefix folder that is missing.
    const std::string d = dir.string();
    const struct {
        std::string prefix, why, remedy;
    } failures[] = {
        {"db", d + "/db13020316072023.sqlite exists already",
         "a database of the same second is there: run it again in a second, or give another --prefix"},
        {"none/db",
         "cannot create " + d + "/none/db13020316072023.sqlite.part: the folder " + d +
             "/none does not exist",
         "give a --prefix in a folder that exists and can be written, and run it again"},
    };
    for (const auto& f : failures) {
        err.str("");
        EXPECT_EQ(rlog::Convert(log.string(), d + "/" + f.prefix, clock, out, err), 2);
        EXPECT_EQ(err.str(), "zeva-rlog: " + log.string() + " was not converted: " + f.why +
                                 ". No database was kept: " + f.remedy + ".\n");
    }

    EXPECT_EQ(rlog::List((dir / "none.log").string(), std::nullopt, out, err), 2);
    err.str("");
    EXPECT_EQ(rlog::Backup(dir.string(), "05", clock, out, err), 2); // no LOGS/rstre05 .log
    EXPECT_EQ(err.str(),
              "zeva-rlog: no log file " + (dir / "LOGS" / "rstre05 .log").string() +
                  ": give the station's identifier of three characters (e.g. s05) and, as the base "
                  "folder, the client's record trail folder (Setup\\RecordLogFolder, default "
                  "RecordLog)\n");
}

TEST_F(RecordLogFixture, ToolBackupStartsTheNewLogWithTheLastDefinitions) {
    {
        RStoreClass store(clock);
        ASSERT_TRUE(store.Connect(dir.string(), "s01"));
        for (const LogEntry& e : {Definition(101, 8, "NAME"), Definition(102, 3, "COUNT"),
                                  Line(0, "0006010142"), Definition(101, 8, "SURNAME")})
            ASSERT_TRUE(store.AddLog(e.type, e.data));
    }
    std::ostringstream out, err;
    ASSERT_EQ(rlog::Backup(dir.string(), "s01", clock, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), (dir / "BACKUP" / "rstres01.log_16-07-2023-13-02-03.s01").string() + "\n");
    // Not made again in the same second, nor into a backup folder that is a file; each says what to do.
    const std::string backup = (dir / "BACKUP").string();
    EXPECT_EQ(rlog::Backup(dir.string(), "s01", clock, out, err), 2);
    std::filesystem::rename(dir / "BACKUP", dir / "BACKUP.old");
    std::ofstream(dir / "BACKUP").flush();
    EXPECT_EQ(rlog::Backup(dir.string(), "s01", clock, out, err), 2);
    EXPECT_EQ(err.str(),
              "zeva-rlog: backup not made: a backup made in the same second is in " + backup +
                  ", or the log could not be moved there: run it again in a second; the log is left "
                  "in place\nzeva-rlog: backup not made: " +
                  backup +
                  " is not a folder: move it away, the backups go into that folder; the log "
                  "is left in place\n");

    // A record the client writes to the new log afterwards converts with the last titles.
    const auto log = dir / "LOGS" / "rstres01.log";
    {
        RStoreClass store(clock);
        ASSERT_TRUE(store.Connect(dir.string(), "s01"));
        ASSERT_TRUE(store.AddLog(0, Record({{101, "SMITH"}, {102, "7"}})));
    }
    ASSERT_EQ(rlog::Convert(log.string(), (dir / "new").string(), clock, out, err), 0) << err.str();
    const std::string db = (dir / "new").string() + "13020316072023.sqlite";
    EXPECT_EQ(Query(db, "SELECT SURNAME, COUNT FROM Data0000"), Rows{"text:SMITH|integer:7"});
}

} // namespace zeva::test
