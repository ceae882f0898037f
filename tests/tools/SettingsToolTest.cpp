// The settings key table held against the client's own readers and the Setup boxes, and
// zeva-settings as an administrator meets it: its refusals, its listings, a ready operator site and
// the import of an old station's Access file.
#include "common/Cp1252.h"
#include "common/SqliteDatabase.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsCatalog.h"
#include "settings/SettingsDatabase.h"
#include "shell/SetupBoxes.h"
#include "tests/support/JetWriter.h"
#include "tests/support/SiteFolder.h"
#include "tools/ToolExit.h"
#include "tools/settings/SettingsCommands.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <type_traits>

namespace zeva::test {
namespace {

// Every field the table names set to a value no key has as its default, so a read that skips a
// key shows.
template <typename T> void Scramble(T& v) {
    if constexpr (std::is_same_v<T, bool>)
        v = !v;
    else if constexpr (std::is_same_v<T, std::string>)
        v = "scrambled";
    else if constexpr (std::is_arithmetic_v<T>)
        v = 7777;
    else
        for (auto& e : v)
            Scramble(e);
}
void Scramble(ClientSettings& s) {
    for (const auto& k : SettingsCatalog())
        std::visit(
            [&s](auto m) {
                if constexpr (!std::is_same_v<decltype(m), std::monostate>) Scramble(s.*m);
            },
            k.Field);
}

// One table-driven check over every key the client reads into ClientSettings: missing, it reads
// its default (the same as ClientSettings' own); out of its range, it reads clamped or as the
// default, exactly as the Setup box would take the same text; not converting, it reads the default.
TEST(SettingsCatalog, EveryKeyReadsItsDefaultItsRangeAndAgreesWithTheSetupBoxes) {
    const test::SiteFolder site{"zeva_catalog"};
    const std::string path = site.File("ZEVARegistry.mdb");
    ASSERT_TRUE(CreateSettingsDatabase(path));
    std::vector<std::string> errors;
    auto sink = [&](const std::string& line) { errors.push_back(line); };
    const Session sessions[] = {{"s05", false}, {"s99", false}}; // an operator's and s99's
    auto readAll = [&] {
        std::array<ClientSettings, 2> read;
        for (int i = 0; i < 2; ++i) {
            Scramble(read[i]);
            SettingsDatabase db(path, sessions[i], sink);
            LoadAllSettings(db, sessions[i].Userid, read[i]);
            ReadOutputSettings(db, read[i]);
            ReadClientSelection(db, read[i]);
        }
        return read;
    };
    auto of = [](const SettingKey& k, const std::array<ClientSettings, 2>& read) -> const ClientSettings& {
        return read[k.Userid == "s99"];
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

    // Below and above the range; the indent's upper end is the line width read with it.
    for (const int side : {-1, +1}) {
        std::vector<std::pair<std::string, std::string>> rows;
        for (const auto& k : SettingsCatalog())
            if (k.Ranged && k.Value)
                rows.emplace_back(k.FullName(), std::to_string(side < 0 ? k.Min - 1 : k.Max + 1));
        ASSERT_TRUE(std::filesystem::remove(path) && CreateSettingsDatabase(path, rows));
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
            ClientSettings taken = read[0];
            const SetupBoxRule rule = SetupBoxRuleOf(box, taken);
            const SettingKey& k = SettingKeyOf(rule.value);
            boxed.insert(k.FullName());
            const std::string text = std::to_string(side < 0 ? k.Min - 1 : k.Max + 1);
            EXPECT_EQ(TakeSetupBox(box, text, taken), read[0].*rule.value) << k.FullName() << " " << text;
        }
        for (const auto& k : SettingsCatalog())
            if (k.OnRange == RangeUse::Clamped) {
                EXPECT_TRUE(boxed.count(k.FullName())) << k.FullName();
            }
    }

    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The catalogue finds a key exactly as the client spells it, numbered keys only in their range.
TEST(SettingsCatalog, FindsKeysExactlyAsTheClientFormsThem) {
    // The number a key is found with; -1 where the client reads no such key: the lookup is exact,
    // mode 4 keeps no window size, and the Fields window has nine columns, 0 to 8.
    const std::pair<const char*, int> keys[] = {
        {"Setup\\WINDOW\\S99XWindowWidth5", 5},  {"Setup\\OUTPUT\\Fields\\Field012", 12},
        {"setup\\tcp\\remote port", -1},         {"Setup\\WINDOW\\XWindowWidth4", -1},
        {"Setup\\WINDOW\\XWindowWidth", -1},     {"Setup\\OUTPUT\\Fields\\Field12", -1},
        {"Setup\\OUTPUT\\Fields\\Field000", -1}, {"FIELDS_Window\\Field Width9", -1}};
    for (const auto& [key, number] : keys) {
        int n = -1;
        EXPECT_EQ(FindSettingKey(key, &n) ? n : -1, number) << key;
    }
    EXPECT_TRUE(SameValue(SettingKind::Single, "1.50", "1.5")) << "list --all compares by kind";
}

using settingstool::Options;

class SettingsToolTest : public ::testing::Test {
  protected:
    void SetUp() override { options_.file = (dir_ / "ZEVARegistry.mdb").string(); }

    int Run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        return settingstool::Run(args, options_, out_, err_);
    }
    // The line of `list --all` for a key.
    std::string AllLine(const std::string& key) {
        options_.all = true;
        EXPECT_EQ(Run({"list"}), tool::kDone) << err_.str();
        options_.all = false;
        std::istringstream lines(out_.str());
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with(key + " = ")) return line;
        return "<none>";
    }

    test::SiteFolder site_{"zeva_settingstool"};
    const std::filesystem::path dir_ = site_.Path();
    Options options_;
    std::ostringstream out_, err_;
};

// A refusal of what the client cannot read or of a wrong command line is a usage error (1), naming
// what is wrong; a command that cannot be done fails (2).
TEST_F(SettingsToolTest, RefusalsSayWhyAndTellAUsageErrorFromAFailure) {
    EXPECT_EQ(Run({"frobnicate"}), tool::kUsage);
    EXPECT_EQ(err_.str(), "zeva-settings: unknown command \"frobnicate\"; see --help\n");
    EXPECT_EQ(Run({"get"}), tool::kUsage);
    // A negative value before -- reads as options: the refusal says where it goes.
    EXPECT_EQ(settingstool::UsageErrorText("Unknown options: 1, 2, 0.", {"set", "KEY", "-120"}),
              "\"-120\" is no option: a value that begins with - goes after --, e.g. zeva-settings set KEY "
              "-- -120");
    ASSERT_EQ(Run({"create"}), tool::kDone);
    EXPECT_EQ(Run({"get", "Setup\\TCP\\Remote Port"}), tool::kFailed); // not in the file
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(Run({"set", "Setup\\TCP\\Remote Port", "abc"}), tool::kUsage);
    EXPECT_EQ(err_.str(),
              "zeva-settings: Setup\\TCP\\Remote Port: \"abc\" is not an integer from -2147483648 to "
              "2147483647 (the key is long); nothing written, --force writes it anyway\n");
    EXPECT_EQ(Run({"set", "Setup\\TCP\\Hub Inter Retry Wait", "40000"}), tool::kUsage); // 16 bits
    EXPECT_EQ(Run({"set", "Setup\\TCP\\Auto Connect", "yes"}), tool::kUsage);
    EXPECT_EQ(Run({"set", "Setup\\TCP\\CommClassWatchDog", "2 minutes"}), tool::kUsage);
    EXPECT_EQ(Run({"set", "Remote Port", "6000"}), tool::kUsage);
    EXPECT_NE(err_.str().find("the client does not read this key; did you mean Setup\\TCP\\Remote Port?"),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(Run({"set", "Setup\\Version", "V9"}), tool::kUsage); // written by the client, never read
    EXPECT_EQ(Run({"list"}), tool::kDone);
    EXPECT_EQ(out_.str(), ""); // nothing was written

    EXPECT_EQ(Run({"set", "Setup\\TCP\\Auto Connect", "-1"}), tool::kDone); // True, as a number
    EXPECT_EQ(Run({"set", "Setup\\TCP\\Remote Port", "6001"}), tool::kDone);
    EXPECT_EQ(Run({"get", "Setup\\TCP\\Remote Port"}), tool::kDone);
    EXPECT_EQ(out_.str(), "6001\n");
}

// defaults: every key with its default, kind and meaning (needs no file); list --all: what the
// client will use and where it comes from.
TEST_F(SettingsToolTest, ListingsShowEachKeysMeaningWhatTheClientWillUseAndWhereItComesFrom) {
    ASSERT_EQ(Run({"defaults"}), tool::kDone);
    EXPECT_NE(out_.str().find("Setup\\TCP\\Hub Connection Retries = 10  (integer) connection attempts"),
              std::string::npos);
    EXPECT_NE(out_.str().find("Setup\\WINDOW\\XWindowState{0,1,2,3,5} = 2  (integer)"), std::string::npos);
    EXPECT_NE(out_.str().find("Setup\\OUTPUT\\Fields\\Field{001..100} = \"\"  (text)"), std::string::npos);

    ASSERT_EQ(Run({"create"}), tool::kDone);
    EXPECT_EQ(AllLine("Setup\\TCP\\Remote Port"), "Setup\\TCP\\Remote Port = 6000  (default)");
    const std::string listing = out_.str();
    for (const auto& k : SettingsCatalog())
        for (const auto& key : k.Open() ? std::vector<std::string>{k.Pattern()} : k.Keys())
            EXPECT_NE(listing.find(key + " = "), std::string::npos) << key;

    options_.force = true;
    ASSERT_EQ(Run({"set", "Setup\\TCP\\Remote Port", "6001"}), tool::kDone);
    ASSERT_EQ(Run({"set", "Setup\\TCP\\Hub Inter Retry Wait", "abc"}), tool::kDone);
    ASSERT_EQ(Run({"set", "Setup\\OUTPUT\\MaxEntriesInRecords", "5000"}), tool::kDone);
    ASSERT_EQ(Run({"set", "Setup\\MONITOR\\Poll", "x\x1b[2J\ny"}), tool::kDone);    // a hand-edited value
    ASSERT_EQ(Run({"set", "Setup\\OUTPUT\\Fields\\NoOfFields", "2"}), tool::kDone); // one entry, closing line
    ASSERT_EQ(Run({"set", "Setup\\OUTPUT\\Fields\\Field001", "105"}), tool::kDone);
    EXPECT_EQ(AllLine("Setup\\TCP\\Remote Port"), "Setup\\TCP\\Remote Port = 6001  (file)");
    EXPECT_EQ(
        AllLine("Setup\\TCP\\Hub Inter Retry Wait"),
        "Setup\\TCP\\Hub Inter Retry Wait = 10  (default; the file's \"abc\" does not read as integer)");
    EXPECT_EQ(AllLine("Setup\\OUTPUT\\MaxEntriesInRecords"),
              "Setup\\OUTPUT\\MaxEntriesInRecords = 1000  (file's \"5000\" as the client takes it)");
    EXPECT_EQ(AllLine("Setup\\OUTPUT\\Fields\\Field001"), "Setup\\OUTPUT\\Fields\\Field001 = 105  (file)");
    // Control bytes are written out, so a value can neither drive the terminal nor break a line.
    EXPECT_EQ(AllLine("Setup\\MONITOR\\Poll"),
              "Setup\\MONITOR\\Poll = x\\x1B[2J\\x0Ay  (file; not read by the client)");
    ASSERT_EQ(Run({"list"}), tool::kDone);
    EXPECT_NE(out_.str().find("\nSetup\\MONITOR\\Poll = x\\x1B[2J\\x0Ay\n"), std::string::npos) << out_.str();
}

TEST_F(SettingsToolTest, SiteWritesAReadyOperatorStation) {
    options_.hubAddress = "10.1.2.3";
    options_.hubPort = "70000";
    EXPECT_EQ(Run({"site"}), tool::kUsage);
    EXPECT_FALSE(std::filesystem::exists(options_.file)); // a wrong option writes nothing
    options_.hubPort = "6100";
    options_.fieldDb = "SiteFields.mdb";
    ASSERT_EQ(Run({"site"}), tool::kDone) << err_.str();
    for (const std::string line :
         {"Setup\\TCP\\Hub Connection Retries = 0", "Setup\\WINDOW\\WindowSelected = 1",
          "Setup\\WINDOW\\Load = False", "Setup\\TCP\\Remote Address = 10.1.2.3",
          "Setup\\TCP\\Remote Port = 6100", "Setup\\FieldDataBaseFile = SiteFields.mdb"})
        EXPECT_EQ(AllLine(line.substr(0, line.find(" = "))), line + "  (file)");
}

// A wrong --file is told by what it is, with what to do, instead of SQLite's "disk I/O error" (a
// folder), "unable to open database file" (a missing folder) or a bare "no such table".
TEST_F(SettingsToolTest, AFileThatIsNoSettingsDatabaseIsToldByWhatItIs) {
    const std::string d = dir_.string();
    std::filesystem::create_directories(dir_ / "adir");
    std::ofstream(dir_ / "empty.mdb").flush();
    ASSERT_TRUE(WriteJet4File(d + "/old.mdb", {{"StartUp", {{"Key_Description", JetType::Text}}, {}}}));
    SqliteDatabase fields; // the field database named by mistake: not written into
    ASSERT_TRUE(fields.Open(d + "/fields.mdb", SqliteDatabase::Mode::Create) &&
                fields.Exec("CREATE TABLE ZVFields (Identifier INTEGER)"));
    const struct {
        std::vector<std::string> args;
        std::string file, error;
    } rows[] = {
        {{"list"},
         d + "/adir",
         d + "/adir is a folder, not a settings database: name the file with --file, e.g. --file " + d +
             "/adir/ZEVARegistry.mdb"},
        {{"list"}, d + "/none.mdb", d + "/none.mdb: no such file (zeva-settings create or site makes one)"},
        {{"site"},
         d + "/none/x.mdb",
         d + "/none/x.mdb: the folder " + d + "/none does not exist (check --file)"},
        {{"list"},
         d + "/empty.mdb",
         d + "/empty.mdb is not a settings database (no such table: StartUp): check --file; zeva-settings "
             "create or site makes one"},
        {{"site"},
         d + "/old.mdb",
         d + "/old.mdb is an old station's Access settings file: convert it with: mv " + d +
             "/old.mdb old-registry.mdb && zeva-settings import old-registry.mdb -f " + d + "/old.mdb"},
        {{"site"},
         d + "/fields.mdb",
         d + "/fields.mdb is not a settings database (no such table: StartUp): check --file; a file that is "
             "there is not replaced, move it away first"},
        {{"import", d + "/none.mdb"},
         d + "/new.mdb",
         d + "/none.mdb: no such file (name the old station's Access settings file)"},
    };
    for (const auto& row : rows) {
        options_.file = row.file;
        EXPECT_EQ(Run(row.args), tool::kFailed) << row.file;
        EXPECT_EQ(err_.str(), "zeva-settings: " + row.error + "\n");
    }
    std::vector<SqliteDatabase::Row> tables;
    ASSERT_TRUE(fields.Exec("SELECT name FROM sqlite_master", {}, &tables));
    EXPECT_EQ(tables.size(), 1u);
}

// An old station's Access settings file comes over whole: every row in its order, duplicates and
// keys of other modules included, Null kept, CP1252 texts (display formats with the euro sign and
// typographic quotes) exactly as the client read them before.
TEST_F(SettingsToolTest, ImportBringsEveryRowOfAnAccessSettingsFileOver) {
    JetTable startUp{
        "StartUp",
        {{"Key_Description", JetType::Text}, {"Key_Data", JetType::Text}, {"Description", JetType::Text}},
        {{"Setup\\TCP\\Remote Port", "6100", "Automatic Insertion"},
         {"Setup\\TCP\\Remote Address", std::nullopt, "Automatic Insertion"},
         {"Setup\\TCP\\Remote Port", "6200", "a second row: the client reads the first"}}};
    for (int i = 1; i <= 300; ++i) {
        char key[40];
        std::snprintf(key, sizeof key, "Setup\\OUTPUT\\Fields\\Field%03d", i);
        startUp.Rows.push_back(
            {std::string(key), "\x80 Betrag \x93" + std::to_string(i) + "\x94 \xE9\x9F", "Formats"});
    }
    startUp.Rows.push_back({"OtherModule\\Colour", "255", std::nullopt});
    const std::string old = (dir_ / "old" / "ZEVARegistry.mdb").string();
    std::filesystem::create_directories(dir_ / "old");
    ASSERT_TRUE(WriteJet4File(old, {startUp}));

    ASSERT_EQ(Run({"import", old}), tool::kDone) << err_.str();
    EXPECT_EQ(out_.str(),
              "read 304 rows of table StartUp from " + old + " (Jet 4 (Access 2000-2003))\nwrote " +
                  options_.file +
                  ": 103 keys the client reads, 201 rows it does not read (zeva-settings list --all "
                  "shows them)\n");
    SqliteDatabase db;
    ASSERT_TRUE(db.Open(options_.file, SqliteDatabase::Mode::ReadOnly));
    std::vector<SqliteDatabase::Row> rows;
    ASSERT_TRUE(
        db.Exec("SELECT Key_Description, Key_Data, Description FROM StartUp ORDER BY rowid", {}, &rows));
    db.Close();
    for (auto& row : startUp.Rows)
        for (auto& value : row)
            if (value) value = Cp1252ToUtf8(*value);
    EXPECT_EQ(rows, startUp.Rows);

    // Never over an existing file unless told, never over the file it reads, only from Access files.
    EXPECT_EQ(Run({"import", old}), tool::kFailed);
    EXPECT_EQ(err_.str(), "zeva-settings: " + options_.file + ": exists; use --force to replace it\n");
    options_.force = true;
    EXPECT_EQ(Run({"import", old}), tool::kDone) << err_.str();
    const std::string sqlite = options_.file;
    options_.file = (dir_ / "other.mdb").string();
    EXPECT_EQ(Run({"import", sqlite}), tool::kFailed);
    EXPECT_EQ(err_.str(), "zeva-settings: " + sqlite + ": not an Access (Jet) database\n");
    options_.file = old;
    EXPECT_EQ(Run({"import", old}), tool::kUsage);
}

} // namespace
} // namespace zeva::test
