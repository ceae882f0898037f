#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace zeva {

// An error raised by a socket call: a number and a description, as the comms log shows them.
struct SocketError {
    int number = 0;
    std::string description;
};

// The client end of one TCP connection, as the hub link uses it. Calls return at once; progress
// arrives through the notifications, always on the user-interface thread and never from inside a
// call of the owner (Connect, Close, Write do not raise notifications synchronously).
//
// Notifications:
//   onConnected    the connection to the host is up
//   onClosed       the peer closed the connection (not raised for the owner's own Close)
//   onDataArrival  bytes arrived; ReadAll takes them
//   onError        a socket error ended the attempt or the connection: refused, unreachable, timed
//                  out, host not found while connecting; reset or keepalive given up once connected.
//                  The socket is closed by then, and no onConnected or onClosed follows for it.
class TcpSocket {
  public:
    enum class State { Closed, Connecting, Connected, Closing };

    virtual ~TcpSocket() = default;

    // Starts connecting; false with err filled when the attempt cannot even start.
    virtual bool ConnectToHost(const std::string& host, int port, SocketError& err) = 0;
    // Drops the connection (or the attempt) at once; unread and unsent bytes are discarded.
    virtual bool Close(SocketError& err) = 0;
    // Queues the whole text for sending; false with err filled when the socket cannot take it.
    virtual bool Write(std::string_view bytes, SocketError& err) = 0;
    // Every byte that arrived and was not read yet.
    virtual std::string ReadAll() = 0;
    virtual State GetState() const = 0;
    virtual std::string LocalAddress() const = 0;
    virtual int LocalPort() const = 0;
    virtual std::string LocalHostName() const = 0;
    // TCP keepalive on the connection: the first probe after idleSeconds without traffic, then one
    // every intervalSeconds; after count unanswered probes the connection is given up (onError).
    // Data the peer does not acknowledge within the same time ends it too. Only once connected.
    virtual bool SetKeepAlive(int idleSeconds, int intervalSeconds, int count, SocketError& err) = 0;

    std::function<void()> onConnected;
    std::function<void()> onClosed;
    std::function<void()> onDataArrival;
    std::function<void(const SocketError&)> onError;
};

} // namespace zeva
