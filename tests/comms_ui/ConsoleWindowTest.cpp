// The comms console window on the offscreen platform: caption, start hidden and on top, the Hide
// button, the log written without running events, and the resize rules.
#include "comms/console/ConsoleLayout.h"
#include "comms/ui/CommDisplay.h"
#include "comms/ui/QtHubConnection.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ValueLabel.h"
#include "tests/support/TestApp.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

namespace zeva {
namespace {

class ConsoleWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureApp(); }
};

// A hub connection with its Qt surroundings and the console that shows it.
struct Console {
    explicit Console(int tickMs = QtHubConnection::kTickMs)
        : host(tickMs), c(host.connection()), d(c, host.clock()) {}
    QtHubConnection host;
    HubConnection& c;
    CommDisplay d;
};

TEST_F(ConsoleWindow, StartsHiddenOnTopAndHideKeepsTheEngineRunning) {
    Console con(20);
    auto& [host, c, d] = con;
    EXPECT_EQ(std::tuple(d.windowTitle(), d.isVisible(), d.windowFlags().testFlag(Qt::WindowStaysOnTopHint)),
              std::tuple(QStringLiteral("ComClass - Version 4.00.00"), false, true));

    d.ShowConsole(true);
    EXPECT_TRUE(d.ConsoleVisible());
    d.HideButton()->click();
    EXPECT_FALSE(d.ConsoleVisible());

    // The engine ticks on while hidden: a state set from outside is run by the timer.
    c.Engine().TSystemState(6);
    ASSERT_TRUE(
        test::WaitFor([&] { return c.Engine().Member().SystemStateDES == "APPL: Disconnected"; }, 3000));
    EXPECT_EQ(d.LogLines().List(0).substr(10), "APPL: Disconnected");
    // The link line is heard with what it shows.
    c.onErrorLabel("Socket: Closed");
    EXPECT_EQ(d.ErrorLabel()->accessibleName(), QStringLiteral("Hub link: Socket: Closed"));
}

TEST_F(ConsoleWindow, TheLogNeverRunsTheEventLoopAndAResizeKeepsTheMinimumAndFillsTheGrid) {
    Console con;
    auto& [host, c, d] = con;
    d.ShowConsole(true);

    // A log line is written from inside packet handling: events run there would re-enter the engine.
    bool ran = false;
    QTimer::singleShot(0, &d, [&] { ran = true; });
    for (int i = 1; i <= 250; ++i)
        c.InsertClientLog("line " + std::to_string(i));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(QString::fromStdString(d.LogLines().List(0)).endsWith(QStringLiteral("  line 250")));

    d.resize(200, 150);
    test::WaitFor([] { return false; }, 50);
    EXPECT_GE(d.width(), TwipsToPixels(ConsoleLayout::kMinWidth));
    EXPECT_GE(d.height(), TwipsToPixels(ConsoleLayout::kMinHeight));

    d.resize(900, 700);
    test::WaitFor([] { return false; }, 50);
    const QRect grid = d.MemberGrid()->geometry();
    const QRect list = d.LogList()->geometry();
    EXPECT_EQ(std::tuple(list.top(), list.width()), std::tuple(TwipsToPixels(500), 900 - TwipsToPixels(80)));
    EXPECT_NEAR(grid.top() + grid.height(), 700, 1);
    EXPECT_NEAR(d.MemberGrid()->columnWidth(1), TwipsToPixels(PixelsToTwips(list.width()) - 1635 - 350), 1);
}

} // namespace
} // namespace zeva
