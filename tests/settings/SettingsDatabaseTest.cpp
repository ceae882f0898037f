#include "SettingsFixture.h"

#include <chrono>

using namespace zeva;
using zeva::test::SettingsFixture;

using SettingsDatabaseTest = SettingsFixture;

TEST_F(SettingsDatabaseTest, MissingKeyReadsDefaultAndIsNotCreated) {
    for (bool admin : {false, true}) {
        auto& db = Db(admin);
        EXPECT_EQ(db.RegGetSetting(1, "ZEVA", "Setup\\OUTPUT", "CharactersPerPage", 138), "138");
        EXPECT_EQ(db.GetInt("Setup\\OUTPUT", "CharactersPerPage", 138), 138);
        EXPECT_TRUE(Rows("Setup\\OUTPUT\\CharactersPerPage").empty());
    }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(SettingsDatabaseTest, EmptyRowReadsDefaultAndIsFilledOnlyWhenWritable) {
    Row("Setup\\TCP\\Remote Port", std::nullopt);
    EXPECT_EQ(Db(false).GetInt("Setup\\TCP", "Remote Port", 6000), 6000);
    EXPECT_EQ(Rows("Setup\\TCP\\Remote Port")[0].first, "<null>") << "an operator's run writes nothing";
    EXPECT_TRUE(errors_.empty()) << "and reports no error for the write it did not try";
    EXPECT_EQ(Db(true).GetInt("Setup\\TCP", "Remote Port", 6000), 6000);
    EXPECT_EQ(Rows("Setup\\TCP\\Remote Port")[0].first, "6000");
}

TEST_F(SettingsDatabaseTest, BooleansStoreTrueFalseAndReadMinusOne) {
    Row("Setup\\TCP\\Auto Connect", "-1");
    Row("Setup\\TCP\\Auto Show CommClass", "0");
    Row("Setup\\TCP\\DisableCommSetup", "not a boolean");
    auto& db = Db(true);
    EXPECT_TRUE(db.GetBool("Setup\\TCP", "Auto Connect", false));
    EXPECT_FALSE(db.GetBool("Setup\\TCP", "Auto Show CommClass", true));
    EXPECT_TRUE(db.GetBool("Setup\\TCP", "DisableCommSetup", true)) << "a value that does not convert";
    EXPECT_TRUE(db.Put("Setup\\TCP", "Auto Connect", false));
    EXPECT_EQ(Rows("Setup\\TCP\\Auto Connect")[0].first, "False");
    EXPECT_TRUE(db.Put("Setup\\TCP", "New Flag", true));
    EXPECT_EQ(Rows("Setup\\TCP\\New Flag"),
              (std::vector<std::pair<std::string, std::string>>{{"True", "Automatic Insertion"}}));
}

TEST_F(SettingsDatabaseTest, BooleanDefaultsFollowTheKindZeroRule) {
    auto& db = Db(false);
    EXPECT_EQ(db.RegGetSetting(0, "ZEVA", "S", "K", "-1"), "True");
    EXPECT_EQ(db.RegGetSetting(0, "ZEVA", "S", "K", false), "False");
    EXPECT_EQ(db.RegGetSetting(0, "ZEVA", "S", "K", "maybe"), "");
    EXPECT_EQ(db.RegGetSetting(2, "ZEVA", "S", "K", 2.5), "2.5");
}

TEST_F(SettingsDatabaseTest, ApostrophesAndAnyTextRoundTrip) {
    auto& db = Db(true);
    const std::string text = "O'Brien's \"hub\" ; DROP TABLE StartUp; --";
    EXPECT_TRUE(db.Put("Setup", "X25TestData", text));
    EXPECT_EQ(db.GetText("Setup", "X25TestData", ""), text);
    const std::string cp1252 = "caf\xE9 \x80";
    EXPECT_TRUE(db.Put("Setup", "Euro", cp1252));
    EXPECT_EQ(db.GetText("Setup", "Euro", ""), cp1252);
    EXPECT_EQ(Rows("Setup\\Euro")[0].first, "caf\xC3\xA9 \xE2\x82\xAC") << "UTF-8 in the file";
    EXPECT_TRUE(errors_.empty());
}

TEST_F(SettingsDatabaseTest, ReadOnlyModeRefusesEveryWrite) {
    Row("Setup\\FieldDataBaseFile", "fields.mdb");
    auto& db = Db(false);
    EXPECT_FALSE(db.Put("Setup", "FieldDataBaseFile", "other.mdb"));
    EXPECT_FALSE(db.RegSaveSetting(1, "ZEVA", "Setup", "New", "x"));
    EXPECT_EQ(Rows("Setup\\FieldDataBaseFile")[0].first, "fields.mdb");
    EXPECT_TRUE(Rows("Setup\\New").empty());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(SettingsDatabaseTest, KindThreeUpdatesOtherKindsInsert) {
    auto& db = Db(true);
    EXPECT_TRUE(db.RegSaveSetting(3, "ZEVA", "FIELDS_Window", "QMapIndex", 4));
    EXPECT_TRUE(db.RegSaveSetting(3, "ZEVA", "FIELDS_Window", "QMapIndex", 5));
    EXPECT_EQ(Rows("FIELDS_Window\\QMapIndex").size(), 1u);
    EXPECT_TRUE(db.RegSaveSetting(1, "ZEVA", "FIELDS_Window", "QMapIndex", 6));
    ASSERT_EQ(Rows("FIELDS_Window\\QMapIndex").size(), 2u);
    EXPECT_EQ(db.GetInt("FIELDS_Window", "QMapIndex", 0), 5) << "the first row wins a read";
    EXPECT_TRUE(db.RegSaveSetting(1, "ZEVA", "S", "Empty", ""));
    EXPECT_EQ(Rows("S\\Empty")[0].first, "NULL");
}

TEST_F(SettingsDatabaseTest, NoIdentifierMeansDefaultsWithoutTheDatabase) {
    Row("S\\K", "stored");
    session_.Userid = "xxx";
    std::filesystem::remove(path_);
    auto& db = Db(false);
    EXPECT_EQ(db.RegGetSetting(2, "ZEVA", "S", "K", "dflt"), "dflt");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(SettingsDatabaseTest, MissingFileIsNotCreated) {
    std::filesystem::remove(path_);
    auto& db = Db(true);
    EXPECT_FALSE(db.OpenSettingsDb());
    EXPECT_EQ(db.GetKeyOrDefault("K", "S", "d"), "BAD");
    EXPECT_FALSE(std::filesystem::exists(path_));
    ASSERT_FALSE(errors_.empty());
    EXPECT_EQ(errors_[0].rfind("Dbase Error[306]  ", 0), 0u) << errors_[0];
}

TEST_F(SettingsDatabaseTest, FileThatIsNotADatabaseFailsToOpen) {
    std::filesystem::remove(path_);
    std::ofstream(path_) << "Standard Jet DB - this is not an SQLite file at all, just text\n";
    auto& db = Db(false);
    EXPECT_FALSE(db.OpenSettingsDb());
    EXPECT_FALSE(db.IsOpen());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].rfind("Dbase Error[306]  ", 0), 0u);
    EXPECT_EQ(db.GetText("S", "K", "d"), "d");
}

TEST_F(SettingsDatabaseTest, DatabaseWithoutTheTableFailsToOpen) {
    {
        SqliteDatabase raw;
        ASSERT_TRUE(raw.Open(path_, SqliteDatabase::Mode::ReadWrite));
        ASSERT_TRUE(raw.ExecScript("DROP TABLE StartUp; CREATE TABLE Other (x)"));
    }
    auto& db = Db(true);
    EXPECT_FALSE(db.OpenSettingsDb());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("StartUp"), std::string::npos);
}

TEST_F(SettingsDatabaseTest, UpdateAnswersEmptyForAMissingRow) {
    auto& db = Db(true);
    ASSERT_TRUE(db.OpenSettingsDb());
    EXPECT_EQ(db.UpdateKeyData("S\\Missing", "v"), "EMPTY");
    EXPECT_TRUE(db.InsertKey("S\\Missing", "v", "typed by hand"));
    EXPECT_EQ(db.UpdateKeyData("S\\Missing", "w"), "");
    EXPECT_EQ(db.ReadKeyData("S\\Missing"), "w");
    EXPECT_FALSE(db.CloseSettingsDb());
    EXPECT_EQ(Rows("S\\Missing")[0].second, "typed by hand");
}

TEST_F(SettingsDatabaseTest, LockedFileReadsDefaultsQuicklyWithErrorLines) {
    Row("Setup\\TCP\\Remote Port", "7000");
    SqliteDatabase holder;
    ASSERT_TRUE(holder.Open(path_, SqliteDatabase::Mode::ReadWrite));
    ASSERT_TRUE(holder.ExecScript("BEGIN EXCLUSIVE"));
    auto& db = Db(false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(db.GetInt("Setup\\TCP", "Remote Port", 6000), 6000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_FALSE(errors_.empty());
    EXPECT_NE(errors_[0].find("locked"), std::string::npos) << errors_[0];
    ASSERT_TRUE(holder.ExecScript("ROLLBACK"));
    errors_.clear();
    EXPECT_EQ(Db(false).GetInt("Setup\\TCP", "Remote Port", 6000), 7000);
    EXPECT_TRUE(errors_.empty());
}
