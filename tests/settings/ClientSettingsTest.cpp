#include "settings/ClientSettings.h"
#include "SettingsFixture.h"

using namespace zeva;
using zeva::test::SettingsFixture;

using ClientSettingsTest = SettingsFixture;

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
    EXPECT_EQ(Rows("Setup\\TCP\\CommClassWatchDog")[0].first, "00:01:15");
    EXPECT_EQ(Rows("Setup\\OUTPUT\\Fields\\NoOfFields")[0].first, "003");
    EXPECT_TRUE(Rows("Setup\\OUTPUT\\Fields\\Field003").empty()) << "the closing line has no key";

    ClientSettings r;
    LoadAllSettings(Db(false), "s05", r);
    ReadOutputSettings(*db_, r);
    EXPECT_FALSE(r.Load);
    EXPECT_EQ(r.RemoteAddress, "hub.site");
    EXPECT_FALSE(r.AsyncComms);
    EXPECT_NEAR(r.CommClassWatchDog, 75.0 / 86400.0, 1e-12);
    EXPECT_EQ(r.SetUpPassword, "it's secret");
    EXPECT_EQ(r.DisplayFormatList, s.DisplayFormatList);
    EXPECT_EQ(r.OutputWindowFont, s.OutputWindowFont);
    EXPECT_EQ(r.XWindowWidth[3], 12000);
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
    SqliteDatabase raw;
    ASSERT_TRUE(raw.Open(path_, SqliteDatabase::Mode::ReadWrite));
    ASSERT_TRUE(raw.Exec("UPDATE StartUp SET Key_Data = '30000' WHERE Key_Description = ?1",
                         {std::string("Setup\\OUTPUT\\Fields\\NoOfFields")}));
    raw.Close();
    ReadOutputSettings(Db(false), s);
    EXPECT_EQ(s.DisplayFormatList.size(), 101u);
}

TEST_F(ClientSettingsTest, ThePasswordReadsBackExactlyAsStoredAtTheChange) {
    ClientSettings s;
    for (const std::string password : {"", "Keystone ", "keystone"}) {
        s.SetUpPassword = password;
        s.SetupLockState = !s.SetupLockState;
        StoreSetupLock(Db(true), s);
        ClientSettings r;
        ReadOutputKeys(Db(true), r);
        EXPECT_EQ(r.SetUpPassword, password);
        EXPECT_EQ(r.SetupLockState, s.SetupLockState);
        EXPECT_EQ(Rows("Setup\\OUTPUT\\SetUpPassword").size(), 1u);
    }
}

TEST_F(ClientSettingsTest, WindowKeysOfS99AreItsOwnAndZeroSizesReadAsTheDefault) {
    Row("Setup\\WINDOW\\XWindowWidth2", "0");
    Row("Setup\\WINDOW\\XWindowHeight2", "0");
    Row("Setup\\WINDOW\\XWindowState5", "0");
    Row("Setup\\WINDOW\\XWindowState1", "0");
    ClientSettings s;
    LoadAllSettings(Db(false), "s05", s);
    EXPECT_EQ(s.XWindowWidth[2], 9375);
    EXPECT_EQ(s.XWindowHeight[2], 1635);
    EXPECT_EQ(s.XWindowState[5], 2);
    EXPECT_EQ(s.XWindowState[1], 0) << "only mode 5 turns a normal state into maximised";

    ClientSettings numbered, shared;
    numbered.WindowSelected = 3;
    numbered.XWindowWidth[1] = 11111;
    shared.WindowSelected = 5;
    shared.XWindowWidth[1] = 22222;
    auto& db = Db(true);
    WriteWindowKeys(db, "s05", numbered);
    WriteWindowKeys(db, "s99", shared);
    EXPECT_EQ(Rows("Setup\\WINDOW\\S99XWindowWidth1")[0].first, "22222");
    EXPECT_TRUE(Rows("Setup\\WINDOW\\XWindowWidth4").empty()) << "mode 4 keeps no size";
    ClientSettings a, b;
    ReadWindowKeys(db, "s07", a);
    ReadWindowKeys(db, "s99", b);
    EXPECT_EQ(a.WindowSelected, 3);
    EXPECT_EQ(a.XWindowWidth[1], 11111);
    EXPECT_EQ(b.WindowSelected, 5);
    EXPECT_EQ(b.XWindowWidth[1], 22222);
}

TEST_F(ClientSettingsTest, FormPositionOffScreenIsResetOnRestore) {
    auto& db = Db(true);
    EXPECT_TRUE(SaveFormPosition(db, 3, "frmZVScreenClientMain", {20000, 300, 1635, 9375}, false));
    EXPECT_FALSE(SaveFormPosition(db, 3, "frmOther", {1, 2, 3, 4}, true)) << "a minimised window";
    EXPECT_TRUE(Rows("frmOther\\Left").empty());
    FormPosition p = RestoreFormPosition(db, "frmZVScreenClientMain", 19200, 14400);
    EXPECT_EQ(p.Left, 0);
    EXPECT_EQ(p.Top, 300);
    EXPECT_EQ(RestoreFormPosition(db, "frmZVScreenClientMain", 30000, 14400).Left, 20000);
    EXPECT_TRUE(SaveFormPosition(db, 3, "frmZVScreenClientMain", {-50, -50, 1, 1}, false));
    p = RestoreFormPosition(db, "frmZVScreenClientMain", 30000, 14400);
    EXPECT_EQ(p.Left, 0);
    EXPECT_EQ(p.Top, 0);
}

TEST(SettingTexts, TimeOfDayAndFontRoundTripAndTolerantRead) {
    double v = 0;
    EXPECT_TRUE(ParseTimeText("23:59:59", v));
    EXPECT_EQ(TimeText(v), "23:59:59");
    EXPECT_FALSE(ParseTimeText("24:00:00", v)); // a day and more is no time of day

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
    EXPECT_TRUE(partial.Bold);
    EXPECT_FALSE(partial.Italic);
    EXPECT_EQ(partial.Name, "Arial");
    EXPECT_TRUE(TextToFont("|||-5|||99999999999|-1", partial));
    EXPECT_EQ(partial.Size, 8.25);
    EXPECT_EQ(partial.BackColor, 16777215u);
}
