// The hub setup dialog driven through its buttons on the offscreen platform.
#include "comms/ui/frmHubSetup.h"
#include "tests/AccessibleNames.h"
#include "tests/support/TestApp.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

namespace zeva {
namespace {

class HubSetupDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureApp(); }
    std::string ident = "s05";
    std::string address = "127.0.0.1";
    std::int32_t port = 6000;
    RecordingMessageBox mb;
};

TEST_F(HubSetupDialog, TheSecondHubIsShownNamedAndTakenWithItsPortChecked) {
    std::string backup = "10.0.0.6";
    std::int32_t backupPort = 26000;
    frmHubSetup dlg(nullptr, ident, address, port, mb);
    dlg.ShowBackupHub(backup, backupPort);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("HUB Setup"));
    EXPECT_EQ(dlg.txtBackupHub(0)->text(), QStringLiteral("10.0.0.6"));
    EXPECT_EQ(dlg.txtBackupHub(1)->text(), QStringLiteral("26000"));
    EXPECT_EQ(dlg.txtBackupHub(1)->accessibleName(), QStringLiteral("Backup Port"));
    EXPECT_EQ(test::UnspokenControls(dlg), std::vector<std::string>{});
    dlg.txtHubSetup(2)->setText(QStringLiteral("7000"));
    dlg.txtBackupHub(1)->setText(QStringLiteral("70000"));
    dlg.cmdControl(0)->click();
    EXPECT_TRUE(dlg.isVisible()) << "a port out of range keeps the dialog open";
    EXPECT_EQ(port, 6000) << "and changes nothing";
    ASSERT_EQ(mb.shown.size(), 1u);
    dlg.txtBackupHub(0)->setText(QString());
    dlg.txtBackupHub(1)->setText(QString());
    dlg.cmdControl(0)->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(port, 7000);
    EXPECT_EQ(backup, "") << "emptied: no second hub";
    EXPECT_EQ(backupPort, 0);
}

TEST_F(HubSetupDialog, RunIsModalUnderTheOwnersCaptionCancelChangesNothingAndOkTakesTheEdits) {
    // Each run reads what the dialog shows, edits every box and presses the button given.
    QStringList shown;
    const auto run = [&](int button) {
        QTimer::singleShot(0, [&, button] {
            auto* dlg = qobject_cast<frmHubSetup*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            shown = QStringList{dlg->windowTitle(),          dlg->txtHubSetup(0)->text(),
                                dlg->txtHubSetup(1)->text(), dlg->txtHubSetup(2)->text(),
                                dlg->cmdControl(0)->text(),  dlg->cmdControl(1)->text()};
            for (const QLabel* l : dlg->findChildren<QLabel*>())
                shown << l->text();
            dlg->txtHubSetup(0)->setText(QStringLiteral("s77"));
            dlg->txtHubSetup(1)->setText(QStringLiteral("hub.example"));
            dlg->txtHubSetup(2)->setText(QStringLiteral("6200"));
            dlg->cmdControl(button)->click();
        });
        return frmHubSetup::Run(nullptr, ident, address, port, "ZEVA Screen Client V4.0(1)", mb);
    };
    EXPECT_FALSE(run(1));
    EXPECT_EQ(std::tuple(ident, address, port), std::tuple("s05", "127.0.0.1", 6000));
    ASSERT_GE(shown.size(), 6);
    EXPECT_EQ(shown.mid(0, 6),
              (QStringList{"ZEVA Screen Client V4.0(1)", "s05", "127.0.0.1", "6000", "&Ok", "&Cancel"}));
    for (const char* caption : {"Client Identifer", "Server Address", "Server Port"})
        EXPECT_TRUE(shown.mid(6).contains(QString::fromLatin1(caption))) << caption;
    EXPECT_TRUE(run(0));
    EXPECT_EQ(std::tuple(ident, address, port), std::tuple("s77", "hub.example", 6200));
    EXPECT_TRUE(mb.shown.empty());
}

} // namespace
} // namespace zeva
