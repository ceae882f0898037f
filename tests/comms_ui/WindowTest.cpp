// The comms console window and the hub setup dialog on the offscreen platform, driven through their
// buttons.
#include "comms/ui/CommDisplay.h"
#include "comms/ui/QtHubConnection.h"
#include "comms/ui/frmHubSetup.h"
#include "platform/qt/ValueLabel.h"
#include "tests/AccessibleNames.h"
#include "tests/support/TestApp.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

namespace zeva {
namespace {

TEST(ConsoleWindow, StartsHiddenOnTopWritesTheLogWithoutEventsAndHideKeepsTheEngineRunning) {
    test::EnsureApp();
    QtHubConnection host(20);
    HubConnection& c = host.connection();
    CommDisplay d(c, host.clock());
    EXPECT_TRUE(!d.isVisible() && d.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    d.ShowConsole(true);
    EXPECT_TRUE(d.ConsoleVisible());

    // A log line is written from inside packet handling: events run there would re-enter the engine.
    bool ran = false;
    QTimer::singleShot(0, &d, [&] { ran = true; });
    c.InsertClientLog("line 1");
    EXPECT_FALSE(ran);

    d.HideButton()->click();
    EXPECT_FALSE(d.ConsoleVisible());
    // The engine ticks on while hidden: a state set from outside is run by the timer.
    c.Engine().TSystemState(6);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return c.Engine().Member().SystemStateDES == "APPL: Disconnected"; }, 3000));
    EXPECT_EQ(d.LogLines().List(0).substr(10), "APPL: Disconnected");
    // The link line is heard with what it shows.
    c.onErrorLabel("Socket: Closed");
    EXPECT_EQ(d.ErrorLabel()->accessibleName(), QStringLiteral("Hub link: Socket: Closed"));
}

TEST(HubSetupDialog, RunShowsBothHubsUnderTheOwnersCaptionRefusesABadSecondPortAndOnlyOkTakesTheEdits) {
    test::EnsureApp();
    std::string ident = "s05", address = "127.0.0.1", backup = "10.0.0.6";
    std::int32_t port = 6000, backupPort = 26000;
    RecordingMessageBox mb;
    // Each run reads what the dialog shows, edits every box, presses Ok with the second hub's port
    // out of range, then empties the second hub and presses the button given.
    QStringList shown;
    bool refusedKeptOpen = false;
    const auto run = [&](int button) {
        QTimer::singleShot(0, [&, button] {
            auto* dlg = qobject_cast<frmHubSetup*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            shown = QStringList{dlg->windowTitle(),           dlg->txtHubSetup(0)->text(),
                                dlg->txtHubSetup(1)->text(),  dlg->txtHubSetup(2)->text(),
                                dlg->txtBackupHub(0)->text(), dlg->txtBackupHub(1)->text()};
            EXPECT_EQ(test::UnspokenControls(*dlg), std::vector<std::string>{});
            dlg->txtHubSetup(0)->setText(QStringLiteral("s77"));
            dlg->txtHubSetup(1)->setText(QStringLiteral("hub.example"));
            dlg->txtHubSetup(2)->setText(QStringLiteral("6200"));
            dlg->txtBackupHub(1)->setText(QStringLiteral("70000"));
            dlg->cmdControl(0)->click();
            refusedKeptOpen = dlg->isVisible();
            dlg->txtBackupHub(0)->setText(QString());
            dlg->txtBackupHub(1)->setText(QString());
            dlg->cmdControl(button)->click();
        });
        return frmHubSetup::Run(nullptr, ident, address, port, "ZEVA Screen Client V4.0(1)", mb, &backup,
                                &backupPort);
    };
    EXPECT_FALSE(run(1));
    // The refused Ok and the Cancel change nothing.
    EXPECT_EQ(std::tuple(ident, address, port, backup, backupPort),
              std::tuple("s05", "127.0.0.1", 6000, "10.0.0.6", 26000));
    EXPECT_EQ(std::tuple(refusedKeptOpen, mb.shown.size()), std::tuple(true, 1u));
    EXPECT_EQ(shown,
              (QStringList{"ZEVA Screen Client V4.0(1)", "s05", "127.0.0.1", "6000", "10.0.0.6", "26000"}));
    // Emptied, the second hub is gone.
    EXPECT_TRUE(run(0));
    EXPECT_EQ(std::tuple(ident, address, port, backup, backupPort),
              std::tuple("s77", "hub.example", 6200, "", 0));
}

} // namespace
} // namespace zeva
