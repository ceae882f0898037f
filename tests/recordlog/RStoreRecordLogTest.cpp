#include "RecordLogFixture.h"

#include "logstore/LogFileReader.h"
#include "model/RecordText.h"
#include "model/ZVFieldClass.h"
#include "recordlog/RStoreRecordLog.h"

namespace zeva::test {

// The field class writes its log into "./LOGS": run it in the test's own folder.
class FieldClassLogTest : public RecordLogFixture {
  protected:
    void SetUp() override {
        RecordLogFixture::SetUp();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        RecordLogFixture::TearDown();
    }
    std::vector<LogEntry> ReadLog() {
        LogFileReader reader;
        EXPECT_TRUE(reader.Open(dir / "LOGS" / "rstres01.log"));
        std::vector<LogEntry> out;
        LogEntry e;
        while (reader.Next(e))
            out.push_back(e);
        return out;
    }
    std::filesystem::path previous;
};

TEST_F(FieldClassLogTest, FieldClassLogsChangesRecordsAndConvertsThem) {
    ZVFieldClass fields;
    fields.SetRecordLogFactory(RStoreRecordLog::MakeFactory(clock));
    EXPECT_FALSE(fields.SetupRLogging());
    ASSERT_TRUE(fields.Connect("s01"));
    EXPECT_EQ(fields.RLSizeof(-1), 5);

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
    EXPECT_EQ(fields.RLSizeof(0), 1);
    EXPECT_EQ(fields.RLSizeof(2), 4 + 2);

    const std::string db = fields.ConvertRLogToDBase((dir / "fields").string());
    ASSERT_EQ(db, (dir / "fields").string() + "13020316072023.sqlite");
    const auto rows = Query(db, "SELECT NAME, COUNT FROM Data0000");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Cell(rows, 0, 0), "text:MARGARET");
    EXPECT_EQ(Cell(rows, 0, 1), "integer:42");

    ASSERT_TRUE(fields.Disconnect());
    const auto lines = ReadLog();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().type, 1);
    EXPECT_EQ(lines.back().data, "Calling ZVFieldClass disconnecting...");
    EXPECT_EQ(fields.RLSizeof(-1), 0); // the log is gone with the connection
}

TEST_F(FieldClassLogTest, BackupThroughTheFieldClassStartsAFreshLog) {
    ZVFieldClass fields;
    fields.SetRecordLogFactory(RStoreRecordLog::MakeFactory(clock));
    fields.SetupRLogging();
    ASSERT_TRUE(fields.Connect("s01"));
    ASSERT_TRUE(fields.StoreRecord("000501013"));
    const std::string name = fields.RLBackup();
    EXPECT_EQ(name, "rstres01.log_16-07-2023-13-02-03.s01");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "BACKUP" / name));
    EXPECT_EQ(fields.RLSizeof(0), 0);
    EXPECT_EQ(fields.RLSizeof(-1), 6);
    EXPECT_EQ(fields.RLBackup(), ""); // same second
    fields.Disconnect();
}

TEST_F(FieldClassLogTest, WithoutSetupTheLogStaysOff) {
    ZVFieldClass fields;
    fields.SetRecordLogFactory(RStoreRecordLog::MakeFactory(clock));
    ASSERT_TRUE(fields.Connect("s01"));
    EXPECT_FALSE(fields.StoreRecord("000501013"));
    EXPECT_EQ(fields.RLSizeof(-1), 0);
    EXPECT_EQ(fields.ConvertRLogToDBase("x"), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "LOGS"));
    fields.Disconnect();
}

} // namespace zeva::test
