#include "comms/HubConnection.h"

#include "comms/LinkState.h"
#include "platform/TcpSocket.h"

namespace zeva {

// Counts how deep the engine is on the stack, so the owner can tell when destroying us is safe.
struct HubConnection::Depth {
    explicit Depth(int& d) : d_(d) { ++d_; }
    ~Depth() { --d_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
    int& d_;
};

HubConnection::HubConnection(TcpSocket& socket, const Clock& clock, EventPump& pump)
    : engine_(socket, clock, pump) {
    engine_.onClientLog = [this](const std::string& line) {
        if (onClientLog && !consoleQuiet_) onClientLog(line);
    };
    engine_.onMemberChanged = [this](CommEngine::MemberField f) {
        if (consoleQuiet_) return;
        if (onMemberChanged) onMemberChanged(f);
        if (f == CommEngine::MemberField::BadChecks && onBadCheckCount)
            onBadCheckCount(engine_.BadCheckPackets());
    };
    engine_.onErrorLabel = [this](const std::string& text) {
        if (onErrorLabel) onErrorLabel(text);
    };
    engine_.onReceivedData = [this](const CommType&) { TakeData(); };
    engine_.onOverflow = [this] {
        if (onOverflow) onOverflow();
    };
    engine_.onDisconnection = [this] {
        if (onDisconnection) onDisconnection();
    };
    engine_.onLinkReport = [this](const std::string& text) {
        if (onLinkReport) onLinkReport(text);
    };
    GuardSocketNotifications(socket);
}

HubConnection::~HubConnection() {
    // No notification may reach an owner that is going.
    engine_.onReceivedData = nullptr;
    engine_.onOverflow = nullptr;
    engine_.onDisconnection = nullptr;
    engine_.onLinkReport = nullptr;
    engine_.onClientLog = nullptr;
    engine_.onMemberChanged = nullptr;
    engine_.onErrorLabel = nullptr;
}

void HubConnection::GuardSocketNotifications(TcpSocket& socket) {
    // The engine put its handlers on the socket; wrap them so Busy() covers them too.
    auto wrap = [this](std::function<void()>& handler) {
        handler = [this, inner = handler] {
            Depth d(depth_);
            if (inner) inner();
        };
    };
    wrap(socket.onConnected);
    wrap(socket.onClosed);
    wrap(socket.onDataArrival);
    auto inner = socket.onError;
    socket.onError = [this, inner](const SocketError& err) {
        Depth d(depth_);
        if (inner) inner(err);
    };
}

void HubConnection::TakeData() {
    // The engine hands the packet over once, here; the owner gets it with the notification.
    Depth d(depth_);
    const bool taken = engine_.Receive(holder_);
    if (onReceivedData) onReceivedData(taken ? &holder_ : nullptr);
}

bool HubConnection::Connect(CommMemberType& target) {
    Depth d(depth_);
    return engine_.Connect(target);
}

void HubConnection::GetNextPktBuffer() {
    Depth d(depth_);
    engine_.GetNextPktBuffer();
}

void HubConnection::PauseReceive(bool paused) {
    Depth d(depth_);
    engine_.PauseReceive(paused);
}

void HubConnection::Tick() {
    Depth d(depth_);
    engine_.Tick();
}

void HubConnection::RunBusy(const std::function<void()>& work) {
    Depth d(depth_);
    work();
}

bool HubConnection::Connecting() const {
    switch (static_cast<LinkState>(SystemState())) {
    case LinkState::ConnectRequest:
    case LinkState::WaitingForConnection:
    case LinkState::TcpConnected:
    case LinkState::SendingConnectRequest:
    case LinkState::WaitingForLogin:
    case LinkState::Accepted:
        return true;
    default:
        return false;
    }
}

bool HubConnection::Disconnecting() const {
    switch (static_cast<LinkState>(SystemState())) {
    case LinkState::SendingDisconnect:
    case LinkState::WaitingForDisconnect:
    case LinkState::ClosingPort:
        return true;
    default:
        return false;
    }
}

} // namespace zeva
