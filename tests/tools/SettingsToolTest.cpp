// zeva-settings as an administrator meets it: the refusals that keep a settings file readable by
// the client, the listings of what the client will use, and a ready operator site.
#include "common/Cp1252.h"
#include "common/SqliteDatabase.h"
#include "settings/SettingsCatalog.h"
#include "tests/support/JetWriter.h"
#include "tests/support/SiteFolder.h"
#include "tools/ToolExit.h"
#include "tools/settings/SettingsCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zeva::test {
namespace {

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

TEST_F(SettingsToolTest, SetRefusesWhatTheClientCannotRead) {
    ASSERT_EQ(Run({"create"}), tool::kDone);
    EXPECT_EQ(Run({"set", "Setup\\TCP\\Remote Port", "abc"}), tool::kUsage);
    EXPECT_EQ(err_.str(),
              "zeva-settings: Setup\\TCP\\Remote Port: \"abc\" is not an integer from -2147483648 to "
              "2147483647 (the key is long); nothing written, --force writes it anyway\n");
    EXPECT_EQ(Run({"set", "Setup\\TCP\\Remote Port", "0"}), tool::kUsage);
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

    EXPECT_EQ(Run({"set", "Setup\\TCP\\Remote Port", "6001"}), tool::kDone);
    EXPECT_EQ(Run({"set", "Setup\\TCP\\CommClassWatchDog", "00:00:30"}), tool::kDone);
    EXPECT_EQ(Run({"get", "Setup\\TCP\\Remote Port"}), tool::kDone);
    EXPECT_EQ(out_.str(), "6001\n");
}

TEST_F(SettingsToolTest, ListAllShowsWhatTheClientWillUseAndWhereItComesFrom) {
    ASSERT_EQ(Run({"create"}), tool::kDone);
    EXPECT_EQ(AllLine("Setup\\TCP\\Remote Port"), "Setup\\TCP\\Remote Port = 6000  (default)");
    options_.all = true;
    ASSERT_EQ(Run({"list"}), tool::kDone);
    std::string listing = out_.str();
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

TEST_F(SettingsToolTest, DefaultsListEveryKeyWithItsMeaning) {
    ASSERT_EQ(Run({"defaults"}), tool::kDone); // needs no file
    EXPECT_NE(out_.str().find("Setup\\TCP\\Hub Connection Retries = 10  (integer) connection attempts"),
              std::string::npos);
    EXPECT_NE(out_.str().find("Setup\\WINDOW\\XWindowState{0,1,2,3,5} = 2  (integer)"), std::string::npos);
    EXPECT_NE(out_.str().find("Setup\\OUTPUT\\Fields\\Field{001..100} = \"\"  (text)"), std::string::npos);
    std::istringstream lines(out_.str());
    size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        ++count;
    EXPECT_EQ(count, SettingsCatalog().size());
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
    // Again on the same file: updated, not doubled.
    options_.hubPort = "6200";
    ASSERT_EQ(Run({"site"}), tool::kDone);
    ASSERT_EQ(Run({"list"}), tool::kDone);
    EXPECT_EQ(out_.str().find("Remote Port = 6100"), std::string::npos);
    EXPECT_EQ(out_.str().find("Remote Port = 6200"), out_.str().rfind("Remote Port = 6200"));
}

TEST_F(SettingsToolTest, ExitStatusSaysUsageErrorOrFailure) {
    EXPECT_EQ(Run({"frobnicate"}), tool::kUsage);
    EXPECT_EQ(err_.str(), "zeva-settings: unknown command \"frobnicate\"; see --help\n");
    EXPECT_EQ(Run({"get"}), tool::kUsage);
    ASSERT_EQ(Run({"create"}), tool::kDone);
    EXPECT_EQ(Run({"get", "Setup\\TCP\\Remote Port"}), tool::kFailed); // not in the file
    EXPECT_EQ(out_.str(), "");
    // A negative value before -- reads as options: the refusal says where it goes.
    EXPECT_EQ(settingstool::UsageErrorText("Unknown options: 1, 2, 0.", {"set", "KEY", "-120"}),
              "\"-120\" is no option: a value that begins with - goes after --, e.g. zeva-settings set KEY "
              "-- -120");
    EXPECT_EQ(settingstool::UsageErrorText("Unknown option 'x'.", {"-x"}), "Unknown option 'x'.");
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
// typographic quotes) exactly as the client read them before. The fixture is read by mdb-export
// first.
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
    ASSERT_EQ(
        CommandOutput("mdb-export '" + old + "' StartUp").value_or("mdb-export (package mdbtools) failed"),
        MdbExportCsv(startUp));

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
    ASSERT_EQ(rows.size(), startUp.Rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t c = 0; c < 3; ++c) {
            const auto& want = startUp.Rows[i][c];
            EXPECT_EQ(rows[i][c], want ? std::optional(Cp1252ToUtf8(*want)) : std::nullopt) << i << "," << c;
        }

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
