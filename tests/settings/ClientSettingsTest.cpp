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
    ClientSettings s;
    // "NULL" is a password like any other: it never reads back as an empty one.
    for (const std::string password : {"", "Keystone ", "NULL", "", "keystone"}) {
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
    for (const char* key : {"XWindowWidth2", "XWindowHeight2", "XWindowState5", "XWindowState1"})
        Row(std::string("Setup\\WINDOW\\") + key, "0");
    ClientSettings s;
    LoadAllSettings(Db(false), "s05", s);
    // Only mode 5 turns a normal state into maximised.
    EXPECT_EQ(std::tuple(s.XWindowWidth[2], s.XWindowHeight[2], s.XWindowState[5], s.XWindowState[1]),
              std::tuple(9375, 1635, 2, 0));

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
    EXPECT_EQ(std::tuple(a.WindowSelected, a.XWindowWidth[1], b.WindowSelected, b.XWindowWidth[1]),
              std::tuple(3, 11111, 5, 22222));
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
