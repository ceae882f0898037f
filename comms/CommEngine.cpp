#include "comms/CommEngine.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/TextUtil.h"
#include "comms/PacketCodec.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/TcpSocket.h"

#include <algorithm>

namespace zeva {

namespace {

constexpr std::int32_t kCounterWrap = 100000000;
// Waits are measured on the clock that never jumps (milliseconds): the wall clock goes back an
// hour when daylight saving ends, and a wait measured on it would last an hour longer.
// The synchronous wait ends on the next tick at the latest; this only guards against a stopped timer.
constexpr double kReceiveWaitLimitMs = 10000.0;
constexpr int kPumpSliceMs = 50;
// At most one bad-check line a second.
constexpr double kBadCheckLineGapMs = 1000.0;
constexpr double kControlExpireMs = kControlExpire * 86400000.0;
// The bits the hub's accept may not change: the client's own receive mode, its sending switch and
// the link's local state.
constexpr std::int16_t kClientOwnedModeBits =
    kModeSYN | kModeNWT | kModeOUT | kModeCON | kModePEN | kModeLTH | kModeWDG;

std::string Two(int v) {
    return FormatValue(v, "00");
}

std::string SocketErrorText(const SocketError& e) {
    return "[" + IntText(e.number) + "] : " + e.description;
}

} // namespace

CommEngine::CommEngine(TcpSocket& socket, const Clock& clock, EventPump& pump)
    : socket_(socket), clock_(clock), pump_(pump), sender_(socket, log_, clock), member_(clock.Now()),
      rxMember_(clock.Now()) {
    member_.Identifier = "NOTINIT";
    socket_.onConnected = [this] { OnSocketConnected(); };
    socket_.onClosed = [this] { OnSocketClosed(); };
    socket_.onDataArrival = [this] { OnDataArrival(); };
    socket_.onError = [this](const SocketError& err) { OnSocketError(err); };
}

CommEngine::~CommEngine() {
    socket_.onConnected = nullptr;
    socket_.onClosed = nullptr;
    socket_.onDataArrival = nullptr;
    socket_.onError = nullptr;
}

std::string CommEngine::LocalHostName() const {
    return socket_.LocalHostName();
}
std::string CommEngine::LocalIp() const {
    return socket_.LocalAddress();
}

std::string CommEngine::AddressText() const {
    return member_.ServerAddress + "," + IntText(member_.ServerPort);
}

std::string CommEngine::HubText() const {
    return member_.ServerAddress + " port " + IntText(member_.ServerPort);
}

bool CommEngine::Answering() const {
    return Connected() && (!(member_.Mode & kModeSYN) || answered_);
}

void CommEngine::LinkFailed(const std::string& why) {
    if (failure_.empty()) failure_ = why;
}

void CommEngine::HubAnswered() {
    if (!answered_ && Connected()) ReportUp("answering again");
    answered_ = true;
    stalled_ = false;
}

void CommEngine::ReportUp(const std::string& what) {
    if (lastReport_.empty()) return; // nothing was reported down
    lastReport_.clear();
    reportedDown_.clear();
    if (onLinkReport) onLinkReport("hub " + HubText() + ": " + what);
}

void CommEngine::Changed(MemberField f) {
    if (onMemberChanged) onMemberChanged(f);
}

void CommEngine::SetErrorLabel(const std::string& text) {
    if (text == errorLabel_) return;
    errorLabel_ = text;
    if (onErrorLabel) onErrorLabel(text);
}

void CommEngine::SetModeBits(std::int16_t bits, bool on) {
    const std::int16_t mode = static_cast<std::int16_t>(on ? (member_.Mode | bits) : (member_.Mode & ~bits));
    if (mode != member_.Mode) TMode(mode);
}

void CommEngine::InsertClientLog(const std::string& text) {
    if (onClientLog) onClientLog(text);
}

std::string CommEngine::ModeText(std::int16_t mode) {
    static const struct {
        std::int16_t bit;
        const char* code;
    } slots[] = {{kModePEN, "PEN"}, {kModeOUT, "OUT"}, {kModeCON, "CON"}, {kModeWDG, "WDG"},
                 {kModeLTH, "LTH"}, {kModeBUF, "BUF"}, {kModeFLH, "FLH"}, {kModeSTC, "STC"},
                 {kModeNWT, "NWT"}, {kModeSYN, "SYN"}};
    std::string text;
    for (const auto& s : slots)
        text += std::string("[") + ((mode & s.bit) ? s.code : "...") + "]";
    return text;
}

// ---- Socket notifications ----

void CommEngine::OnSocketConnected() {
    MoveTo(LinkState::TcpConnected, 0);
    // The TCP connect and the connection request follow at once instead of a tick apart.
    Tick();
    if (InState(LinkState::SendingConnectRequest)) Tick();
}

void CommEngine::OnSocketError(const SocketError& err) {
    const LinkState state = CurrentState();
    if (state == LinkState::ConnectRequest || state == LinkState::WaitingForConnection) {
        // A refused or unreachable hub is known now; waiting out the countdown would only delay
        // the next attempt.
        LinkFailed("could not connect - " + SocketErrorText(err));
        CloseAtOnce("Socket: Failed to connect - " + SocketErrorText(err), 3);
    } else if (Connected() || (state != LinkState::Idle && state != LinkState::Disconnected &&
                               state != LinkState::ClosingPort)) {
        // Reset, or the keepalive found the hub gone: a lost connection.
        const std::string line = "Socket: Connection lost - " + SocketErrorText(err);
        LinkFailed("connection lost - " + SocketErrorText(err));
        SetErrorLabel(line);
        CloseAtOnce(line, 0);
    }
}

void CommEngine::CloseAtOnce(const std::string& line, std::int16_t timeOut) {
    log_.AddCommLog(line);
    TSystemStateDES(line);
    SetModeBits(kModeCON, false);
    MoveTo(LinkState::ClosingPort, timeOut);
    Tick(); // the close step
}

void CommEngine::OnSocketClosed() {
    // After the client's own 1002 (or the hub's 1001) the hub closing the link is the log-off.
    if (!InState(LinkState::SendingDisconnect) && !InState(LinkState::WaitingForDisconnect))
        LinkFailed("the hub closed the link");
    MoveTo(LinkState::ClosingPort, 0);
}

void CommEngine::PauseReceive(bool paused) {
    if (receivePaused_ == paused) return;
    receivePaused_ = paused;
    if (!paused) OnDataArrival();
}

void CommEngine::OnDataArrival() {
    if (receivePaused_) return;
    // The read stays here while its packets are handled: the framer hands them out where they
    // are and copies only what is left of the read when GetNextPktBuffer is done with it.
    const std::string read = socket_.ReadAll();
    framer_.Frame(read);
    GetNextPktBuffer();
}

// ---- Connection ----

bool CommEngine::Connect(CommMemberType& target) {
    SetModeBits(kModePEN, true);
    target.Mode = static_cast<std::int16_t>(target.Mode | kModePEN);
    bool result = false;
    if (!Connected() && ParseIdentifier(target.Identifier)) {
        TServerAddress(target.ServerAddress.empty() ? socket_.LocalAddress() : target.ServerAddress);
        lastRequest_.Clear();
        TAddress(socket_.LocalAddress());
        TPort(socket_.LocalPort());
        TServerPort(target.ServerPort);
        TMode(static_cast<std::int16_t>(target.Mode | kModeOUT));
        TRemoteBuffer(target.RemoteBuffer);
        TBufferMax(target.BufferMax);
        TDescription(target.Description);
        TSystemState(LinkState::ConnectRequest);
        TWatchDog(target.WatchDog);
        if (member_.Mode & kModeFLH) {
            member_.BufferClear();
            TBufferSize();
        }
        requestSince_ = -1.0;
        result = true;
    }
    SetModeBits(kModePEN, false);
    // The TCP connection starts now, not at the next tick.
    if (result) Tick();
    return result;
}

bool CommEngine::Disconnect() {
    SetModeBits(kModePEN, true);
    if (Connected()) {
        MoveTo(LinkState::SendingDisconnect, 0);
    } else {
        // A login still under way is stopped too; left alone it would finish behind a caption that
        // says Disconnected. Once the hub has the connection we say goodbye (1002), before that
        // closing is enough.
        switch (CurrentState()) {
        case LinkState::ConnectRequest:
        case LinkState::WaitingForConnection:
            MoveTo(LinkState::ClosingPort, 0);
            break;
        case LinkState::TcpConnected:
        case LinkState::SendingConnectRequest:
        case LinkState::WaitingForLogin:
        case LinkState::Accepted:
            MoveTo(LinkState::SendingDisconnect, 0);
            break;
        default:
            break;
        }
    }
    SetModeBits(kModePEN, false);
    return true;
}

bool CommEngine::ParseIdentifier(const std::string& text) {
    if (member_.State != 0) return false;
    std::string t = Trim(text);
    if (t.size() < 3) return false;
    char letter = t[0];
    if (letter >= 'A' && letter <= 'Z')
        letter = static_cast<char>(letter - 'A' + 'a');
    else if (!((letter >= 'a' && letter <= 'z') || letter == '*' || letter == '?'))
        letter = ' ';
    const std::string number = t.substr(1, 2);
    const bool wildcard = number == "??" || number == "**";
    const bool digits = number[0] >= '0' && number[0] <= '9' && number[1] >= '0' && number[1] <= '9';
    if (!wildcard && !digits) return false;
    TIdentifier(std::string(1, letter) + number);
    return true;
}

// ---- Sending ----

bool CommEngine::Send(const CommType& packet) {
    CommType p = packet;
    p.Created = clock_.Now();
    // A packet the hub could never read would sit at the head of the FIFO for ever and block every
    // packet behind it: refuse it at the door.
    if (p.Destination.size() != 3 || !PacketFits(p)) {
        InsertClientLog("APPL: Packet refused - bad destination or too large for a packet");
        return false;
    }
    const bool sentFirst = SendNextBuffered();
    const bool added = member_.BufferAdd(p);
    if (!sentFirst) SendNextBuffered();
    TBufferSize();
    if (!added) {
        TOPackets((member_.OPackets + 1) % kCounterWrap);
        TLastOPacket(clock_.Now());
        if (onOverflow) onOverflow();
    }
    return added;
}

bool CommEngine::SendNextBuffered() {
    bool sent = false;
    if ((member_.Mode & kModeCON) && (member_.Mode & kModeOUT)) {
        const CommType* oldest = nullptr;
        // A packet the hub could never read would block every packet behind it for ever.
        while (member_.BufferRetrieve(oldest) && (oldest->Destination.size() != 3 || !PacketFits(*oldest))) {
            member_.BufferDelete();
            InsertClientLog("APPL: Packet too large to send or badly addressed - dropped");
        }
        if (member_.BufferRetrieve(oldest) && sender_.SendPacket(*oldest)) {
            member_.BufferDelete(&lastSent_);
            TPackets((member_.Packets + 1) % kCounterWrap);
            const double now = clock_.Now();
            TLastPacket(now);
            TLastWDog(now); // a data packet counts as a watchdog
            sent = true;
        }
    }
    TBufferSize();
    return sent;
}

bool CommEngine::KickDog() {
    if (!sender_.SendControlPacket(member_.Identifier, kHubIdentifier, kPktWatchdog, {})) return false;
    TLastWDog(clock_.Now());
    SetModeBits(kModeWDG, true);
    return true;
}

bool CommEngine::WatchdogDue() {
    // A last watchdog later than now means the clock was set back: one is due now, not once the
    // clock has caught up with it (an hour of silence at the end of daylight saving).
    const double now = clock_.Now();
    if (member_.LastWDog > now || member_.LastWDog + member_.WatchDog / 2.0 <= now) return KickDog();
    return true;
}

// ---- Requests ----

bool CommEngine::Request(CommType& packet) {
    if (!Connected()) {
        packet.Clear();
        return false;
    }
    lastRequest_.Copy(packet);
    return (member_.Mode & kModeLTH) != 0;
}

void CommEngine::SetRequest(CommType& packet, bool flag) {
    if (!Connected()) return;
    if (flag) {
        sender_.SendControlPacket(member_.Identifier, kHubIdentifier, kPktRequestNext, {});
        // In synchronous mode the hub answers every request; the oldest one unanswered times the link.
        if ((member_.Mode & kModeSYN) && requestSince_ < 0) requestSince_ = clock_.SteadyMs();
        if ((member_.Mode & kModeSYN) && !(member_.Mode & kModeNWT)) {
            SetModeBits(kModeLTH, true);
            InsertClientLog(std::string(35, ' ') + "LATCH SET");
        }
    } else {
        sender_.SendControlPacket(member_.Identifier, kHubIdentifier, kPktKillRequest, {});
    }
    dataWaiting_ = false;
    packet.Copy(lastRequest_);
}

bool CommEngine::RequestDataHub(CommType& packet) {
    if (Request(packet)) return false;
    SetRequest(packet, true);
    return true;
}

bool CommEngine::Receive(CommType& packet) {
    if (inReceive_) return false;
    if (!Connected()) return false;
    if (member_.Identifier == "NOTINIT") return false;
    inReceive_ = true;
    const bool sync = (member_.Mode & kModeSYN) && (member_.Mode & kModeNWT);
    // A packet that already arrived is handed over as it is; asking for another one first would
    // overwrite it before anyone saw it.
    if (sync && !dataWaiting_) {
        SetRequest(packet, true);
        MoveTo(LinkState::RequestingData, 0);
        const double deadline = clock_.SteadyMs() + kReceiveWaitLimitMs;
        while (!InState(LinkState::Idle) && clock_.SteadyMs() < deadline)
            pump_.ProcessEvents(kPumpSliceMs);
    }
    bool result = false;
    if (dataWaiting_) {
        receiveCounter_ = (receiveCounter_ + 1) % kCounterWrap;
        lastData_.Copy(packet);
        dataWaiting_ = false;
        result = true;
    }
    inReceive_ = false;
    return result;
}

// ---- Receiving ----

void CommEngine::GetNextPktBuffer() {
    // Each packet leaves the framer and is read into rxPacket_ before it is handled, so a nested
    // call (from a handler that waits in Receive and reads again) continues with the next packet
    // instead of handling this one again, and nothing still in use is moved under it.
    std::string_view packet;
    std::uint64_t byteSum = 0;
    while (framer_.NextInPlace(packet, byteSum))
        HandleReadPacket(ParsePacket(packet, byteSum, rxPacket_), packet);
    framer_.Bound();
}

bool CommEngine::InterigatePacket(std::string_view text) {
    return HandleReadPacket(ParsePacket(text, rxPacket_), text);
}

bool CommEngine::HandleReadPacket(bool parsed, std::string_view text) {
    if (!parsed) {
        rxPacket_.Clear();
        // Its content cannot be trusted, so it stays discarded; but the operator is told.
        if (!PacketCheckMatches(text)) CountBadCheck();
        return false;
    }
    const auto code = ToInt16(rxPacket_.PacketType);
    switch (code.value_or(0)) {
    case kPktConnectRequest:
    case kPktRequestNext:
        break;
    case kPktServerDisconnect:
        // A hub that stops says so first: the link is down all the same.
        LinkFailed("the hub sent a disconnect request");
        MoveTo(LinkState::SendingDisconnect, 0);
        InsertClientLog("RXD: DISCONNECT RQST");
        break;
    case kPktConnectAccept:
        if (InState(LinkState::WaitingForLogin)) TakeAccept();
        break;
    case kPktBufferEmpty:
        InsertClientLog("RXD: BUFFER EMPTY");
        HubAnswered();
        SetModeBits(kModeLTH, false); // the request is answered
        requestSince_ = -1.0;
        if (InState(LinkState::RequestingData) || InState(LinkState::AwaitingData)) {
            MoveTo(LinkState::Idle, 2);
            dataWaiting_ = false;
        }
        break;
    default:
        TakeData();
        break;
    }
    return true;
}

void CommEngine::TakeAccept() {
    if (!rxMember_.ExtractPacket(rxPacket_.Data)) {
        TSystemStateDES("Returned Packet Extraction failed");
        MoveTo(LinkState::SendingDisconnect, 0);
        return;
    }
    // The hub's copy of this member is taken, except what would silently stop the flags or the
    // intake: the client keeps its receive mode (SYN, NWT), its sending switch (OUT) and its local
    // link bits; a FIFO capacity below 1 or an identifier that is not three characters is not taken.
    if (Trim(rxMember_.Identifier).size() == 3) TIdentifier(rxMember_.Identifier);
    TMode(static_cast<std::int16_t>((rxMember_.Mode & ~kClientOwnedModeBits) |
                                    (member_.Mode & kClientOwnedModeBits)));
    TDescription(rxMember_.Description);
    Tsocket(rxMember_.Socket);
    TWatchDog(rxMember_.WatchDog);
    TExpWatchDog(rxMember_.ExpWatchDog);
    TMemberExpire(rxMember_.MemberExpire);
    TCreated(rxMember_.Created);
    if (rxMember_.BufferMax >= 1) TBufferMax(rxMember_.BufferMax);
    TRemoteBuffer(rxMember_.RemoteBuffer);
    TLastConnection(rxMember_.LastConnection);
    MoveTo(LinkState::Accepted, 0);
    // Logged in from now on: data the hub pushes right behind its accept is taken, not dropped.
    watchdogLatch_ = false;
    requestSince_ = -1.0;
    SetModeBits(kModeCON, true);
    InsertClientLog("RXD: ACCEPT CONN");
    failure_.clear();
    answered_ = false;
    // A synchronous link is up once the hub answers a request, not at the login.
    if (!(member_.Mode & kModeSYN)) ReportUp("logged in");
    Tick(); // the accepted step at once
}

void CommEngine::TakeData() {
    InsertClientLog("RXD: Data pkt from Hub");
    HubAnswered();
    rxPacket_.Copy(lastData_);
    dataWaiting_ = true;
    SetModeBits(kModeLTH, false); // the request is answered
    requestSince_ = -1.0;
    // Only the idle and request states end here; a data packet must not cancel a login or a
    // disconnection under way.
    const LinkState state = CurrentState();
    if (state == LinkState::Idle || state == LinkState::RequestingData || state == LinkState::AwaitingData)
        MoveTo(LinkState::Idle, 2);
    TRPackets((member_.RPackets + 1) % kCounterWrap);
    TLastRPacket(clock_.Now());
    if (onReceivedData) onReceivedData(rxPacket_);
}

// ---- The tick ----

void CommEngine::CountBadCheck() {
    TBadChecks((member_.BadChecks + 1) % kCounterWrap);
    ++badSinceLine_;
    ReportBadChecks();
}

void CommEngine::ReportBadChecks() {
    if (badSinceLine_ == 0) return;
    const double now = clock_.SteadyMs();
    if (lastBadLine_ >= 0.0 && now - lastBadLine_ < kBadCheckLineGapMs) return;
    std::string line = "RXD: packet with a bad check discarded";
    if (badSinceLine_ > 1) line += " (" + IntText(badSinceLine_) + ")";
    badSinceLine_ = 0;
    lastBadLine_ = now;
    InsertClientLog(line);
}

bool CommEngine::StalledRequest() const {
    if (!Connected() || !(member_.Mode & kModeSYN) || requestSince_ < 0) return false;
    const LinkState state = CurrentState();
    if (state != LinkState::Idle && state != LinkState::RequestingData && state != LinkState::AwaitingData)
        return false; // a disconnection is under way
    return clock_.SteadyMs() - requestSince_ > kControlExpireMs;
}

void CommEngine::MoveTo(LinkState state, std::int16_t timeOut) {
    TSystemState(state);
    TTimeOut(timeOut);
}

void CommEngine::Tick() {
    // Synchronous mode: a request the hub leaves unanswered past its own time-out is a stalled
    // link. It is closed in this step; the owner connects again as after any lost connection.
    if (StalledRequest()) {
        log_.AddCommLog("APPL: No answer to the data request within 10 seconds - link stalled, closing to "
                        "reconnect");
        SetErrorLabel("Link stalled - no answer to the data request");
        LinkFailed("not answering - no answer to the data request within 10 seconds");
        stalled_ = true;
        SetModeBits(kModeCON, false);
        MoveTo(LinkState::ClosingPort, 0);
    }
    ReportBadChecks();
    const StepOutcome step = RunStep(member_.TimeOut);

    TTimeOut(member_.TimeOut < 1 ? 0 : static_cast<std::int16_t>(member_.TimeOut - 1));

    if (Connected() && member_.WatchDog > 0) {
        WatchdogDue();
        if (!watchdogLatch_ && !WatchdogDue()) {
            watchdogLatch_ = true;
            TSystemState(LinkState::SendingDisconnect);
        }
    }

    if (!step.line.empty()) {
        log_.AddCommLog(step.line);
        TSystemStateDES(step.line);
    }
    if (!step.after.empty()) log_.AddCommLog(step.after);
    while (log_.HasUnread())
        InsertClientLog(log_.TakeNext());
    if (!step.report.empty()) {
        lastReport_ = step.report;
        // A few kinds at most, however long the outage; the bound only guards against texts that vary.
        static constexpr std::size_t kKindsKept = 8;
        if (std::find(reportedDown_.begin(), reportedDown_.end(), step.report) == reportedDown_.end()) {
            if (reportedDown_.size() == kKindsKept) reportedDown_.erase(reportedDown_.begin());
            reportedDown_.push_back(step.report);
            if (onLinkReport) onLinkReport(step.report);
        }
    }
    if (step.closeNow) Tick();
}

CommEngine::StepOutcome CommEngine::RunStep(std::int16_t t) {
    switch (CurrentState()) {
    case LinkState::Idle:
        return StepIdle(t);
    case LinkState::ConnectRequest:
        return StepConnectRequest();
    case LinkState::WaitingForConnection:
        return StepWaitingForConnection(t);
    case LinkState::TcpConnected:
        return StepTcpConnected();
    case LinkState::SendingConnectRequest:
        return StepSendingConnectRequest();
    case LinkState::WaitingForLogin:
    case LinkState::WaitingForLoginAsServer:
        return StepWaitingForLogin(t);
    case LinkState::Accepted:
    case LinkState::Acknowledged:
        return StepAccepted();
    case LinkState::Disconnected:
        return {"APPL: Disconnected"};
    case LinkState::SendingDisconnect:
        return StepSendingDisconnect();
    case LinkState::WaitingForDisconnect:
        return StepWaitingForDisconnect(t);
    case LinkState::ClosingPort:
        return StepClosingPort();
    case LinkState::ListenFailed:
        return StepListenFailed();
    case LinkState::Listening:
        return StepListening(t);
    case LinkState::ConnectionRequested:
        MoveTo(LinkState::SendingAcknowledge, 0);
        return {"APPL: Received Connection Request"};
    case LinkState::SendingAcknowledge:
        return StepSendingAcknowledge();
    case LinkState::Rejecting:
        MoveTo(LinkState::ClosingPort, 2);
        return {"APPL: Rejecting"};
    case LinkState::RequestingData:
        SetErrorLabel("");
        MoveTo(LinkState::Idle, 0);
        return {"APPL: Requesting data ...."};
    case LinkState::AwaitingData:
        MoveTo(LinkState::Idle, 2);
        return {};
    }
    return {};
}

CommEngine::StepOutcome CommEngine::StepIdle(std::int16_t t) {
    if (t == 1) TSystemStateDES("APPL: Idle");
    if (member_.BufferSize() > 0) SendNextBuffered();
    SetModeBits(kModeWDG, false);
    return {};
}

CommEngine::StepOutcome CommEngine::StepConnectRequest() {
    StepOutcome out{"Socket: Connection Request to " + AddressText()};
    SetErrorLabel("");
    SocketError err;
    if (socket_.GetState() != TcpSocket::State::Closed) socket_.Close(err);
    framer_.Clear(); // nothing of an earlier connection is read as part of this one
    err = {};
    if (socket_.ConnectToHost(member_.ServerAddress, member_.ServerPort, err)) {
        MoveTo(LinkState::WaitingForConnection, 5);
    } else {
        out.line = "Socket: Failed to connect - " + SocketErrorText(err);
        LinkFailed("could not connect - " + SocketErrorText(err));
        SetModeBits(kModeCON, false);
        MoveTo(LinkState::ClosingPort, 3);
        out.closeNow = true; // as for an error the socket reports later
    }
    return out;
}

// A waiting state logs its countdown line before its time-out replaces the state text.
CommEngine::StepOutcome CommEngine::StepWaitingForConnection(std::int16_t t) {
    const std::string line = "Socket: Waiting for Connection " + Two(t);
    if (t != 0) return {line};
    log_.AddCommLog(line);
    const std::string failed = "Failed to connect - Server failed to connect";
    LinkFailed("could not connect - no answer within 5 seconds");
    SetErrorLabel(failed);
    SetModeBits(kModeCON, false);
    MoveTo(LinkState::ClosingPort, 1);
    return {failed};
}

CommEngine::StepOutcome CommEngine::StepTcpConnected() {
    TAddress(socket_.LocalAddress());
    TPort(socket_.LocalPort());
    SocketError err;
    if (!socket_.SetKeepAlive(kKeepAliveIdleSeconds, kKeepAliveIntervalSeconds, kKeepAliveCount, err))
        log_.AddCommLog("Socket: Keepalive not set - " + SocketErrorText(err));
    MoveTo(LinkState::SendingConnectRequest, 0);
    return {"Socket: TCP Connect"};
}

CommEngine::StepOutcome CommEngine::StepSendingConnectRequest() {
    std::string memberPacket;
    if (!member_.CreatePacket(memberPacket)) {
        MoveTo(LinkState::ClosingPort, 0);
        return {"APPL: Could not create Connection Request Packet"};
    }
    if (sender_.SendControlPacket(member_.Identifier, kHubIdentifier, kPktConnectRequest, memberPacket))
        MoveTo(LinkState::WaitingForLogin, 10);
    else
        MoveTo(LinkState::ClosingPort, 0);
    return {"APPL: Sending Connected Request Packet"};
}

CommEngine::StepOutcome CommEngine::StepWaitingForLogin(std::int16_t t) {
    const std::string line = "APPL: Waiting for Login Packet (" + Two(t) + ")";
    if (t != 0) return {line};
    log_.AddCommLog(line);
    const std::string failed = "Failed to connect - Never received Login Packet";
    LinkFailed("connected, but the hub sent no login answer within 10 seconds");
    SetErrorLabel(failed);
    MoveTo(LinkState::ClosingPort, 0);
    return {failed};
}

CommEngine::StepOutcome CommEngine::StepAccepted() {
    const std::string line = "APPL: Connected to " + AddressText();
    const bool accepted = InState(LinkState::Accepted);
    SetErrorLabel(accepted ? "Connected to " + AddressText() : line);
    SetModeBits(kModeCON, true);
    if (accepted) watchdogLatch_ = false;
    MoveTo(LinkState::Idle, 2);
    return {line};
}

CommEngine::StepOutcome CommEngine::StepSendingDisconnect() {
    sender_.SendControlPacket(member_.Identifier, kHubIdentifier, kPktClientDisconnect, {});
    MoveTo(LinkState::WaitingForDisconnect, 10);
    return {"APPL: Sending Disconnection notice (server)"};
}

CommEngine::StepOutcome CommEngine::StepWaitingForDisconnect(std::int16_t t) {
    const std::string line = "APPL: Waiting for Disconnection ... (" + Two(t) + ")";
    if (t != 0) return {line};
    log_.AddCommLog(line);
    SetErrorLabel("Failed to Disconnect - Local will attempt to close port");
    MoveTo(LinkState::ClosingPort, 0);
    return {"Failed to Disconnect - Remote host did not close port"};
}

CommEngine::StepOutcome CommEngine::StepClosingPort() {
    StepOutcome out{"Socket: Closing Port - " + AddressText()};
    SocketError err;
    requestSince_ = -1.0;
    answered_ = false;
    if (!failure_.empty()) {
        // Which hub failed goes with the close, so a wrong address or port shows at once.
        out.after = "APPL: Hub " + HubText() + ": " + failure_;
        out.report = "hub " + HubText() + ": " + failure_;
        failure_.clear();
    }
    if (!socket_.Close(err)) {
        out.line = "Socket: Failed to Close Port - " + SocketErrorText(err);
        SetErrorLabel(out.line);
    } else {
        SetModeBits(kModeCON, false);
        SetErrorLabel("Socket: Closed");
        if (onDisconnection) onDisconnection();
    }
    MoveTo(LinkState::Idle, 2);
    return out;
}

CommEngine::StepOutcome CommEngine::StepListenFailed() {
    // This client never listens; the step reports it the way a failed listen is reported.
    const std::string reason = "[10045] : Listening is not supported by this client";
    SetErrorLabel("Failed to set port into Listen mode- " + reason);
    MoveTo(LinkState::Idle, 2);
    return {"Socket: Failed to set port into Listen mode- " + reason};
}

CommEngine::StepOutcome CommEngine::StepListening(std::int16_t t) {
    const std::string line = "Socket: Listening... (" + FormatValue(t, "000") + ")";
    if (t != 0) return {line};
    log_.AddCommLog(line);
    SetErrorLabel("Failed to connect - Never received Request");
    MoveTo(LinkState::Idle, 2);
    return {"No connection request within time limit"};
}

CommEngine::StepOutcome CommEngine::StepSendingAcknowledge() {
    sender_.SendControlPacket(member_.Identifier, kHubIdentifier, kPktConnectAccept, {});
    MoveTo(LinkState::Acknowledged, 0);
    return {"APPL: Sending Connection Acknowledge ..."};
}

// ---- Setters ----

#define ZEVA_SETTER(Name, Field, Type)                                                                       \
    void CommEngine::Name(Type v) {                                                                          \
        member_.Field = v;                                                                                   \
        Changed(MemberField::Field);                                                                         \
    }

ZEVA_SETTER(TSystemState, SystemState, std::int16_t)
ZEVA_SETTER(TSystemStateDES, SystemStateDES, const std::string&)
ZEVA_SETTER(TIdentifier, Identifier, const std::string&)
ZEVA_SETTER(TDescription, Description, const std::string&)
ZEVA_SETTER(TAddress, Address, const std::string&)
ZEVA_SETTER(TPort, Port, std::int32_t)
ZEVA_SETTER(Tsocket, Socket, std::int16_t)
ZEVA_SETTER(TServerAddress, ServerAddress, const std::string&)
ZEVA_SETTER(TServerPort, ServerPort, std::int32_t)
ZEVA_SETTER(TWatchDog, WatchDog, double)
ZEVA_SETTER(TLastWDog, LastWDog, double)
ZEVA_SETTER(TExpWatchDog, ExpWatchDog, double)
ZEVA_SETTER(TExpNextWDog, ExpNextWDog, double)
ZEVA_SETTER(TPackets, Packets, std::int32_t)
ZEVA_SETTER(TRPackets, RPackets, std::int32_t)
ZEVA_SETTER(TLastPacket, LastPacket, double)
ZEVA_SETTER(TLastRPacket, LastRPacket, double)
ZEVA_SETTER(TLastConnection, LastConnection, double)
ZEVA_SETTER(TMemberExpire, MemberExpire, double)
ZEVA_SETTER(TMode, Mode, std::int16_t)
ZEVA_SETTER(TCreated, Created, double)
ZEVA_SETTER(TMapTo, MapTo, std::int16_t)
ZEVA_SETTER(TTimeOut, TimeOut, std::int16_t)
ZEVA_SETTER(TBuffer, Buffer, const std::string&)
ZEVA_SETTER(TBufferMax, BufferMax, std::int16_t)
ZEVA_SETTER(TOPackets, OPackets, std::int32_t)
ZEVA_SETTER(TLastOPacket, LastOPacket, double)
ZEVA_SETTER(TRemoteBuffer, RemoteBuffer, std::int16_t)
ZEVA_SETTER(TState, State, std::int16_t)
ZEVA_SETTER(TBadChecks, BadChecks, std::int32_t)

#undef ZEVA_SETTER

void CommEngine::TBufferSize(std::int16_t) {
    Changed(MemberField::BufferSize);
}

} // namespace zeva
