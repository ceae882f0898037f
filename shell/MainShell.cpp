#include "shell/MainShell.h"

#include "common/FormatValue.h"
#include "common/JetHeader.h"
#include "common/TextUtil.h"
#include "flags/ModuleClass.h"
#include "model/FieldDatabase.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "shell/CommandLine.h"
#include "shell/MainWindowPort.h"
#include "shell/StationPort.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace zeva {

MainShell::MainShell(MainWindowPort& window, StationPort& station, MessageBox& messages, FileSystem& files,
                     InstanceLock& instance, ProgramVersion version, std::string settingsPath)
    : window_(window), station_(station), messages_(messages), files_(files), instance_(instance),
      version_(version),
      db_(std::make_unique<SettingsDatabase>(std::move(settingsPath), session_,
                                             [this](const std::string& line) { Output(line); })) {}

MainShell::~MainShell() = default;

void MainShell::SetOutputSink(std::function<void(const std::string&)> sink) {
    output_ = std::move(sink);
}

void MainShell::Output(const std::string& line) {
    if (output_) output_(line);
}

namespace {

std::string CurrentFolder() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    return ec ? std::string(".") : folder.string();
}

// A sentence for the box from a clause of the standard-error line.
std::string Sentence(std::string clause) {
    if (!clause.empty()) clause[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(clause[0])));
    return clause + '.';
}

constexpr const char* kMakeASite =
    "make the station's site there with: zeva-settings site --hub-address ADDRESS --hub-port PORT, then "
    "zeva-fielddb create";

// A database file another program holds (an open sqlite3 session's transaction, one of the tools
// writing it) is no fault of the file, and making a new one is no remedy.
std::string LockedReason() {
    return " is locked by another program";
}
std::string CloseTheHolder(const std::string& tool, const std::string& when = "and start the client again") {
    return "close the program that holds it (an sqlite3 session, a running " + tool + ") " + when;
}
} // namespace

std::string MainShell::GaveUpText(int attempts) {
    return "the station stopped trying to reach the hub after " + std::to_string(attempts) +
           " attempts (Setup\\TCP\\Hub Connection Retries; 0 keeps trying): Comms > Connect or a restart "
           "tries again";
}

void MainShell::Stop(const std::string& message, const std::string& reason, const std::string& remedy,
                     MessageIcon icon, const std::string& title) {
    stopReason_ = remedy.empty() ? reason : reason + "; " + remedy;
    if (stopNotice_) stopNotice_(stopReason_);
    messages_.Show(message, icon, title,
                   remedy.empty() ? std::string() : Sentence(reason) + '\n' + Sentence(remedy));
}

MainShell::LoadResult MainShell::Fail(const std::string& message, std::string reason, std::string remedy) {
    // The field database is the one a new site most often lacks; or it opened, but its field table
    // could not be read (an empty file, the settings file named instead).
    const bool noFieldTable =
        message == StationPort::kFieldClassFailure && !station_.FieldDatabaseError().empty();
    if (reason.empty()) reason = message;
    if (message.starts_with(StationPort::kFieldDatabaseFailure) || noFieldTable) {
        const std::string& file = settings_.FieldDataBaseFile;
        std::error_code ec;
        const std::filesystem::path where = std::filesystem::absolute(file, ec);
        if (station_.FieldDatabaseLocked()) {
            reason = "the field database " + (ec ? file : where.string()) + LockedReason();
            remedy = CloseTheHolder("zeva-fielddb");
        } else if (noFieldTable || std::filesystem::exists(file, ec)) {
            // The sample would replace the site's own definitions: no advice to make it here.
            reason = "the field database " + (ec ? file : where.string()) + " cannot be read (" +
                     station_.FieldDatabaseError() + ")";
            remedy = "restore the site's copy, or name another file in Setup\\FieldDataBaseFile";
            // An old site's Access file on a desk without the program that reads it.
            if (station_.FieldDatabaseError() == FieldDatabase::kNoJetReader)
                remedy =
                    "put zeva-fielddb beside zeva-screen-client or on PATH, or convert the file once with: "
                    "zeva-fielddb import " +
                    file + " -f ZEVAField-converted.mdb and name that file in Setup\\FieldDataBaseFile";
        } else {
            reason = "no readable field database " + (ec ? file : where.string());
            remedy = "make the sample one in " + CurrentFolder() + " with: zeva-fielddb create" +
                     (file == ClientSettings{}.FieldDataBaseFile ? "" : " -f " + file);
        }
    }
    Stop(message, reason, remedy, MessageIcon::Critical, kClientTitle);
    Unload();
    return LoadResult::Unloaded;
}

MainShell::LoadResult MainShell::Load(const std::string& commandLine) {
    if (!OpenAlone()) return LoadResult::Unloaded;
    ApplyCommandLine(commandLine);
    LoadSettingsIntoWindow();
    // A fresh settings database asks for the hub first.
    if (settings_.Load) FirstLoadHubSetup();
    // Only the HUB Setup dialog can give an identifier that is not one.
    const std::string badIdentifier = "the client identifier \"" + TerminalSafe(session_.Userid) +
                                      "\" entered in the HUB Setup dialog is not a letter and two digits";
    const std::string enterOne = "close the client, start it again and enter one such as s05 as its "
                                 "Client Identifer";
    // A bad identifier stops start-up without a box; the window stays open and idle. Standard error
    // still says why, or a station started by a service would sit there without a trace.
    if (!CheckUserid(session_.Userid)) {
        if (stopNotice_) stopNotice_(badIdentifier + "; start-up stopped: " + enterOne);
        return LoadResult::StoppedIdle;
    }
    // Field and record classes.
    classesConnected_ = true;
    fieldDatabaseTouched_ = true;
    if (const std::string message = station_.ConnectClasses(session_.Userid); !message.empty())
        return Fail(message);
    // Module flags. A bare number ("05") passes the check above as " 05", which no flag carries.
    if (!station_.ConnectModuleFlags(session_.Userid)) {
        const bool notAnIdentifier = !ModuleClass::NormaliseIdentifier(session_.Userid);
        return Fail("Failed to load ModuleClass", notAnIdentifier ? badIdentifier : std::string(),
                    notAnIdentifier ? enterOne : std::string());
    }
    moduleFlagsConnected_ = true;
    StartRunning();
    WarnWhenSettingsCannotBeSaved();
    return LoadResult::Running;
}

// An admin run saves its changes at the close; a settings file that takes no writes would lose them
// all then. Said now, before the administrator makes them.
void MainShell::WarnWhenSettingsCannotBeSaved() {
    if (!session_.AdminMode || db_->TakesWrites()) return;
    const std::string where = db_->Path() + " in " + CurrentFolder();
    const bool locked = db_->LockedByAnother();
    const std::string reason = "the settings database " + where +
                               (locked ? LockedReason() : " cannot be written (" + db_->LastError() + ")") +
                               ": the changes of this admin run would be lost at its close";
    const std::string remedy = locked
                                   ? CloseTheHolder("zeva-settings", "before this run ends")
                                   : "make the file one this user can write, then start the admin run again";
    if (stopNotice_) stopNotice_(reason + "; " + remedy);
    messages_.Show("The settings cannot be saved", MessageIcon::Exclamation, kClientTitle,
                   Sentence(reason) + '\n' + Sentence(remedy));
}

// A development machine's own folder, one copy per machine, and a settings database that opens;
// false when start-up stops (after saying why).
bool MainShell::OpenAlone() {
    // A development machine keeps its own copies of the databases.
    if (files_.FileExists(kDevelopmentMarker)) {
        files_.ChangeDirectory(kDevelopmentDirectory);
        messages_.Show(std::string("Current directory changed to ") + kDevelopmentDirectory);
    }
    // One copy per machine.
    prevInstance_ = !instance_.TryAcquire();
    if (prevInstance_) {
        Stop("Another instance of ZEVA Screen Client is currently runnning on this PC.  Only one \r\n"
             "instance of Pelix Server can run at any one time",
             "another ZEVA Screen Client is already running on this machine; only one may run", {},
             MessageIcon::None, {});
        Unload();
        return false;
    }
    // The settings database must open.
    settingsFailed_ = false;
    if (!db_->OpenSettingsDb()) {
        settingsFailed_ = true;
        // The remedy follows the cause: a file that is missing, held, an old station's Access file, or
        // damaged; making a new site is no answer to the last three.
        const std::string& path = db_->Path();
        const std::string where = path + " in " + CurrentFolder();
        std::error_code ec;
        const bool exists = std::filesystem::exists(path, ec);
        std::string reason = "no usable settings database " + where, remedy = kMakeASite;
        if (db_->LockedByAnother()) {
            reason = "the settings database " + where + LockedReason();
            remedy = CloseTheHolder("zeva-settings");
        } else if (exists && JetVersionOfFile(path) != JetVersion::None) {
            reason = "the settings database " + where + " is an old station's Access file";
            remedy = "convert it with: mv " + path +
                     " old-registry.mdb && zeva-settings import old-registry.mdb -f " + path;
        } else if (exists) {
            reason = "the settings database " + where + " cannot be read (" + db_->LastError() + ")";
            remedy =
                "restore the station's copy, or move it away and make a new site there with: zeva-settings "
                "site --hub-address ADDRESS --hub-port PORT";
        }
        Stop("Unable to open Registry Database", reason, remedy, MessageIcon::None, {});
        Unload();
        return false;
    }
    db_->CloseSettingsDb();
    return true;
}

// The command line: admin mode and the identifier.
void MainShell::ApplyCommandLine(const std::string& commandLine) {
    const CommandLineResult cmd = ParseCommandLine(commandLine);
    session_.AdminMode = cmd.AdminMode;
    session_.Userid = cmd.Userid;
    if (!cmd.Message.empty()) {
        // A station a service starts now runs as s99: the journal says so, with the forms taken.
        std::string line = cmd.Message;
        for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;)
            line.replace(at, 2, " - ");
        if (stopNotice_)
            stopNotice_(line +
                        " (start it as zeva-screen-client NN, the operator's number 01 to 99, or ADMINNN; "
                        "zeva-screen-client --help)");
        if (cmd.Critical)
            messages_.Show(cmd.Message, MessageIcon::Critical, kClientTitle);
        else
            messages_.Show(cmd.Message);
    }
    if (!session_.AdminMode) window_.HideDisplays();
}

// Panes, hub connection, client selection, settings.
void MainShell::LoadSettingsIntoWindow() {
    window_.PlacePanes();
    station_.CreateHubConnection();
    hubConnectionCreated_ = true;
    ReadClientSelection(*db_, settings_);
    window_.LoadClientSelection(settings_);
    LoadAllSettings(*db_, session_.Userid, settings_);
    WriteVersion(*db_, VersionText(version_.Major, version_.Minor, version_.Revision));
    ReadOutputSettings(*db_, settings_);
    window_.ApplyOutputSettings(settings_);
    window_.SetCommsInfoItem(1, "Hub Address = " + settings_.RemoteAddress);
    window_.SetCommsInfoItem(2, "Hub Port = " + std::to_string(settings_.RemotePort));
    window_.SetCommsInfoItem(3, "Local Port = " + station_.HubLocalPort());
}

// A fresh settings database: the hub setup dialog, under the first-load caption.
void MainShell::FirstLoadHubSetup() {
    if (session_.AdminMode) session_.Userid = "s99";
    mainTitle_ = FirstLoadTitle(session_.AdminMode, session_.Userid, version_.Major, version_.Minor,
                                version_.Revision);
    window_.SetCaption(mainTitle_);
    caption_ = mainTitle_;
    setupIdent_ = session_.Userid;
    window_.RunHubSetup(setupIdent_);
    session_.Userid = setupIdent_;
}

// Caption base, display-format list, position and timers; then display mode, setup lock and
// auto-connect.
void MainShell::StartRunning() {
    mainTitle_ =
        RunningTitle(session_.AdminMode, session_.Userid, version_.Major, version_.Minor, version_.Revision);
    window_.SetupDisplayFormatList();
    window_.SetHourglass(true);
    window_.RestoreFormPosition();
    window_.SetRecordsProcessedText("0");
    window_.EnableTimers(true);
    timersRunning_ = true;
    window_.SetHourglass(false);
    window_.ShowDisplayMode(settings_.WindowSelected);
    window_.ApplySetupLock(settings_.SetupLockState);
    if (window_.AutoConnectChecked()) ConnectCommand();
}

void MainShell::ConnectCommand() {
    connectRequested_ = true;
    disconnectRequest_ = 0;
    gaveUpAfter_ = 0;
}

void MainShell::DisconnectCommand() {
    disconnectRequest_ = 1;
    gaveUpAfter_ = 0;
}

std::string MainShell::StatusCaption(const std::string& status) const {
    const int retries = settings_.HubConnectionRetries;
    std::string caption = mainTitle_ + "  -  (" + FormatValue(retries - retriesLeft_ + 1, "00") + "/" +
                          FormatValue(retries, "00") + ") " + status;
    if (settings_.HasBackupHub()) caption += " via " + HubInUse();
    return caption;
}

const std::string& MainShell::HubAddress() const {
    return onBackup_ && settings_.HasBackupHub() ? settings_.BackupAddress : settings_.RemoteAddress;
}

std::int32_t MainShell::HubPort() const {
    return onBackup_ && settings_.HasBackupHub() ? settings_.BackupPort : settings_.RemotePort;
}

std::string MainShell::HubInUse() const {
    return HubAddress() + ":" + std::to_string(HubPort());
}

void MainShell::SwitchHub() {
    if (settings_.HasBackupHub()) onBackup_ = !onBackup_;
}

void MainShell::ShowStatus(const std::string& status) {
    const std::string caption = StatusCaption(status);
    if (caption == caption_) return;
    caption_ = caption;
    window_.SetCaption(caption);
}

void MainShell::ConnectedNow() {
    retryCountdown_ = 0;
    retriesLeft_ = settings_.HubConnectionRetries;
    linked_ = true;
    ShowStatus("Connected");
    window_.SetCommsInfoItem(3, "Local Port = " + station_.HubLocalPort());
    if (settings_.AutoShowCommClass) window_.ShowCommsConsole(false);
}

void MainShell::Timer2Tick() {
    const int retries = settings_.HubConnectionRetries;
    if (terminating_) {
        TickTerminating();
        return;
    }
    switch (connState_) {
    case 0:
        retryCountdown_ = 0;
        retriesLeft_ = retries;
        ShowStatus("Initialize");
        connState_ = 1;
        break;
    case 1:
        TickWantingLink();
        break;
    case 2:
        AttemptConnection();
        break;
    case 3:
        TickAfterAttempt();
        break;
    case 5:
        TickLinked();
        break;
    default:
        connState_ = 0;
        break;
    }
}

// A terminate request waits for the log-off to leave, then unloads.
void MainShell::TickTerminating() {
    // The hub hears the 1002 before the window goes; a dead hub holds it up a few seconds at most.
    if (!station_.HubDisconnecting() || ++terminateTicks_ >= kTerminateWaitTicks) {
        ShowStatus("Terminating");
        Unload();
    }
}

// State 1: a link is wanted (or already up): count down to the next attempt, or start it.
void MainShell::TickWantingLink() {
    if (disconnectRequest_ != 0) {
        connState_ = 5;
    } else if (connectRequested_ || station_.HubConnected()) {
        if (linked_ && !station_.HubConnected()) {
            // The link was lost (or given up for a stall): the next attempt tries the other hub.
            linked_ = false;
            SwitchHub();
        }
        // A login that completes after the last attempt was given up is still a link to keep.
        connectRequested_ = true;
        gaveUpAfter_ = 0;
        if (station_.HubConnected()) {
            ConnectedNow();
            connState_ = 5;
        } else if (retryCountdown_ >= 1) {
            --retryCountdown_;
            ShowStatus("Retry in " + FormatValue(retryCountdown_, "00") + " seconds");
        } else {
            // The attempt starts in this tick rather than the next: after a hub outage the
            // link is back within the retry wait and a second.
            AttemptConnection();
        }
    }
}

// State 3: the attempt has been made: linked, or the next try (to the other hub) counted down.
void MainShell::TickAfterAttempt() {
    const int retries = settings_.HubConnectionRetries;
    if (station_.HubConnected()) {
        ConnectedNow();
        connState_ = 1;
    } else {
        ShowStatus("Failed to Connect");
        SwitchHub();
        retryCountdown_ = settings_.HubInterRetryWait;
        // The attempt is counted at once (no tick of its own), and the countdown starts.
        connState_ = 1;
        if (retries > 0 && --retriesLeft_ < 1) {
            // Out of attempts: stay disconnected until the next Connect command, and say so: the
            // link is still down, and nothing brings it back by itself now.
            connectRequested_ = false;
            retryCountdown_ = 0;
            retriesLeft_ = retries;
            gaveUpAfter_ = retries;
            if (stopNotice_) stopNotice_(GaveUpText(retries));
        }
    }
}

// State 5: linked or idle: a disconnect request closes the link, a connect request goes back to 1.
void MainShell::TickLinked() {
    if (disconnectRequest_ != 0) {
        ShowStatus("Disconnecting");
        connectRequested_ = false;
        linked_ = false;
        if (settings_.AutoShowCommClass) window_.ShowCommsConsole(true);
        window_.SetHourglass(true);
        station_.DisconnectHub();
        window_.SetHourglass(false);
        if (settings_.AutoShowCommClass) window_.ShowCommsConsole(false);
        const int request = disconnectRequest_;
        disconnectRequest_ = 0;
        if (request == 2) {
            terminating_ = true;
            terminateTicks_ = 0;
            if (!station_.HubDisconnecting()) {
                ShowStatus("Terminating");
                Unload();
            }
        } else {
            ShowStatus("Disconnected");
        }
    } else if (connectRequested_) {
        connState_ = 1;
    }
}

void MainShell::AttemptConnection() {
    ShowStatus("Attempting Connection");
    if (settings_.AutoShowCommClass) window_.ShowCommsConsole(true);
    station_.ConnectToHub();
    connState_ = 3;
}

void MainShell::ConnectAttemptEnded() {
    // A refused connection is known within moments; its countdown starts then, not at the tick.
    // The old link's close can be reported after the next attempt (to the other hub) has begun: that
    // attempt has not ended, and taking it for a failure would switch the hub under a good login.
    if (connState_ == 3 && !terminating_ && !unloaded_ && !station_.HubConnecting()) Timer2Tick();
}

bool MainShell::CloseRequested() {
    if (unloaded_) return true;
    // Only the running connection timer can carry out a terminate request; when start-up stopped
    // before the timers started, close at once.
    if (!timersRunning_) return true;
    disconnectRequest_ = 2;
    // The connection timer carries the request out, but at once rather than at its next ticks:
    // the hub hears the 1002 within moments of the close, whatever else is going on. A link
    // still being set up finishes its step first, as at any tick.
    if (connState_ == 1 && !terminating_) Timer2Tick(); // to the disconnect step
    if (connState_ == 5 && !terminating_) Timer2Tick(); // the 1002 leaves
    return unloaded_;
}

void MainShell::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (timersRunning_) {
        window_.EnableTimers(false);
        timersRunning_ = false;
    }
    // The window is closing: a write that fails must be said where the administrator still sees
    // it, or the changes of the whole session are lost without a word; and once a write meets a
    // file another program holds, the others would each wait on it in vain.
    std::string firstError;
    bool locked = false;
    const SettingsDatabase::ErrorSink outputSink = db_->Sink();
    db_->SetErrorSink([&](const std::string& line) {
        if (firstError.empty()) firstError = line;
        if (outputSink) outputSink(line);
        if (db_->LockedByAnother()) {
            locked = true;
            db_->StopWrites();
        }
    });
    if (!prevInstance_) {
        if (classesConnected_) station_.DisconnectClasses(); // the Records and Fields grids' columns
        if (fieldDatabaseTouched_) station_.CloseFieldDatabase();
    }
    if (!settingsFailed_ && !prevInstance_) {
        // The writes take effect in admin mode only.
        window_.StoreWindowSettings();
        SaveAllSettings(*db_, session_.Userid, settings_);
        SaveOutputSettings(*db_, settings_);
        if (moduleFlagsConnected_) station_.DisconnectModuleFlags();
        window_.SaveWindowPosition();
        if (hubConnectionCreated_) station_.UnloadHubConnection();
    }
    db_->SetErrorSink(outputSink);
    if (session_.AdminMode && !firstError.empty() && !settingsFailed_) ReportSaveFailure(firstError, locked);
    window_.Unload();
}

void MainShell::ReportSaveFailure(const std::string& firstError, bool locked) {
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(db_->Path(), ec);
    saveFailure_ =
        "The settings could not be saved to " + (ec ? db_->Path() : file.string()) + ": " + firstError +
        " - this session's changes are lost; " +
        (locked ? std::string("close the program that holds the file (an sqlite3 session, a running "
                              "zeva-settings)")
                : std::string("make the file one this user can write")) +
        " and make them again in an admin run";
    if (stopNotice_) stopNotice_(saveFailure_); // standard error at once, not after the box
    messages_.Show(saveFailure_, MessageIcon::Critical, kClientTitle);
}

} // namespace zeva
