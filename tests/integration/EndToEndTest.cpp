// The running client end to end: the real main window on the offscreen platform, connected by its
// own timers to the test hub running in-process on a loopback port, records flowing to the Output
// window. Every wait is bounded and runs the event loop.
#include "tests/integration/EndToEndHarness.h"

#include "common/OleDate.h"
#include "comms/CommShared.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/TestApp.h"
#include "tests/support/memory/MemoryFileSystem.h"
#include "tests/support/memory/RecordingMessageBox.h"
#include "tools/hub/HubServer.h"
#include "tools/rlog/RlogCommands.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

namespace zeva {
namespace {

using e2e::WaitUntil;

class EndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureApp(); }
    void TearDown() override {
        window_.reset();
        hub_.reset();
        // The console window of an unloaded window goes by deleteLater.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // An in-process hub on an ephemeral (or the given) loopback port, records as fast as possible.
    void StartHub(std::uint64_t count, quint16 port = 0) {
        ASSERT_TRUE(e2e::WriteRecordsFile(recordsPath_, count));
        HubOptions o;
        o.address = QHostAddress::LocalHost;
        o.port = port;
        std::string error;
        ASSERT_TRUE(o.records.LoadFile(recordsPath_, error)) << error;
        o.count = count;
        o.rate = 0;
        hub_ = std::make_unique<HubServer>(std::move(o), nullptr);
        ASSERT_TRUE(hub_->Listen(error)) << error;
        port_ = hub_->Port();
    }

    // The real main window for commandLine, loaded with a settings database that points at the hub
    // and connects at once, then the login and `records` records processed within 20 s.
    void OpenAndTake(std::uint64_t records, const std::map<std::string, std::string>& extra = {},
                     const std::string& commandLine = "05") {
        std::string error;
        ASSERT_TRUE(e2e::WriteSettings(dir_, settingsPath_, port_, extra, error)) << error;
        frmZVScreenClientMain::Options o;
        o.settingsPath = settingsPath_;
        o.instanceLock = &lock_;
        o.messages = &messages_;
        window_ = std::make_unique<frmZVScreenClientMain>(o);
        ASSERT_EQ(window_->shell().Load(commandLine), MainShell::LoadResult::Running);
        ASSERT_TRUE(messages_.shown.empty()) << messages_.shown.front().text;
        ASSERT_TRUE(e2e::SetEngineTick(*window_, 100));
        window_->show();
        ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QString::number(records); }))
            << "processed " << ProcessedLabel().toStdString() << ", hub sent " << hub_->RecordsSent()
            << ", link received " << window_->client()->Engine().Member().RPackets;
    }
    QString ProcessedLabel() const { return test::Find<QLabel>(*window_, "labRecordsProcessed(0)")->text(); }
    test::SiteFolder site_{"zeva_e2e"};
    const std::filesystem::path dir_ = site_.Path();
    std::string settingsPath_ = site_.File("ZEVARegistry.mdb"), recordsPath_ = site_.File("records.txt");
    quint16 port_ = 0;
    FakeInstanceLock lock_;
    RecordingMessageBox messages_;
    std::unique_ptr<HubServer> hub_;
    std::unique_ptr<frmZVScreenClientMain> window_;
};

TEST_F(EndToEnd, SynchronousBacklogDrainsOnceEachAndInOrder) {
    // The hub holds the whole backlog before the client logs in and hands out one record per
    // request: each must be shown exactly once, in order, none lost between request and receive.
    // The backlog drains at once: at one record per server-timer second it would take 30 s.
    StartHub(30);
    ASSERT_NO_FATAL_FAILURE(OpenAndTake(30, {{"Setup\\TCP\\Async Comms", "False"}}));
    // Let a few more server-timer requests go to the now empty hub: nothing more may show.
    QTest::qWait(2500);
    // The intake took exactly the hub's records, none waiting or dropped, and the Output window shows
    // them, one line each, newest on top, and nothing else.
    const RecordIntake& intake = *window_->intake();
    EXPECT_EQ(std::tuple(hub_->RecordsSent(), intake.RecordsProcessed(), intake.Waiting(), intake.Dropped()),
              std::tuple(std::uint64_t{30}, std::int64_t{30}, std::size_t{0}, std::int64_t{0}));
    const QtLineListBox& lines = *e2e::OutputList(*window_);
    ASSERT_EQ(lines.ListCount(), 30);
    for (int n = 0; n < 30; ++n)
        EXPECT_NE(lines.List(29 - n).find(e2e::CallingNumber(n)), std::string::npos) << "record " << n;
}

TEST_F(EndToEnd, TheTestFlagReachesTheMonitor) {
    StartHub(1);
    // Another member of the hub, a monitor m01 on its own hub connection, keeps what is routed to it.
    QtHubConnection monitor(50);
    std::vector<CommType> packets;
    monitor.connection().onReceivedData = [&](const CommType* p) {
        if (p) packets.push_back(*p);
    };
    CommMemberType target(OleNow());
    target.Identifier = "m01";
    target.ServerAddress = "127.0.0.1";
    target.ServerPort = port_;
    target.Mode = kModeOUT | kModeBUF | kModeSTC;
    monitor.connection().Connect(target);
    ASSERT_TRUE(WaitUntil([&] { return monitor.connection().Connected(); })) << "the monitor logs in";
    // The monitor pane's TEST button is the administrator's.
    ASSERT_NO_FATAL_FAILURE(OpenAndTake(1, {}, "ADMIN05"));
    test::Find<QAbstractButton>(*window_, "cmdMonitorTest")->click();
    ASSERT_TRUE(WaitUntil([&] { return !packets.empty(); })) << "the TEST flag reached the monitor";
    QTest::qWait(300); // the record the hub had is no flag: the monitor gets nothing else
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(std::tuple(packets[0].Source, packets[0].Text1), std::tuple("s05", "2"));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(EndToEnd, HubDropLeadsToANewAttemptAndReconnects) {
    StartHub(3);
    // The record trail is on: every record shown lands in its log, read back as zeva-rlog does.
    ASSERT_NO_FATAL_FAILURE(OpenAndTake(
        3, {{"Setup\\RecordLog", "True"}, {"Setup\\RecordLogFolder", (dir_ / "trail").string()}}));
    auto* alarm = test::Find<QLabel>(*window_, "lblLinkAlarm");
    hub_.reset(); // the hub dies: its sockets are aborted without a word, and a new attempt fails
    // Longer down than the retry wait (1 s): the operator sees it on top of the Output window, with
    // the hub the failed attempt named.
    const QString cause = QStringLiteral("hub 127.0.0.1 port %1: ").arg(port_);
    ASSERT_TRUE(WaitUntil([&] { return !alarm->isHidden() && alarm->text().contains(cause); }, 10000))
        << alarm->text().toStdString();
    // A new hub on the same port: the client gets back without anyone touching it.
    StartHub(4, port_);
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QStringLiteral("7"); }))
        << "processed " << ProcessedLabel().toStdString();
    EXPECT_TRUE(messages_.shown.empty()) << "no message box for the operator to answer";

    std::ostringstream counts, errors;
    EXPECT_EQ(rlog::Count((dir_ / "trail" / "LOGS" / "rstres05.log").string(), counts, errors), 0)
        << errors.str();
    EXPECT_NE(counts.str().find("type 00: 7\n"), std::string::npos) << counts.str();
}

} // namespace
} // namespace zeva
