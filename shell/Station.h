#pragma once
#include "comms/CommMemberType.h"
#include "flags/ModuleClass.h"
#include "model/FieldDatabase.h"
#include "shell/MainShell.h"
#include "shell/StationPort.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zeva {

class Clock;
class FileSystem;
class FlexGrid;
class HubConnection;
class InstanceLock;
class ListBox;
class MainWindowPort;
class MessageBox;
class OutputFormatter;
class OutputTest;
class RecordIntake;
class RecordTrail;
class ZVFieldClass;
class ZVRecordClass;

// The station behind the main window: makes MainShell and the long-lived objects (the field and
// record classes with the field database, the output formatter, the record trail, the module flags,
// the record intake) and wires them to the hub connection and to the lists and grids the window
// shows. It reports to the window only through the callbacks below, never calls it.
//
// The window builds its widgets first and hands their adapters in (Views); they, the clock and the
// message box must outlive the station. The hub connection with its socket and timer is the Qt
// layer's: onCreateHubConnection makes it when start-up asks for it, and it lives until
// onUnloadHubConnection.
class Station final : public StationPort {
  public:
    // The lists and grids of the window the objects write to.
    struct Views {
        ListBox& output;     // lstOutput
        ListBox& fullFields; // lstFullFields
        ListBox& clients;    // lstClients, the X25 client selection
        ListBox& recordList; // RecordListBox
        FlexGrid& memberGrid;
        FlexGrid& recordGrid;
        ListBox& fieldList; // the Fields window's member list
    };

    Station(MainWindowPort& window, MessageBox& messages, FileSystem& files, InstanceLock& instance,
            ProgramVersion version, const std::string& settingsPath, const Clock& clock, Views views);
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    MainShell& shell() { return *shell_; }
    const MainShell& shell() const { return *shell_; }
    HubConnection* client() const { return client_; }
    RecordIntake* intake() const { return intake_.get(); }
    ZVFieldClass* fieldClass() const { return fields_.get(); }
    ZVRecordClass* recordClass() const { return records_.get(); }
    OutputFormatter* formatter() const { return formatter_.get(); }
    OutputTest* outputTest() const { return outputTest_.get(); }
    // True while the hub connection is on the stack (a tick that comes then is taken at the next).
    bool Busy() const;

    // Shows one record text: record queue, Output window, Full fields, Records grid, record trail,
    // the processed count.
    void ShowRecordText(const std::string& recordText);
    // A line at the top of the Output window, trimmed to MaxEntriesInOutput.
    void InsertOutputLine(const std::string& line);
    // Sends one status flag to the monitor through the hub; an unknown code sends nothing.
    bool SendFlag(const std::string& code, const std::string& text1 = {}, const std::string& text2 = {});
    // The Output Test's "Single Record" box.
    void SetSingleRecord(bool single);
    // The records waiting in the intake, shown while keepGoing says so; false when none are left.
    bool ShowWaiting(const std::function<bool()>& keepGoing);
    // timServerTimer's intake step; false when it did not run (no link, or the link is busy).
    bool ServerTimerTick();
    // The first close request came (the close counts what arrives from now on).
    void NoteCloseRequest();
    bool CloseRequested() const { return closeAt_ >= 0; }

    // StationPort
    void CreateHubConnection() override;
    std::string ConnectClasses(const std::string& userid) override;
    bool FieldDatabaseLocked() const override { return fieldDb_.LockedByAnother(); }
    std::string FieldDatabaseError() const override { return fieldDb_.LastError(); }
    bool ConnectModuleFlags(const std::string& userid) override;
    bool HubConnected() const override;
    void ConnectToHub() override;
    void DisconnectHub() override;
    bool HubDisconnecting() const override;
    bool HubConnecting() const override;
    std::string HubLocalPort() const override;
    void DisconnectClasses() override;
    void CloseFieldDatabase() override;
    void DisconnectModuleFlags() override;
    void UnloadHubConnection() override;

    // Makes the hub connection (with its console) and hands it over; the station wires it.
    std::function<HubConnection*()> onCreateHubConnection;
    // The station is done with the hub connection: the Qt layer lets it go once off the stack.
    std::function<void()> onUnloadHubConnection;
    // After the 1002: reads what the hub still sends for at most msecs (blocks).
    std::function<void(int msecs)> onReadToEnd;
    // A wait cursor on (true) and off around a connection attempt.
    std::function<void(bool busy)> onHourglass;
    // A packet from the hub was taken in.
    std::function<void()> onArrived;
    // Records wait in the intake: the window shows them in slices between its other events.
    std::function<void()> onRecordsWaiting;
    // At the close, once the last records were shown: the slices stop.
    std::function<void()> onShowingStopped;
    // The Output block of a record was written: queued is false when the record queue was full (a
    // line above the block says so), lines the block's record lines.
    std::function<void(bool queued, std::size_t lines)> onOutputBlock;
    // The processed count went up, at now.
    std::function<void(double now)> onRecordCounted;
    // A record from the hub was shown.
    std::function<void(const std::string& recordText)> onHubRecordShown;
    // The hub connection's attempt or link ended (raised inside its notification).
    std::function<void()> onLinkEnded;
    std::function<void(std::int32_t count)> onBadCheckCount;
    // The field and record classes are connected: the window's editors may use them.
    std::function<void()> onClassesConnected;
    std::function<void()> onBeep;

  private:
    void StartRecordTrail();
    void CountShownRecord(double now);
    void ClientLog(const std::string& line);
    // The close: reads what the hub still sends after the 1002, shows the records waiting as far as
    // the time allows, writes the rest to the record trail and counts them on standard error.
    void TakeTheLastRecords();
    // Milliseconds since the first close request.
    double SinceCloseMs() const;

    MessageBox& messages_;
    const Clock& clock_;
    Views views_;
    std::unique_ptr<MainShell> shell_;
    ModuleClass modules_;
    FieldDatabase fieldDb_;
    std::unique_ptr<ZVFieldClass> fields_;
    std::unique_ptr<ZVRecordClass> records_;
    std::unique_ptr<OutputFormatter> formatter_;
    std::unique_ptr<OutputTest> outputTest_;
    std::unique_ptr<RecordTrail> trail_;
    std::string trailFolder_;
    bool singleRecord_ = false;
    HubConnection* client_ = nullptr;
    CommMemberType member_;
    std::unique_ptr<RecordIntake> intake_;
    // Records received when the first close request came (-1: none came yet), and when it came
    // (the steady clock's milliseconds).
    std::int64_t receivedAtClose_ = -1;
    double closeAt_ = -1.0;
};

} // namespace zeva
