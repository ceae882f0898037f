#pragma once
#include "platform/TcpSocket.h"

#include <string>
#include <vector>

namespace zeva {

// A socket driven by the test: it records what the owner writes and delivers what the test scripts
// (a connection coming up, bytes arriving, the peer closing).
class FakeTcpSocket final : public TcpSocket {
  public:
    bool ConnectToHost(const std::string& host, int port, SocketError& err) override;
    bool Close(SocketError& err) override;
    bool Write(std::string_view bytes, SocketError& err) override;
    std::string ReadAll() override;
    State GetState() const override { return state; }
    std::string LocalAddress() const override { return {}; }
    int LocalPort() const override { return 0; }
    std::string LocalHostName() const override { return {}; }
    bool SetKeepAlive(int idleSeconds, int intervalSeconds, int count, SocketError& err) override;

    // Script: the pending connection comes up / the peer sends bytes / the peer closes.
    void AcceptConnection();
    void Deliver(std::string_view bytes);
    void PeerClose();
    // The attempt or the connection ends with a socket error (refused, unreachable, reset...).
    void Fail(const SocketError& err);

    State state = State::Closed;

    // Errors to raise on the next calls (number 0 = no error).
    SocketError connectError;
    SocketError writeError;
    SocketError keepAliveError;

    std::vector<std::string> written; // one entry per Write
    int connectCalls = 0;

  private:
    std::string inbound_;
};

} // namespace zeva
