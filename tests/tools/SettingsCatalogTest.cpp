// The key catalogue held against the client's own readers and writers, so the keys an
// administrator's tool checks and lists are the keys the client reads, with the same defaults.
#include "settings/SettingsCatalog.h"
#include "common/SqliteDatabase.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"
#include "tests/support/SiteFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <unistd.h>

namespace zeva::test {
namespace {

class SettingsCatalogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(CreateSettingsDatabase(path_)); }

    std::vector<std::pair<std::string, std::string>> Rows() {
        SqliteDatabase db;
        EXPECT_TRUE(db.Open(path_, SqliteDatabase::Mode::ReadOnly));
        std::vector<SqliteDatabase::Row> rows;
        EXPECT_TRUE(db.Exec("SELECT Key_Description, Key_Data FROM StartUp ORDER BY rowid", {}, &rows));
        std::vector<std::pair<std::string, std::string>> out;
        for (auto& r : rows)
            out.emplace_back(r[0].value_or(""), r[1].value_or(""));
        return out;
    }

    test::SiteFolder site_{"zeva_catalog"};
    const std::filesystem::path dir_ = site_.Path();
    std::string path_ = site_.File("ZEVARegistry.mdb");
};

TEST_F(SettingsCatalogTest, FreshDatabaseReadsExactlyTheCatalogueDefaults) {
    std::vector<std::string> errors;
    auto sink = [&](const std::string& line) { errors.push_back(line); };
    const Session operatorSession{"s05", false}, s99Session{"s99", false};
    SettingsDatabase db(path_, operatorSession, sink), db99(path_, s99Session, sink);
    ClientSettings s, s99;
    // Start from values that are no default, so a reader that skips a key shows.
    s.RemotePort = s99.RemotePort = 1;
    s.WindowSelected = s99.WindowSelected = 4;
    s.XWindowWidth.fill(7);
    s99.XWindowWidth.fill(7);
    s.X25ClientEnabled = {false, false};
    LoadAllSettings(db, operatorSession.Userid, s);
    ReadOutputSettings(db, s);
    ReadClientSelection(db, s);
    ReadWindowKeys(db99, s99Session.Userid, s99);
    ASSERT_TRUE(errors.empty()) << errors.front();

    int checked = 0;
    for (const auto& k : SettingsCatalog()) {
        // Every key of the client's own sections is read into ClientSettings.
        if (k.Section.starts_with("Setup") && k.Read) {
            EXPECT_TRUE(k.Value) << k.Pattern();
        }
        if (!k.Value) continue;
        for (int n : k.KeyNumbers()) {
            EXPECT_EQ(k.Value(k.Userid == "s99" ? s99 : s, n), k.Default) << k.FullName(n);
            EXPECT_TRUE(ValueFits(k, k.Default)) << k.FullName(n);
            ++checked;
        }
    }
    EXPECT_GT(checked, 60);
    EXPECT_TRUE(Rows().empty()); // reading never inserts
}

TEST_F(SettingsCatalogTest, AdminShutdownWritesOnlyCataloguedKeysWithTheirDefaults) {
    for (const std::string userid : {"s05", "s99"}) {
        const Session admin{userid, true};
        SettingsDatabase db(path_, admin);
        ClientSettings s;
        LoadAllSettings(db, userid, s);
        ReadOutputSettings(db, s);
        SaveAllSettings(db, userid, s);
        SaveOutputSettings(db, s);
        SaveFormPosition(db, 3, "frmZVScreenClientMain", FormPosition{}, false);
        WriteVersion(db, VersionText(4, 0, 1));
    }
    std::set<std::string> written;
    for (const auto& [key, value] : Rows()) {
        int n = 0;
        const SettingKey* k = FindSettingKey(key, &n);
        ASSERT_NE(k, nullptr) << key << " is written but not in the catalogue";
        written.insert(key);
        if (key == "Setup\\WINDOW\\Load" || key == "Setup\\Version")
            continue; // written as False / the version
        // An empty text is stored as NULL.
        const std::string expected = k->Default.empty() ? "NULL" : k->Default;
        EXPECT_TRUE(SameValue(k->Kind, value, expected)) << key << " = " << value;
    }
    // ... and every fixed key of the client's sections comes back at the next admin shutdown.
    for (const auto& k : SettingsCatalog()) {
        if (!k.Section.starts_with("Setup") || k.Section == section::Form) continue;
        for (const auto& key : k.Keys()) {
            EXPECT_TRUE(written.count(key)) << key;
        }
    }
}

TEST(SettingsCatalog, FindsKeysAsTheClientFormsThem) {
    int n = -1;
    EXPECT_EQ(FindSettingKey("Setup\\TCP\\Remote Port")->Kind, SettingKind::Long);
    EXPECT_EQ(FindSettingKey("Remote Port"), nullptr); // no section
    EXPECT_EQ(FindSettingKey("Setup\\Remote Port"), nullptr);
    EXPECT_EQ(FindSettingKey("setup\\tcp\\remote port"), nullptr); // the lookup is exact
    ASSERT_NE(FindSettingKey("Setup\\WINDOW\\S99XWindowWidth5", &n), nullptr);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(FindSettingKey("Setup\\WINDOW\\XWindowWidth4"), nullptr); // mode 4 keeps no size
    EXPECT_EQ(FindSettingKey("Setup\\WINDOW\\XWindowWidth"), nullptr);
    ASSERT_NE(FindSettingKey("Setup\\OUTPUT\\Fields\\Field012", &n), nullptr);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(FindSettingKey("Setup\\OUTPUT\\Fields\\Field12"), nullptr);
    EXPECT_EQ(FindSettingKey("Setup\\OUTPUT\\Fields\\Field000"), nullptr);
    EXPECT_NE(FindSettingKey("Setup\\FORM\\X25Client Enabled02"), nullptr);
    EXPECT_EQ(FindSettingKey("FIELDS_Window\\Field Width9"), nullptr); // nine columns, 0 to 8
    EXPECT_NE(FindSettingKey("RECORD_Window\\RField Id12"), nullptr);
    EXPECT_EQ(FindSettingKey("RECORD_Window\\RField Id012"), nullptr);
    EXPECT_NE(FindSettingKey("frmZVScreenClientMain\\Left"), nullptr);
}

TEST(SettingsCatalog, ValuesMustReadAsTheKeysKind) {
    const SettingKey& port = *FindSettingKey("Setup\\TCP\\Remote Port");
    std::string why;
    EXPECT_FALSE(ValueFits(port, "abc", &why));
    EXPECT_EQ(why, "not an integer from -2147483648 to 2147483647");
    EXPECT_FALSE(ValueFits(port, "70000", &why));
    EXPECT_EQ(why, "outside 1 to 65535");
    EXPECT_TRUE(ValueFits(port, " 6000 "));
    const SettingKey& retries = *FindSettingKey("Setup\\TCP\\Hub Connection Retries");
    EXPECT_TRUE(ValueFits(retries, "-1"));
    EXPECT_FALSE(ValueFits(retries, "40000")); // read as 16 bits
    const SettingKey& load = *FindSettingKey("Setup\\WINDOW\\Load");
    for (const char* ok : {"True", "false", "-1", "0"})
        EXPECT_TRUE(ValueFits(load, ok)) << ok;
    for (const char* bad : {"yes", "", "2"})
        EXPECT_FALSE(ValueFits(load, bad)) << bad;
    const SettingKey& watchdog = *FindSettingKey("Setup\\TCP\\CommClassWatchDog");
    EXPECT_TRUE(ValueFits(watchdog, "00:00:30"));
    EXPECT_FALSE(ValueFits(watchdog, "25:00:00"));
    EXPECT_FALSE(ValueFits(*FindSettingKey("Setup\\WINDOW\\WindowSelected"), "6"));
    EXPECT_TRUE(SameValue(SettingKind::Boolean, "-1", "True"));
    EXPECT_TRUE(SameValue(SettingKind::Integer, "07", "7"));
    EXPECT_FALSE(SameValue(SettingKind::Integer, "5000", "1000"));
}

} // namespace
} // namespace zeva::test
