#pragma once
#include "comms/CommEngine.h"
#include "comms/HubLink.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zeva {

class Clock;
class EventPump;
class TcpSocket;

// The hub connection `client`: owns the connection engine on the socket, clock and event pump it is
// handed (they must outlive it), hands each data packet the engine takes in to onReceivedData, and
// tells the comms console what to show. A plain class: the owner's 2000 ms timer calls Tick().
//
// Lifetime: never destroy it from inside one of its own notifications or while Busy() (a
// synchronous Receive may be waiting in the event loop with the engine on the stack).
class HubConnection final : public HubLink {
  public:
    HubConnection(TcpSocket& socket, const Clock& clock, EventPump& pump);
    ~HubConnection() override;
    HubConnection(const HubConnection&) = delete;
    HubConnection& operator=(const HubConnection&) = delete;

    bool Connected() const { return engine_.Connected(); }
    std::string LocalHostName() const { return engine_.LocalHostName(); }
    std::string Userid() const { return engine_.Userid(); }
    // The member's local port (known once the TCP connection is up).
    std::int32_t LocalPort() const { return engine_.Member().Port; }
    // Starts the connection at once (the TCP connect does not wait for the next engine tick).
    bool Connect(CommMemberType& target);
    bool Disconnect() { return engine_.Disconnect(); }
    [[nodiscard]] bool Send(const CommType& packet) { return engine_.Send(packet); }
    bool Request(CommType& packet) override { return engine_.Request(packet); }
    void SetRequest(CommType& packet, bool flag) override { engine_.SetRequest(packet, flag); }
    bool RequestDataHub(CommType& packet) { return engine_.RequestDataHub(packet); }
    void GetNextPktBuffer() override;
    void PauseReceive(bool paused) override;
    void InsertClientLog(const std::string& text) { engine_.InsertClientLog(text); }
    // The 2000 ms step (also run at once when a log-off must not wait for the timer).
    void Tick();
    // The engine state, and what it means for the owner's connection timer: a login under way (a new
    // Connect would restart it), a log-off under way (the 1002 may not have left yet).
    std::int16_t SystemState() const { return engine_.Member().SystemState; }
    bool Connecting() const;
    bool Disconnecting() const;
    // True while the engine is on the stack: a tick, a socket notification or a Receive is running.
    bool Busy() const { return depth_ > 0; }
    // Runs work with Busy() true (the owner reads the socket itself there).
    void RunBusy(const std::function<void()>& work);
    // Received packets discarded for a bad check (also in the console's member rows).
    std::int32_t BadCheckPackets() const { return engine_.BadCheckPackets(); }
    // While quiet the console's lines and rows and the bad-check count are not kept up (the close
    // reads the last records faster without them).
    void SetConsoleQuiet(bool quiet) { consoleQuiet_ = quiet; }

    CommEngine& Engine() { return engine_; }
    const CommEngine& Engine() const { return engine_; }

    // A data packet arrived: the packet the engine handed over, or null when it held it back (not
    // logged in, or inside a synchronous Receive).
    std::function<void(const CommType* packet)> onReceivedData;
    std::function<void()> onOverflow;
    std::function<void()> onDisconnection;
    // The bad-check count changed (it only grows, wrapping at 100000000), for the operator's screen.
    std::function<void(std::int32_t)> onBadCheckCount;
    // The engine's link report (a failure naming the hub, or up again after one).
    std::function<void(const std::string&)> onLinkReport;
    // For the comms console: a log line, a member row to refresh, the error label's caption.
    std::function<void(const std::string&)> onClientLog;
    std::function<void(CommEngine::MemberField)> onMemberChanged;
    std::function<void(const std::string&)> onErrorLabel;

  private:
    struct Depth;
    void GuardSocketNotifications(TcpSocket& socket);
    void TakeData();

    CommEngine engine_;
    CommType holder_;
    int depth_ = 0;
    bool consoleQuiet_ = false;
};

} // namespace zeva
