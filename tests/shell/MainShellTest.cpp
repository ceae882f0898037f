#include "shell/MainShell.h"
#include "common/SqliteDatabase.h"
#include "comms/HubConnection.h"
#include "model/FieldDatabase.h"
#include "shell/MainWindowPort.h"
#include "shell/Station.h"
#include "shell/StationPort.h"
#include "tests/support/JetWriter.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/FakeClock.h"
#include "tests/support/memory/FakeEventPump.h"
#include "tests/support/memory/FakeTcpSocket.h"
#include "tests/support/memory/MemoryFileSystem.h"
#include "tests/support/memory/MemoryFlexGrid.h"
#include "tests/support/memory/MemoryListBox.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zeva;

namespace {

// Records what start-up and shutdown do to the window and the station, in order.
class RecordingPort final : public MainWindowPort, public StationPort {
  public:
    std::vector<std::string> calls;
    std::string caption;
    std::string connectMessage;
    std::string fieldDbError;
    bool moduleFlagsOk = true;
    bool autoConnect = true;
    bool hubConnected = false;
    bool hubConnecting = false;
    bool timers = false;
    int connectAttempts = 0;
    std::string setupIdentAnswer; // what the hub setup dialog leaves in SetupIdent ("" = unchanged)

    void HideDisplays() override { calls.push_back("HideDisplays"); }
    void PlacePanes() override { calls.push_back("PlacePanes"); }
    void CreateHubConnection() override { calls.push_back("CreateHubConnection"); }
    void LoadClientSelection(const ClientSettings&) override { calls.push_back("LoadClientSelection"); }
    void ApplyOutputSettings(const ClientSettings&) override { calls.push_back("ApplyOutputSettings"); }
    void RunHubSetup(std::string& ident) override {
        calls.push_back("RunHubSetup(" + ident + ")");
        if (!setupIdentAnswer.empty()) ident = setupIdentAnswer;
    }
    std::string ConnectClasses(const std::string& userid) override {
        calls.push_back("ConnectClasses(" + userid + ")");
        return connectMessage;
    }
    bool FieldDatabaseLocked() const override { return false; }
    std::string FieldDatabaseError() const override { return fieldDbError; }
    bool ConnectModuleFlags(const std::string&) override {
        calls.push_back("ConnectModuleFlags");
        return moduleFlagsOk;
    }
    void SetCaption(const std::string& c) override { caption = c; }
    void SetupDisplayFormatList() override { calls.push_back("SetupDisplayFormatList"); }
    void SetHourglass(bool) override {}
    void RestoreFormPosition() override { calls.push_back("RestoreFormPosition"); }
    void SetRecordsProcessedText(const std::string& t) override { calls.push_back("Processed=" + t); }
    void EnableTimers(bool on) override {
        timers = on;
        calls.push_back(on ? "TimersOn" : "TimersOff");
    }
    void ShowDisplayMode(int mode) override {
        calls.push_back("ShowDisplayMode(" + std::to_string(mode) + ")");
    }
    void ApplySetupLock(bool) override { calls.push_back("ApplySetupLock"); }
    bool AutoConnectChecked() const override { return autoConnect; }
    bool HubConnected() const override { return hubConnected; }
    bool HubDisconnecting() const override { return disconnectingTicks != 0; }
    bool HubConnecting() const override { return hubConnecting; }
    int disconnectingTicks = 0; // -1: the hub never answers
    void ConnectToHub() override { ++connectAttempts; }
    void DisconnectHub() override {
        hubConnected = false;
        calls.push_back("DisconnectHub");
    }
    void Tick() {
        if (disconnectingTicks > 0) --disconnectingTicks;
    }
    std::string HubLocalPort() const override { return "0"; }
    void ShowCommsConsole(bool) override {}
    void SetCommsInfoItem(int, const std::string&) override {}
    void DisconnectClasses() override { calls.push_back("DisconnectClasses"); }
    void CloseFieldDatabase() override { calls.push_back("CloseFieldDatabase"); }
    void DisconnectModuleFlags() override { calls.push_back("DisconnectModuleFlags"); }
    void SaveWindowPosition() override { calls.push_back("SaveWindowPosition"); }
    void UnloadHubConnection() override { calls.push_back("UnloadHubConnection"); }
    void StoreWindowSettings() override { calls.push_back("StoreWindowSettings"); }
    void Unload() override { calls.push_back("Unload"); }

    std::string Calls() const {
        std::string line;
        for (const std::string& c : calls)
            line += (line.empty() ? "" : ", ") + c;
        return line;
    }
};

class MainShellTest : public ::testing::Test {
  protected:
    using Rows = std::vector<std::pair<std::string, std::string>>;
    void CreateSettings(const Rows& rows = {{"Setup\\WINDOW\\Load", "False"}}) {
        std::filesystem::remove(path_);
        ASSERT_TRUE(test::CreateSettingsDatabase(path_, rows));
    }
    std::string Stored(const std::string& key) { return test::StoredSetting(path_, key); }
    // The shell of a station set up before, with these settings besides, loaded for operator 05.
    MainShell& Running(Rows rows = {}) {
        rows.emplace_back("Setup\\WINDOW\\Load", "False");
        CreateSettings(rows);
        MainShell& shell = Shell();
        EXPECT_EQ(shell.Load("05"), MainShell::LoadResult::Running);
        return shell;
    }
    MainShell& Shell(bool otherInstance = false) {
        lock_ = std::make_unique<FakeInstanceLock>(otherInstance);
        shell_ = std::make_unique<MainShell>(port_, port_, messages_, files_, *lock_, ProgramVersion{4, 0, 1},
                                             path_);
        shell_->SetOutputSink([this](const std::string& line) { output_.push_back(line); });
        shell_->SetStopNotice([this](const std::string& line) { notices_.push_back(line); });
        return *shell_;
    }

    test::SiteFolder site_{"zeva_shell"};
    const std::filesystem::path dir_ = site_.Path();
    std::string path_ = site_.File("ZEVARegistry.mdb");
    RecordingPort port_;
    RecordingMessageBox messages_;
    MemoryFileSystem files_;
    std::unique_ptr<FakeInstanceLock> lock_;
    std::unique_ptr<MainShell> shell_;
    std::vector<std::string> output_, notices_; // the Output window's lines; standard error's
};

} // namespace

TEST_F(MainShellTest, NormalStartRunsEveryStepInOrder) {
    MainShell& shell = Running();
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(port_.Calls(),
              "HideDisplays, PlacePanes, CreateHubConnection, LoadClientSelection, ApplyOutputSettings, "
              "ConnectClasses(s05), ConnectModuleFlags, SetupDisplayFormatList, RestoreFormPosition, "
              "Processed=0, TimersOn, ShowDisplayMode(2), ApplySetupLock");
    EXPECT_TRUE(shell.ConnectRequested()) << "Auto Connect is ticked by default";
    EXPECT_FALSE(shell.FirstLoad());
    EXPECT_TRUE(output_.empty());
}

// The remedy follows the cause: only a file that is not there is made anew; making a new site over
// another program's file, an old station's or a damaged one would lose the site's settings.
TEST_F(MainShellTest, ASettingsFileThatDoesNotOpenStopsTheStartWithItsCauseAndItsRemedy) {
    // A development machine changes to its own folder first, where no settings database is either.
    files_.files.insert(MainShell::kDevelopmentMarker);
    std::string jet(0x80, '\0'); // an old station's Access 2000 file
    jet.replace(0, 20, std::string("\0\1\0\0Standard Jet DB\0", 20));
    jet[0x14] = 1;
    const std::pair<std::string, std::string> files[] = {
        {"", "no usable settings database " + path_ + " in " + std::filesystem::current_path().string() +
                 "; make the station's site there with: zeva-settings site --hub-address ADDRESS --hub-port "
                 "PORT, then zeva-fielddb create"},
        {std::string(200, 'x'), "cannot be read (file is not a database); restore the station's copy"},
        {jet, "is an old station's Access file; convert it with: mv " + path_ +
                  " old-registry.mdb && zeva-settings import old-registry.mdb -f " + path_}};
    for (const auto& [bytes, told] : files) {
        std::filesystem::remove(path_);
        if (!bytes.empty()) std::ofstream(path_, std::ios::binary) << bytes;
        MainShell& shell = Shell();
        EXPECT_EQ(shell.Load("ADMIN"), MainShell::LoadResult::Unloaded);
        EXPECT_TRUE(shell.SettingsFailed());
        EXPECT_NE(shell.StopReason().find(told), std::string::npos) << shell.StopReason();
        EXPECT_EQ(notices_.back(), shell.StopReason()) << "told on standard error";
    }
    EXPECT_EQ(files_.currentDirectory, "e:\\base\\zeva2017");
    EXPECT_EQ(port_.calls, std::vector<std::string>(3, "Unload")) << "nothing created, nothing undone";
}

TEST_F(MainShellTest, ACommandLineNotTakenIsToldOnStandardErrorWithTheFormsThatAre) {
    CreateSettings();
    EXPECT_EQ(Shell().Load("s05"), MainShell::LoadResult::Running);
    EXPECT_EQ(notices_,
              std::vector<std::string>{"Bad command line parameters -> [s05]. Forcing client to S99 (start "
                                       "it as zeva-screen-client NN, the operator's number 01 to 99, or "
                                       "ADMINNN; zeva-screen-client --help)"});
}

TEST_F(MainShellTest, SecondInstanceShowsTheMessageAndTouchesNothing) {
    CreateSettings();
    MainShell& shell = Shell(true);
    EXPECT_EQ(shell.Load("ADMIN05"), MainShell::LoadResult::Unloaded);
    EXPECT_EQ(messages_.shown.size(), 1u);
    EXPECT_TRUE(shell.PrevInstance());
    EXPECT_EQ(port_.calls, std::vector<std::string>{"Unload"});
    EXPECT_EQ(Stored("Setup\\Version"), "<missing>") << "no settings written";
}

TEST_F(MainShellTest, FreshDatabaseOpensHubSetupBeforeTheClassesConnectAndTheAdminCloseSavesInOrder) {
    CreateSettings({});
    MainShell& shell = Shell();
    port_.setupIdentAnswer = "s42";
    EXPECT_EQ(shell.Load("ADMIN12"), MainShell::LoadResult::Running);
    EXPECT_TRUE(shell.FirstLoad());
    // An admin first load forces s99 into the dialog; the dialog's identifier is used from then on.
    EXPECT_NE(port_.Calls().find("RunHubSetup(s99), ConnectClasses(s42)"), std::string::npos)
        << port_.Calls();
    EXPECT_EQ(Stored("Setup\\Version"), "V4.0(1)  ");
    port_.calls.clear();
    EXPECT_FALSE(shell.CloseRequested()) << "the connection timer ends the program";
    EXPECT_EQ(shell.DisconnectRequest(), 2);
    shell.Unload();
    EXPECT_EQ(port_.Calls(), "TimersOff, DisconnectClasses, CloseFieldDatabase, StoreWindowSettings, "
                             "DisconnectModuleFlags, SaveWindowPosition, UnloadHubConnection, Unload");
    EXPECT_EQ(Stored("Setup\\WINDOW\\Load"), "False") << "saved: the next start is no first load";
    port_.calls.clear();
    shell.Unload();
    EXPECT_TRUE(port_.calls.empty()) << "unload runs once";
}

// An admin run saves its changes at the close: a file that takes no writes is told at the run's
// start, before the changes are made, and again at the close, where the administrator still sees it
// before the window goes.
TEST_F(MainShellTest, AFileThatTakesNoWritesIsToldAtAnAdminRunsStartAndAgainBeforeTheWindowGoes) {
    CreateSettings();
    // A write version SQLite does not know makes the file read-only, for root too.
    std::fstream(path_, std::ios::in | std::ios::out | std::ios::binary).seekp(18).put(3);
    ASSERT_EQ(Shell().Load("05"), MainShell::LoadResult::Running);
    EXPECT_TRUE(messages_.shown.empty()) << "an operator's run writes nothing";
    MainShell& shell = Shell();
    ASSERT_EQ(shell.Load("ADMIN07"), MainShell::LoadResult::Running);
    ASSERT_EQ(std::tuple(messages_.shown.size(), notices_.size()), std::tuple(1u, 1u));
    EXPECT_EQ(std::tuple(messages_.shown[0].text, messages_.shown[0].detail),
              std::tuple("The settings cannot be saved",
                         "The settings database " + path_ + " in " +
                             std::filesystem::current_path().string() +
                             " cannot be written (attempt to write a readonly database): the changes of this "
                             "admin run would be lost at its close.\nMake the file one this user can write, "
                             "then start the admin run again."));
    messages_.shown.clear();
    notices_.clear();
    shell.Unload();
    EXPECT_EQ(notices_, std::vector<std::string>{shell.SaveFailure()}) << "standard error at once";
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(std::tuple(messages_.shown[0].icon, messages_.shown[0].text),
              std::tuple(MessageIcon::Critical, shell.SaveFailure()));
    EXPECT_EQ(port_.calls.back(), "Unload") << "the message comes before the window goes";
    EXPECT_NE(shell.SaveFailure().find(path_), std::string::npos) << shell.SaveFailure();
    EXPECT_NE(
        shell.SaveFailure().find("readonly database - this session's changes are lost; make the file one "
                                 "this user can write and make them again in an admin run"),
        std::string::npos)
        << shell.SaveFailure();
}

TEST_F(MainShellTest, AFileAnotherProgramHoldsStopsTheSaveAtOnceAndIsToldAtTheNextStart) {
    CreateSettings();
    MainShell& shell = Shell();
    ASSERT_EQ(shell.Load("ADMIN07"), MainShell::LoadResult::Running);
    SqliteDatabase other; // an sqlite3 session in a transaction
    ASSERT_TRUE(other.Open(path_, SqliteDatabase::Mode::ReadWrite) && other.Exec("BEGIN EXCLUSIVE"));
    output_.clear();
    shell.Unload();
    // One failed write, not one wait per key (about a minute for the window before).
    EXPECT_EQ(output_.size(), 1u);
    EXPECT_NE(
        shell.SaveFailure().find("database is locked - this session's changes are lost; close the program "
                                 "that holds the file"),
        std::string::npos)
        << shell.SaveFailure();
    EXPECT_EQ(Shell().Load("05"), MainShell::LoadResult::Unloaded);
    EXPECT_EQ(messages_.shown.back().detail,
              "The settings database " + path_ + " in " + std::filesystem::current_path().string() +
                  " is locked by another program.\nClose the program that holds it (an sqlite3 session, a "
                  "running zeva-settings) and start the client again.");
}

TEST_F(MainShellTest, BadIdentifierFromSetupStopsIdleAndCloseStillEnds) {
    CreateSettings({});
    MainShell& shell = Shell();
    port_.setupIdentAnswer = "m**";
    EXPECT_EQ(shell.Load("05"), MainShell::LoadResult::StoppedIdle);
    EXPECT_TRUE(messages_.shown.empty()) << "the window stays silent, as the site knows it";
    EXPECT_EQ(notices_,
              std::vector<std::string>{"the client identifier \"m**\" entered in the HUB Setup dialog is "
                                       "not a letter and two digits; start-up stopped: close the client, "
                                       "start it again and enter one such as s05 as its Client Identifer"});
    EXPECT_FALSE(port_.timers);
    // No timer runs, so the close request is carried out at once; nothing was connected or opened.
    EXPECT_TRUE(shell.CloseRequested());
    shell.Unload();
    EXPECT_EQ(port_.Calls(),
              "HideDisplays, PlacePanes, CreateHubConnection, LoadClientSelection, ApplyOutputSettings, "
              "RunHubSetup(s05), StoreWindowSettings, SaveWindowPosition, UnloadHubConnection, Unload");
}

TEST_F(MainShellTest, ClassFailureShowsCriticalMessageAndUndoesOnlyWhatWasDone) {
    CreateSettings();
    MainShell& shell = Shell();
    port_.connectMessage = "Failed to Open the Field DataBase (ZEVAField.mdb)";
    EXPECT_EQ(shell.Load("05"), MainShell::LoadResult::Unloaded);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].icon, MessageIcon::Critical);
    EXPECT_NE(messages_.shown[0].detail.find("with: zeva-fielddb create."), std::string::npos)
        << messages_.shown[0].detail;
    EXPECT_EQ(port_.Calls(),
              "HideDisplays, PlacePanes, CreateHubConnection, LoadClientSelection, ApplyOutputSettings, "
              "ConnectClasses(s05), DisconnectClasses, CloseFieldDatabase, StoreWindowSettings, "
              "SaveWindowPosition, UnloadHubConnection, Unload");

    // An old site's Access field database on a desk without zeva-fielddb: read through it, or converted.
    const std::string jet = site_.File("old.mdb");
    ASSERT_TRUE(test::WriteJet4File(jet, {{"ZVFields", {{"Identifier", test::JetType::Long}}, {}}}));
    CreateSettings({{"Setup\\FieldDataBaseFile", jet}});
    port_ = RecordingPort();
    port_.connectMessage = "Failed to Open the Field DataBase (" + jet + ")";
    port_.fieldDbError = FieldDatabase::kNoJetReader;
    EXPECT_EQ(Shell().Load("05"), MainShell::LoadResult::Unloaded);
    EXPECT_EQ(messages_.shown.back().detail,
              "The field database " + jet + " cannot be read (" + port_.fieldDbError +
                  ").\nPut zeva-fielddb beside zeva-screen-client or on PATH, or convert the file once with: "
                  "zeva-fielddb import " +
                  jet + " -f ZEVAField-converted.mdb and name that file in Setup\\FieldDataBaseFile.");

    // The module flag table failing is the same kind of stop. A bare number typed into the HUB Setup
    // dialog passes the first check (as " 05") and fails there, and is told so.
    CreateSettings({});
    port_ = RecordingPort();
    port_.moduleFlagsOk = false;
    port_.setupIdentAnswer = "05";
    EXPECT_EQ(Shell().Load("05"), MainShell::LoadResult::Unloaded);
    EXPECT_EQ(port_.Calls().find("DisconnectModuleFlags"), std::string::npos);
    EXPECT_EQ(
        messages_.shown.back().detail,
        "The client identifier \"05\" entered in the HUB Setup dialog is not a letter and two digits.\nClose "
        "the client, start it again and enter one such as s05 as its Client Identifer.");
}

TEST_F(MainShellTest, RetryCountdownAndGivingUp) {
    MainShell& shell =
        Running({{"Setup\\TCP\\Hub Connection Retries", "3"}, {"Setup\\TCP\\Hub Inter Retry Wait", "10"}});
    std::vector<std::string> statuses;
    for (int i = 0; i < 80; ++i) {
        shell.Timer2Tick();
        const std::string status = port_.caption.substr(shell.MainTitle().size());
        if (statuses.empty() || statuses.back() != status) statuses.push_back(status);
    }
    EXPECT_EQ(statuses[0], "  -  (01/03) Initialize");
    EXPECT_EQ(statuses[1], "  -  (01/03) Attempting Connection");
    EXPECT_EQ(statuses[2], "  -  (01/03) Failed to Connect");
    EXPECT_EQ(statuses[3], "  -  (02/03) Retry in 09 seconds");
    EXPECT_EQ(statuses[12], "  -  (02/03) Retry in 00 seconds");
    EXPECT_EQ(statuses[13], "  -  (02/03) Attempting Connection");
    EXPECT_EQ(statuses.back(), "  -  (03/03) Failed to Connect");
    EXPECT_EQ(port_.connectAttempts, 3);
    EXPECT_FALSE(shell.ConnectRequested());
    // Giving up is said (standard error, and the link alarm stays up with it), not left to silence.
    EXPECT_EQ(shell.GaveUpAfter(), 3);
    EXPECT_EQ(notices_,
              std::vector<std::string>{"the station stopped trying to reach the hub after 3 attempts "
                                       "(Setup\\TCP\\Hub Connection Retries; 0 keeps trying): Comms > "
                                       "Connect or a restart tries again"});
    // The last login completes after all: the link is kept and watched, not ignored.
    port_.hubConnected = true;
    shell.Timer2Tick();
    EXPECT_NE(port_.caption.find("Connected"), std::string::npos);
    EXPECT_TRUE(shell.ConnectRequested());
    EXPECT_EQ(shell.GaveUpAfter(), 0);
    port_.hubConnected = false;
    for (int i = 0; i < 3; ++i)
        shell.Timer2Tick();
    EXPECT_EQ(port_.connectAttempts, 4) << "a drop of that link is retried by itself";
}

TEST_F(MainShellTest, ProcessedCounterWrapsAfterNineDigits) {
    MainShell& shell = Shell();
    shell.SetRecordsProcessed(999999998);
    shell.CountRecord();
    EXPECT_EQ(shell.RecordsProcessed(), 999999999);
    shell.CountRecord();
    EXPECT_EQ(shell.RecordsProcessed(), 0);
}

TEST_F(MainShellTest, ASecondHubTakesTheNextAttemptAfterAFailureOrALostLink) {
    MainShell& shell = Running({{"Setup\\TCP\\Remote Address", "10.0.0.5"},
                                {"Setup\\TCP\\Remote Port", "5000"},
                                {"Setup\\TCP\\Backup Address", "10.0.0.6"},
                                {"Setup\\TCP\\Backup Port", "26000"},
                                {"Setup\\TCP\\Hub Inter Retry Wait", "2"}});
    std::vector<std::string> hubs; // the hub of each attempt
    const auto tick = [&] {
        const int before = port_.connectAttempts;
        shell.Timer2Tick();
        if (port_.connectAttempts != before) hubs.push_back(shell.HubInUse());
    };
    for (int i = 0; i < 10; ++i)
        tick(); // refused, refused: A, B, A
    EXPECT_EQ(hubs, (std::vector<std::string>{"10.0.0.5:5000", "10.0.0.6:26000", "10.0.0.5:5000"}));
    EXPECT_NE(port_.caption.find(" via 10.0.0."), std::string::npos) << port_.caption;
    EXPECT_EQ(shell.RetriesLeft(), 8) << "the same retry counting across both hubs";

    port_.hubConnected = true; // the attempt to A logs in
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_NE(port_.caption.find(") Connected via 10.0.0.5:5000"), std::string::npos) << port_.caption;
    port_.hubConnected = false; // A goes away: the next attempt is to B
    hubs.clear();
    for (int i = 0; i < 2 && hubs.empty(); ++i)
        tick();
    EXPECT_EQ(hubs, std::vector<std::string>{"10.0.0.6:26000"});

    // A's close reported while the attempt to B is still under way does not end that attempt: B
    // stays the hub in use and its login is shown as B's.
    port_.hubConnecting = true;
    shell.ConnectAttemptEnded();
    EXPECT_EQ(shell.HubInUse(), "10.0.0.6:26000");
    port_.hubConnecting = false;
    port_.hubConnected = true;
    tick();
    EXPECT_NE(port_.caption.find(") Connected via 10.0.0.6:26000"), std::string::npos) << port_.caption;
}

TEST_F(MainShellTest, TerminateWaitsForTheLogOffButNotForever) {
    for (int answerAfter : {2, -1}) {
        port_ = RecordingPort();
        MainShell& shell = Running();
        port_.hubConnected = true;
        shell.Timer2Tick();
        shell.Timer2Tick();
        port_.disconnectingTicks = answerAfter;
        EXPECT_FALSE(shell.CloseRequested());
        EXPECT_EQ(port_.calls.back(), "DisconnectHub")
            << "the 1002 leaves at the close request, not ticks later";
        int ticks = 0;
        while (port_.calls.back() != "Unload" && ticks < 20) {
            shell.Timer2Tick();
            port_.Tick();
            ++ticks;
        }
        ASSERT_EQ(port_.calls.back(), "Unload") << answerAfter;
        EXPECT_NE(port_.caption.find("Terminating"), std::string::npos);
        EXPECT_LE(ticks, MainShell::kTerminateWaitTicks) << "a dead hub holds the window a second at most";
    }
}

// The station on the in-memory lists, grids and socket: the field database it opens at start-up,
// and the hub connection it drives for the connection timer.
TEST_F(MainShellTest, TheStationNamesAMissingFieldDatabaseAndKeepsALoginUnderWay) {
    const std::string fields = site_.File("ZEVAField.mdb");
    CreateSettings({{"Setup\\WINDOW\\Load", "False"},
                    {"Setup\\TCP\\Hub Inter Retry Wait", "0"},
                    {"Setup\\FieldDataBaseFile", fields},
                    {"Setup\\RecordLog", "True"},
                    {"Setup\\RecordLogFolder", fields}}); // a file, where a folder belongs
    MemoryListBox output, fullFields, clients, recordList, fieldList;
    MemoryFlexGrid memberGrid, recordGrid;
    FakeClock clock;
    FakeTcpSocket socket;
    FakeEventPump pump;
    HubConnection hub(socket, clock, pump);
    FakeInstanceLock lock;
    const auto station = [&] {
        auto s = std::make_unique<Station>(
            port_, messages_, files_, lock, ProgramVersion{4, 0, 1}, path_, clock,
            Station::Views{output, fullFields, clients, recordList, memberGrid, recordGrid, fieldList});
        s->onCreateHubConnection = [&] { return &hub; };
        return s;
    };
    EXPECT_EQ(station()->shell().Load("05"), MainShell::LoadResult::Unloaded);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Failed to Open the Field DataBase (" + fields + ")");
    std::ofstream(fields).flush(); // an interrupted copy: opens, but holds no field table
    messages_.shown.clear();
    EXPECT_EQ(station()->shell().Load("05"), MainShell::LoadResult::Unloaded);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(
        std::tuple(messages_.shown[0].text, messages_.shown[1].text, messages_.shown[1].detail),
        std::tuple("1:no such table: ZVFields", "Failed to connect to Field class (ZVFClass)",
                   "The field database " + fields +
                       " cannot be read (no such table: ZVFields).\nRestore the site's copy, or name another "
                       "file in Setup\\FieldDataBaseFile."));
    std::filesystem::remove(fields);

    std::stringstream text;
    text << std::ifstream(std::string(ZEVA_SOURCE_DIR) + "/data/sample-fields.sql").rdbuf();
    SqliteDatabase db;
    ASSERT_TRUE(db.Open(fields, SqliteDatabase::Mode::Create) && db.ExecScript(text.str()));
    db.Close();
    {
        SqliteDatabase other; // another program holds the file: no new sample is suggested
        ASSERT_TRUE(other.Open(fields, SqliteDatabase::Mode::ReadWrite) && other.Exec("BEGIN EXCLUSIVE"));
        messages_.shown.clear();
        EXPECT_EQ(station()->shell().Load("05"), MainShell::LoadResult::Unloaded);
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(
            messages_.shown[0].detail,
            "The field database " + fields +
                " is locked by another program.\nClose the program that holds it (an sqlite3 session, a "
                "running zeva-fielddb) and start the client again.");
    }
    auto running = station();
    ASSERT_EQ(running->shell().Load("05"), MainShell::LoadResult::Running);
    EXPECT_EQ(output.List(0),
              "Record log: cannot write in " + fields +
                  " - calls are not being recorded (make it a folder the client can write, or "
                  "name another in Setup\\RecordLogFolder)");
    // A login takes several engine steps, but the connection timer judges the attempt at its next
    // tick and, with no retry wait, tries again at once: the login under way is not restarted.
    for (int i = 0; i < 6; ++i)
        running->shell().Timer2Tick();
    EXPECT_EQ(socket.connectCalls, 1);
    EXPECT_TRUE(hub.Connecting());
}
