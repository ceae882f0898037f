// The console with its engine against the in-process test hub on a loopback port: the member rows,
// the Mode colour and the error label after a real login, records handed to the owner, the log-off.
#include "common/OleDate.h"
#include "comms/ui/CommDisplay.h"
#include "comms/ui/MemberGridView.h"
#include "platform/qt/QtFlexGrid.h"
#include "tests/support/TestApp.h"
#include "tools/hub/HubServer.h"

#include <QLabel>
#include <QListView>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zeva {
namespace {

class ConsoleHub : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureApp(); }

    void StartHub(std::uint64_t count) {
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
        port = hub->Port();
    }
    // The owner's side of the link: every data packet taken with Receive.
    void Wire(CommDisplay& d) {
        d.onReceivedData = [this, &d](const CommType&) {
            busyInHandler = busyInHandler && d.Busy();
            CommType p;
            if (d.Receive(p)) records.push_back(p);
        };
        d.onDisconnection = [this] { ++disconnections; };
    }
    bool Connect(CommDisplay& d, std::int16_t mode) {
        CommMemberType target(OleNow());
        target.Identifier = "s03";
        target.ServerAddress = "127.0.0.1";
        target.ServerPort = port;
        target.Mode = mode;
        target.BufferMax = 10;
        target.RemoteBuffer = 100;
        target.WatchDog = 60.0 / 86400.0;
        target.MemberExpire = 1.0 / 24.0;
        target.Description = "Screen Client on \"" + d.LocalHostName() + "\" (ASYNC)";
        return d.Connect(target);
    }
    bool HubLogged(const std::string& part) const {
        for (const auto& l : hubLog)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    static std::string Cell(CommDisplay& d, int row) { return QtFlexGrid(d.MemberGrid()).TextMatrix(row, 1); }
    static bool LogHas(CommDisplay& d, const QString& text) {
        for (int i = 0; i < d.LogLines().ListCount(); ++i)
            if (QString::fromStdString(d.LogLines().List(i)).endsWith(text)) return true;
        return false;
    }

    std::unique_ptr<HubServer> hub;
    quint16 port = 0;
    std::vector<std::string> hubLog;
    std::vector<CommType> records;
    int disconnections = 0;
    bool busyInHandler = true;
};

TEST_F(ConsoleHub, LoginFillsTheMemberRowsAndRecordsReachTheOwner) {
    StartHub(20);
    CommDisplay d(nullptr, 25);
    Wire(d);
    ASSERT_TRUE(Connect(d, 276));
    EXPECT_TRUE(d.Connecting());
    ASSERT_TRUE(test::WaitFor([&] { return records.size() >= 20; }));
    EXPECT_TRUE(busyInHandler);
    EXPECT_TRUE(d.Connected());
    EXPECT_EQ(d.Userid(), "s03");
    EXPECT_EQ(records.front().Source, "x01");

    EXPECT_EQ(Cell(d, 1), "s03");
    EXPECT_EQ(Cell(d, 4), d.Engine().Member().Address);
    EXPECT_EQ(Cell(d, 5), std::to_string(d.LocalPort()));
    EXPECT_GT(d.LocalPort(), 0);
    EXPECT_EQ(Cell(d, 7), "127.0.0.1");
    EXPECT_EQ(Cell(d, 8), std::to_string(hub->Port()));
    EXPECT_EQ(Cell(d, 11), "20"); // RPackets
    EXPECT_EQ(Cell(d, 19), MemberGridView::GeneralDateText(d.Engine().Member().MemberExpire));
    EXPECT_EQ(Cell(d, 21), "00:01:00");
    // Logged in: CON in the Mode row, green once the tick's watchdog mark has cleared.
    ASSERT_TRUE(test::WaitFor(
        [&] {
            const auto& m = d.Engine().Member();
            return m.SystemState == 0 && m.LastWDog > 0 && (m.Mode & kModeWDG) == 0;
        },
        3000));
    EXPECT_EQ(Cell(d, 2).substr(11, 3), "CON");
    EXPECT_EQ(QtFlexGrid(d.MemberGrid()).CellBackColor(2, 1), MemberGridView::kGreen);
    EXPECT_EQ(d.ErrorLabel()->text().toStdString(), "Connected to 127.0.0.1," + std::to_string(hub->Port()));
    EXPECT_TRUE(LogHas(d, QStringLiteral("  RXD: ACCEPT CONN")));
    EXPECT_TRUE(LogHas(d, QStringLiteral("  RXD: Data pkt from Hub")));
    EXPECT_LE(d.LogLines().ListCount(), 199);
}

TEST_F(ConsoleHub, SynchronousReceiveWaitsThroughTheConsole) {
    StartHub(3);
    // The login needs no tick; a tick during the wait would end it before the answer (state 30).
    CommDisplay d(nullptr, CommDisplay::kTickMs);
    ASSERT_TRUE(Connect(d, 279));
    ASSERT_TRUE(test::WaitFor([&] { return d.Connected(); }));
    for (int i = 0; i < 3; ++i) {
        CommType p;
        ASSERT_TRUE(d.Receive(p)) << i; // asks the hub and waits in the event loop
        EXPECT_EQ(p.Source, "x01");
    }
    CommType none;
    EXPECT_FALSE(d.Receive(none)); // the hub has nothing left
    EXPECT_FALSE(d.Busy());
    EXPECT_EQ(Cell(d, 11), "3");
}

TEST_F(ConsoleHub, DisconnectLogsOffAndTheHubCloses) {
    StartHub(1);
    CommDisplay d(nullptr, 25);
    Wire(d);
    ASSERT_TRUE(Connect(d, 276));
    ASSERT_TRUE(test::WaitFor([&] { return d.Connected() && hub->LoggedInCount() == 1; }));
    ASSERT_TRUE(test::WaitFor([&] { return !d.Connecting(); }));
    EXPECT_TRUE(d.Disconnect());
    EXPECT_TRUE(d.Disconnecting());
    ASSERT_TRUE(test::WaitFor([&] { return disconnections == 1; }));
    EXPECT_FALSE(d.Connected());
    EXPECT_FALSE(d.Disconnecting());
    EXPECT_TRUE(HubLogged("asks to disconnect (1002)"));
    ASSERT_TRUE(test::WaitFor([&] { return hub->ClientCount() == 0; }));
    EXPECT_EQ(d.ErrorLabel()->text(), QStringLiteral("Socket: Closed"));
    // White once the last tick's watchdog mark has cleared.
    EXPECT_TRUE(test::WaitFor(
        [&] { return QtFlexGrid(d.MemberGrid()).CellBackColor(2, 1) == MemberGridView::kWhite; }, 3000));
    EXPECT_TRUE(LogHas(d, QStringLiteral("  APPL: Sending Disconnection notice (server)")));
}

TEST_F(ConsoleHub, RefusedConnectionIsReportedAndClosedWithoutWaitingForATick) {
    StartHub(0);
    hub.reset(); // nothing listens on the port any more
    CommDisplay d(nullptr, 60000);
    Wire(d);
    ASSERT_TRUE(Connect(d, 276));
    ASSERT_TRUE(test::WaitFor([&] { return disconnections == 1; }, 5000));
    EXPECT_TRUE(LogHas(d, QStringLiteral("  Socket: Failed to connect - [10061] : Connection refused")));
    EXPECT_EQ(d.LogLines().List(1).substr(10), "Socket: Closing Port - 127.0.0.1," + std::to_string(port));
    EXPECT_EQ(d.LogLines().List(0).substr(10), "APPL: Hub 127.0.0.1 port " + std::to_string(port) +
                                                   ": could not connect - [10061] : Connection refused");
    EXPECT_EQ(d.ErrorLabel()->text(), QStringLiteral("Socket: Closed"));
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(d.SystemState(), 0);
}

} // namespace
} // namespace zeva
