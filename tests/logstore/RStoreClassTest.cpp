#include "LogStoreFixture.h"

#include <vector>

#include "common/Convert.h"

namespace zeva::test {
namespace fs = std::filesystem;

TEST_F(LogStoreFixture, ConnectCreatesFolderAndFileWithFiveLineHeader) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    EXPECT_TRUE(store.Connected());
    EXPECT_TRUE(store.Enabled());
    EXPECT_EQ(store.FileName(), "rstres01.log");
    EXPECT_TRUE(fs::is_regular_file(base / "LOGS" / "rstres01.log"));
    EXPECT_EQ(store.Sizeof(-1), 5);
    EXPECT_EQ(store.Sizeof(1), 5);
    EXPECT_EQ(store.Sizeof(0), 0);

    // 45123.25 is 16/07/2023 06:00:00.
    const std::vector<std::string> header = {"File : rstres01.log", "Version : 1.02.00",
                                             "Created : 16/07/2023 06:00:00",
                                             "Directory :" + (base / "LOGS").string(), ""};
    for (std::size_t i = 0; i < header.size(); ++i) {
        ASSERT_TRUE(store.GetLog(-1));
        EXPECT_EQ(store.LType(), 1);
        EXPECT_EQ(store.LData(), header[i]);
        EXPECT_EQ(store.LLine(), static_cast<std::int32_t>(i));
        EXPECT_DOUBLE_EQ(store.LDate(), 45123.25);
    }
    EXPECT_FALSE(store.GetLog(-1));
    EXPECT_EQ(store.LType(), -1);
    EXPECT_EQ(store.LData(), "");
}

TEST_F(LogStoreFixture, CommaIsStoredAsBlankWithItsCount) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    ASSERT_TRUE(store.AddLog(0, "a,b"));
    const std::string file = ReadFile(store.LogPath());
    const std::string expected = "00 000845123.250003a b\r\n";
    ASSERT_GE(file.size(), expected.size());
    EXPECT_EQ(file.substr(file.size() - expected.size()), expected);
    EXPECT_EQ(RStoreClass::CheckDelimiter("x,,y"), "x  y");
    EXPECT_EQ(RStoreClass::CheckDelimiter("none"), "none");
}

TEST_F(LogStoreFixture, GetLogReturnsWhatAddLogWrote) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    std::string binary;
    for (int c = 0; c < 256; ++c)
        if (c != ',' && c != '\r' && c != '\n') binary += static_cast<char>(c);
    struct Entry {
        std::int16_t type;
        double date;
        std::string text;
    };
    const std::vector<Entry> entries = {
        {0, 45123.5, "00050101300140105031111222"},
        {2, 45123.75, "0000101\t8\t0004NAME00000000000000000000000004True"},
        {1, 45124.0, ""},
        {99, 45124.125, binary},
        {0, 45124.25, std::string(RStoreClass::kMaxData, 'x')},
        {7, 1.0 / 3.0, "third of a day"},
    };
    for (const auto& e : entries) {
        clock.Set(e.date);
        ASSERT_TRUE(store.AddLog(e.type, e.text));
    }
    ASSERT_TRUE(store.FindLog(5));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ASSERT_TRUE(store.GetLog(-1)) << i;
        EXPECT_EQ(store.LType(), entries[i].type);
        EXPECT_EQ(store.LData(), entries[i].text);
        EXPECT_NEAR(store.LDate(), entries[i].date, 1e-10);
        EXPECT_EQ(store.LLine(), static_cast<std::int32_t>(5 + i));
    }
    EXPECT_FALSE(store.GetLog(-1));
    EXPECT_EQ(store.LLine(), -1);
}

TEST_F(LogStoreFixture, EntriesThatCannotBeReadBackAreRefusedOrMended) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    const auto before = ReadFile(store.LogPath());
    EXPECT_FALSE(store.AddLog(0, std::string(RStoreClass::kMaxData + 1, 'x')));
    EXPECT_FALSE(store.AddLog(100, "three-digit type"));
    EXPECT_FALSE(store.AddLog(-1, "negative type"));
    EXPECT_EQ(ReadFile(store.LogPath()), before);

    // A line break inside the data would split the entry in two.
    ASSERT_TRUE(store.AddLog(0, "one\r\ntwo\nthree"));
    EXPECT_EQ(store.Sizeof(-1), 6);
    ASSERT_TRUE(store.FindLog(5));
    ASSERT_TRUE(store.GetLog(0));
    EXPECT_EQ(store.LData(), "one  two three");
}

TEST_F(LogStoreFixture, GetLogFiltersByTypeAndFindLogMovesBothWays) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(store.AddLog(static_cast<std::int16_t>(i % 3), "e" + std::to_string(i)));
    EXPECT_EQ(store.Sizeof(0), 4);
    EXPECT_EQ(store.Sizeof(2), 3);
    EXPECT_EQ(store.Sizeof(1), 5 + 3);

    std::vector<std::string> type2;
    while (store.GetLog(2))
        type2.push_back(store.LData() + "@" + std::to_string(store.LLine()));
    EXPECT_EQ(type2, (std::vector<std::string>{"e2@7", "e5@10", "e8@13"}));

    ASSERT_TRUE(store.FindLog(12));
    ASSERT_TRUE(store.GetLog(-1));
    EXPECT_EQ(store.LData(), "e7");
    ASSERT_TRUE(store.FindLog(6)); // backwards
    ASSERT_TRUE(store.GetLog(-1));
    EXPECT_EQ(store.LData(), "e1");
    EXPECT_TRUE(store.FindLog(14));
    EXPECT_FALSE(store.FindLog(15));
    EXPECT_FALSE(store.FindLog(-1));

    // Entries appended after the reader met the end are read by the next GetLog.
    while (store.GetLog(-1)) {
    }
    ASSERT_TRUE(store.AddLog(0, "late"));
    ASSERT_TRUE(store.GetLog(0));
    EXPECT_EQ(store.LData(), "late");
    EXPECT_EQ(store.LLine(), 15);
}

TEST_F(LogStoreFixture, ReadsPastThe16BitLineLimit) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    // Write the lines in one block; AddLog per line is covered by the benchmark.
    std::string block;
    for (int i = 0; i < 40000; ++i)
        block += RStoreClass::FormatEntry(0, 45123.5, std::to_string(i));
    AppendFile(store.LogPath(), block);
    EXPECT_EQ(store.Sizeof(-1), 40005);
    EXPECT_EQ(store.Sizeof(0), 40000);

    int read = 0;
    std::int32_t last = -1;
    while (store.GetLog(0)) {
        ASSERT_EQ(store.LData(), std::to_string(read));
        last = store.LLine();
        ++read;
    }
    EXPECT_EQ(read, 40000);
    EXPECT_EQ(last, 40004);
    ASSERT_TRUE(store.FindLog(40004));
    ASSERT_TRUE(store.GetLog(-1));
    EXPECT_EQ(store.LData(), "39999");
    EXPECT_EQ(store.LLine(), 40004);
}

TEST_F(LogStoreFixture, EnabledWritesItsMessagesAroundTheChange) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    store.SetEnabled(false);
    EXPECT_FALSE(store.Enabled());
    EXPECT_TRUE(store.AddLog(0, "not written"));
    store.SetEnabled(true);
    ASSERT_TRUE(store.AddLog(0, "written"));
    std::vector<std::string> lines;
    ASSERT_TRUE(store.FindLog(5));
    while (store.GetLog(-1))
        lines.push_back(store.LData());
    EXPECT_EQ(lines, (std::vector<std::string>{"(#) Software Disabled Log Recording",
                                               "(#) Software Enabled Log Recording", "written"}));
}

TEST_F(LogStoreFixture, ConnectRulesAndErrors) {
    EXPECT_EQ(store.FServer(), "");
    EXPECT_EQ(store.Error(), 1);
    EXPECT_EQ(store.Error(), 0); // read clears it
    EXPECT_EQ(store.Sizeof(-1), 0);
    EXPECT_TRUE(store.AddLog(0, "disabled until connected: nothing written, as for a disabled log"));
    EXPECT_FALSE(store.GetLog(-1));

    EXPECT_FALSE(store.Connect((base / "missing").string(), "s01"));
    EXPECT_EQ(store.Error(), 1);
    EXPECT_FALSE(store.Connected());

    // LOGS taken by a plain file: the folder is unusable.
    const fs::path other = base / "other";
    fs::create_directories(other);
    AppendFile(other / "LOGS", "x");
    EXPECT_FALSE(store.Connect(other.string(), "s01"));
    EXPECT_EQ(store.Error(), 1);

    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    EXPECT_EQ(store.FServer(), base.string());
    EXPECT_FALSE(store.Connect(base.string(), "s01"));
    EXPECT_EQ(store.Error(), 0);
    ASSERT_TRUE(store.AddLog(0, "kept"));
    ASSERT_TRUE(store.Disconnect());
    EXPECT_FALSE(store.Connected());
    EXPECT_FALSE(store.AddLog(0, "after disconnect"));

    // Without a base folder the earlier one is used; the existing file keeps its lines.
    ASSERT_TRUE(store.Connect("", "s01"));
    EXPECT_EQ(store.Sizeof(-1), 6);
}

TEST_F(LogStoreFixture, FileNameFromIdentifierIsSafe) {
    EXPECT_EQ(RStoreClass::LogFileName("s01"), "rstres01.log");
    EXPECT_EQ(RStoreClass::LogFileName("s01xyz"), "rstres01.log");
    EXPECT_EQ(RStoreClass::LogFileName("m**"), "rstrem__.log");
    EXPECT_EQ(RStoreClass::LogFileName("../"), "rstre.._.log");
    EXPECT_EQ(RStoreClass::LogFileName("d"), "rstred  .log");
    EXPECT_EQ(RStoreClass::PaddedId("s01"), "s01     ");
    EXPECT_EQ(RStoreClass::PaddedId("abcdefghij"), "abcdefgh");
}

TEST_F(LogStoreFixture, TornLastLineIsEndedBeforeNewEntries) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    ASSERT_TRUE(store.Disconnect());
    AppendFile(store.LogPath(), "00 000745123.250010abc"); // cut mid-write
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    ASSERT_TRUE(store.AddLog(0, "after"));
    ASSERT_TRUE(store.FindLog(5));
    ASSERT_TRUE(store.GetLog(-1));
    EXPECT_EQ(store.LType(), 0);
    EXPECT_EQ(store.LData(), ""); // its count runs past the line
    ASSERT_TRUE(store.GetLog(-1));
    EXPECT_EQ(store.LData(), "after");
}

TEST_F(LogStoreFixture, GarbledFileIsReadAsFarAsItIsSound) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    std::string junk = "no header at all\n\n\r\n";
    junk += std::string(100000, '\x01'); // one very long line
    junk += "\n";
    junk += std::string("02 0005abcde00021,\xff\x00", 20) + "\n";
    AppendFile(store.LogPath(), junk);
    AppendFile(store.LogPath(), RStoreClass::FormatEntry(0, 45123.5, "sound"));
    EXPECT_EQ(store.Sizeof(-1), 5 + 5 + 1);

    std::vector<std::int16_t> types;
    std::string lastData;
    ASSERT_TRUE(store.FindLog(5));
    while (store.GetLog(-1)) {
        types.push_back(store.LType());
        lastData = store.LData();
    }
    EXPECT_EQ(types, (std::vector<std::int16_t>{-1, -1, -1, -1, 2, 0}));
    EXPECT_EQ(lastData, "sound");
}

TEST_F(LogStoreFixture, BackupMovesTheLogAndStartsAContinuation) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    ASSERT_TRUE(store.AddLog(0, "record"));
    const std::string name = store.Backup();
    // 45123.25 = 16/07/2023 06:00:00
    EXPECT_EQ(name, "rstres01.log_16-07-2023-06-00-00.s01");
    const fs::path moved = base / "BACKUP" / name;
    ASSERT_TRUE(fs::is_regular_file(moved));
    const std::string old = ReadFile(moved);
    EXPECT_NE(old.find("0006record\r\n"), std::string::npos);
    EXPECT_NE(old.find("Backing up Log file (by s01     ) ...\r\n"), std::string::npos);

    EXPECT_TRUE(store.Connected());
    EXPECT_EQ(store.Sizeof(-1), 6);
    ASSERT_TRUE(store.FindLog(5));
    ASSERT_TRUE(store.GetLog(-1));
    EXPECT_EQ(store.LData(), "... Continuation from recently backed up log file = " + name);

    // A second backup within the same second finds its name taken and leaves the log in place.
    ASSERT_TRUE(store.AddLog(0, "kept"));
    EXPECT_EQ(store.Backup(), "");
    EXPECT_TRUE(store.Connected());
    EXPECT_NE(ReadFile(store.LogPath()).find("0004kept\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(moved), old);

    clock.AdvanceSeconds(1);
    EXPECT_EQ(store.Backup(), "rstres01.log_16-07-2023-06-00-01.s01");

    RStoreClass idle(clock);
    EXPECT_EQ(idle.Backup(), "");
}

} // namespace zeva::test
