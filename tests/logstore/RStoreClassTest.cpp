#include "logstore/RStoreClass.h"
#include "logstore/LogEntry.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/FakeClock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace zeva::test {
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// A fresh base folder per test, removed afterwards, and a store on a fake clock.
class LogStoreFixture : public ::testing::Test {
  protected:
    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void AppendFile(const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary | std::ios::app) << bytes;
    }
    // Every entry from line `from` on, as "type:data".
    Lines ReadFrom(std::int32_t from) {
        Lines out;
        EXPECT_TRUE(store.FindLog(from));
        while (store.GetLog(-1))
            out.push_back(std::to_string(store.LType()) + ":" + store.LData());
        return out;
    }

    SiteFolder site{"zeva-logstore"};
    const std::filesystem::path base = site.Path();
    FakeClock clock{45123.25};
    RStoreClass store{clock};
};

TEST_F(LogStoreFixture, ConnectWritesTheHeaderAndRefusesWhatCannotBeReadBack) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    EXPECT_EQ(store.FileName(), "rstres01.log");
    // 45123.25 is 16/07/2023 06:00:00.
    EXPECT_EQ(ReadFrom(0),
              (Lines{"1:File : rstres01.log", "1:Version : 1.02.00", "1:Created : 16/07/2023 06:00:00",
                     "1:Directory :" + (base / "LOGS").string(), "1:"}));

    const auto before = ReadFile(store.LogPath());
    EXPECT_FALSE(store.AddLog(0, std::string(RStoreClass::kMaxData + 1, 'x')));
    EXPECT_FALSE(store.AddLog(100, "three-digit type"));
    EXPECT_FALSE(store.AddLog(-1, "negative type"));
    EXPECT_EQ(ReadFile(store.LogPath()), before);
    // A comma is stored as a blank with its count; a line break would split the entry in two.
    ASSERT_TRUE(store.AddLog(0, "a,b"));
    EXPECT_EQ(ReadFile(store.LogPath()), before + "00 000845123.250003a b\r\n");
    EXPECT_EQ(RStoreClass::CheckDelimiter("x,,y"), "x  y");
    ASSERT_TRUE(store.AddLog(0, "one\r\ntwo\nthree"));
    EXPECT_EQ(ReadFrom(5), (Lines{"0:a b", "0:one  two three"}));
}

TEST_F(LogStoreFixture, GetLogReturnsWhatAddLogWroteFromAnyLine) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    std::string binary;
    for (int c = 0; c < 256; ++c)
        if (c != ',' && c != '\r' && c != '\n') binary += static_cast<char>(c);
    const struct {
        std::int16_t type;
        double date;
        std::string text;
    } entries[] = {
        {1, 45124.0, ""},
        {99, 45124.125, binary},
        {0, 45124.25, std::string(RStoreClass::kMaxData, 'x')},
        {2, 1.0 / 3.0, "third of a day"},
    };
    for (const auto& e : entries) {
        clock.Set(e.date);
        ASSERT_TRUE(store.AddLog(e.type, e.text));
    }
    ASSERT_TRUE(store.FindLog(5));
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        ASSERT_TRUE(store.GetLog(-1)) << i;
        EXPECT_EQ(std::tuple(store.LType(), store.LData(), store.LLine()),
                  std::tuple(entries[i].type, entries[i].text, static_cast<std::int32_t>(5 + i)));
        EXPECT_NEAR(store.LDate(), entries[i].date, 1e-10);
    }
    EXPECT_FALSE(store.GetLog(-1));
    EXPECT_EQ(store.Sizeof(2), 1);

    EXPECT_EQ(ReadFrom(7), (Lines{"0:" + entries[2].text, "2:third of a day"}));
    EXPECT_EQ(ReadFrom(5).front(), "1:"); // backwards
    EXPECT_FALSE(store.FindLog(9));
    EXPECT_FALSE(store.FindLog(-1));
}

TEST_F(LogStoreFixture, ReadsPastThe16BitLineLimit) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    std::string block;
    for (int i = 0; i < 40000; ++i)
        block += RStoreClass::FormatEntry(0, 45123.5, std::to_string(i));
    AppendFile(store.LogPath(), block);
    EXPECT_EQ(store.Sizeof(0), 40000);
    int read = 0;
    for (; store.GetLog(0); ++read)
        ASSERT_EQ(store.LData(), std::to_string(read));
    EXPECT_EQ(read, 40000);
    ASSERT_TRUE(store.FindLog(40004));
    ASSERT_TRUE(store.GetLog(-1));
    EXPECT_EQ(store.LData(), "39999");
}

TEST_F(LogStoreFixture, EnabledWritesItsMessagesAroundTheChange) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    store.SetEnabled(false);
    EXPECT_TRUE(store.AddLog(0, "not written"));
    store.SetEnabled(true);
    ASSERT_TRUE(store.AddLog(0, "written"));
    EXPECT_EQ(ReadFrom(5), (Lines{"1:(#) Software Disabled Log Recording",
                                  "1:(#) Software Enabled Log Recording", "0:written"}));
}

TEST_F(LogStoreFixture, ConnectRulesErrorsAndSafeFileNames) {
    EXPECT_EQ(store.FServer(), "");
    EXPECT_EQ(store.Error(), 1);
    EXPECT_TRUE(store.AddLog(0, "disabled until connected: nothing written, as for a disabled log"));
    EXPECT_FALSE(store.GetLog(-1));
    EXPECT_FALSE(store.Connect((base / "missing").string(), "s01"));
    // LOGS taken by a plain file: the folder is unusable.
    const fs::path other = base / "other";
    fs::create_directories(other);
    AppendFile(other / "LOGS", "x");
    EXPECT_FALSE(store.Connect(other.string(), "s01"));
    EXPECT_FALSE(store.Connected());

    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    EXPECT_EQ(store.FServer(), base.string());
    EXPECT_FALSE(store.Connect(base.string(), "s01"));
    ASSERT_TRUE(store.AddLog(0, "kept"));
    ASSERT_TRUE(store.Disconnect());
    EXPECT_FALSE(store.AddLog(0, "after disconnect"));
    // Without a base folder the earlier one is used; the existing file keeps its lines.
    ASSERT_TRUE(store.Connect("", "s01"));
    EXPECT_EQ(store.Sizeof(-1), 6);

    const std::pair<const char*, const char*> names[] = {
        {"s01xyz", "rstres01.log"}, {"m**", "rstrem__.log"}, {"../", "rstre.._.log"}, {"d", "rstred  .log"}};
    for (const auto& [id, name] : names)
        EXPECT_EQ(RStoreClass::LogFileName(id), name) << id;
    EXPECT_EQ(RStoreClass::PaddedId("abcdefghij"), "abcdefgh");
}

TEST_F(LogStoreFixture, TornOrGarbledFileIsReadAsFarAsItIsSound) {
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    ASSERT_TRUE(store.Disconnect());
    AppendFile(store.LogPath(), "00 000745123.250010abc"); // cut mid-write: ended before new entries
    ASSERT_TRUE(store.Connect(base.string(), "s01"));
    ASSERT_TRUE(store.AddLog(0, "after"));
    std::string junk = "no header at all\n\n\r\n";
    junk += std::string(100000, '\x01') + "\n"; // one very long line
    junk += std::string("02 0005abcde00021,\xff\x00", 20) + "\n";
    AppendFile(store.LogPath(), junk + RStoreClass::FormatEntry(0, 45123.5, "sound"));
    EXPECT_EQ(store.Sizeof(-1), 5 + 2 + 5 + 1);
    // The torn entry's data count runs past its line: it reads as empty.
    std::vector<std::int16_t> types;
    Lines data;
    ASSERT_TRUE(store.FindLog(5));
    while (store.GetLog(-1)) {
        types.push_back(store.LType());
        data.push_back(store.LData());
    }
    EXPECT_EQ(types, (std::vector<std::int16_t>{0, 0, -1, -1, -1, -1, 2, 0}));
    EXPECT_EQ(data[0] + "|" + data[1] + "|" + data.back(), "|after|sound");
}

TEST(LogEntry, BadCountedFieldsReadAsEmptyAndEndTheLine) {
    const struct {
        const char* line;
        std::int16_t type;
        bool dateValid;
        const char* data;
    } cases[] = {
        {"00 0005451230003abcTRAILING", 0, true, "abc"}, // extra bytes after the count are ignored
        {"01 00x5451230003abc", 1, false, ""},           // time digits do not convert
        {"01 0099451230003abc", 1, false, ""},           // time count runs past the line
        {"02 0005451230005abc", 2, true, ""},            // data count runs two bytes past the line
        {"02 00054512300-3abc", 2, true, ""},
        {"03 0005x51230003abc", 3, false, "abc"}, // time text that is not a number: no date, data read
        {"xx 0005451230003abc", -1, true, "abc"},
        {"0", -1, false, ""},
    };
    for (const auto& c : cases) {
        const LogEntry e = LogEntry::Parse(c.line);
        EXPECT_EQ(std::tuple(e.type, e.dateValid, e.data), std::tuple(c.type, c.dateValid, c.data)) << c.line;
    }
}

} // namespace zeva::test
