#pragma once
#include "platform/MessageBox.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"

#include <functional>
#include <memory>
#include <string>

namespace zeva {

class FileSystem;
class InstanceLock;
class MainWindowPort;
class StationPort;

// The program's version, from the build.
struct ProgramVersion {
    int Major = 0, Minor = 0, Revision = 0;
};

// The main window's own logic: the start-up steps in their order, the process-wide state they set,
// the Connect command, close requests and the shutdown order. It talks to the window only through
// MainWindowPort and MessageBox, and to the station's objects through StationPort, so every path
// runs in tests without a screen.
class MainShell {
  public:
    // How start-up ended.
    enum class LoadResult { Running, StoppedIdle, Unloaded };

    MainShell(MainWindowPort& window, StationPort& station, MessageBox& messages, FileSystem& files,
              InstanceLock& instance, ProgramVersion version,
              std::string settingsPath = SettingsDatabase::kFileName);
    ~MainShell();

    // The load step of the main window. commandLine is the whole argument text.
    LoadResult Load(const std::string& commandLine);

    // A close request from outside the program (close box, Exit, the system shutting down). True
    // when the window may close now; otherwise the request becomes a terminate request that the
    // connection timer carries out.
    bool CloseRequested();
    // The unload of the main window: disconnects and saves in the shutdown order. Runs once.
    void Unload();

    // The Connect and Disconnect commands of the Comms menu.
    void ConnectCommand();
    void DisconnectCommand();
    // Timer2, every 1000 ms: the connection state machine with its retry countdown.
    void Timer2Tick();
    // The hub connection's attempt ended (refused, failed or logged in) between two ticks: the
    // step that looks at it runs now.
    void ConnectAttemptEnded();
    int ConnState() const { return connState_; }
    bool ConnectRequested() const { return connectRequested_; }
    // The attempts made when the connection timer gave up (Hub Connection Retries); 0 while it
    // has not, or once a Connect or Disconnect command or a late login followed.
    int GaveUpAfter() const { return gaveUpAfter_; }
    // "the station stopped trying to reach the hub after 10 attempts (...)": standard error and
    // the link alarm say it.
    static std::string GaveUpText(int attempts);
    int RetryCountdown() const { return retryCountdown_; }
    int RetriesLeft() const { return retriesLeft_; }
    // The caption for a status text: MainTitle + "  -  (attempt/retries) " + status, and with a
    // second hub configured " via address:port" of the hub in use.
    std::string StatusCaption(const std::string& status) const;
    // The hub the next attempt goes to. With a second hub configured, a failed attempt or a lost
    // link sends the next attempt to the other one; without, it is always the main hub.
    const std::string& HubAddress() const;
    std::int32_t HubPort() const;
    bool OnBackupHub() const { return onBackup_; }
    // "address:port" of the hub in use.
    std::string HubInUse() const;

    // The records-processed counter, wrapping at 1000000000.
    void CountRecord() { recordsProcessed_ = (recordsProcessed_ + 1) % 1000000000; }
    std::int64_t RecordsProcessed() const { return recordsProcessed_; }
    void SetRecordsProcessed(std::int64_t n) { recordsProcessed_ = n % 1000000000; }

    // Lines for the top of the Output window (database errors and the like).
    void SetOutputSink(std::function<void(const std::string&)> sink);
    // Told what a person must act on, before any box that says it too: why start-up stops, with the
    // remedy; a command line not taken; connection attempts run out; settings not saved at the
    // close (the program writes it on standard error, where a terminal sees it at once).
    void SetStopNotice(std::function<void(const std::string&)> notice) { stopNotice_ = std::move(notice); }

    const Session& session() const { return session_; }
    bool SettingsFailed() const { return settingsFailed_; }
    // Why the admin shutdown could not save the settings (file and reason); empty when it could
    // or nothing was to be saved. The process ends with a failure status then.
    const std::string& SaveFailure() const { return saveFailure_; }
    // Why start-up stopped (Load gave Unloaded), with the remedy where there is one.
    const std::string& StopReason() const { return stopReason_; }
    bool PrevInstance() const { return prevInstance_; }
    bool FirstLoad() const { return settings_.Load; }
    bool TimersRunning() const { return timersRunning_; }
    const std::string& MainTitle() const { return mainTitle_; }
    const std::string& SetupIdent() const { return setupIdent_; }
    ClientSettings& settings() { return settings_; }
    SettingsDatabase& settingsDb() { return *db_; }
    // Set while a terminate request waits for the connection timer.
    int DisconnectRequest() const { return disconnectRequest_; }
    void SetDisconnectRequest(int request) { disconnectRequest_ = request; }

    // Timer2 ticks the window waits after its 1002 for the hub to close the link; the process ends
    // within about two seconds of a close request even when the hub never answers.
    static constexpr int kTerminateWaitTicks = 1;
    static constexpr const char* kDevelopmentMarker = "c:\\norlsys\\development.txt";
    static constexpr const char* kDevelopmentDirectory = "e:\\base\\zeva2017";

  private:
    // Load's steps, in order.
    bool OpenAlone();
    void ApplyCommandLine(const std::string& commandLine);
    void LoadSettingsIntoWindow();
    void FirstLoadHubSetup();
    void StartRunning();
    // Timer2Tick's states.
    void TickTerminating();
    void TickWantingLink();
    void TickAfterAttempt();
    void TickLinked();
    // "The settings could not be saved to ...", on standard error and in a box.
    void ReportSaveFailure(const std::string& firstError, bool locked);
    void AttemptConnection();
    // After a failed attempt or a lost link: the other hub next, when there is a second one.
    void SwitchHub();
    void WarnWhenSettingsCannotBeSaved();
    LoadResult Fail(const std::string& message, std::string reason = {}, std::string remedy = {});
    // Start-up stops: the notice first, then the box with the remedy as its secondary text.
    void Stop(const std::string& message, const std::string& reason, const std::string& remedy,
              MessageIcon icon, const std::string& title);
    void ShowStatus(const std::string& status);
    void ConnectedNow();
    void Output(const std::string& line);

    MainWindowPort& window_;
    StationPort& station_;
    MessageBox& messages_;
    FileSystem& files_;
    InstanceLock& instance_;
    ProgramVersion version_;
    Session session_;
    std::unique_ptr<SettingsDatabase> db_;
    ClientSettings settings_;
    std::function<void(const std::string&)> output_, stopNotice_;

    bool settingsFailed_ = false;
    std::string saveFailure_, stopReason_;
    bool prevInstance_ = false;
    bool classesConnected_ = false;
    bool fieldDatabaseTouched_ = false;
    bool moduleFlagsConnected_ = false;
    bool hubConnectionCreated_ = false;
    bool timersRunning_ = false;
    bool unloaded_ = false;
    int disconnectRequest_ = 0;
    // A terminate request waits, a few ticks at most, for the log-off to leave before unloading.
    bool terminating_ = false;
    int terminateTicks_ = 0;
    std::int64_t recordsProcessed_ = 0;
    int connState_ = 0;
    bool connectRequested_ = false;
    int gaveUpAfter_ = 0;
    int retryCountdown_ = 0;
    int retriesLeft_ = 0;
    bool onBackup_ = false; // the next attempt goes to the second hub
    bool linked_ = false;   // logged in at the last look: a link that goes is a lost link
    std::string caption_;
    std::string mainTitle_;
    std::string setupIdent_;
};

} // namespace zeva
