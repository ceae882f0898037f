// What the comms console shows, on the in-memory list and grid: the log's cap and order, the member
// rows, the Mode row's colours, the layout, and the hub setup form's Ok paths.
#include "common/OleDate.h"
#include "comms/CommEngine.h"
#include "comms/console/ClientLogView.h"
#include "comms/console/ConsoleLayout.h"
#include "comms/console/HubSetupForm.h"
#include "comms/console/MemberGridView.h"
#include "tests/support/memory/FakeClock.h"
#include "tests/support/memory/FakeEventPump.h"
#include "tests/support/memory/FakeTcpSocket.h"
#include "tests/support/memory/MemoryFlexGrid.h"
#include "tests/support/memory/MemoryListBox.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <gtest/gtest.h>

#include <tuple>

namespace zeva {
namespace {

using F = CommEngine::MemberField;

TEST(ConsoleLog, KeepsTheNewest199LinesOnTopWithTheirTime) {
    MemoryListBox list;
    FakeClock clock(*OleFromCalendar({2024, 3, 5, 14, 7, 9}));
    ClientLogView log(list, clock);
    for (int i = 1; i <= 250; ++i)
        log.InsertClientLog("line " + std::to_string(i));
    ASSERT_EQ(list.ListCount(), 199);
    EXPECT_EQ(std::tuple(list.List(0), list.List(198), list.ListIndex()),
              std::tuple("14:07:09  line 250", "14:07:09  line 52", 0));

    // A refresh takes only the lines not yet shown.
    log.Refresh();
    log.InsertClientLog("b");
    EXPECT_EQ(std::tuple(list.List(0), list.List(1)), std::tuple("14:07:09  b", "14:07:09  line 250"));
}

// The engine's own setters drive the rows, as in the window.
struct EngineOnGrid {
    EngineOnGrid() {
        engine.onMemberChanged = [this](F f) { view.Refresh(f, engine.Member()); };
    }
    FakeTcpSocket socket;
    FakeClock clock{45000.5};
    FakeEventPump pump;
    CommEngine engine{socket, clock, pump};
    MemoryFlexGrid grid;
    MemberGridView view{grid, engine.Member().Mode};
};

TEST(ConsoleGrid, SettersShowValuesAndDatesDropTheZeroDayAndMidnight) {
    EngineOnGrid e;
    CommMemberType target(45000.0);
    target.Identifier = "S07";
    target.ServerAddress = "10.1.2.3";
    target.Mode = 276;
    target.WatchDog = 60.0 / 86400.0;
    ASSERT_TRUE(e.engine.Connect(target));
    const auto& g = e.grid;
    // Identifier, Mode, address, watchdog and the state (2: the TCP connect started at once).
    EXPECT_EQ(
        std::tuple(g.TextMatrix(1, 1), g.TextMatrix(2, 1), g.TextMatrix(7, 1), g.TextMatrix(21, 1),
                   g.TextMatrix(27, 1)),
        std::tuple("s07", "[...][OUT][...][...][...][BUF][...][STC][...][...]", "10.1.2.3", "00:01:00", "2"));

    e.engine.TRPackets(20);
    e.engine.TMemberExpire(*OleFromCalendar({2024, 3, 5, 9, 8, 7}));
    EXPECT_EQ(std::tuple(g.TextMatrix(11, 1), g.TextMatrix(19, 1)), std::tuple("20", "05/03/2024 09:08:07"));
    // BufferSize shows the FIFO's count.
    CommType p;
    p.Destination = "m**";
    p.PacketType = "TEST";
    ASSERT_TRUE(e.engine.Send(p)); // not connected: the packet waits in the FIFO
    EXPECT_EQ(g.TextMatrix(15, 1), "1");

    // Packets with a bad check ("0000" cannot be this one's) are counted on their own row.
    const std::string bad = std::string("0000") + "0\t0000" + '\x01';
    e.engine.InterigatePacket(bad);
    e.engine.InterigatePacket(bad);
    EXPECT_EQ(std::tuple(g.TextMatrix(31, 0), g.TextMatrix(31, 1)), std::tuple("BadChecks", "2"));

    // Dates drop the zero day and midnight; one no calendar holds (a damaged accept) shows as its
    // number rather than as nonsense.
    EXPECT_EQ(MemberGridView::GeneralDateText(0.0), "00:00:00");
    EXPECT_EQ(MemberGridView::GeneralDateText(*OleFromCalendar({2024, 3, 5, 0, 0, 0})), "05/03/2024");
    EXPECT_EQ(MemberGridView::GeneralDateText(1e300), "1E+300");
}

TEST(ConsoleGrid, ModeColourTellsWatchdogThenLoginThenNothing) {
    EngineOnGrid e;
    auto& g = e.grid;
    g.SetRow(7);
    g.SetCol(0);
    e.engine.TMode(static_cast<std::int16_t>(kModeCON | kModeWDG | kModeOUT));
    EXPECT_EQ(g.CellBackColor(2, 1), MemberGridView::kYellow);
    EXPECT_EQ(g.TextMatrix(2, 1), "[...][OUT][CON][WDG][...][...][...][...][...][...]");
    e.engine.TMode(static_cast<std::int16_t>(kModeCON | kModeOUT));
    EXPECT_EQ(g.CellBackColor(2, 1), MemberGridView::kGreen);
    e.engine.TMode(kModeOUT);
    EXPECT_EQ(g.CellBackColor(2, 1), MemberGridView::kWhite);
    // The operator's place in the grid and its painting survive the colour change.
    EXPECT_EQ(std::tuple(g.Row(), g.Col(), g.Redraw()), std::tuple(7, 0, true));
}

TEST(ConsoleLayout, ListAndGridFollowTheClientArea) {
    const auto l = ConsoleLayout::Compute(9000, 7000, 1635);
    EXPECT_EQ(l.list, (ConsoleLayout::Rect{40, 500, 8920, 2000}));
    EXPECT_EQ(l.grid, (ConsoleLayout::Rect{40, 2540, 8920, 4460}));
    EXPECT_EQ(l.gridCol1Width, 8920 - 1635 - 350);
    // Too small a client area gives empty rather than negative sizes.
    const auto tiny = ConsoleLayout::Compute(50, 100, 1635);
    EXPECT_EQ(std::tuple(tiny.grid.height, tiny.gridCol1Width), std::tuple(0, 0));

    int w = 3000, h = 9000;
    ConsoleLayout::EnforceMinimum(w, h);
    EXPECT_EQ(std::tuple(w, h), std::tuple(7545, 9000));
    w = 8000, h = 100;
    ConsoleLayout::EnforceMinimum(w, h);
    EXPECT_EQ(std::tuple(w, h), std::tuple(8000, 6300));
}

TEST(HubSetupForm, OkTakesTheBoxesAsTypedButAPortThatIsNotAWholeNumberChangesNothing) {
    std::string ident = "s01", address = "hub1";
    std::int32_t port = 6000;
    HubSetupForm form(ident, address, port);
    EXPECT_EQ(std::tuple(form.Text(0), form.Text(1), form.Text(2)), std::tuple("s01", "hub1", "6000"));
    RecordingMessageBox mb;
    form.SetText(0, "Sx12345");   // any identifier is taken; the engine checks it when connecting
    form.SetText(1, "10.0.0.9 "); // and any address
    std::size_t refused = 0;
    for (const std::string bad : {"", "abc", "60o0", "6000.5", "6E3", "99999999999", "-"}) {
        form.SetText(2, bad);
        EXPECT_FALSE(form.Ok(ident, address, port, mb)) << bad;
        EXPECT_EQ(std::tuple(ident, address, port), std::tuple("s01", "hub1", 6000)) << bad;
        ASSERT_EQ(mb.shown.size(), ++refused) << bad;
        EXPECT_EQ(std::tuple(mb.shown.back().text, mb.shown.back().title),
                  std::tuple(HubSetupForm::BadPortMessage(bad), "HUB Setup"));
    }
    form.SetText(2, " 6001 ");
    ASSERT_TRUE(form.Ok(ident, address, port, mb));
    EXPECT_EQ(std::tuple(ident, address, port), std::tuple("Sx12345", "10.0.0.9 ", 6001));
    EXPECT_EQ(mb.shown.size(), refused);
}

} // namespace
} // namespace zeva
