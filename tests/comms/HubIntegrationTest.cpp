// The real hub connection over the Qt socket against the test hub on a loopback port.
#include "comms/CommEngine.h"
#include "comms/HubConnection.h"
#include "platform/Clock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtTcpSocket.h"
#include "tools/hub/HubServer.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QCoreApplication>

#include <tuple>
#include <utility>

namespace zeva {
namespace {

TEST(HubClients, TheHubConnectionCarriesKeepaliveAndASecondHubOnThePortIsToldWhatToDo) {
    // A login leaves the keepalive options on the real socket.
    int argc = 1;
    char name[] = "test_comms_hub";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    HubOptions o;
    o.address = QHostAddress::LocalHost;
    o.port = 0;
    HubServer hub(std::move(o), nullptr);
    std::string error;
    ASSERT_TRUE(hub.Listen(error)) << error;
    HubOptions second; // a second hub on the same port is told where and what to do
    second.address = QHostAddress::LocalHost;
    second.port = hub.Port();
    EXPECT_FALSE(HubServer(std::move(second), {}).Listen(error));
    EXPECT_EQ(error, "cannot listen on 127.0.0.1 port " + std::to_string(hub.Port()) +
                         ": The bound address is already in use - stop the program that holds it (another "
                         "zeva-hub?) or choose another with --port");
    QtTcpSocket socket;
    SystemClock clock;
    QtEventPump pump;
    HubConnection link(socket, clock, pump);
    CommMemberType target;
    target.Identifier = "s01";
    target.ServerAddress = "127.0.0.1";
    target.ServerPort = hub.Port();
    target.Mode = 276;
    ASSERT_TRUE(link.Connect(target));
    for (int i = 0; i < 250 && !link.Connected(); ++i) // 5 s at most
        pump.ProcessEvents(20);
    ASSERT_TRUE(link.Connected());
    const int fd = static_cast<int>(socket.NativeDescriptor());
    auto option = [fd](int level, int name) {
        int value = -1;
        socklen_t size = sizeof value;
        EXPECT_EQ(::getsockopt(fd, level, name, &value, &size), 0);
        return value;
    };
    // On, idle, interval, count, and the user time-out that ends a write to a vanished hub.
    EXPECT_EQ(std::tuple(option(SOL_SOCKET, SO_KEEPALIVE), option(IPPROTO_TCP, TCP_KEEPIDLE),
                         option(IPPROTO_TCP, TCP_KEEPINTVL), option(IPPROTO_TCP, TCP_KEEPCNT),
                         option(IPPROTO_TCP, TCP_USER_TIMEOUT)),
              std::tuple(1, CommEngine::kKeepAliveIdleSeconds, CommEngine::kKeepAliveIntervalSeconds,
                         CommEngine::kKeepAliveCount,
                         1000 * (CommEngine::kKeepAliveIdleSeconds +
                                 CommEngine::kKeepAliveIntervalSeconds * CommEngine::kKeepAliveCount)));
}

} // namespace
} // namespace zeva
