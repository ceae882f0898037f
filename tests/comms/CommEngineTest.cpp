#include "comms/CommEngine.h"
#include "common/Convert.h"
#include "comms/CommShared.h"
#include "platform/memory/FakeClock.h"
#include "platform/memory/FakeEventPump.h"
#include "platform/memory/FakeTcpSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zeva {
namespace {

constexpr double kSec = 1.0 / 86400.0;

class CommEngineTest : public ::testing::Test {
  protected:
    CommEngineTest() {
        engine.onClientLog = [this](const std::string& l) { log.push_back(l); };
        engine.onReceivedData = [this](const CommType& p) { received.push_back(p); };
        engine.onDisconnection = [this] { ++disconnections; };
        engine.onOverflow = [this] { ++overflows; };
    }

    CommMemberType Target(std::int16_t mode = 276, double watchdog = 60 * kSec) {
        CommMemberType t;
        t.Identifier = "s01";
        t.ServerAddress = "10.1.1.1";
        t.ServerPort = 6000;
        t.Mode = mode;
        t.BufferMax = 10;
        t.WatchDog = watchdog;
        t.Description = "Screen Client";
        return t;
    }

    // Advances the fake time by one tick period (a timer tick is never early) and runs the tick.
    void Tick() {
        clock.AdvanceSeconds(2.001);
        engine.Tick();
    }

    std::string HubPacket(std::int16_t code, const std::string& data = {}, const std::string& type = {}) {
        CommType p;
        p.Source = "h01";
        p.Destination = "s01";
        p.Created = clock.Now();
        p.Expire = 10 * kSec;
        p.PacketType = type.empty() ? IntText(code) : type;
        p.Data = data;
        std::string text;
        EXPECT_TRUE(BuildPacket(p, text));
        return text;
    }

    std::string Accept(std::int16_t mode = 276, std::int16_t bufferMax = 10, const std::string& id = "s01") {
        CommMemberType hubCopy(clock.Now());
        hubCopy.Identifier = id;
        hubCopy.Mode = mode;
        hubCopy.BufferMax = bufferMax;
        hubCopy.WatchDog = engine.Member().WatchDog;
        hubCopy.Socket = 12;
        std::string member;
        EXPECT_TRUE(hubCopy.CreatePacket(member));
        return HubPacket(kPktConnectAccept, member);
    }

    // Runs a full login: TCP connect, 1000 out, 1003 in, accept tick.
    void Login(std::int16_t mode = 276, double watchdog = 60 * kSec) {
        CommMemberType t = Target(mode, watchdog);
        ASSERT_TRUE(engine.Connect(t));
        Tick(); // 1: connect
        socket.AcceptConnection();
        Tick(); // 3
        Tick(); // 11: sends 1000
        ASSERT_EQ(engine.Member().SystemState, 4);
        socket.Deliver(Accept(mode));
        Tick(); // 5
        ASSERT_TRUE(engine.Connected());
        ASSERT_EQ(engine.Member().SystemState, 0);
    }

    std::vector<CommType> Sent() const {
        std::vector<CommType> out;
        for (const auto& w : socket.written) {
            CommType p;
            EXPECT_TRUE(ParsePacket(w, p));
            out.push_back(p);
        }
        return out;
    }
    int CountSent(const std::string& type) const {
        auto s = Sent();
        return static_cast<int>(
            std::count_if(s.begin(), s.end(), [&](const CommType& p) { return p.PacketType == type; }));
    }
    bool Logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }

    FakeClock clock{45000.5};
    FakeTcpSocket socket;
    FakeEventPump pump;
    CommEngine engine{socket, clock, pump};
    std::vector<std::string> log;
    std::vector<CommType> received;
    int disconnections = 0;
    int overflows = 0;
};

TEST_F(CommEngineTest, UnreachableHubLogSequence) {
    CommMemberType t = Target();
    ASSERT_TRUE(engine.Connect(t));
    for (int i = 0; i < 8; ++i)
        Tick();
    const std::vector<std::string> expected = {"Socket: Connection Request to 10.1.1.1,6000",
                                               "Socket: Waiting for Connection 04",
                                               "Socket: Waiting for Connection 03",
                                               "Socket: Waiting for Connection 02",
                                               "Socket: Waiting for Connection 01",
                                               "Socket: Waiting for Connection 00",
                                               "Failed to connect - Server failed to connect",
                                               "Socket: Closing Port - 10.1.1.1,6000"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(engine.Member().SystemState, 0);
    EXPECT_FALSE(engine.Connected());
    EXPECT_EQ(engine.ErrorLabel(), "Socket: Closed");
}

TEST_F(CommEngineTest, ConnectErrorIsLoggedWithNumber) {
    socket.connectError = {10061, "Connection is forcefully rejected"};
    CommMemberType t = Target();
    ASSERT_TRUE(engine.Connect(t));
    Tick();
    EXPECT_EQ(log.back(), "Socket: Failed to connect - [10061] : Connection is forcefully rejected");
    EXPECT_EQ(engine.Member().SystemState, 10);
}

TEST_F(CommEngineTest, LoginSendsMemberPacketAndTakesAccept) {
    Login();
    auto sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].PacketType, "1000");
    EXPECT_EQ(sent[0].Source, "s01");
    EXPECT_EQ(sent[0].Destination, "h01");
    CommMemberType m;
    ASSERT_TRUE(m.ExtractPacket(sent[0].Data));
    EXPECT_EQ(m.Identifier, "s01");
    EXPECT_EQ(m.Mode & kModeOUT, kModeOUT);
    EXPECT_TRUE(Logged("RXD: ACCEPT CONN"));
    EXPECT_TRUE(Logged("APPL: Connected to 10.1.1.1,6000"));
    EXPECT_EQ(engine.ErrorLabel(), "Connected to 10.1.1.1,6000");
    EXPECT_EQ(engine.Member().Socket, 12);
}

TEST_F(CommEngineTest, ConnectWhileConnectedChangesOnlyTargetPen) {
    Login();
    const CommMemberType before = engine.Member();
    CommMemberType t = Target();
    t.ServerAddress = "elsewhere";
    EXPECT_FALSE(engine.Connect(t));
    EXPECT_EQ(t.Mode & kModePEN, kModePEN);
    EXPECT_EQ(engine.Member().ServerAddress, before.ServerAddress);
    EXPECT_EQ(engine.Member().Mode, before.Mode);
}

TEST_F(CommEngineTest, ParseIdentifierCases) {
    EXPECT_TRUE(engine.ParseIdentifier("S01"));
    EXPECT_EQ(engine.Userid(), "s01");
    EXPECT_TRUE(engine.ParseIdentifier("  x??  "));
    EXPECT_EQ(engine.Userid(), "x??");
    EXPECT_TRUE(engine.ParseIdentifier("m**"));
    EXPECT_EQ(engine.Userid(), "m**");
    EXPECT_FALSE(engine.ParseIdentifier("a1b"));
    EXPECT_FALSE(engine.ParseIdentifier("s1"));
    EXPECT_FALSE(engine.ParseIdentifier(""));
    EXPECT_EQ(engine.Userid(), "m**");
    EXPECT_TRUE(engine.ParseIdentifier("#42"));
    EXPECT_EQ(engine.Userid(), " 42");
    engine.TState(1);
    EXPECT_FALSE(engine.ParseIdentifier("s05"));
}

TEST_F(CommEngineTest, WatchdogEveryHalfPeriodPostponedByData) {
    Login(276, 60 * kSec);
    // The accept tick finds LastWDog long past: one watchdog at once, shown for one tick.
    EXPECT_EQ(CountSent("1007"), 1);
    EXPECT_NE(engine.Member().Mode & kModeWDG, 0);
    Tick();
    EXPECT_EQ(engine.Member().Mode & kModeWDG, 0);
    for (int i = 0; i < 13; ++i)
        Tick(); // 28 s: none due yet
    EXPECT_EQ(CountSent("1007"), 1);
    Tick(); // 30 s
    EXPECT_EQ(CountSent("1007"), 2);
    // A data packet sent from the FIFO counts as a watchdog.
    for (int i = 0; i < 10; ++i)
        Tick(); // 20 s
    CommType flag;
    flag.Destination = "m**";
    flag.PacketType = "FLAG";
    EXPECT_TRUE(engine.Send(flag));
    for (int i = 0; i < 10; ++i)
        Tick(); // 20 s after the data packet
    EXPECT_EQ(CountSent("1007"), 2);
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(CountSent("1007"), 3);
}

TEST_F(CommEngineTest, NoWatchdogAtZero) {
    Login(276, 0.0);
    for (int i = 0; i < 100; ++i)
        Tick();
    EXPECT_EQ(CountSent("1007"), 0);
}

TEST_F(CommEngineTest, TwoFailedWatchdogsInOneTickDisconnectOnce) {
    Login();
    Tick();
    socket.writeError = {10053, "Software caused connection abort"};
    int ticks = 0;
    while (!engine.WatchdogLatch() && ticks < 20) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 14); // the first due watchdog, 30 s after the one at login
    EXPECT_EQ(engine.Member().SystemState, 8);
    // While latched, due watchdogs are still tried but start no second disconnection.
    Tick();
    EXPECT_EQ(engine.Member().SystemState, 9);
    Tick();
    EXPECT_EQ(engine.Member().SystemState, 9);
}

TEST_F(CommEngineTest, AcceptOutsideLoginStateIsIgnored) {
    Login();
    const auto before = engine.Member();
    socket.Deliver(Accept(279, 50, "s09"));
    EXPECT_EQ(engine.Member().Identifier, before.Identifier);
    EXPECT_EQ(engine.Member().BufferMax, before.BufferMax);
    EXPECT_EQ(engine.Member().SystemState, 0);
}

TEST_F(CommEngineTest, HubWatchdogAndUnknownTypesAreData) {
    Login();
    socket.Deliver(HubPacket(kPktWatchdog) + HubPacket(0, "0005010130", "RECORD") + HubPacket(0, "", "12x"));
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1].Data, "0005010130");
    EXPECT_EQ(engine.Member().RPackets, 3);
    EXPECT_TRUE(engine.DataWaiting());
}

TEST_F(CommEngineTest, BadCheckIsDroppedSilently) {
    Login();
    const auto lines = log.size();
    std::string p = HubPacket(0, "x", "DATA");
    p[1] = p[1] == '9' ? '0' : static_cast<char>(p[1] + 1);
    socket.Deliver(p);
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(log.size(), lines);
}

TEST_F(CommEngineTest, DataRightBehindAcceptKeepsTheLogin) {
    CommMemberType t = Target();
    ASSERT_TRUE(engine.Connect(t));
    Tick();
    socket.AcceptConnection();
    Tick();
    Tick();
    // The hub pushes its backlog in the same read as the accept.
    socket.Deliver(Accept() + HubPacket(0, "r1", "DATA") + HubPacket(0, "r2", "DATA"));
    EXPECT_EQ(received.size(), 2u);
    CommType got;
    EXPECT_TRUE(engine.Receive(got)); // logged in already: the intake is not lost
    EXPECT_EQ(got.Data, "r2");
    Tick();
    EXPECT_TRUE(engine.Connected());
    EXPECT_EQ(engine.Member().SystemState, 0);
}

TEST_F(CommEngineTest, DataDoesNotCancelDisconnection) {
    Login();
    engine.Disconnect();
    Tick(); // 8: 1002 out
    ASSERT_EQ(engine.Member().SystemState, 9);
    socket.Deliver(HubPacket(0, "late", "DATA"));
    EXPECT_EQ(engine.Member().SystemState, 9);
    socket.PeerClose();
    Tick();
    EXPECT_EQ(disconnections, 1);
    EXPECT_FALSE(engine.Connected());
    EXPECT_EQ(CountSent("1002"), 1);
}

TEST_F(CommEngineTest, HubDisconnectRequestRunsTheDisconnection) {
    Login();
    socket.Deliver(HubPacket(kPktServerDisconnect));
    EXPECT_TRUE(Logged("RXD: DISCONNECT RQST"));
    Tick();
    EXPECT_EQ(CountSent("1002"), 1);
    for (int i = 0; i < 12; ++i)
        Tick(); // the hub never closes: local close after the wait
    EXPECT_TRUE(Logged("Failed to Disconnect - Remote host did not close port"));
    EXPECT_FALSE(engine.Connected());
    EXPECT_EQ(disconnections, 1);
}

TEST_F(CommEngineTest, DisconnectDuringLoginStopsIt) {
    CommMemberType t = Target();
    ASSERT_TRUE(engine.Connect(t));
    Tick();
    EXPECT_TRUE(engine.Disconnect());
    socket.AcceptConnection(); // a late connect notification
    for (int i = 0; i < 3; ++i)
        Tick();
    // The late connection is still finished off properly, and no login is left running.
    for (int i = 0; i < 15; ++i)
        Tick();
    EXPECT_FALSE(engine.Connected());
    socket.Deliver(Accept());
    EXPECT_FALSE(engine.Connected());

    // Disconnect after the 1000 went out: goodbye, not a login.
    CommMemberType t2 = Target();
    ASSERT_TRUE(engine.Connect(t2));
    Tick();
    socket.AcceptConnection();
    Tick();
    Tick();
    ASSERT_EQ(engine.Member().SystemState, 4);
    engine.Disconnect();
    EXPECT_EQ(engine.Member().SystemState, 8);
}

TEST_F(CommEngineTest, HostileAcceptCannotStopFlagsOrIntake) {
    CommMemberType t = Target(279);
    ASSERT_TRUE(engine.Connect(t));
    Tick();
    socket.AcceptConnection();
    Tick();
    Tick();
    // The hub answers with OUT, SYN and NWT clear, FLH set, a zero FIFO and a blank identifier.
    socket.Deliver(Accept(kModeFLH, 0, ""));
    Tick();
    const auto mode = engine.Member().Mode;
    EXPECT_EQ(mode & (kModeOUT | kModeSYN | kModeNWT), kModeOUT | kModeSYN | kModeNWT);
    EXPECT_EQ(mode & kModeFLH, kModeFLH);
    EXPECT_EQ(engine.Member().BufferMax, 10);
    EXPECT_EQ(engine.Userid(), "s01");
}

TEST_F(CommEngineTest, SendWhileDownThenOnePacketPerTick) {
    CommType flag;
    flag.Destination = "m**";
    flag.PacketType = "FLAG";
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(engine.Send(flag));
    EXPECT_EQ(engine.Member().BufferSize(), 3);
    Login(276, 0.0);
    EXPECT_EQ(CountSent("FLAG"), 0);
    Tick();
    EXPECT_EQ(CountSent("FLAG"), 1);
    Tick();
    EXPECT_EQ(CountSent("FLAG"), 2);
    Tick();
    EXPECT_EQ(CountSent("FLAG"), 3);
    EXPECT_EQ(engine.Member().Packets, 3);
    // On a ready link with an empty FIFO a packet leaves at once.
    EXPECT_TRUE(engine.Send(flag));
    EXPECT_EQ(CountSent("FLAG"), 4);
}

TEST_F(CommEngineTest, OverflowCountsAndRaises) {
    CommType flag;
    flag.Destination = "m**";
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(engine.Send(flag));
    EXPECT_FALSE(engine.Send(flag));
    EXPECT_EQ(overflows, 1);
    EXPECT_EQ(engine.Member().OPackets, 1);
    EXPECT_EQ(engine.Member().BufferSize(), 10);
}

TEST_F(CommEngineTest, UnsendablePacketIsRefusedNotQueued) {
    CommType bad;
    bad.Destination = "m";
    EXPECT_FALSE(engine.Send(bad));
    bad.Destination = "m**";
    bad.Data.assign(20000, 'x');
    EXPECT_FALSE(engine.Send(bad));
    EXPECT_EQ(engine.Member().BufferSize(), 0);
    EXPECT_EQ(overflows, 0);
}

TEST_F(CommEngineTest, AsyncReceiveNeverRequests) {
    Login(276);
    CommType got;
    EXPECT_FALSE(engine.Receive(got));
    socket.Deliver(HubPacket(0, "rec", "DATA"));
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(got.Data, "rec");
    EXPECT_FALSE(engine.Receive(got));
    EXPECT_EQ(CountSent("1006"), 0);
    EXPECT_EQ(pump.calls, 0);
    EXPECT_EQ(engine.ReceiveCounter(), 1);
}

TEST_F(CommEngineTest, SyncReceiveRequestsAndWaitsThroughThePump) {
    Login(279);
    pump.onPump = [this](int) {
        if (pump.calls == 2) socket.Deliver(HubPacket(0, "answer", "DATA"));
    };
    CommType got;
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(got.Data, "answer");
    EXPECT_EQ(CountSent("1006"), 1);
    EXPECT_EQ(pump.calls, 2);

    // A buffer-empty answer ends the wait with nothing.
    pump.calls = 0;
    pump.onPump = [this](int) { socket.Deliver(HubPacket(kPktBufferEmpty)); };
    EXPECT_FALSE(engine.Receive(got));
    EXPECT_TRUE(Logged("RXD: BUFFER EMPTY"));
}

TEST_F(CommEngineTest, SyncReceiveHandsOverWaitingPacketAndRefusesReentry) {
    Login(279);
    int nested = 0;
    engine.onReceivedData = [&](const CommType&) {
        CommType inner;
        if (!engine.Receive(inner)) ++nested;
    };
    // A packet that arrives is handed over without another request.
    pump.onPump = nullptr;
    engine.onReceivedData = nullptr;
    socket.Deliver(HubPacket(0, "first", "DATA"));
    CommType got;
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(got.Data, "first");
    EXPECT_EQ(CountSent("1006"), 0);

    // While a Receive waits, a nested one (from the data handler) is refused.
    engine.onReceivedData = [&](const CommType&) {
        CommType inner;
        if (!engine.Receive(inner)) ++nested;
    };
    pump.onPump = [this](int) { socket.Deliver(HubPacket(0, "second", "DATA")); };
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(got.Data, "second");
    EXPECT_EQ(nested, 1);
}

TEST_F(CommEngineTest, SyncWaitEndsWhenNoAnswerComes) {
    Login(279);
    pump.onPump = [this](int) { Tick(); }; // timer ticks run inside the wait
    CommType got;
    EXPECT_FALSE(engine.Receive(got));
    EXPECT_EQ(engine.Member().SystemState, 0);
    EXPECT_LE(pump.calls, 2);
}

TEST_F(CommEngineTest, NestedFramingHandlesEachPacketOnce) {
    Login(276);
    // The handler of the first packet pulls the buffer again (as a waiting Receive would).
    engine.onReceivedData = [this](const CommType& p) {
        received.push_back(p);
        engine.GetNextPktBuffer();
    };
    socket.Deliver(HubPacket(0, "a", "DATA") + HubPacket(0, "b", "DATA") + HubPacket(0, "c", "DATA"));
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].Data, "a");
    EXPECT_EQ(received[1].Data, "b");
    EXPECT_EQ(received[2].Data, "c");
}

TEST_F(CommEngineTest, GarbageStreamStaysBounded) {
    Login(276);
    socket.Deliver(std::string(3'000'000, 'q'));
    EXPECT_LE(engine.ReceiveBufferSize(), 100000u);
    socket.Deliver(std::string("\x01") + HubPacket(0, "ok", "DATA"));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].Data, "ok");
}

TEST_F(CommEngineTest, NewConnectionStartsWithEmptyReceiveBuffer) {
    Login(276);
    const std::string half = HubPacket(0, "half", "DATA").substr(0, 20);
    socket.Deliver(half);
    engine.Disconnect();
    Tick();
    socket.PeerClose();
    Tick();
    ASSERT_FALSE(engine.Connected());
    Login(276);
    socket.Deliver(HubPacket(0, "whole", "DATA"));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].Data, "whole");
}

TEST_F(CommEngineTest, RequestSetAndRead) {
    CommType req;
    engine.SetRequest(req, true); // not connected: nothing
    EXPECT_TRUE(socket.written.empty());
    Login(kModeSYN | kModeOUT); // SYN without NWT latches
    req.Data = "mine";
    engine.SetRequest(req, true);
    EXPECT_TRUE(Logged(std::string(35, ' ') + "LATCH SET"));
    CommType read;
    EXPECT_TRUE(engine.Request(read));
    EXPECT_EQ(read.Data, "mine");
    EXPECT_FALSE(engine.RequestDataHub(req)); // still outstanding
    EXPECT_EQ(CountSent("1006"), 1);
    socket.Deliver(HubPacket(kPktBufferEmpty));
    EXPECT_FALSE(engine.Request(read)); // answered
    engine.SetRequest(req, false);
    auto sent = Sent();
    EXPECT_EQ(sent.back().PacketType, "1004");
    EXPECT_EQ(sent.back().Data, "KILL Request next packet");
}

TEST(CommEngineText, ModeText) {
    EXPECT_EQ(CommEngine::ModeText(kModeSYN | kModePEN),
              "[PEN][...][...][...][...][...][...][...][...][SYN]");
    EXPECT_EQ(CommEngine::ModeText(0).size(), 50u);
}

} // namespace
} // namespace zeva
