#include "SettingsFixture.h"

using namespace zeva;
using zeva::test::SettingsFixture;

using SettingsDatabaseTest = SettingsFixture;

TEST_F(SettingsDatabaseTest, AMissingKeyOrEmptyRowReadsTheDefaultAndOnlyAnAdminFillsIt) {
    for (bool admin : {false, true}) {
        EXPECT_EQ(Db(admin).GetInt("Setup\\OUTPUT", "CharactersPerPage", 138), 138);
        EXPECT_TRUE(Rows("Setup\\OUTPUT\\CharactersPerPage").empty()) << "a missing key is not created";
    }
    Row("Setup\\TCP\\Remote Port", std::nullopt);
    EXPECT_EQ(Db(false).GetInt("Setup\\TCP", "Remote Port", 6000), 6000);
    EXPECT_EQ(Rows("Setup\\TCP\\Remote Port")[0].first, "<null>") << "an operator's run writes nothing";
    EXPECT_TRUE(errors_.empty()) << "and reports no error for the write it did not try";
    EXPECT_EQ(Db(true).GetInt("Setup\\TCP", "Remote Port", 6000), 6000);
    EXPECT_EQ(Rows("Setup\\TCP\\Remote Port")[0].first, "6000");
}

TEST_F(SettingsDatabaseTest, BooleansStoreTrueFalseAndReadMinusOne) {
    Row("Setup\\TCP\\Auto Connect", "-1");
    Row("Setup\\TCP\\DisableCommSetup", "not a boolean");
    auto& db = Db(true);
    EXPECT_TRUE(db.GetBool("Setup\\TCP", "Auto Connect", false));
    EXPECT_TRUE(db.GetBool("Setup\\TCP", "DisableCommSetup", true)) << "a value that does not convert";
    EXPECT_TRUE(db.Put("Setup\\TCP", "Auto Connect", false));
    EXPECT_EQ(Rows("Setup\\TCP\\Auto Connect")[0].first, "False");
    EXPECT_TRUE(db.Put("Setup\\TCP", "New Flag", true));
    EXPECT_EQ(Rows("Setup\\TCP\\New Flag"),
              (std::vector<std::pair<std::string, std::string>>{{"True", "Automatic Insertion"}}));
    // A kind 0 default reads as True or False.
    EXPECT_EQ(db.RegGetSetting(0, "ZEVA", "S", "K", "-1"), "True");
    EXPECT_EQ(db.RegGetSetting(0, "ZEVA", "S", "K", false), "False");
    EXPECT_EQ(db.RegGetSetting(0, "ZEVA", "S", "K", "maybe"), "");
}

TEST_F(SettingsDatabaseTest, AnyTextRoundTripsAndTheFileHoldsUtf8) {
    auto& db = Db(true);
    for (const std::string text : {"O'Brien's \"hub\" ; DROP TABLE StartUp; --", "caf\xE9 \x80"}) {
        EXPECT_TRUE(db.Put("Setup", "Euro", text));
        EXPECT_EQ(db.GetText("Setup", "Euro", ""), text);
    }
    EXPECT_EQ(Rows("Setup\\Euro")[0].first, "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(SettingsDatabaseTest, KindThreeUpdatesOtherKindsInsertAndAnOperatorWritesNothing) {
    Row("Setup\\FieldDataBaseFile", "fields.mdb");
    EXPECT_FALSE(Db(false).Put("Setup", "FieldDataBaseFile", "other.mdb"));
    EXPECT_FALSE(Db(false).RegSaveSetting(1, "ZEVA", "Setup", "New", "x"));
    EXPECT_EQ(Rows("Setup\\FieldDataBaseFile")[0].first, "fields.mdb");
    EXPECT_TRUE(Rows("Setup\\New").empty());

    auto& db = Db(true);
    EXPECT_TRUE(db.RegSaveSetting(3, "ZEVA", "FIELDS_Window", "QMapIndex", 4));
    EXPECT_TRUE(db.RegSaveSetting(3, "ZEVA", "FIELDS_Window", "QMapIndex", 5));
    EXPECT_EQ(Rows("FIELDS_Window\\QMapIndex").size(), 1u);
    EXPECT_TRUE(db.RegSaveSetting(1, "ZEVA", "FIELDS_Window", "QMapIndex", 6));
    ASSERT_EQ(Rows("FIELDS_Window\\QMapIndex").size(), 2u);
    EXPECT_EQ(db.GetInt("FIELDS_Window", "QMapIndex", 0), 5) << "the first row wins a read";
    EXPECT_TRUE(db.RegSaveSetting(1, "ZEVA", "S", "Empty", ""));
    EXPECT_EQ(Rows("S\\Empty")[0].first, "NULL");
    // A key typed in by hand keeps its description when the client updates it.
    ASSERT_TRUE(db.OpenSettingsDb());
    EXPECT_EQ(db.UpdateKeyData("S\\Missing", "v"), "EMPTY");
    EXPECT_TRUE(db.InsertKey("S\\Missing", "v", "typed by hand"));
    EXPECT_EQ(db.UpdateKeyData("S\\Missing", "w"), "");
    EXPECT_FALSE(db.CloseSettingsDb());
    EXPECT_EQ(Rows("S\\Missing")[0], (std::pair<std::string, std::string>{"w", "typed by hand"}));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(SettingsDatabaseTest, AFileThatCannotBeUsedReadsDefaultsAndSaysWhy) {
    // No identifier: the defaults, without opening the file.
    Row("S\\K", "stored");
    session_.Userid = "xxx";
    EXPECT_EQ(Db(false).RegGetSetting(2, "ZEVA", "S", "K", "dflt"), "dflt");
    EXPECT_TRUE(errors_.empty());
    session_.Userid = "s05";

    std::filesystem::remove(path_);
    EXPECT_FALSE(Db(true).OpenSettingsDb());
    EXPECT_EQ(db_->GetKeyOrDefault("K", "S", "d"), "BAD");
    EXPECT_FALSE(std::filesystem::exists(path_)) << "a missing file is not created";
    std::ofstream(path_) << "Standard Jet DB - this is not an SQLite file at all, just text\n";
    EXPECT_EQ(Db(false).GetText("S", "K", "d"), "d");
    EXPECT_FALSE(db_->IsOpen());
    ASSERT_EQ(errors_.size(), 3u) << "one line for each failed open";
    for (const auto& e : errors_)
        EXPECT_EQ(e.rfind("Dbase Error[306]  ", 0), 0u) << e;

    errors_.clear();
    std::filesystem::remove(path_);
    {
        SqliteDatabase raw;
        ASSERT_TRUE(raw.Open(path_, SqliteDatabase::Mode::Create));
        ASSERT_TRUE(raw.ExecScript("CREATE TABLE Other (x)"));
    }
    EXPECT_FALSE(Db(true).OpenSettingsDb());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("StartUp"), std::string::npos);
}

TEST_F(SettingsDatabaseTest, ALockedFileReadsDefaultsWithErrorLines) {
    Row("Setup\\TCP\\Remote Port", "7000");
    SqliteDatabase holder;
    ASSERT_TRUE(holder.Open(path_, SqliteDatabase::Mode::ReadWrite));
    ASSERT_TRUE(holder.ExecScript("BEGIN EXCLUSIVE"));
    EXPECT_EQ(Db(false).GetInt("Setup\\TCP", "Remote Port", 6000), 6000);
    ASSERT_FALSE(errors_.empty());
    EXPECT_NE(errors_[0].find("locked"), std::string::npos) << errors_[0];
    ASSERT_TRUE(holder.ExecScript("ROLLBACK"));
    errors_.clear();
    EXPECT_EQ(Db(false).GetInt("Setup\\TCP", "Remote Port", 6000), 7000);
    EXPECT_TRUE(errors_.empty());
}
