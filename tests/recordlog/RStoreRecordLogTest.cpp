#include "RecordLogFixture.h"

#include <fstream>
#include <sstream>

#include "logstore/RStoreClass.h"
#include "model/RecordText.h"
#include "model/ZVFieldClass.h"
#include "recordlog/RStoreRecordLog.h"
#include "tools/rlog/RlogCommands.h"

namespace zeva::test {

TEST_F(RecordLogFixture, FieldClassLogsChangesRecordsConvertsAndBacksUp) {
    ZVFieldClass fields;
    fields.SetRecordLogFactory(RStoreRecordLog::MakeFactory(clock));
    fields.SetupRLogging(dir.string()); // asked for before the connect
    ASSERT_TRUE(fields.Connect("s01"));

    fields.SetFIdentifier(-1, 101);
    fields.SetFIdentifier(-1, 102);
    fields.SetFTitle(101, "NAME"); // each logged change is a type 2 packet
    fields.SetFTitle(102, "COUNT");
    fields.SetFVType(102, 3);
    fields.SetFDescription(101, "given name"); // description changes are logged too
    fields.RLog_NewFile();
    std::string record;
    ASSERT_TRUE(RecordText::Set(record, 101, "MARGARET"));
    ASSERT_TRUE(RecordText::Set(record, 102, "42"));
    EXPECT_TRUE(fields.StoreRecord(record));
    EXPECT_EQ(fields.RLSizeof(2), 4 + 2);

    const std::string db = fields.ConvertRLogToDBase((dir / "fields").string());
    ASSERT_EQ(db, (dir / "fields").string() + "13020316072023.sqlite");
    EXPECT_EQ(Query(db, "SELECT NAME, COUNT FROM Data0000"), Rows{"text:MARGARET|integer:42"});

    // A backup moves the log away and starts a fresh one with its continuation line.
    EXPECT_EQ(fields.RLBackup(), "rstres01.log_16-07-2023-13-02-03.s01");
    EXPECT_EQ(fields.RLSizeof(-1), 6);

    ASSERT_TRUE(fields.Disconnect());
    EXPECT_EQ(fields.RLSizeof(-1), 0); // the log is gone with the connection
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
    ASSERT_EQ(rlog::List(log.string(), std::int16_t{0}, out, err), 0);
    EXPECT_EQ(out.str(), "00 16/07/2023 18:00:00 000501013\n");

    out.str("");
    ASSERT_EQ(rlog::Count(log.string(), out, err), 0);
    EXPECT_EQ(out.str(), "no type: 1\ntype 00: 1\ntype 01: 2\ntype 02: 1\ntotal: 5\n");

    out.str("");
    ASSERT_EQ(rlog::Convert(log.string(), (dir / "db").string(), clock, out, err), 0);
    EXPECT_EQ(out.str(), (dir / "db").string() + "13020316072023.sqlite\n");

    // A conversion that cannot write every row fails, says which write failed and keeps nothing.
    {
        std::ofstream more(log, std::ios::binary | std::ios::app);
        for (int n = 0; n < 200; ++n)
            more << RStoreClass::FormatEntry(0, 45123.75, std::string(600, '7'));
    }
    err.str("");
    {
        FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(rlog::Convert(log.string(), (dir / "full").string(), clock, out, err), 2);
    }
    EXPECT_EQ(err.str(), "zeva-rlog: " + log.string() + " was not converted: " + (dir / "full").string() +
                             "13020316072023.sqlite.part: the final commit failed (disk I/O error). No "
                             "database was kept: make room on the disk (or choose another folder with "
                             "--prefix) and run it again.\n");
    for (const auto& f : std::filesystem::directory_iterator(dir))
        EXPECT_FALSE(f.path().filename().string().starts_with("full")) << f.path();
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

    // A record the client writes to the new log afterwards converts into a data row.
    const auto log = dir / "LOGS" / "rstres01.log";
    {
        RStoreClass store(clock);
        ASSERT_TRUE(store.Connect(dir.string(), "s01"));
        std::string record;
        ASSERT_TRUE(RecordText::Set(record, 101, "SMITH"));
        ASSERT_TRUE(RecordText::Set(record, 102, "7"));
        ASSERT_TRUE(store.AddLog(0, record));
    }
    ASSERT_EQ(rlog::Convert(log.string(), (dir / "new").string(), clock, out, err), 0) << err.str();
    const std::string db = (dir / "new").string() + "13020316072023.sqlite";
    EXPECT_EQ(Query(db, "SELECT SURNAME, COUNT FROM Data0000"), Rows{"text:SMITH|integer:7"});
    EXPECT_EQ(
        Query(db, "SELECT Log FROM Log WHERE LType = 1 ORDER BY ID LIMIT 3 OFFSET 5"),
        (Rows{"text:... Continuation from recently backed up log file = rstres01.log_16-07-2023-13-02-03.s01",
              "text:Dumping current field information ...",
              "text:Finished dump of current field information ..."}));
}

} // namespace zeva::test
