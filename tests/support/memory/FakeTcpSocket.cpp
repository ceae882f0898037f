#include "tests/support/memory/FakeTcpSocket.h"

namespace zeva {

namespace {

// The error the test scripted, else the real socket's complaint about a socket not connected.
bool Ready(TcpSocket::State state, const SocketError& scripted, SocketError& err) {
    if (scripted.number != 0)
        err = scripted;
    else if (state != TcpSocket::State::Connected)
        err = {40006, "Wrong protocol or connection state for the requested transaction or request"};
    return scripted.number == 0 && state == TcpSocket::State::Connected;
}

} // namespace

bool FakeTcpSocket::ConnectToHost(const std::string&, int, SocketError& err) {
    ++connectCalls;
    if (connectError.number != 0) {
        err = connectError;
        return false;
    }
    state = State::Connecting;
    return true;
}

bool FakeTcpSocket::Close(SocketError&) {
    state = State::Closed;
    inbound_.clear();
    return true;
}

bool FakeTcpSocket::SetKeepAlive(int, int, int, SocketError& err) {
    return Ready(state, keepAliveError, err);
}

bool FakeTcpSocket::Write(std::string_view bytes, SocketError& err) {
    if (!Ready(state, writeError, err)) return false;
    written.emplace_back(bytes);
    return true;
}

std::string FakeTcpSocket::ReadAll() {
    std::string out;
    out.swap(inbound_);
    return out;
}

void FakeTcpSocket::AcceptConnection() {
    state = State::Connected;
    if (onConnected) onConnected();
}

void FakeTcpSocket::Deliver(std::string_view bytes) {
    inbound_.append(bytes);
    if (onDataArrival) onDataArrival();
}

void FakeTcpSocket::Fail(const SocketError& err) {
    state = State::Closed;
    inbound_.clear();
    if (onError) onError(err);
}

void FakeTcpSocket::PeerClose() {
    state = State::Closed;
    if (onClosed) onClosed();
}

} // namespace zeva
