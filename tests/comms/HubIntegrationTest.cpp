// The real hub connection over the Qt socket against the test hub on a loopback port: in-process for
// the record flows, as a separate zeva-hub process where the hub has to die or be signalled.
#include "common/OleDate.h"
#include "comms/CommEngine.h"
#include "comms/HubConnection.h"
#include "comms/PacketCodec.h"
#include "platform/Clock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtTcpSocket.h"
#include "tests/support/HubProcess.h"
#include "tools/hub/HubServer.h"
#include "tools/hub/RecordSource.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace zeva {
namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "test_comms_hub";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QtEventPump().ProcessEvents(20);
    }
    return true;
}

// The asynchronous client s01 as the station drives it: the hub connection on its socket, a fast
// engine timer, and an intake that keeps every data packet the notification hands over.
struct Client {
    explicit Client(int tickMs = 25) {
        link.onReceivedData = [this](const CommType* packet) {
            if (packet) records.push_back(*packet);
        };
        link.onDisconnection = [this] { ++disconnections; };
        QObject::connect(&timer, &QTimer::timeout, [this] { link.Tick(); });
        timer.start(tickMs);
    }
    bool Connect(quint16 port) {
        CommMemberType target(OleNow());
        target.Identifier = "s01";
        target.ServerAddress = "127.0.0.1";
        target.ServerPort = port;
        target.Mode = 276;
        target.BufferMax = 10;
        target.WatchDog = 60.0 / 86400.0;
        target.Description = "Screen Client on \"test\" (ASYNC)";
        return engine.Connect(target);
    }
    QtTcpSocket socket;
    SystemClock clock;
    QtEventPump pump;
    HubConnection link{socket, clock, pump};
    CommEngine& engine = link.Engine();
    QTimer timer;
    std::vector<CommType> records;
    int disconnections = 0;
};

class HubClients : public ::testing::Test {
  protected:
    // A hub on a free loopback port that sends each client count records as fast as it can.
    void StartHub(std::uint64_t count) {
        App();
        HubOptions o;
        o.address = QHostAddress::LocalHost;
        o.port = 0;
        o.count = count;
        o.rate = 0;
        o.quiet = true;
        hub =
            std::make_unique<HubServer>(std::move(o), [this](const std::string& l) { hubLog.push_back(l); });
        std::string error;
        ASSERT_TRUE(hub->Listen(error)) << error;
    }
    bool HubLogged(const std::string& part) const {
        for (const auto& l : hubLog)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    std::unique_ptr<HubServer> hub;
    std::vector<std::string> hubLog;
};

TEST_F(HubClients, RefusedConnectionFailsAtOnceAndTheHubConnectionCarriesKeepalive) {
    // A login without ticks (none comes while we wait) leaves the keepalive options on the real socket.
    StartHub(1);
    HubOptions second; // a second hub on the same port is told where and what to do
    second.address = QHostAddress::LocalHost;
    second.port = hub->Port();
    std::string error;
    EXPECT_FALSE(HubServer(std::move(second), {}).Listen(error));
    EXPECT_EQ(error, "cannot listen on 127.0.0.1 port " + std::to_string(hub->Port()) +
                         ": The bound address is already in use - stop the program that holds it (another "
                         "zeva-hub?) or choose another with --port");
    Client c(600000);
    ASSERT_TRUE(c.Connect(hub->Port()));
    ASSERT_TRUE(WaitFor([&] { return c.engine.Connected(); }, 5000));
    const int fd = static_cast<int>(c.socket.NativeDescriptor());
    ASSERT_GE(fd, 0);
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

    // With the hub gone nothing listens on its port: the next attempt is refused at once.
    const quint16 port = hub->Port();
    hub.reset();
    Client refused(600000);
    std::vector<std::string> log;
    refused.engine.onClientLog = [&](const std::string& l) { log.push_back(l); };
    ASSERT_TRUE(refused.Connect(port));
    ASSERT_TRUE(WaitFor([&] { return refused.disconnections == 1; }, 5000));
    EXPECT_NE(std::find(log.begin(), log.end(), "Socket: Failed to connect - [10061] : Connection refused"),
              log.end());
}

// A bare connection logged in as id, for a client that misbehaves on purpose.
std::unique_ptr<QTcpSocket> RawLogin(quint16 port, const std::string& id) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    if (!socket->waitForConnected(5000)) return nullptr;
    CommMemberType member(OleNow());
    member.Identifier = id;
    member.Mode = 276;
    CommType login;
    login.Source = id;
    login.Destination = kHubIdentifier;
    login.Created = OleNow();
    login.Expire = kControlExpire;
    login.PacketType = "1000";
    std::string text;
    if (!member.CreatePacket(login.Data) || !BuildPacket(login, text)) return nullptr;
    socket->write(text.data(), static_cast<qint64>(text.size()));
    return socket;
}

TEST_F(HubClients, ClientsThatSendGarbageOrStopReadingDoNotHurtTheOthers) {
    StartHub(50);
    QTcpSocket rogue;
    rogue.connectToHost(QHostAddress::LocalHost, hub->Port());
    ASSERT_TRUE(rogue.waitForConnected(5000));
    rogue.write(QByteArray(2'000'000, 'x'));
    rogue.write("9999garbage\x01"
                "0000\x01"
                "12");
    auto stalled = RawLogin(hub->Port(), "m01");
    ASSERT_TRUE(stalled);
    stalled->setReadBufferSize(4096); // Qt stops taking its bytes from the system: the hub's side fills
    auto sender = RawLogin(hub->Port(), "s09");
    ASSERT_TRUE(sender);
    ASSERT_TRUE(WaitFor([&] { return HubLogged("login m01") && HubLogged("login s09"); }));
    CommType flag;
    flag.Source = "s09";
    flag.Destination = "m01";
    flag.PacketType = "TEST";
    flag.Data.assign(9000, 'f');
    std::string text;
    ASSERT_TRUE(BuildPacket(flag, text));
    // Far more than the hub keeps for one client, sent in bursts the hub reads and routes.
    for (int burst = 0; burst < 100 && !HubLogged("dropped: not reading"); ++burst) {
        for (int k = 0; k < 50; ++k)
            sender->write(text.data(), static_cast<qint64>(text.size()));
        WaitFor([&] { return sender->bytesToWrite() == 0; }, 2000);
    }
    ASSERT_TRUE(WaitFor([&] { return HubLogged("m01 dropped: not reading"); }));
    Client c;
    ASSERT_TRUE(c.Connect(hub->Port()));
    ASSERT_TRUE(WaitFor([&] { return c.records.size() >= 50; }));
    EXPECT_TRUE(WaitFor([&] { return HubLogged("bad packet"); }));
    rogue.abort();
}

// zeva-hub as a separate process, on a free port: told to stop, it asks its clients to disconnect
// (1001), takes their 1002 and exits cleanly. (The QProcess ends the hub however the test ends.)
TEST(HubProcess, SigtermSendsDisconnectRequestAndExits) {
    App(); // before the client's timer starts
    QProcess hub;
    std::string output;
    const quint16 port = test::StartHubProcess(hub, ZEVA_HUB_PATH,
                                               {"--bind", "127.0.0.1", "--port", "0", "--rate", "20",
                                                "--count", "0", "--quiet", "--shutdown-wait", "3000"},
                                               output);
    ASSERT_NE(port, 0) << output;
    Client c(50);
    ASSERT_TRUE(c.Connect(port));
    ASSERT_TRUE(WaitFor([&] { return c.engine.Connected() && !c.records.empty(); }, 20000));
    hub.terminate();
    ASSERT_TRUE(WaitFor([&] { return c.disconnections == 1; }));
    ASSERT_TRUE(WaitFor([&] { return hub.state() == QProcess::NotRunning; }));
    output += hub.readAll().toStdString();
    EXPECT_EQ(std::tuple(hub.exitStatus(), hub.exitCode()), std::tuple(QProcess::NormalExit, 0)) << output;
    EXPECT_NE(output.find("server disconnect request (1001) to s01"), std::string::npos) << output;
    EXPECT_NE(output.find("s01 asks to disconnect (1002)"), std::string::npos) << output;
}

// A close (or the socket's end) right after a write still sends what was written: the 1002 of a
// window that closes at once must reach the hub.
TEST(QtSocketClose, WhatWasWrittenBeforeTheCloseLeaves) {
    App();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    for (const bool byDestructor : {false, true}) {
        auto socket = std::make_unique<QtTcpSocket>();
        bool connected = false;
        socket->onConnected = [&] { connected = true; };
        SocketError err;
        ASSERT_TRUE(socket->ConnectToHost("127.0.0.1", server.serverPort(), err));
        ASSERT_TRUE(WaitFor([&] { return connected && server.hasPendingConnections(); }));
        std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
        // The peer has sent something this side never read, as a flooding hub has.
        peer->write(QByteArray(64 * 1024, 'x'));
        peer->flush();
        ASSERT_TRUE(socket->Write("goodbye\x01", err));
        if (byDestructor)
            socket.reset();
        else
            ASSERT_TRUE(socket->Close(err));
        QByteArray got;
        WaitFor([&] {
            got += peer->readAll();
            return got.size() >= 8 || peer->state() == QAbstractSocket::UnconnectedState;
        });
        got += peer->readAll();
        EXPECT_EQ(got.toStdString(), "goodbye\x01") << (byDestructor ? "destructor" : "Close");
    }
}

// The close reads to the hub's end after the 1002: the wait sends what was written first (no
// event loop runs meanwhile), hands over what arrives, and sees the peer's close.
TEST(QtSocketClose, WaitingToReadSendsTheLastWriteAndSeesThePeersClose) {
    App();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QtTcpSocket socket;
    bool connected = false, closed = false;
    std::string read;
    socket.onConnected = [&] { connected = true; };
    socket.onDataArrival = [&] { read += socket.ReadAll(); };
    socket.onClosed = [&] { closed = true; };
    SocketError err;
    ASSERT_TRUE(socket.ConnectToHost("127.0.0.1", server.serverPort(), err));
    ASSERT_TRUE(WaitFor([&] { return connected && server.hasPendingConnections(); }));
    std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
    ASSERT_TRUE(socket.Write("goodbye\x01", err));
    peer->write("tail");
    peer->flush();
    EXPECT_TRUE(socket.WaitForData(5000));
    EXPECT_EQ(read, "tail");
    ASSERT_TRUE(peer->waitForReadyRead(5000)) << "the last write left with the wait";
    EXPECT_EQ(peer->readAll().toStdString(), "goodbye\x01");
    // A hub that has not closed yet when the wait ends has not lost the link.
    bool failed = false;
    socket.onError = [&](const SocketError&) { failed = true; };
    EXPECT_FALSE(socket.WaitForData(20));
    QCoreApplication::processEvents();
    EXPECT_EQ(std::tuple(failed, socket.GetState()), std::tuple(false, TcpSocket::State::Connected));
    peer->disconnectFromHost();
    EXPECT_FALSE(socket.WaitForData(5000));
    EXPECT_TRUE(closed);
}

TEST(HubRouting, IdentifierPatterns) {
    for (const auto& [pattern, id] : {std::pair{"m**", "m07"}, {"m??", "m99"}, {"s01", "s01"}})
        EXPECT_TRUE(IdentifierMatches(pattern, id)) << pattern << " " << id;
    for (const auto& [pattern, id] : {std::pair{"s01", "s02"}, {"m**", "s01"}, {"m*", "m01"}})
        EXPECT_FALSE(IdentifierMatches(pattern, id)) << pattern << " " << id;
}

TEST(HubRecords, PipeLineNumbersFieldsFrom101) {
    EXPECT_EQ(RecordSource::PipeToRecordText("3|0311112222"), "000501013"
                                                              "00140102"
                                                              "0311112222");
    EXPECT_EQ(RecordSource::PipeToRecordText(""), "00040101");
    EXPECT_EQ(RecordSource::PipeToRecordText("a|"), "00050101a00040102");
}

} // namespace
} // namespace zeva
