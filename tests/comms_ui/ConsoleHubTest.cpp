// The console showing a hub connection against the in-process test hub on a loopback port: the
// member rows, the Mode colour and the error label after a real login, records handed to the owner
// with the notification, the log-off.
#include "common/OleDate.h"
#include "comms/console/MemberGridView.h"
#include "comms/ui/CommDisplay.h"
#include "comms/ui/QtHubConnection.h"
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

// A hub connection with its Qt surroundings and the console that shows it.
struct Console {
    explicit Console(int tickMs) : host(tickMs), c(host.connection()), d(c, host.clock()) {}
    QtHubConnection host;
    HubConnection& c;
    CommDisplay d;
};

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
    // The owner's side of the link: every data packet comes with the notification.
    void Wire(HubConnection& c) {
        c.onReceivedData = [this, &c](const CommType* p) {
            busyInHandler = busyInHandler && c.Busy();
            if (p) records.push_back(*p);
        };
        c.onDisconnection = [this] { ++disconnections; };
    }
    bool Connect(HubConnection& d, std::int16_t mode) {
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

TEST_F(ConsoleHub, ALoginFillsTheRowsRecordsReachTheOwnerAndTheLogOffClosesTheLink) {
    StartHub(20);
    Console con(25);
    auto& [host, c, d] = con;
    Wire(c);
    ASSERT_TRUE(Connect(c, 276));
    EXPECT_TRUE(c.Connecting());
    ASSERT_TRUE(test::WaitFor([&] { return records.size() >= 20; }));
    EXPECT_TRUE(busyInHandler);
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(c.Userid(), "s03");
    EXPECT_EQ(records.front().Source, "x01");

    EXPECT_EQ(Cell(d, 1), "s03");
    EXPECT_EQ(Cell(d, 4), c.Engine().Member().Address);
    EXPECT_EQ(Cell(d, 5), std::to_string(c.LocalPort()));
    EXPECT_GT(c.LocalPort(), 0);
    EXPECT_EQ(Cell(d, 7), "127.0.0.1");
    EXPECT_EQ(Cell(d, 8), std::to_string(hub->Port()));
    EXPECT_EQ(Cell(d, 11), "20"); // RPackets
    EXPECT_EQ(Cell(d, 19), MemberGridView::GeneralDateText(c.Engine().Member().MemberExpire));
    EXPECT_EQ(Cell(d, 21), "00:01:00");
    // Logged in: CON in the Mode row, green once the tick's watchdog mark has cleared.
    ASSERT_TRUE(test::WaitFor(
        [&] {
            const auto& m = c.Engine().Member();
            return m.SystemState == 0 && m.LastWDog > 0 && (m.Mode & kModeWDG) == 0;
        },
        3000));
    EXPECT_FALSE(c.Connecting());
    EXPECT_EQ(Cell(d, 2).substr(11, 3), "CON");
    EXPECT_EQ(QtFlexGrid(d.MemberGrid()).CellBackColor(2, 1), MemberGridView::kGreen);
    EXPECT_EQ(d.ErrorLabel()->text().toStdString(), "Connected to 127.0.0.1," + std::to_string(hub->Port()));
    EXPECT_TRUE(LogHas(d, QStringLiteral("  RXD: ACCEPT CONN")));
    EXPECT_TRUE(LogHas(d, QStringLiteral("  RXD: Data pkt from Hub")));
    EXPECT_LE(d.LogLines().ListCount(), 199);

    EXPECT_TRUE(c.Disconnect());
    EXPECT_TRUE(c.Disconnecting());
    ASSERT_TRUE(test::WaitFor([&] { return disconnections == 1; }));
    EXPECT_FALSE(c.Connected());
    EXPECT_FALSE(c.Disconnecting());
    EXPECT_TRUE(HubLogged("asks to disconnect (1002)"));
    ASSERT_TRUE(test::WaitFor([&] { return hub->ClientCount() == 0; }));
    EXPECT_EQ(d.ErrorLabel()->text(), QStringLiteral("Socket: Closed"));
    // White once the last tick's watchdog mark has cleared.
    EXPECT_TRUE(test::WaitFor(
        [&] { return QtFlexGrid(d.MemberGrid()).CellBackColor(2, 1) == MemberGridView::kWhite; }, 3000));
    EXPECT_TRUE(LogHas(d, QStringLiteral("  APPL: Sending Disconnection notice (server)")));
}

} // namespace
} // namespace zeva
