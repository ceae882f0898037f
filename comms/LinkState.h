#pragma once
#include <cstdint>

namespace zeva {

// The steps of the hub link, each with the number the member carries as SystemState: the console
// shows it, and the hub reads it in the member packet of the connection request, so the numbers
// never change. The engine's tick runs the step the link is in; most steps move on to the next at
// once or when their countdown (TimeOut, in ticks) runs out. The steps from 19 to 25 are those of
// the listening side, which this client never takes; they are kept so a member set to one of them
// still ends where it should.
enum class LinkState : std::int16_t {
    Idle = 0,                 // logged in and quiet, or not connected at all
    ConnectRequest = 1,       // start the TCP connection to the hub
    WaitingForConnection = 2, // the TCP connection is under way (5 ticks)
    TcpConnected = 3,         // the socket is connected: keepalive on
    WaitingForLogin = 4,      // the connection request is sent; the hub's accept is due (10 ticks)
    Accepted = 5,             // the hub accepted the login
    Disconnected = 6,
    SendingDisconnect = 8,    // say goodbye to the hub (1002)
    WaitingForDisconnect = 9, // the hub closes the socket after the 1002 (10 ticks)
    ClosingPort = 10,         // close the socket and tell the owner the link is down
    SendingConnectRequest = 11,
    ListenFailed = 19,
    Listening = 20,
    WaitingForLoginAsServer = 21,
    ConnectionRequested = 22,
    SendingAcknowledge = 23,
    Acknowledged = 24,
    Rejecting = 25,
    RequestingData = 30, // a synchronous Receive asked the hub for the next packet
    AwaitingData = 31,
};

} // namespace zeva
