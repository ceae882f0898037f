// The running client end to end: the real main window on the offscreen platform, connected by its
// own timers to the test hub running in-process on a loopback port, records flowing to the Output
// window. Every wait is bounded and runs the event loop.
#include "tests/integration/EndToEndHarness.h"

#include "common/OleDate.h"
#include "comms/CommEngine.h"
#include "comms/CommShared.h"
#include "platform/Clock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingMessageBox.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtTcpSocket.h"
#include "tools/hub/HubServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace zeva {
namespace {

using e2e::CallingNumber;
using e2e::RunFor;
using e2e::WaitUntil;

// A monitor on the same hub, logged in as m01 the way zeva-monitor does: keeps every flag it gets.
struct Monitor {
    explicit Monitor(quint16 port) {
        engine.onReceivedData = [this](const CommType&) {
            CommType flag;
            if (engine.Receive(flag)) flags.push_back(flag);
        };
        QObject::connect(&timer, &QTimer::timeout, [this] { engine.Tick(); });
        timer.start(50);
        CommMemberType target(OleNow());
        target.Identifier = "m01";
        target.ServerAddress = "127.0.0.1";
        target.ServerPort = port;
        target.Mode = kModeOUT | kModeBUF | kModeSTC;
        target.Description = "Monitor";
        target.MemberExpire = 1.0 / 24;
        engine.Connect(target);
    }
    ~Monitor() { timer.stop(); }
    QtTcpSocket socket;
    SystemClock clock;
    QtEventPump pump;
    CommEngine engine{socket, clock, pump};
    QTimer timer;
    std::vector<CommType> flags;
};

// Another client on the same hub (s06), whose packets the hub routes to the screen client.
struct Peer {
    explicit Peer(quint16 port) {
        QObject::connect(&timer, &QTimer::timeout, [this] { engine.Tick(); });
        timer.start(50);
        CommMemberType target(OleNow());
        target.Identifier = "s06";
        target.ServerAddress = "127.0.0.1";
        target.ServerPort = port;
        target.Mode = kModeOUT | kModeBUF | kModeSTC;
        target.Description = "Peer";
        target.MemberExpire = 1.0 / 24;
        engine.Connect(target);
    }
    ~Peer() { timer.stop(); }
    bool SendTo(const std::string& destination, const std::string& type, const std::string& data) {
        CommType p;
        p.Source = "x01";
        p.Destination = destination;
        p.PacketType = type;
        p.Data = data;
        return engine.Send(p);
    }
    QtTcpSocket socket;
    SystemClock clock;
    QtEventPump pump;
    CommEngine engine{socket, clock, pump};
    QTimer timer;
};

class EndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char arg0[] = "test_integration";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qApp) new QApplication(argc, argv);
    }
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("zeva_e2e_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        settingsPath_ = (dir_ / "ZEVARegistry.mdb").string();
        recordsPath_ = (dir_ / "records.txt").string();
    }
    void TearDown() override {
        watched_ = nullptr;
        window_.reset();
        hub_.reset();
        // The console window of an unloaded window goes by deleteLater.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::filesystem::remove_all(dir_);
    }

    // An in-process hub on an ephemeral (or the given) loopback port, records as fast as possible.
    void StartHub(std::uint64_t count, const std::string& source = "x01", quint16 port = 0) {
        ASSERT_TRUE(e2e::WriteRecordsFile(recordsPath_, std::max<std::uint64_t>(count, 1)));
        HubOptions o;
        o.address = QHostAddress::LocalHost;
        o.port = port;
        std::string error;
        ASSERT_TRUE(o.records.LoadFile(recordsPath_, error)) << error;
        o.count = count;
        o.rate = 0;
        o.source = source;
        o.quiet = true;
        hub_ = std::make_unique<HubServer>(std::move(o), [this](const std::string& line) { HubLog(line); });
        ASSERT_TRUE(hub_->Listen(error)) << error;
        port_ = hub_->Port();
    }
    void HubLog(const std::string& line) {
        hubLog_.push_back(line);
        if (line.find("(1002)") != std::string::npos) {
            sawLogoff_ = true;
            windowGoneAtLogoff_ = !watched_ || watched_->IsUnloaded();
        }
    }
    bool HubLogged(const std::string& part) const {
        return std::any_of(hubLog_.begin(), hubLog_.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }

    // The real main window for operator s05, loaded with a settings database that points at the hub
    // and connects at once; engineTickMs 0 keeps the engine's own 2-second step.
    void OpenWindow(const std::map<std::string, std::string>& extra = {}, int engineTickMs = 100,
                    const std::string& commandLine = "05") {
        std::string error;
        ASSERT_TRUE(e2e::WriteSettings(dir_, settingsPath_, port_, extra, error)) << error;
        frmZVScreenClientMain::Options o;
        o.settingsPath = settingsPath_;
        o.instanceLock = &lock_;
        o.messages = &messages_;
        window_ = std::make_unique<frmZVScreenClientMain>(o);
        watched_ = window_.get();
        QObject::connect(window_.get(), &QWidget::windowTitleChanged,
                         [this](const QString& t) { titles_.push_back(t.toStdString()); });
        ASSERT_EQ(window_->shell().Load(commandLine), MainShell::LoadResult::Running);
        ASSERT_TRUE(messages_.shown.empty()) << messages_.shown.front().text;
        if (engineTickMs > 0) {
            ASSERT_TRUE(e2e::SetEngineTick(*window_, engineTickMs));
        }
        window_->show();
    }
    bool Connected() const { return window_->HubConnected() && TitleEndsWith("Connected"); }
    bool TitleEndsWith(const std::string& status) const {
        const std::string t = window_->windowTitle().toStdString();
        return t.size() >= status.size() && t.compare(t.size() - status.size(), status.size(), status) == 0;
    }
    // Index of the first caption at or after from that ends with status; -1 when none.
    int TitleIndex(const std::string& status, std::size_t from = 0) const {
        for (std::size_t i = from; i < titles_.size(); ++i) {
            const std::string& t = titles_[i];
            if (t.size() >= status.size() && t.compare(t.size() - status.size(), status.size(), status) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }
    QString ProcessedLabel() const {
        return window_->findChild<QLabel*>(QStringLiteral("labRecordsProcessed(0)"))->text();
    }
    // The Output window's lines, top first.
    std::vector<std::string> OutputLines() const {
        std::vector<std::string> lines;
        QListWidget* list = e2e::OutputList(*window_);
        for (int i = 0; list && i < list->count(); ++i)
            lines.push_back(list->item(i)->text().toStdString());
        return lines;
    }
    // Checks that the Output window shows records first..last (inclusive), one line each, newest on
    // top, and nothing else.
    void ExpectOutputShows(std::uint64_t first, std::uint64_t last) const {
        const std::vector<std::string> lines = OutputLines();
        ASSERT_EQ(lines.size(), last - first + 1);
        for (std::uint64_t n = first; n <= last; ++n) {
            const std::string& line = lines[last - n];
            EXPECT_NE(line.find(CallingNumber(n)), std::string::npos)
                << "line " << (last - n) << " should show record " << n << ": " << line;
        }
    }

    std::filesystem::path dir_;
    std::string settingsPath_, recordsPath_;
    quint16 port_ = 0;
    FakeInstanceLock lock_;
    RecordingMessageBox messages_;
    std::unique_ptr<HubServer> hub_;
    std::vector<std::string> hubLog_;
    std::unique_ptr<frmZVScreenClientMain> window_;
    frmZVScreenClientMain* watched_ = nullptr;
    std::vector<std::string> titles_;
    bool sawLogoff_ = false;
    bool windowGoneAtLogoff_ = false;
};

TEST_F(EndToEnd, AsynchronousRecordsShowInOrderNewestOnTop) {
    constexpr std::uint64_t kRecords = 50;
    StartHub(kRecords);
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QString::number(kRecords); }))
        << "processed " << ProcessedLabel().toStdString() << ", hub sent " << hub_->RecordsSent();
    ExpectOutputShows(0, kRecords - 1);
    EXPECT_EQ(window_->intake()->RecordsProcessed(), std::int64_t(kRecords));
    EXPECT_EQ(window_->intake()->Waiting(), 0u);
    EXPECT_EQ(window_->intake()->Dropped(), 0);
    EXPECT_EQ(hub_->RecordsSent(), kRecords);
    EXPECT_FALSE(HubLogged("request next")) << "asynchronous intake never asks";
    // The newest record is current, so the operator sees it.
    EXPECT_EQ(e2e::OutputList(*window_)->currentRow(), 0);
}

TEST_F(EndToEnd, ConnectsAtTheEnginesOwnPaceWithAShortRetryWait) {
    // A login takes four 2-second engine steps while the connection timer judges the attempt one
    // second after starting it; a retry wait of 2 seconds must not restart the login under way.
    StartHub(3);
    OpenWindow({{"Setup\\TCP\\Hub Inter Retry Wait", "2"}}, /*engineTickMs=*/0);
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, 40000)) << window_->windowTitle().toStdString();
    EXPECT_EQ(hub_->LoggedInCount(), 1);
    // One login only: a restarted attempt shows as a second connection at the hub.
    EXPECT_EQ(std::count_if(hubLog_.begin(), hubLog_.end(),
                            [](const std::string& l) { return l.rfind("connection #", 0) == 0; }),
              1);
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QStringLiteral("3"); }, 10000));
    ExpectOutputShows(0, 2);
}

TEST_F(EndToEnd, SynchronousBacklogDrainsOnceEachAndInOrder) {
    // The hub holds the whole backlog before the client logs in and hands out one record per
    // request: each must be shown exactly once, in order, none lost between request and receive.
    constexpr std::uint64_t kRecords = 30;
    StartHub(kRecords);
    OpenWindow({{"Setup\\TCP\\Async Comms", "False"}});
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    EXPECT_TRUE(HubLogged("login s05 (sync")) << "the member asked for synchronous mode";
    // The backlog drains at once: at one record per server-timer second it would take 30.
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QString::number(kRecords); }, 10000))
        << "processed " << ProcessedLabel().toStdString() << ", hub sent " << hub_->RecordsSent();
    // Let a few more server-timer requests go to the now empty hub: nothing more may show.
    RunFor(2500);
    EXPECT_EQ(ProcessedLabel(), QString::number(kRecords));
    EXPECT_EQ(hub_->RecordsSent(), kRecords);
    EXPECT_EQ(window_->intake()->RecordsProcessed(), std::int64_t(kRecords));
    EXPECT_EQ(window_->intake()->Waiting(), 0u);
    ExpectOutputShows(0, kRecords - 1);
}

TEST_F(EndToEnd, UnselectedX25SourceShowsNothing) {
    constexpr std::uint64_t kRecords = 20;
    StartHub(kRecords, "x02");
    OpenWindow({{"Setup\\FORM\\X25Client Enabled01", "True"}, {"Setup\\FORM\\X25Client Enabled02", "False"}});
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    // Every record reached the client's link...
    ASSERT_TRUE(WaitUntil([&] {
        return window_->client()->Engine().Member().RPackets >= std::int32_t(kRecords);
    })) << "link received "
        << window_->client()->Engine().Member().RPackets;
    RunFor(1200); // and a server-timer tick has had its go at the ring
    // ...and none of them was shown or counted.
    EXPECT_EQ(hub_->RecordsSent(), kRecords);
    EXPECT_EQ(window_->intake()->Dropped(), std::int64_t(kRecords));
    EXPECT_EQ(ProcessedLabel(), QStringLiteral("0"));
    EXPECT_EQ(window_->intake()->RecordsProcessed(), 0);
    EXPECT_TRUE(OutputLines().empty()) << OutputLines().front();
}

TEST_F(EndToEnd, TestButtonFlagReachesTheMonitor) {
    StartHub(1);
    Monitor monitor(port_);
    ASSERT_TRUE(WaitUntil([&] { return monitor.engine.Connected(); })) << "the monitor logs in";
    OpenWindow({}, 100, "ADMIN05"); // the Setup pane with the TEST button is the administrator's
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    auto* test = window_->findChild<QAbstractButton*>(QStringLiteral("cmdMonitorTest"));
    ASSERT_NE(test, nullptr);
    ASSERT_TRUE(test->isEnabled());
    test->click();
    ASSERT_TRUE(WaitUntil([&] { return !monitor.flags.empty(); })) << "no flag reached the monitor";
    ASSERT_EQ(monitor.flags.size(), 1u);
    const CommType& flag = monitor.flags.front();
    EXPECT_EQ(flag.Destination, "m**");
    EXPECT_EQ(flag.Source, "s05");
    EXPECT_EQ(flag.Text1, "2");
    EXPECT_EQ(flag.Text2, "s05");
    EXPECT_EQ(flag.Text3, "s05");
    EXPECT_TRUE(HubLogged("from s05 to m** (1 client)"));
    // The record the hub had is no flag: the monitor got nothing else.
    RunFor(300);
    EXPECT_EQ(monitor.flags.size(), 1u);
}

TEST_F(EndToEnd, BurstOfAThousandRecordsLosesNone) {
    constexpr std::uint64_t kRecords = 1000;
    StartHub(kRecords);
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QString::number(kRecords); }))
        << "processed " << ProcessedLabel().toStdString() << ", hub sent " << hub_->RecordsSent()
        << ", link received " << window_->client()->Engine().Member().RPackets;
    RecordIntake& intake = *window_->intake();
    EXPECT_EQ(intake.RecordsProcessed(), std::int64_t(kRecords));
    EXPECT_EQ(intake.Waiting(), 0u);
    EXPECT_EQ(intake.Dropped(), 0);
    EXPECT_EQ(intake.BufferInPtr(), int(kRecords % 100));
    EXPECT_EQ(intake.BufferOutPtr(), int(kRecords % 100));
    EXPECT_EQ(window_->shell().RecordsProcessed(), std::int64_t(kRecords));
    EXPECT_EQ(window_->client()->Engine().Member().RPackets, std::int32_t(kRecords));
    EXPECT_EQ(hub_->RecordsSent(), kRecords);
    // MaxEntriesInOutput (50) caps the list: the newest 50, the last record on top.
    ExpectOutputShows(kRecords - 50, kRecords - 1);
}

TEST_F(EndToEnd, ClosingWhileConnectedLogsOffBeforeTheWindowGoes) {
    StartHub(5);
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QStringLiteral("5"); }));
    ASSERT_EQ(hub_->LoggedInCount(), 1);
    const std::size_t before = titles_.size();
    EXPECT_FALSE(window_->close()) << "a close request waits for the connection timer";
    ASSERT_TRUE(WaitUntil([&] { return window_->IsUnloaded(); }, 15000))
        << window_->windowTitle().toStdString();
    const int disconnecting = TitleIndex("Disconnecting", before);
    const int terminating = TitleIndex("Terminating", before);
    EXPECT_GE(disconnecting, 0);
    EXPECT_GT(terminating, disconnecting);
    // The hub heard the 1002 while the window was still there, and closed the link itself.
    EXPECT_TRUE(sawLogoff_);
    EXPECT_FALSE(windowGoneAtLogoff_) << "the 1002 must leave before the window unloads";
    EXPECT_TRUE(WaitUntil([&] { return hub_->ClientCount() == 0; }, 5000));
    EXPECT_FALSE(HubLogged("dropped")) << "a clean log-off, not a lost client";
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(window_->client(), nullptr) << "the hub connection is unloaded with the window";
}

TEST_F(EndToEnd, HubDropLeadsToANewAttemptAndReconnects) {
    StartHub(3);
    const quint16 port = port_;
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QStringLiteral("3"); }));
    const std::size_t before = titles_.size();
    hub_.reset(); // the hub dies: its sockets are aborted without a word
    ASSERT_TRUE(WaitUntil([&] { return TitleIndex("Attempting Connection", before) >= 0; }))
        << "no new attempt after the hub dropped; caption " << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return TitleIndex("Failed to Connect", before) >= 0; }))
        << window_->windowTitle().toStdString();
    EXPECT_FALSE(window_->HubConnected());
    // A new hub on the same port: the client gets back without anyone touching it.
    StartHub(4, "x01", port);
    ASSERT_EQ(port_, port);
    ASSERT_TRUE(WaitUntil([&] { return Connected() && hub_->LoggedInCount() == 1; }))
        << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QStringLiteral("7"); }))
        << "processed " << ProcessedLabel().toStdString();
    // The new hub starts its records from the beginning again: records 0 to 3 on top of 0 to 2.
    const std::vector<std::string> lines = OutputLines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NE(lines[0].find(CallingNumber(3)), std::string::npos);
    EXPECT_NE(lines[4].find(CallingNumber(2)), std::string::npos);
    EXPECT_TRUE(messages_.shown.empty()) << "no message box for the operator to answer";
}

TEST_F(EndToEnd, ControlPacketsAreNotShownAsRecords) {
    // Data packets whose type is a control code (a 1007 watchdog, a 1002 acknowledge) are link
    // traffic: only the caller record behind them is shown.
    StartHub(2);
    Peer peer(port_);
    ASSERT_TRUE(WaitUntil([&] { return peer.engine.Connected(); }));
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); })) << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QStringLiteral("2"); }));
    const std::int32_t received = window_->client()->Engine().Member().RPackets;
    ASSERT_TRUE(peer.SendTo("s05", "1007", RecordSource::PipeToRecordText("1|2|3|4|0477777777")));
    ASSERT_TRUE(peer.SendTo("s05", "1002", RecordSource::PipeToRecordText("1|2|3|4|0488888888")));
    ASSERT_TRUE(peer.SendTo("s05", "DATA", RecordSource::PipeToRecordText("1|2|3|4|0499999999")));
    ASSERT_TRUE(WaitUntil([&] { return window_->client()->Engine().Member().RPackets >= received + 3; }))
        << "the routed packets did not all reach the client";
    ASSERT_TRUE(WaitUntil([&] { return ProcessedLabel() == QStringLiteral("3"); }));
    RunFor(1200);
    EXPECT_EQ(ProcessedLabel(), QStringLiteral("3"));
    const std::vector<std::string> lines = OutputLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("0499999999"), std::string::npos) << lines[0];
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("0477777777"), std::string::npos) << line;
        EXPECT_EQ(line.find("0488888888"), std::string::npos) << line;
    }
}

TEST_F(EndToEnd, GarbageFromTheHubLeavesTheWindowRunningAndRetrying) {
    // Something that is no hub listens on the port and answers every connection with garbage.
    QTcpServer garbage;
    ASSERT_TRUE(garbage.listen(QHostAddress::LocalHost, 0));
    port_ = garbage.serverPort();
    int connections = 0;
    QObject::connect(&garbage, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = garbage.nextPendingConnection()) {
            ++connections;
            static const char kJunk[] = "\x01\xff#### not a packet 9999 ~~~~ \x00\n";
            std::string junk;
            for (int i = 0; i < 2000; ++i)
                junk.append(kJunk, sizeof kJunk - 1);
            s->write(junk.data(), qint64(junk.size()));
        }
    });
    OpenWindow({{"Setup\\TCP\\Hub Inter Retry Wait", "1"}});
    // The login never completes; the connection timer says so and tries again by itself.
    ASSERT_TRUE(WaitUntil([&] {
        return TitleIndex("Failed to Connect") >= 0 && TitleIndex("Retry in 00 seconds") >= 0;
    })) << window_->windowTitle().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return connections >= 2; }, 30000)) << "no second attempt";
    EXPECT_FALSE(window_->HubConnected());
    EXPECT_EQ(ProcessedLabel(), QStringLiteral("0"));
    EXPECT_TRUE(OutputLines().empty());
    EXPECT_TRUE(messages_.shown.empty());
    // Still responsive: a close request goes through the connection timer and unloads.
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(WaitUntil([&] { return window_->IsUnloaded(); }, 15000))
        << window_->windowTitle().toStdString();
}

} // namespace
} // namespace zeva
