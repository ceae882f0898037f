// Each tool as a process, the way an administrator's shell meets it: one version for the project,
// one exit-status convention, and no half-made file left behind by a failed command.
#include "tests/support/JetWriter.h"
#include "tests/support/SiteFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace zeva::test {
namespace {

class ToolProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The tools are built with the sanitizers too: Qt's lifetime allocations are no leaks.
        ::setenv("LSAN_OPTIONS", "suppressions=" ZEVA_SOURCE_DIR "/tests/lsan.supp", 0);
    }

    // Runs a command line in the test's folder; the output is standard output and standard error.
    CommandResult Sh(const std::string& command) {
        return RunCommand("cd '" + dir_.string() + "' && " + command + " 2>&1");
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }

    test::SiteFolder site_{"zeva_toolproc"};
    const std::filesystem::path dir_ = site_.Path();
};

const char* const kTools[] = {ZEVA_SETTINGS_PATH, ZEVA_FIELDDB_PATH, ZEVA_RLOG_PATH, ZEVA_HUB_PATH,
                              ZEVA_MONITOR_PATH};
// Command lines are built from named strings: a temporary made from a literal and extended in place
// makes an optimised link-time build warn of a copy into the short-string buffer.
const std::string kHub = ZEVA_HUB_PATH, kMonitor = ZEVA_MONITOR_PATH, kSettings = ZEVA_SETTINGS_PATH;

TEST_F(ToolProcessTest, EveryToolShowsTheProjectVersionAndItsExitStatus) {
    for (const std::string tool : kTools) {
        const std::string name = std::filesystem::path(tool).filename().string();
        const CommandResult version = Sh(tool + " --version");
        EXPECT_EQ(std::tuple(version.status, version.output, Sh(tool + " --no-such-option").status),
                  std::tuple(0, name + " " + ZEVA_VERSION_TEXT + "\n", 1));
    }
}

TEST_F(ToolProcessTest, FieldDatabaseScriptThatFailsLeavesNoFile) {
    const std::string fielddb = ZEVA_FIELDDB_PATH;
    Write("bad.sql", "CREATE TABLE ZVFields (Identifier INTEGER);\nINSERT INTO Nowhere VALUES (1);\n");
    CommandResult r = Sh(fielddb + " create -f Fields.mdb --sql bad.sql");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("no such table: Nowhere"), std::string::npos) << r.output;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "only bad.sql is left";

    r = Sh(fielddb + " create -f Fields.mdb"); // the retry is not blocked
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("53 fields in Fields.mdb"), std::string::npos) << r.output;
    // A failed replace keeps the old file; without --force an existing file is not replaced.
    EXPECT_EQ(std::vector({Sh(fielddb + " create -f Fields.mdb --force --sql bad.sql").status,
                           Sh(fielddb + " list -f Fields.mdb").status,
                           Sh(fielddb + " create -f Fields.mdb").status}),
              std::vector({2, 0, 2}));
}

TEST_F(ToolProcessTest, RecordLogToolRefusesWhatIsNotALogAndNamesAnUnknownCommand) {
    const std::string rlog = ZEVA_RLOG_PATH;
    Write("notes.txt", "this is no log\n");
    Write("empty.log", "");
    for (const char* command : {"convert notes.txt", "count empty.log"}) {
        const CommandResult r = Sh(rlog + " " + command);
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_NE(r.output.find("is not a record log"), std::string::npos) << r.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ / "notes_"));
    const CommandResult r = Sh(rlog + " frob notes.txt");
    EXPECT_EQ(std::tuple(r.status, r.output, Sh(rlog + " list --type 200 notes.txt").status),
              std::tuple(1, "zeva-rlog: unknown command \"frob\"; see zeva-rlog --help\n", 1));
}

TEST_F(ToolProcessTest, HubAndMonitorTellAWrongOptionFromAFailure) {
    // No ZEVARegistry.mdb here for zeva-settings list.
    EXPECT_EQ(
        std::vector({Sh(kHub + " --port 70000").status, Sh(kHub + " --port 0 --records missing.txt").status,
                     Sh(kMonitor + " --port x").status, Sh(kSettings + " list").status}),
        std::vector({1, 2, 1, 2}));
    // A monitor that cannot reach the hub says so at once, with what to check; a wrong identifier
    // gives the form.
    EXPECT_EQ(
        std::tuple(Sh("timeout -s INT 3 " + kMonitor + " --port 1").output, Sh(kMonitor + " --id m1").output),
        std::tuple("zeva-monitor: hub 127.0.0.1 port 1: could not connect - [10061] : Connection refused - "
                   "check --host and --port; trying again every 6 s\n",
                   "zeva-monitor: \"m1\" is not a client identifier: give a letter and two digits, e.g. "
                   "--id m01\n"));
}

} // namespace
} // namespace zeva::test
