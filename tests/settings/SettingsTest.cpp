#include "common/SqliteDatabase.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"
#include "settings/SetupLock.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace zeva::test {
namespace {

// A settings database in a fresh temporary folder, inspected with plain SQL as an administrator's
// sqlite3 would.
class SettingsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateSettingsDatabase(path_));
        session_.Userid = "s05";
    }

    SettingsDatabase& Db(bool admin) {
        session_.AdminMode = admin;
        db_ = std::make_unique<SettingsDatabase>(
            path_, session_, [this](const std::string& line) { errors_.push_back(line); });
        return *db_;
    }
    void Row(const std::string& key, const std::optional<std::string>& data) {
        SqliteDatabase db;
        ASSERT_TRUE(db.Open(path_, SqliteDatabase::Mode::ReadWrite));
        ASSERT_TRUE(db.Exec("INSERT INTO StartUp VALUES (?1, ?2, '')", {key, data}));
    }
    // All rows of a key: Key_Data and Description (NULL as "<null>").
    std::vector<std::pair<std::string, std::string>> Rows(const std::string& key) {
        SqliteDatabase db;
        EXPECT_TRUE(db.Open(path_, SqliteDatabase::Mode::ReadOnly));
        std::vector<SqliteDatabase::Row> rows;
        EXPECT_TRUE(
            db.Exec("SELECT Key_Data, Description FROM StartUp WHERE Key_Description = ?1 ORDER BY rowid",
                    {key}, &rows));
        std::vector<std::pair<std::string, std::string>> out;
        for (auto& r : rows)
            out.emplace_back(r[0].value_or("<null>"), r[1].value_or("<null>"));
        return out;
    }

    SiteFolder site_{"zeva_settings"};
    std::string path_ = site_.File("ZEVARegistry.mdb");
    Session session_;
    std::unique_ptr<SettingsDatabase> db_;
    std::vector<std::string> errors_;
};

using SettingsDatabaseTest = SettingsFixture;
using ClientSettingsTest = SettingsFixture;

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
    EXPECT_EQ(db.RegGetSetting(0, "ZEVA", "S", "K", "-1"), "True"); // a kind 0 default reads as True or False
}

TEST_F(SettingsDatabaseTest, KindThreeUpdatesOtherKindsInsertAnyTextRoundTripsAndAnOperatorWritesNothing) {
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
    for (const std::string text : {"O'Brien's \"hub\" ; DROP TABLE StartUp; --", "caf\xE9 \x80"}) {
        EXPECT_TRUE(db.Put("Setup", "Euro", text));
        EXPECT_EQ(db.GetText("Setup", "Euro", ""), text);
    }
    EXPECT_EQ(Rows("Setup\\Euro")[0].first, "caf\xC3\xA9 \xE2\x82\xAC"); // the file holds UTF-8
    EXPECT_TRUE(errors_.empty());
}

TEST_F(SettingsDatabaseTest, AFileThatCannotBeUsedReadsDefaultsAndSaysWhy) {
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
    // Another program writing (reads still go): an admin run's write check is told of the lock, and
    // the keys' short wait holds after it.
    ASSERT_TRUE(holder.ExecScript("BEGIN IMMEDIATE"));
    auto& admin = Db(true);
    const int keyWait = admin.LockWaitMs();
    EXPECT_FALSE(admin.TakesWrites());
    EXPECT_EQ(std::tuple(admin.LockedByAnother(), admin.LockWaitMs()), std::tuple(true, keyWait));
    EXPECT_LT(keyWait, 1000) << "a locked file costs a moment per key";
    // A write the lock refuses is no success, nor is an insert the file refuses (a full disk).
    EXPECT_FALSE(admin.Put("Setup", "New Key", "x") || admin.PutStored("Setup", "New Key", "x"));
    ASSERT_TRUE(holder.ExecScript("ROLLBACK"));
    errors_.clear();
    EXPECT_EQ(Db(false).GetInt("Setup\\TCP", "Remote Port", 6000), 7000);
    EXPECT_TRUE(errors_.empty());
    ASSERT_TRUE(holder.ExecScript("CREATE TRIGGER full BEFORE INSERT ON StartUp BEGIN SELECT RAISE(ABORT, "
                                  "'disk full'); END"));
    EXPECT_FALSE(Db(true).Put("Setup", "New Key", "x"));
    EXPECT_EQ(errors_, std::vector<std::string>{"Dbase Error[315]  disk full"});
}

TEST_F(ClientSettingsTest, AdminShutdownWritesAndTheNextStartReadsBack) {
    ClientSettings s;
    s.RemoteAddress = "hub.site";
    s.AsyncComms = false;
    s.CommClassWatchDog = 75.0 / 86400.0;
    s.SetUpPassword = "it's secret";
    s.DisplayFormatList = {"line one", "line 'two'", ""};
    s.OutputWindowFont = "True|False|Courier New|10|False|False|0|16777215";
    s.XWindowWidth[3] = 12000;
    SaveAllSettings(Db(true), "s05", s);
    SaveOutputSettings(*db_, s);
    WriteVersion(*db_, VersionText(4, 0, 1));
    EXPECT_EQ(Rows("Setup\\Version")[0].first, "V4.0(1)  ");
    EXPECT_EQ(Rows("Setup\\TCP\\CommClassWatchDog")[0].first, "00:01:15");
    EXPECT_EQ(Rows("Setup\\OUTPUT\\Fields\\NoOfFields")[0].first, "003");
    EXPECT_TRUE(Rows("Setup\\OUTPUT\\Fields\\Field003").empty()) << "the closing line has no key";

    ClientSettings r;
    LoadAllSettings(Db(false), "s05", r);
    ReadOutputSettings(*db_, r);
    EXPECT_EQ(std::tuple(r.Load, r.RemoteAddress, r.AsyncComms, TimeText(r.CommClassWatchDog),
                         r.SetUpPassword, r.DisplayFormatList, r.OutputWindowFont, r.XWindowWidth[3]),
              std::tuple(false, s.RemoteAddress, false, "00:01:15", s.SetUpPassword, s.DisplayFormatList,
                         s.OutputWindowFont, 12000));
    SaveAllSettings(Db(true), "s05", s);
    EXPECT_EQ(Rows("Setup\\TCP\\Remote Port").size(), 1u) << "a second shutdown updates in place";
    EXPECT_TRUE(errors_.empty());
}

TEST_F(ClientSettingsTest, TheClosingLineLoadsEmptyWhateverAnOlderLongerListLeftThere) {
    Row("Setup\\OUTPUT\\Fields\\NoOfFields", "3");
    Row("Setup\\OUTPUT\\Fields\\Field001", "first");
    Row("Setup\\OUTPUT\\Fields\\Field002", "NULL");
    Row("Setup\\OUTPUT\\Fields\\Field003", "stale entry of a longer list");
    ClientSettings s;
    ReadOutputSettings(Db(false), s);
    EXPECT_EQ(s.DisplayFormatList, (std::vector<std::string>{"first", "", ""}));
    // A count far beyond what is ever used reads the 100 entries and the closing line.
    ASSERT_TRUE(Db(true).Put("Setup\\OUTPUT\\Fields", "NoOfFields", "30000"));
    ReadOutputSettings(Db(false), s);
    EXPECT_EQ(s.DisplayFormatList.size(), 101u);
}

TEST_F(ClientSettingsTest, ThePasswordReadsBackExactlyAsStoredAtTheChange) {
    // "NULL" is a password like any other: it never reads back as an empty one, nor the empty one
    // (first stored in a new row, then over "NULL") as "NULL".
    for (const std::string password : {"", "NULL", "", "Keystone "}) {
        ClientSettings s, r;
        s.SetUpPassword = password;
        StoreSetupLock(Db(true), s);
        ReadOutputKeys(Db(true), r);
        EXPECT_EQ(r.SetUpPassword, password);
    }
}

TEST_F(ClientSettingsTest, ZeroWindowSizesReadAsTheDefault) {
    for (const char* key : {"XWindowWidth2", "XWindowHeight2", "XWindowState5", "XWindowState1"})
        Row(std::string("Setup\\WINDOW\\") + key, "0");
    ClientSettings s;
    LoadAllSettings(Db(false), "s05", s);
    // Only mode 5 turns a normal state into maximised.
    EXPECT_EQ(std::tuple(s.XWindowWidth[2], s.XWindowHeight[2], s.XWindowState[5], s.XWindowState[1]),
              std::tuple(9375, 1635, 2, 0));
}

TEST_F(ClientSettingsTest, FormPositionOffScreenIsResetOnRestore) {
    auto& db = Db(true);
    EXPECT_TRUE(SaveFormPosition(db, 3, "frmZVScreenClientMain", {20000, 300, 1635, 9375}, false));
    EXPECT_FALSE(SaveFormPosition(db, 3, "frmOther", {1, 2, 3, 4}, true)) << "a minimised window";
    EXPECT_TRUE(Rows("frmOther\\Left").empty());
    // Left and top as restored on a screen 19200 twips wide, then 30000 wide.
    const auto at = [&](double screenWidth) {
        const FormPosition p = RestoreFormPosition(db, "frmZVScreenClientMain", screenWidth, 14400);
        return std::pair(p.Left, p.Top);
    };
    EXPECT_EQ(at(19200), std::pair(0.0, 300.0));
    EXPECT_EQ(at(30000), std::pair(20000.0, 300.0));
    EXPECT_TRUE(SaveFormPosition(db, 3, "frmZVScreenClientMain", {-50, -50, 1, 1}, false));
    EXPECT_EQ(at(30000), std::pair(0.0, 0.0));
}

TEST(SettingTexts, TimeOfDayAndFontRoundTripAndTolerantRead) {
    double v = 0;
    EXPECT_TRUE(ParseTimeText("23:59:59", v));
    EXPECT_EQ(TimeText(v), "23:59:59");
    EXPECT_FALSE(ParseTimeText("24:00:00", v)); // a day and more is no time of day
    // The forms an old Windows station stores: 12-hour with AM/PM, minutes without seconds.
    for (const auto& [text, shown] : {std::pair{"12:05:00 AM", "00:05:00"},
                                      {"1:30:00 pm", "13:30:00"},
                                      {" 00:05 ", "00:05:00"},
                                      {"12:00 PM", "12:00:00"}}) {
        EXPECT_TRUE(ParseTimeText(text, v)) << text;
        EXPECT_EQ(TimeText(v), shown) << text;
    }
    for (const char* bad : {"13:00:00 PM", "0:05:00 AM", "12:05:00 AMX", "5:", "1:2:3:4", "-1:00:00"})
        EXPECT_FALSE(ParseTimeText(bad, v)) << bad;

    FontStyle f;
    f.Bold = true;
    f.Name = "Courier New";
    f.ForeColor = 255;
    const std::string text = FontToText(f);
    EXPECT_EQ(text, "True|False|Courier New|8.25|False|False|255|16777215");
    FontStyle g;
    EXPECT_TRUE(TextToFont(text, g));
    EXPECT_EQ(FontToText(g), text);
    EXPECT_FALSE(TextToFont("", g));
    FontStyle partial;
    EXPECT_TRUE(TextToFont("True|x|Arial", partial));
    EXPECT_EQ(FontToText(partial), "True|False|Arial|8.25|False|False|0|16777215");
    EXPECT_TRUE(TextToFont("|||-5|||99999999999|-1", partial));
    EXPECT_EQ(std::tuple(partial.Size, partial.BackColor), std::tuple(8.25, 16777215u));
}

// The lock with its flags recorded by code and both keys stored in a real settings database at
// every change, as the main window wires it.
class SetupLockTest : public SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        lock = std::make_unique<SetupLock>(
            settings, messages, [this](const std::string& code) { sent.push_back(code); },
            [this](const ClientSettings& s) { StoreSetupLock(Db(true), s); });
        lock->OnLockApplied([this](bool locked) { framesEnabled = !locked; });
    }
    std::vector<std::string> Messages() { return messages.TakeTexts(); }
    ClientSettings Restart() {
        ClientSettings r;
        ReadOutputKeys(Db(false), r);
        return r;
    }

    ClientSettings settings;
    RecordingMessageBox messages;
    std::vector<std::string> sent;
    std::unique_ptr<SetupLock> lock;
    bool framesEnabled = true;
};

TEST_F(SetupLockTest, LockAndUnlockSendTheirFlagsAndStoreTheStateAtOnceAndCancelConfirmsNothing) {
    lock->Button(0); // locking asks for no password
    EXPECT_EQ(std::tuple(lock->Locked(), framesEnabled), std::tuple(true, false));
    EXPECT_EQ(sent, std::vector<std::string>{"PWLOCK"});
    EXPECT_TRUE(Restart().SetupLockState) << "stored at the change, not at shutdown";

    lock->Button(0);
    EXPECT_TRUE(lock->view().ClearBoxes);
    lock->Confirm(0, "Keystone"); // compared exactly
    lock->Confirm(0, "Keystone"); // Enter, then the focus leaving the box: one attempt
    EXPECT_EQ(Messages(), std::vector<std::string>{"Incorrect password"});
    lock->Button(0);
    lock->Cancel();
    lock->Confirm(0, "keystone"); // a late focus-out of the hidden box confirms nothing
    EXPECT_TRUE(lock->Locked());

    lock->Button(0);
    lock->Confirm(0, "keystone");
    EXPECT_EQ(std::tuple(lock->Locked(), framesEnabled), std::tuple(false, true));
    EXPECT_EQ(sent, (std::vector<std::string>{"PWLOCK", "PWUNLOCK"}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(Restart().SetupLockState);
}

TEST_F(SetupLockTest, PasswordChangeWhileLockedStepsAndMismatch) {
    lock->Button(0);
    lock->Button(1);
    lock->Confirm(0, "wrong");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Incorrect password"});
    EXPECT_EQ(lock->view().Step, SetupLock::kIdle);

    lock->Button(1);
    lock->Confirm(0, "keystone");
    EXPECT_EQ(lock->view().ActiveBox, 1);
    lock->Confirm(0, "keystone"); // the old box losing the focus does not run step 3
    EXPECT_EQ(lock->view().Step, SetupLock::kNewPassword);
    lock->Confirm(1, "abc");
    lock->Confirm(2, "abd");
    EXPECT_EQ(Messages(), std::vector<std::string>{"New Password and Confirmed Password do not match"});
    EXPECT_EQ(settings.SetUpPassword, "keystone");

    // An empty password confirmed empty is the password, after a restart too.
    lock->Button(1);
    lock->Confirm(0, "keystone");
    lock->Confirm(1, "");
    lock->Confirm(2, "");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Password Changed"});
    EXPECT_EQ(settings.SetUpPassword, "");
    EXPECT_TRUE(lock->Locked()) << "a change leaves the setup locked";
    EXPECT_EQ(sent, (std::vector<std::string>{"PWLOCK", "PWCHANGE"}));
    EXPECT_EQ(Restart().SetUpPassword, "");
    lock->Button(0);
    lock->Confirm(0, "");
    EXPECT_FALSE(lock->Locked());
}

} // namespace
} // namespace zeva::test
