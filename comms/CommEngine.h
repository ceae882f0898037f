#pragma once
#include "comms/CommLogRing.h"
#include "comms/CommMemberType.h"
#include "comms/CommType.h"
#include "comms/LinkState.h"
#include "comms/PacketFramer.h"
#include "comms/PacketSender.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zeva {

class Clock;
class EventPump;
class TcpSocket;
struct SocketError;

// The client's link to the hub: connects and logs in, keeps the link alive with watchdogs, sends
// queued packets one per tick, frames and dispatches what the hub sends, and disconnects.
//
// A plain class: the owner's 2000 ms timer calls Tick(), the socket's notifications arrive through
// TcpSocket, time comes from Clock. The login does not wait for ticks: Connect starts the TCP
// connection, and the socket's connect, its errors and the hub's accept run the step that waits for
// them at once (the same step a tick would run, with the same packets, lines and time-outs); the
// ticks count the time-outs of attempts that neither succeed nor fail. Everything runs on one thread; the
// only call that lets other events run is the synchronous Receive (through EventPump), and it refuses to be
// re-entered. The comms console shows Member(), the log lines (onClientLog) and the error label.
class CommEngine {
  public:
    // The member fields the console shows, in its row order.
    enum class MemberField {
        Identifier,
        Mode,
        SystemStateDES,
        Address,
        Port,
        Description,
        ServerAddress,
        ServerPort,
        Packets,
        LastPacket,
        RPackets,
        LastRPacket,
        OPackets,
        LastOPacket,
        BufferSize,
        BufferMax,
        RemoteBuffer,
        LastConnection,
        MemberExpire,
        Created,
        WatchDog,
        LastWDog,
        ExpWatchDog,
        ExpNextWDog,
        Socket,
        MapTo,
        SystemState,
        TimeOut,
        Buffer,
        State,
        BadChecks,
    };

    // TCP keepalive on the hub connection: a hub whose machine or network went away without closing
    // the connection is given up after 20 + 3 x 10 = 50 seconds of silence.
    static constexpr int kKeepAliveIdleSeconds = 20;
    static constexpr int kKeepAliveIntervalSeconds = 10;
    static constexpr int kKeepAliveCount = 3;

    CommEngine(TcpSocket& socket, const Clock& clock, EventPump& pump);
    ~CommEngine();
    CommEngine(const CommEngine&) = delete;
    CommEngine& operator=(const CommEngine&) = delete;

    std::string Version() const { return "1.00.00"; }
    std::string Userid() const { return member_.Identifier; }
    bool Connected() const { return (member_.Mode & kModeCON) != 0; }
    std::string LocalHostName() const;
    std::string LocalIp() const;

    // Starts a connection with the settings of target (PEN is set in target's Mode). False when
    // already connected or target's identifier is not a client identifier.
    bool Connect(CommMemberType& target);
    // Starts the disconnection (or stops a login still in progress). Always true.
    bool Disconnect();
    // Queues a packet and sends it when the link allows. False when the FIFO overflowed (the
    // oldest packet was dropped) or the packet can never be sent (refused, not queued).
    [[nodiscard]] bool Send(const CommType& packet);
    // Sends the oldest queued packet when the link is up. A packet that can never be sent leaves the
    // FIFO with a "dropped" line, and the next one goes in its place.
    bool SendNextBuffered();
    // Handles one framed packet. False when it does not parse.
    bool InterigatePacket(std::string_view text);
    // Cuts every complete packet out of the receive buffer and handles each.
    void GetNextPktBuffer();
    // While paused the engine reads nothing from the socket: bytes wait in the socket, and once its
    // buffer is full TCP holds the rest at the hub. Resuming reads what waits at once.
    void PauseReceive(bool paused);
    bool ReceivePaused() const { return receivePaused_; }
    // Hands over a data packet that arrived (true) or nothing (false). In synchronous mode with no
    // packet waiting it asks the hub for one and waits for the answer.
    bool Receive(CommType& packet);
    // Request read: whether a next-packet request is latched; copies the last request packet.
    bool Request(CommType& packet);
    // Request set: true asks the hub for the next packet (1006), false cancels (1004).
    void SetRequest(CommType& packet, bool flag);
    bool RequestDataHub(CommType& packet);
    bool KickDog();
    bool ParseIdentifier(const std::string& text);
    void InsertClientLog(const std::string& text);
    // The 2000 ms step.
    void Tick();

    // Member setters: store and tell the console.
    void TSystemState(std::int16_t v);
    void TSystemState(LinkState state) { TSystemState(static_cast<std::int16_t>(state)); }
    void TSystemStateDES(const std::string& v);
    void TIdentifier(const std::string& v);
    void TDescription(const std::string& v);
    void TAddress(const std::string& v);
    void TPort(std::int32_t v);
    void Tsocket(std::int16_t v);
    void TServerAddress(const std::string& v);
    void TServerPort(std::int32_t v);
    void TWatchDog(double v);
    void TLastWDog(double v);
    void TExpWatchDog(double v);
    void TExpNextWDog(double v);
    void TPackets(std::int32_t v);
    void TRPackets(std::int32_t v);
    void TLastPacket(double v);
    void TLastRPacket(double v);
    void TLastConnection(double v);
    void TMemberExpire(double v);
    void TMode(std::int16_t v);
    void TCreated(double v);
    void TMapTo(std::int16_t v);
    void TTimeOut(std::int16_t v);
    void TBuffer(const std::string& v);
    void TBufferMax(std::int16_t v);
    void TBufferSize(std::int16_t ignored = 0);
    void TOPackets(std::int32_t v);
    void TLastOPacket(double v);
    void TRemoteBuffer(std::int16_t v);
    void TState(std::int16_t v);
    void TBadChecks(std::int32_t v);

    const CommMemberType& Member() const { return member_; }
    const CommMemberType& RxMember() const { return rxMember_; }
    const CommType& RxPacket() const { return rxPacket_; }
    const CommType& LastData() const { return lastData_; }
    const CommType& LastSent() const { return lastSent_; }
    const CommType& LastRequest() const { return lastRequest_; }
    bool DataWaiting() const { return dataWaiting_; }
    bool WatchdogLatch() const { return watchdogLatch_; }
    std::int32_t ReceiveCounter() const { return receiveCounter_; }
    std::int32_t SentPacketCounter() const { return sender_.SentPacketCounter(); }
    const std::string& ErrorLabel() const { return errorLabel_; }
    std::size_t ReceiveBufferSize() const { return framer_.Pending(); }
    // Received packets discarded for a wrong check since the engine was made.
    std::int32_t BadCheckPackets() const { return member_.BadChecks; }
    // Whether records can arrive: logged in and, in synchronous mode, the hub has answered a data
    // request since the login (a hub that accepts the login but answers nothing is not a link).
    bool Answering() const;
    // The link was last given up because the hub left a data request unanswered, and nothing has
    // been answered since.
    bool StalledSinceAnswer() const { return stalled_; }
    // The last failure of the link ("hub 10.0.0.5 port 6000: connection lost - ..."), or empty once
    // the link was reported up again.
    const std::string& LastFailureReport() const { return lastReport_; }
    // The hub being tried, "address port n", as the failure lines name it.
    std::string HubText() const;

    // "[PEN][OUT][CON]..." with "..." in the slots of clear bits.
    static std::string ModeText(std::int16_t mode);

    std::function<void(const CommType&)> onReceivedData;
    std::function<void()> onOverflow;
    std::function<void()> onDisconnection;
    std::function<void(const std::string&)> onClientLog;  // one console log line
    std::function<void(MemberField)> onMemberChanged;     // a member row to refresh
    std::function<void(const std::string&)> onErrorLabel; // the error label's new caption
    // The link's state changed for the worse ("hub 10.0.0.5 port 5000: could not connect - ..."),
    // or it is up again after such a report. Each failure is raised once until the link is up again,
    // not at every retry, nor at every turn between a first and a second hub.
    std::function<void(const std::string&)> onLinkReport;

  private:
    // What a step of the tick leaves: the line it logs and shows as the state text (none when
    // empty), whether the tick runs again at once (a connection that failed at its start), and
    // what the close says of the hub that failed.
    struct StepOutcome {
        std::string line;
        bool closeNow = false;
        std::string after = {};  // a line logged after it (the hub that failed, at the close)
        std::string report = {}; // for onLinkReport
    };

    LinkState CurrentState() const { return static_cast<LinkState>(member_.SystemState); }
    bool InState(LinkState a) const { return CurrentState() == a; }
    // The step of the current state, given the countdown at the tick's start.
    StepOutcome RunStep(std::int16_t timeOut);
    StepOutcome StepIdle(std::int16_t timeOut);
    StepOutcome StepConnectRequest();
    StepOutcome StepWaitingForConnection(std::int16_t timeOut);
    StepOutcome StepTcpConnected();
    StepOutcome StepSendingConnectRequest();
    StepOutcome StepWaitingForLogin(std::int16_t timeOut);
    StepOutcome StepAccepted();
    StepOutcome StepSendingDisconnect();
    StepOutcome StepWaitingForDisconnect(std::int16_t timeOut);
    StepOutcome StepClosingPort();
    StepOutcome StepListenFailed();
    StepOutcome StepListening(std::int16_t timeOut);
    StepOutcome StepSendingAcknowledge();
    // Moves the link to state with a countdown of timeOut ticks.
    void MoveTo(LinkState state, std::int16_t timeOut);

    void OnSocketConnected();
    void OnSocketClosed();
    void OnSocketError(const SocketError& err);
    void OnDataArrival();
    // Ends the connection or attempt now: the line, CON cleared, and the close step run at once.
    void CloseAtOnce(const std::string& line, std::int16_t timeOut);
    // Notes why the link or the attempt failed; the close step names the hub with it.
    void LinkFailed(const std::string& why);
    void HubAnswered();
    // After a failure was reported: the link is up again.
    void ReportUp(const std::string& what);
    bool StalledRequest() const;
    void CountBadCheck();
    // Writes the bad-check line when one is due: at most one a second, counting the packets since.
    void ReportBadChecks();
    bool WatchdogDue();
    void SetErrorLabel(const std::string& text);
    void SetModeBits(std::int16_t bits, bool on);
    std::string AddressText() const;
    void Changed(MemberField f);
    // Handles the packet just read into rxPacket_ (parsed: its check and fields were sound).
    bool HandleReadPacket(bool parsed, std::string_view text);
    void TakeAccept();
    void TakeData();

    TcpSocket& socket_;
    const Clock& clock_;
    EventPump& pump_;
    CommLogRing log_;
    PacketSender sender_;
    PacketFramer framer_;

    CommMemberType member_;
    CommMemberType rxMember_;
    CommType rxPacket_;
    CommType lastData_;
    CommType lastRequest_;
    CommType lastSent_;
    bool dataWaiting_ = false;
    bool watchdogLatch_ = false;
    bool inReceive_ = false;
    std::int32_t receiveCounter_ = 0;
    std::string errorLabel_;
    bool receivePaused_ = false;
    double requestSince_ = -1.0; // steady ms the oldest unanswered request went out; -1: none
    std::int32_t badSinceLine_ = 0;
    double lastBadLine_ = -1.0; // steady ms
    bool answered_ = false;
    bool stalled_ = false;
    std::string failure_;                   // why the link or attempt now closing failed
    std::string lastReport_;                // the last failure report, raised or not
    std::vector<std::string> reportedDown_; // the failures raised since the link was last up
};

} // namespace zeva
