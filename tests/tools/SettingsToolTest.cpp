// zeva-settings as an administrator meets it: the refusals that keep a settings file readable by
// the client, the listings of what the client will use, and a ready operator site.
#include "settings/SettingsCatalog.h"
#include "tests/support/SiteFolder.h"
#include "tools/ToolExit.h"
#include "tools/settings/SettingsCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

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
    EXPECT_EQ(Run({"set", "Setup\\TCP\\Auto Connect", "-1"}), tool::kDone);
    EXPECT_EQ(Run({"set", "Setup\\TCP\\CommClassWatchDog", "00:00:30"}), tool::kDone);
    EXPECT_EQ(Run({"set", "RECORD_Window\\RField Id3", "-2"}), tool::kDone);
    options_.force = true; // a key of another module, a value for a test of the client's fallback
    EXPECT_EQ(Run({"set", "Setup\\MONITOR\\Poll", "x"}), tool::kDone);
    EXPECT_EQ(Run({"set", "Setup\\OUTPUT\\MaxEntriesInRecords", "5000"}), tool::kDone);
    EXPECT_EQ(Run({"get", "Setup\\TCP\\Remote Port"}), tool::kDone);
    EXPECT_EQ(out_.str(), "6001\n");
}

TEST_F(SettingsToolTest, ListAllShowsWhatTheClientWillUseAndWhereItComesFrom) {
    ASSERT_EQ(Run({"create"}), tool::kDone);
    EXPECT_EQ(AllLine("Setup\\TCP\\Remote Port"), "Setup\\TCP\\Remote Port = 6000  (default)");
    EXPECT_EQ(AllLine("Setup\\WINDOW\\S99XWindowHeight5"),
              "Setup\\WINDOW\\S99XWindowHeight5 = 1635  (default)");
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
    ASSERT_EQ(Run({"set", "Setup\\OUTPUT\\Fields\\NoOfFields", "2"}),
              tool::kDone); // one entry and the closing line
    ASSERT_EQ(Run({"set", "Setup\\OUTPUT\\Fields\\Field001", "105"}), tool::kDone);
    ASSERT_EQ(Run({"set", "Setup\\MONITOR\\Poll", "x"}), tool::kDone);
    EXPECT_EQ(AllLine("Setup\\TCP\\Remote Port"), "Setup\\TCP\\Remote Port = 6001  (file)");
    EXPECT_EQ(
        AllLine("Setup\\TCP\\Hub Inter Retry Wait"),
        "Setup\\TCP\\Hub Inter Retry Wait = 10  (default; the file's \"abc\" does not read as integer)");
    EXPECT_EQ(AllLine("Setup\\OUTPUT\\MaxEntriesInRecords"),
              "Setup\\OUTPUT\\MaxEntriesInRecords = 1000  (file's \"5000\" as the client takes it)");
    EXPECT_EQ(AllLine("Setup\\OUTPUT\\Fields\\Field001"), "Setup\\OUTPUT\\Fields\\Field001 = 105  (file)");
    EXPECT_EQ(AllLine("Setup\\MONITOR\\Poll"), "Setup\\MONITOR\\Poll = x  (file; not read by the client)");
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
    EXPECT_EQ(AllLine("Setup\\TCP\\Hub Connection Retries"),
              "Setup\\TCP\\Hub Connection Retries = 0  (file)");
    EXPECT_EQ(AllLine("Setup\\WINDOW\\WindowSelected"), "Setup\\WINDOW\\WindowSelected = 1  (file)");
    EXPECT_EQ(AllLine("Setup\\WINDOW\\Load"), "Setup\\WINDOW\\Load = False  (file)");
    EXPECT_EQ(AllLine("Setup\\TCP\\Remote Address"), "Setup\\TCP\\Remote Address = 10.1.2.3  (file)");
    EXPECT_EQ(AllLine("Setup\\TCP\\Remote Port"), "Setup\\TCP\\Remote Port = 6100  (file)");
    EXPECT_EQ(AllLine("Setup\\FieldDataBaseFile"), "Setup\\FieldDataBaseFile = SiteFields.mdb  (file)");
    // Again on the same file: updated, not doubled.
    options_.hubPort = "6200";
    ASSERT_EQ(Run({"site"}), tool::kDone);
    ASSERT_EQ(Run({"list"}), tool::kDone);
    EXPECT_EQ(out_.str().find("Remote Port = 6100"), std::string::npos);
    EXPECT_EQ(out_.str().find("Remote Port = 6200"), out_.str().rfind("Remote Port = 6200"));
}

TEST_F(SettingsToolTest, ExitStatusSaysUsageErrorOrFailure) {
    EXPECT_EQ(Run({}), tool::kUsage);
    EXPECT_EQ(Run({"frobnicate"}), tool::kUsage);
    EXPECT_EQ(err_.str(), "zeva-settings: unknown command \"frobnicate\"; see --help\n");
    EXPECT_EQ(Run({"get"}), tool::kUsage);
    EXPECT_EQ(Run({"list"}), tool::kFailed); // no file
    ASSERT_EQ(Run({"create"}), tool::kDone);
    EXPECT_EQ(Run({"get", "Setup\\TCP\\Remote Port"}), tool::kFailed); // not in the file
    EXPECT_EQ(out_.str(), "");
}

} // namespace
} // namespace zeva::test
