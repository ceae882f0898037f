// The key table held against the client's own readers and writers and the Setup boxes, so the
// keys an administrator's tool checks and lists are the keys the client reads, with the same
// defaults and ranges.
#include "settings/SettingsCatalog.h"
#include "common/SqliteDatabase.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"
#include "shell/SetupBoxes.h"
#include "tests/support/SiteFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <type_traits>

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
    std::string path_ = site_.File("ZEVARegistry.mdb");
};

// Every field the table names set to a value no key has as its default, so a read that skips a
// key shows.
void Scramble(ClientSettings& s) {
    for (const auto& k : SettingsCatalog())
        std::visit(
            [&s](auto m) {
                using M = decltype(m);
                if constexpr (std::is_same_v<M, std::monostate>)
                    return;
                else if constexpr (std::is_same_v<M, bool ClientSettings::*>)
                    s.*m = !(s.*m);
                else if constexpr (std::is_same_v<M, std::array<bool, 2> ClientSettings::*>)
                    (s.*m).fill(false);
                else if constexpr (std::is_same_v<M, std::string ClientSettings::*>)
                    s.*m = "scrambled";
                else if constexpr (std::is_same_v<M, double ClientSettings::*>)
                    s.*m = 0.5;
                else if constexpr (std::is_same_v<M, std::int16_t ClientSettings::*> ||
                                   std::is_same_v<M, std::int32_t ClientSettings::*>)
                    s.*m = 7777;
                else
                    (s.*m).fill(7777);
            },
            k.Field);
}

// One table-driven check over every key the client reads into ClientSettings: missing, it reads
// its default (the same as ClientSettings' own); out of its range, it reads clamped or as the
// default, exactly as the Setup box would take the same text; not converting, it reads the default.
TEST_F(SettingsCatalogTest, EveryKeyReadsItsDefaultItsRangeAndAgreesWithTheSetupBoxes) {
    std::vector<std::string> errors;
    auto sink = [&](const std::string& line) { errors.push_back(line); };
    const Session operatorSession{"s05", false}, s99Session{"s99", false};
    auto readAll = [&] {
        std::pair<ClientSettings, ClientSettings> read; // an operator's and s99's
        Scramble(read.first);
        Scramble(read.second);
        for (const Session* session : {&operatorSession, &s99Session}) {
            SettingsDatabase db(path_, *session, sink);
            ClientSettings& s = session == &s99Session ? read.second : read.first;
            LoadAllSettings(db, session->Userid, s);
            ReadOutputSettings(db, s);
            ReadClientSelection(db, s);
        }
        return read;
    };
    auto store = [&](const std::vector<std::pair<std::string, std::string>>& rows) {
        SqliteDatabase db;
        ASSERT_TRUE(db.Open(path_, SqliteDatabase::Mode::ReadWrite));
        ASSERT_TRUE(db.Exec("DELETE FROM StartUp", {}));
        for (const auto& [key, value] : rows)
            ASSERT_TRUE(db.Exec("INSERT INTO StartUp VALUES (?1, ?2, 'test')", {key, value}));
    };
    auto of = [](const SettingKey& k,
                 const std::pair<ClientSettings, ClientSettings>& read) -> const ClientSettings& {
        return k.Userid == "s99" ? read.second : read.first;
    };

    const auto fresh = readAll();
    const ClientSettings builtIn;
    int checked = 0;
    for (const auto& k : SettingsCatalog()) {
        if (k.Section.starts_with("Setup") && k.Read) {
            EXPECT_TRUE(k.Value) << k.Pattern();
        }
        if (!k.Value) continue;
        for (int n : k.KeyNumbers()) {
            EXPECT_EQ(k.Value(of(k, fresh), n), k.Default) << k.FullName(n);
            EXPECT_EQ(k.Value(builtIn, n), k.Default) << k.FullName(n) << " in ClientSettings";
            EXPECT_TRUE(ValueFits(k, k.Default)) << k.FullName(n);
            ++checked;
        }
    }
    EXPECT_GT(checked, 60);
    EXPECT_TRUE(Rows().empty()); // reading never inserts

    // Below and above the range; the indent's upper end is the line width read with it.
    for (const int side : {-1, +1}) {
        std::vector<std::pair<std::string, std::string>> rows;
        for (const auto& k : SettingsCatalog())
            if (k.Ranged && k.Value)
                rows.emplace_back(k.FullName(), std::to_string(side < 0 ? k.Min - 1 : k.Max + 1));
        store(rows);
        const auto read = readAll();
        for (const auto& [key, text] : rows) {
            const SettingKey& k = *FindSettingKey(key);
            const ClientSettings& s = of(k, read);
            const SettingRange range = RangeOf(k, s);
            const std::string expected = k.OnRange == RangeUse::Clamped
                                             ? std::to_string(side < 0 ? range.Min : range.Max)
                                         : k.OnRange == RangeUse::Reset ? k.Default
                                                                        : text;
            EXPECT_EQ(k.Value(s, 0), expected) << key << " stored as " << text;
        }
        // Each Setup box takes the same text to the same value, and every clamped key has its box.
        std::set<std::string> boxed;
        for (SetupBox box : kSetupBoxes) {
            ClientSettings taken = read.first;
            const SetupBoxRule rule = SetupBoxRuleOf(box, taken);
            const SettingKey& k = SettingKeyOf(rule.value);
            boxed.insert(k.FullName());
            EXPECT_EQ(k.OnRange, RangeUse::Clamped) << k.FullName();
            const std::string text = std::to_string(side < 0 ? k.Min - 1 : k.Max + 1);
            EXPECT_EQ(TakeSetupBox(box, text, taken), read.first.*rule.value) << k.FullName() << " " << text;
        }
        for (const auto& k : SettingsCatalog())
            if (k.OnRange == RangeUse::Clamped) {
                EXPECT_TRUE(boxed.count(k.FullName())) << k.FullName();
            }
    }

    // A text that does not read as the key's kind reads as the default.
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& k : SettingsCatalog()) {
        if (!k.Value || k.Kind == SettingKind::Text) continue;
        const std::string bad = k.Kind == SettingKind::Integer ? "40000"
                                : k.Kind == SettingKind::Time  ? "25:99:00"
                                                               : "x";
        for (int n : k.KeyNumbers())
            rows.emplace_back(k.FullName(n), bad);
    }
    store(rows);
    const auto read = readAll();
    for (const auto& [key, text] : rows) {
        int n = 0;
        const SettingKey& k = *FindSettingKey(key, &n);
        EXPECT_EQ(k.Value(of(k, read), n), k.Default) << key << " stored as " << text;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
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

// The catalogue finds a key exactly as the client spells it, numbered keys only in their range;
// the tool's refusals of a value are pinned through zeva-settings set.
TEST(SettingsCatalog, FindsKeysAsTheClientFormsThemAndComparesValuesByKind) {
    int n = -1;
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
    EXPECT_EQ(FindSettingKey("FIELDS_Window\\Field Width9"), nullptr); // nine columns, 0 to 8
    EXPECT_EQ(FindSettingKey("RECORD_Window\\RField Id012"), nullptr);

    const SettingKey& load = *FindSettingKey("Setup\\WINDOW\\Load");
    for (const char* ok : {"True", "false", "-1", "0"})
        EXPECT_TRUE(ValueFits(load, ok)) << ok;
    for (const char* bad : {"", "2"})
        EXPECT_FALSE(ValueFits(load, bad)) << bad;
    EXPECT_FALSE(ValueFits(*FindSettingKey("Setup\\TCP\\CommClassWatchDog"), "25:00:00"));
    EXPECT_TRUE(SameValue(SettingKind::Boolean, "-1", "True"));
    EXPECT_TRUE(SameValue(SettingKind::Integer, "07", "7"));
    EXPECT_FALSE(SameValue(SettingKind::Integer, "5000", "1000"));
}

} // namespace
} // namespace zeva::test
