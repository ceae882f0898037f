#include "shell/Station.h"

#include "comms/HubConnection.h"
#include "display/InsertInDisplay.h"
#include "display/OutputFormatter.h"
#include "display/OutputTest.h"
#include "display/ZVRecordClass.h"
#include "flags/SendToMonitor.h"
#include "model/RecordTrail.h"
#include "model/ZVFieldClass.h"
#include "platform/Clock.h"
#include "platform/FlexGrid.h"
#include "platform/ListBox.h"
#include "recordlog/RStoreRecordLog.h"
#include "shell/CloseCountLine.h"
#include "shell/HubMember.h"
#include "shell/LinkReportLine.h"
#include "shell/RecordIntake.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace zeva {

namespace {

// The close, counted from the close request: the client reads what the hub still sends after the
// 1002 until 1.7 s (at least 0.3 s), shows records until 1.9 s (at least 0.1 s), and writes the rest to
// the record trail. The 1002 leaves at once, the process ends within 3 s.
constexpr double kCloseReadUntilMs = 1700;
constexpr double kCloseReadMinMs = 300;
constexpr double kCloseShowUntilMs = 1900;
constexpr double kCloseShowMinMs = 100;

} // namespace

Station::Station(MainWindowPort& window, MessageBox& messages, FileSystem& files, InstanceLock& instance,
                 ProgramVersion version, const std::string& settingsPath, const Clock& clock, Views views)
    : messages_(messages), clock_(clock), views_(views),
      shell_(std::make_unique<MainShell>(window, *this, messages, files, instance, version, settingsPath)),
      modules_(clock) {
    shell_->SetOutputSink([this](const std::string& line) { InsertOutputLine(line); });
}

Station::~Station() {
    if (client_) {
        client_->onReceivedData = nullptr;
        client_->onBadCheckCount = nullptr;
        client_->onLinkReport = nullptr;
        client_->onDisconnection = nullptr;
    }
    // The formatter and the trail write through the field and record classes: they go first.
    intake_.reset();
    outputTest_.reset();
    formatter_.reset();
    trail_.reset();
}

bool Station::Busy() const {
    return client_ && client_->Busy();
}

void Station::ClientLog(const std::string& line) {
    if (client_) client_->InsertClientLog(line);
}

void Station::InsertOutputLine(const std::string& line) {
    InsertInDisplay(views_.output, line, shell_->settings().MaxEntriesInOutput);
}

void Station::CreateHubConnection() {
    client_ = onCreateHubConnection ? onCreateHubConnection() : nullptr;
    if (!client_) return;
    client_->onReceivedData = [this](const CommType* packet) {
        if (!intake_) return;
        intake_->ClientReceivedData(packet);
        if (onArrived) onArrived();
    };
    client_->onBadCheckCount = [this](std::int32_t n) {
        if (onBadCheckCount) onBadCheckCount(n);
    };
    // A failing link says which hub it tries on standard error too, once per change.
    client_->onLinkReport = [this](const std::string& text) {
        const ClientSettings& s = shell_->settings();
        const CommMemberType& hub = client_->Engine().Member();
        const bool backup =
            s.HasBackupHub() && hub.ServerAddress == s.BackupAddress && hub.ServerPort == s.BackupPort;
        std::fprintf(stderr, "%s\n", LinkReportLine::Text(text, backup, client_->Userid()).c_str());
    };
    client_->onDisconnection = [this] {
        if (onLinkEnded) onLinkEnded();
    };
    intake_ = std::make_unique<RecordIntake>(
        *client_, views_.clients,
        [this](const std::string& text) {
            ShowRecordText(text);
            if (onHubRecordShown) onHubRecordShown(text);
        },
        [this](const std::string& line) { ClientLog(line); });
    intake_->onRecordsWaiting = [this] {
        if (onRecordsWaiting) onRecordsWaiting();
    };
}

std::string Station::ConnectClasses(const std::string& userid) {
    // The field database is open only while the classes connect; every way out closes it again.
    ClientSettings& settings = shell_->settings();
    const std::string file = settings.FieldDataBaseFile;
    if (!PXOpenDatabase(fieldDb_, file)) return kFieldDatabaseFailure + file + ")";
    fields_ = std::make_unique<ZVFieldClass>(&shell_->settingsDb(), &messages_);
    fields_->SetupFDBase(&fieldDb_);
    fields_->SetupFGrid(&views_.memberGrid, &views_.fieldList);
    if (settings.RecordLog) {
        const std::string& folder = settings.RecordLogFolder;
        trailFolder_ = folder.empty() || folder == "NULL" ? std::string("RecordLog") : folder;
        std::error_code ec;
        std::filesystem::create_directories(trailFolder_, ec);
        fields_->SetRecordLogFactory(RStoreRecordLog::MakeFactory(clock_));
        fields_->SetupRLogging(trailFolder_);
    }
    if (!fields_->Connect(userid)) {
        PXCloseDatabase(fieldDb_);
        return kFieldClassFailure;
    }
    StartRecordTrail();
    records_ = std::make_unique<ZVRecordClass>(&shell_->settingsDb());
    records_->SetupRGrid(&views_.recordGrid, &views_.recordList);
    records_->SetDisplayRows(settings.MaxEntriesInRecords);
    if (!records_->Connect(userid, fields_.get())) {
        PXCloseDatabase(fieldDb_);
        return "Failed to connect to Record class (ZVRClass)";
    }
    fields_->SetFieldChangeHandler(
        [this](ZVFieldType& field, std::int16_t etype) { records_->ZVFClass_FieldChange(field, etype); });
    formatter_ = std::make_unique<OutputFormatter>(*records_, fields_.get(), settings, views_.output,
                                                   views_.fullFields);
    formatter_->Beep = [this] {
        if (onBeep) onBeep();
    };
    formatter_->SingleRecord = singleRecord_;
    outputTest_ = std::make_unique<OutputTest>(*formatter_, *records_, settings, clock_);
    outputTest_->RecordCounted = [this](double now) { CountShownRecord(now); };
    if (onClassesConnected) onClassesConnected();
    PXCloseDatabase(fieldDb_);
    return {};
}

void Station::StartRecordTrail() {
    if (!shell_->settings().RecordLog || !fields_) return;
    trail_ = std::make_unique<RecordTrail>(*fields_, 10000, trailFolder_);
    // A trail that cannot write (a full disk, a folder that is none) or writes again is said where
    // the operator, the administrator and a terminal look; the station runs on either way.
    trail_->onNotice = [this](const std::string& line) {
        InsertOutputLine(line);
        ClientLog("APPL: " + line);
        std::fprintf(stderr, "zeva-screen-client: %s\n", line.c_str());
    };
    if (!trail_->Start())
        trail_->onNotice(
            RecordTrail::CannotWriteLine(trailFolder_) +
            " (make it a folder the client can write, or name another in Setup\\RecordLogFolder)");
}

bool Station::ConnectModuleFlags(const std::string& userid) {
    return modules_.Connect(userid);
}

bool Station::SendFlag(const std::string& code, const std::string& text1, const std::string& text2) {
    return SendToMonitor(
        modules_, [this](const CommType& packet) { return client_ && client_->Send(packet); }, code, text1,
        text2);
}

void Station::SetSingleRecord(bool single) {
    singleRecord_ = single;
    if (formatter_) formatter_->SingleRecord = single;
}

void Station::ShowRecordText(const std::string& recordText) {
    if (!records_ || !formatter_) return;
    const bool queued = formatter_->ShowRecordText(recordText);
    if (!queued) ClientLog(std::string("APPL: ") + OutputFormatter::kQueueFullLine);
    if (onOutputBlock) onOutputBlock(queued, formatter_->LastBlockLines());
    if (trail_) trail_->Store(recordText);
    CountShownRecord(clock_.Now());
}

void Station::CountShownRecord(double now) {
    shell_->CountRecord();
    if (onRecordCounted) onRecordCounted(now);
}

bool Station::ShowWaiting(const std::function<bool()>& keepGoing) {
    if (!intake_) return false;
    intake_->ShowWaiting(keepGoing);
    return intake_ && intake_->Waiting() > 0;
}

bool Station::ServerTimerTick() {
    if (!intake_ || !client_ || client_->Busy()) return false;
    intake_->ServerTimerTick();
    return true;
}

void Station::NoteCloseRequest() {
    if (receivedAtClose_ >= 0 || !intake_) return;
    receivedAtClose_ = intake_->Received();
    closeAt_ = clock_.SteadyMs();
}

bool Station::HubConnected() const {
    return client_ && client_->Connected();
}

bool Station::HubConnecting() const {
    return client_ && client_->Connecting();
}

bool Station::HubDisconnecting() const {
    return client_ && client_->Disconnecting();
}

void Station::ConnectToHub() {
    if (!client_ || client_->Connected()) return;
    // A login takes several engine ticks; the connection timer looks one second later. Restarting
    // an attempt still in progress would mean never getting connected.
    if (client_->Connecting()) return;
    const ClientSettings& s = shell_->settings();
    FillHubMember(member_, s, shell_->session().Userid, client_->LocalHostName());
    member_.ServerAddress = shell_->HubAddress();
    member_.ServerPort = shell_->HubPort();
    if (s.HasBackupHub()) ClientLog("APPL: Attempting connection via " + shell_->HubInUse());
    intake_->SetAsync(s.AsyncComms);
    intake_->NewLink();
    if (onHourglass) onHourglass(true);
    client_->Connect(member_);
    if (onHourglass) onHourglass(false);
}

void Station::DisconnectHub() {
    if (!client_) return;
    // What the link has read ahead arrived before the 1002: it is shown, behind the records waiting.
    if (intake_) intake_->TakeEverythingArrived();
    client_->Disconnect();
    // Let the 1002 leave now rather than at the engine's next tick.
    if (!client_->Busy()) client_->Tick();
}

std::string Station::HubLocalPort() const {
    return std::to_string(client_ ? client_->LocalPort() : 0);
}

double Station::SinceCloseMs() const {
    return clock_.SteadyMs() - closeAt_;
}

void Station::TakeTheLastRecords() {
    if (!intake_) return;
    // After the 1002 the hub sends what was under way and closes the link; dropped with the socket,
    // those records would count as delivered at the hub and never be seen here.
    if (closeAt_ < 0) closeAt_ = clock_.SteadyMs();
    if (client_ && client_->Disconnecting()) {
        intake_->TakeEverythingArrived();
        if (onReadToEnd) onReadToEnd(int(std::max(kCloseReadMinMs, kCloseReadUntilMs - SinceCloseMs())));
    }
    const double showUntil = std::max(SinceCloseMs() + kCloseShowMinMs, kCloseShowUntilMs);
    intake_->ShowWaiting([&] { return SinceCloseMs() < showUntil; });
    const std::deque<std::string> rest = intake_->TakeWaiting();
    CloseCountLine count;
    count.notShown = rest.size();
    count.trailOn = trail_ != nullptr;
    count.trailFolder = trailFolder_;
    for (const std::string& text : rest)
        if (trail_ && trail_->Store(text)) ++count.kept;
    if (receivedAtClose_ < 0) return;
    count.arrivedAfter = intake_->Received() - receivedAtClose_;
    if (const std::string line = count.Text(); !line.empty()) std::fprintf(stderr, "%s\n", line.c_str());
}

void Station::DisconnectClasses() {
    TakeTheLastRecords();
    if (onShowingStopped) onShowingStopped();
    if (records_ && records_->Connected()) records_->Disconnect();
    if (fields_ && fields_->Connected()) fields_->Disconnect();
}

void Station::CloseFieldDatabase() {
    // Start-up closed it already on every way out of ConnectClasses; close only what is open.
    if (fieldDb_.IsOpen()) PXCloseDatabase(fieldDb_);
}

void Station::DisconnectModuleFlags() {
    modules_.Disconnect();
}

void Station::UnloadHubConnection() {
    if (!client_) return;
    intake_.reset();
    client_ = nullptr;
    if (onUnloadHubConnection) onUnloadHubConnection();
}

} // namespace zeva
