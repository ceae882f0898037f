#include "comms/CommEngine.h"
#include "common/Convert.h"
#include "common/FormatValue.h"
#include "comms/HubConnection.h"
#include "comms/PacketCodec.h"
#include "tests/support/memory/FakeClock.h"
#include "tests/support/memory/FakeEventPump.h"
#include "tests/support/memory/FakeTcpSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace zeva {
namespace {

constexpr double kSec = 1.0 / 86400.0;

// The client s01's hub: 10.1.1.1 port 6000, a FIFO of ten.
CommMemberType ClientTarget(std::int16_t mode = 276, double watchdog = 60 * kSec,
                            const char* hub = "10.1.1.1") {
    CommMemberType t;
    t.Identifier = "s01";
    t.ServerAddress = hub;
    t.ServerPort = 6000;
    t.Mode = mode;
    t.BufferMax = 10;
    t.WatchDog = watchdog;
    return t;
}

// The engine on the in-memory socket, clock and event pump, and what the hub h01 sends s01 now.
class CommEngineTest : public ::testing::Test {
  protected:
    CommEngineTest() {
        engine.onClientLog = [this](const std::string& l) { log.push_back(l); };
        engine.onReceivedData = [this](const CommType& p) { received.push_back(p); };
        engine.onDisconnection = [this] { ++disconnections; };
        engine.onOverflow = [this] { ++overflows; };
        engine.onLinkReport = [this](const std::string& r) { reports.push_back(r); };
    }

    // A packet of a type such as DATA, or of a control code's number.
    std::string Packet(const std::string& type, const std::string& data = {}) const {
        CommType p;
        p.Source = "h01";
        p.Destination = "s01";
        p.Created = clock.Now();
        p.Expire = 10 * kSec;
        p.PacketType = type;
        p.Data = data;
        std::string text;
        EXPECT_TRUE(BuildPacket(p, text));
        return text;
    }
    std::string Control(std::int16_t code) const { return Packet(IntText(code)); }

    // The hub's accept of a login: its copy of the member, on its socket 12.
    std::string AcceptWith(double watchdog, std::int16_t mode = 276, std::int16_t bufferMax = 10,
                           const std::string& id = "s01") const {
        CommMemberType hubCopy(clock.Now());
        hubCopy.Identifier = id;
        hubCopy.Mode = mode;
        hubCopy.BufferMax = bufferMax;
        hubCopy.WatchDog = watchdog;
        hubCopy.Socket = 12;
        std::string member;
        EXPECT_TRUE(hubCopy.CreatePacket(member));
        return Packet(IntText(kPktConnectAccept), member);
    }
    // Advances the fake time by one tick period (a timer tick is never early) and runs the tick.
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.AdvanceSeconds(2.001);
            engine.Tick();
        }
    }
    std::string Accept(std::int16_t mode = 276, std::int16_t bufferMax = 10, const std::string& id = "s01") {
        return AcceptWith(engine.Member().WatchDog, mode, bufferMax, id);
    }

    // Connects to the hub of target (s01's by default): the TCP connect starts at once.
    void ConnectTo(CommMemberType target = ClientTarget()) { ASSERT_TRUE(engine.Connect(target)); }
    // TCP connect and 1000 out: the engine waits for the hub's accept.
    void StartLogin(std::int16_t mode = 276, double watchdog = 60 * kSec) {
        ConnectTo(ClientTarget(mode, watchdog));
        Tick();
        socket.AcceptConnection(); // 3, then 11: sends 1000
        ASSERT_EQ(engine.Member().SystemState, 4);
    }
    // Runs a full login: TCP connect, 1000 out, 1003 in (5 runs at once).
    void Login(std::int16_t mode = 276, double watchdog = 60 * kSec) {
        ASSERT_NO_FATAL_FAILURE(StartLogin(mode, watchdog));
        socket.Deliver(Accept(mode));
        ASSERT_TRUE(engine.Connected());
        ASSERT_EQ(engine.Member().SystemState, 0);
    }

    // The client's own log-off: 1002 out, the hub closes the socket.
    void LogOff() {
        engine.Disconnect();
        Tick();
        socket.PeerClose();
        Tick(2);
        ASSERT_FALSE(engine.Connected());
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
        const auto sent = Sent();
        return static_cast<int>(
            std::count_if(sent.begin(), sent.end(), [&](const CommType& p) { return p.PacketType == type; }));
    }
    FakeClock clock{45000.5};
    FakeTcpSocket socket;
    FakeEventPump pump;
    CommEngine engine{socket, clock, pump};
    std::vector<std::string> log;
    std::vector<CommType> received;
    std::vector<std::string> reports;
    int disconnections = 0;
    int overflows = 0;
};

CommType Flag() {
    CommType flag;
    flag.Destination = "m**";
    flag.PacketType = "FLAG";
    return flag;
}

TEST_F(CommEngineTest, UnreachableHubLogSequence) {
    ConnectTo();
    Tick(8);
    std::vector<std::string> expected = {"Socket: Connection Request to 10.1.1.1,6000"};
    for (int i = 4; i >= 0; --i)
        expected.push_back("Socket: Waiting for Connection 0" + IntText(i));
    expected.insert(expected.end(),
                    {"Failed to connect - Server failed to connect", "Socket: Closing Port - 10.1.1.1,6000",
                     "APPL: Hub 10.1.1.1 port 6000: could not connect - no answer within 5 seconds"});
    EXPECT_EQ(log, expected);
}

TEST_F(CommEngineTest, EverySocketErrorEndsTheAttemptAtOnceAndALostOrHubClosedLinkIsReported) {
    // An attempt that cannot even start, then the socket's refusal (any socket error takes that
    // path): each is the failed connect it is, and the port is closed at once, without a tick.
    const SocketError errors[] = {{10049, "The requested address is not valid in its context"},
                                  {10061, "Connection refused"}};
    int n = 0;
    for (const SocketError& e : errors) {
        log.clear();
        if (n == 0) socket.connectError = e;
        ConnectTo();
        if (n > 0) socket.Fail(e);
        socket.connectError = {};
        const std::string why = "[" + IntText(e.number) + "] : " + e.description;
        std::vector<std::string> expected = {"Socket: Connection Request to 10.1.1.1,6000",
                                             "Socket: Failed to connect - " + why,
                                             "Socket: Closing Port - 10.1.1.1,6000",
                                             "APPL: Hub 10.1.1.1 port 6000: could not connect - " + why};
        if (n == 0) expected.erase(expected.begin()); // a start that failed wrote no request line
        EXPECT_EQ(log, expected) << e.number;
        EXPECT_EQ(std::tuple(engine.Member().SystemState, disconnections), std::tuple(0, ++n));
        EXPECT_EQ(reports.back(), "hub 10.1.1.1 port 6000: could not connect - " + why);
    }
    EXPECT_TRUE(socket.written.empty());
    // The same failure again (a retry) is not reported again, nor when attempts take turns with a
    // second hub.
    for (const char* hub : {"10.1.1.1", "10.1.1.2", "10.1.1.1", "10.1.1.2"}) {
        ConnectTo(ClientTarget(276, 60 * kSec, hub));
        socket.Fail(errors[1]);
        ++n;
    }
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_EQ(engine.LastFailureReport(), reports.back());

    // Once logged in, a reset or a keepalive that found the hub gone is a lost connection.
    Login();
    log.clear();
    socket.Fail({10060, "Connection timed out"});
    EXPECT_EQ(std::tuple(engine.Connected(), disconnections), std::tuple(false, n + 1));
    const std::vector<std::string> lost = {"Socket: Connection lost - [10060] : Connection timed out",
                                           "Socket: Closing Port - 10.1.1.1,6000",
                                           "APPL: Hub 10.1.1.1 port 6000: connection lost - [10060] : "
                                           "Connection timed out"};
    EXPECT_EQ(log, lost);
    EXPECT_EQ(std::tuple(reports.size(), reports[3]), std::tuple(5u, "hub 10.1.1.1 port 6000: logged in"));
    Login();
    socket.PeerClose();
    Tick();
    EXPECT_EQ(std::tuple(disconnections, reports.back()),
              std::tuple(n + 2, "hub 10.1.1.1 port 6000: the hub closed the link"));
}

TEST_F(CommEngineTest, EventDrivenLoginSendsTheTickDrivenTraceWithTheSameTimeOuts) {
    // What the login wrote when each step waited for a tick (connect, TCP connect, request, accept).
    const std::vector<std::string> tickTrace = {"Socket: Connection Request to 10.1.1.1,6000",
                                                "Socket: TCP Connect",
                                                "PKT: CONNECTION RQST 0",
                                                "APPL: Send data pkt to Hub",
                                                "APPL: Sending Connected Request Packet",
                                                "RXD: ACCEPT CONN",
                                                "PKT: WATCHDOG PKT 1",
                                                "APPL: Send data pkt to Hub",
                                                "APPL: Connected to 10.1.1.1,6000"};
    ConnectTo();
    socket.AcceptConnection();
    socket.Deliver(Accept());
    // No tick ran: each step followed the event it waited for.
    EXPECT_EQ(std::tuple(engine.Connected(), engine.Member().SystemState), std::tuple(true, 0));
    EXPECT_EQ(log, tickTrace);
    ASSERT_EQ(std::tuple(socket.written.size(), CountSent("1000"), CountSent("1007")), std::tuple(2u, 1, 1));
    CommMemberType m;
    ASSERT_TRUE(m.ExtractPacket(Sent()[0].Data));
    EXPECT_EQ(std::tuple(m.Identifier, m.Mode & kModeOUT, m.SystemState), std::tuple("s01", kModeOUT, 11));

    // A hub that accepts the TCP connection but never answers: the same ten-tick wait as before.
    LogOff();
    log.clear();
    socket.keepAliveError = {10042, "Bad option"};
    ConnectTo();
    socket.AcceptConnection();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Socket: Keepalive not set - [10042] : Bad option"), 1);
    for (int i = 9; i >= 0; --i) {
        Tick();
        EXPECT_EQ(log.back(), (i == 0 ? std::string("Failed to connect - Never received Login Packet")
                                      : "APPL: Waiting for Login Packet (0" + IntText(i) + ")"));
    }
    Tick();
    EXPECT_EQ(log.back(), "APPL: Hub 10.1.1.1 port 6000: connected, but the hub sent no login answer within "
                          "10 seconds");
}

TEST_F(CommEngineTest, SynchronousRequestLeftUnansweredPastItsTimeOutClosesTheLink) {
    Login(279);
    CommType holder;
    // A hub that answers every request keeps the link, however long it runs.
    for (int i = 0; i < 10; ++i) {
        engine.SetRequest(holder, true);
        Tick();
        socket.Deliver(i % 2 ? Control(kPktBufferEmpty) : Packet("DATA", "rec"));
    }
    ASSERT_TRUE(engine.Connected());
    // Then it stops answering while the owner keeps asking every second.
    for (int i = 0; i < 4; ++i) {
        engine.SetRequest(holder, true);
        Tick(); // 8 s after the first unanswered request at the fourth
    }
    ASSERT_TRUE(engine.Connected());
    engine.SetRequest(holder, true);
    Tick(); // 10.005 s
    EXPECT_EQ(std::tuple(engine.Connected(), disconnections), std::tuple(false, 1));
    EXPECT_EQ(log.back(), "APPL: Hub 10.1.1.1 port 6000: not answering - no answer to the data request "
                          "within 10 seconds");
    ASSERT_EQ(std::tuple(engine.StalledSinceAnswer(), reports.size()), std::tuple(true, 1u));

    // Logged in again, the link is not up until the hub answers a request; a second stall of the
    // same kind is not reported again.
    Login(279);
    EXPECT_EQ(std::tuple(engine.Answering(), engine.StalledSinceAnswer()), std::tuple(false, true));
    engine.SetRequest(holder, true);
    Tick(6);
    EXPECT_FALSE(engine.Connected());
    Login(279);
    EXPECT_EQ(reports.size(), 1u);
    engine.SetRequest(holder, true);
    socket.Deliver(Control(kPktBufferEmpty));
    EXPECT_EQ(std::tuple(engine.Answering(), engine.StalledSinceAnswer(), reports.back()),
              std::tuple(true, false, "hub 10.1.1.1 port 6000: answering again"));
    LogOff();

    // Asynchronous intake has no such time-out: the hub pushes when it has something.
    Login(276);
    engine.SetRequest(holder, true);
    Tick(20);
    EXPECT_TRUE(engine.Connected());
}

TEST_F(CommEngineTest, AHostileAcceptCannotStopFlagsOrIntakeAndALateAcceptChangesNothing) {
    StartLogin(279);
    // The hub answers with OUT, SYN and NWT clear, FLH set, a zero FIFO and a blank identifier.
    socket.Deliver(Accept(kModeFLH, 0, ""));
    Tick();
    const auto kept = kModeOUT | kModeSYN | kModeNWT | kModeFLH;
    EXPECT_EQ(std::tuple(engine.Member().Mode & kept, engine.Member().BufferMax, engine.Userid()),
              std::tuple(kept, 10, "s01"));
    EXPECT_EQ(std::tuple(engine.ErrorLabel(), engine.Member().Socket),
              std::tuple("Connected to 10.1.1.1,6000", 12));
    // An accept outside the login state is ignored.
    socket.Deliver(Accept(279, 50, "s09"));
    EXPECT_EQ(std::tuple(engine.Member().BufferMax, engine.Userid()), std::tuple(10, "s01"));
}

TEST_F(CommEngineTest, ParseIdentifierCases) {
    for (const auto& [in, out] :
         {std::pair{"S01", "s01"}, {"  x??  ", "x??"}, {"m**", "m**"}, {"#42", " 42"}}) {
        SCOPED_TRACE(in);
        EXPECT_TRUE(engine.ParseIdentifier(in));
        EXPECT_EQ(engine.Userid(), out);
    }
    for (const char* bad : {"a1b", "s1", ""})
        EXPECT_FALSE(engine.ParseIdentifier(bad)) << bad;
    EXPECT_EQ(engine.Userid(), " 42");
    engine.TState(1);
    EXPECT_FALSE(engine.ParseIdentifier("s05"));
}

TEST_F(CommEngineTest, AWallClockSetBackNeitherSilencesTheWatchdogNorHidesAStall) {
    Login(279);
    clock.SetBackSeconds(3600);
    Tick();
    EXPECT_EQ(CountSent("1007"), 2);
    Tick(15); // the next half period later
    EXPECT_EQ(CountSent("1007"), 3);
    CommType holder;
    engine.SetRequest(holder, true);
    Tick(2);
    clock.SetBackSeconds(3600);
    Tick(4);
    EXPECT_FALSE(engine.Connected());
}

TEST_F(CommEngineTest, TwoFailedWatchdogsInOneTickDisconnectOnce) {
    Login();
    Tick();
    socket.writeError = {10053, "Software caused connection abort"};
    Tick(13);
    EXPECT_FALSE(engine.WatchdogLatch());
    Tick(); // the first due watchdog, 30 s after the one at login
    EXPECT_EQ(std::tuple(engine.WatchdogLatch(), engine.Member().SystemState), std::tuple(true, 8));
    // While latched, due watchdogs are still tried but start no second disconnection.
    Tick();
    EXPECT_EQ(engine.Member().SystemState, 9);
}

TEST_F(CommEngineTest, HubWatchdogAndUnknownTypesAreDataButABadCheckIsDroppedAndCounted) {
    Login();
    std::string bad = Packet("DATA", "x");
    bad[1] = bad[1] == '9' ? '0' : static_cast<char>(bad[1] + 1);
    log.clear();
    socket.Deliver(bad);
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(log, std::vector<std::string>{"RXD: packet with a bad check discarded"});
    // Within the same second: counted, but the line waits for the second to end.
    socket.Deliver(bad + bad);
    clock.AdvanceSeconds(0.5);
    socket.Deliver(bad);
    EXPECT_EQ(std::tuple(log.size(), engine.BadCheckPackets()), std::tuple(1u, 4));
    Tick();
    EXPECT_EQ(log.back(), "RXD: packet with a bad check discarded (3)");
    Tick(3);
    EXPECT_EQ(log.back(), "RXD: packet with a bad check discarded (3)"); // nothing new, nothing said
    // A packet whose check is right but whose number does not convert is not a bad check.
    std::string field = Packet("DATA", "x");
    field[4] = 'z';
    field.replace(0, 4, FormatValue(PacketChecksum(field.substr(4)), "0000"));
    socket.Deliver(field);
    EXPECT_EQ(std::tuple(engine.BadCheckPackets(), received.size()), std::tuple(4, 0u));
    socket.Deliver(Control(kPktWatchdog) + Packet("RECORD", "0005010130") + Packet("12x"));
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(std::tuple(received[1].Data, engine.Member().RPackets, engine.DataWaiting()),
              std::tuple("0005010130", 3, true));
}

TEST_F(CommEngineTest, DataRightBehindAcceptKeepsTheLogin) {
    StartLogin();
    // The hub pushes its backlog in the same read as the accept: no record of it may be lost.
    socket.Deliver(Accept() + Packet("DATA", "r1") + Packet("DATA", "r2"));
    EXPECT_EQ(received.size(), 2u);
    CommType got;
    EXPECT_TRUE(engine.Receive(got)); // logged in already: the intake is not lost
    EXPECT_EQ(got.Data, "r2");
    Tick();
    EXPECT_EQ(std::tuple(engine.Connected(), engine.Member().SystemState), std::tuple(true, 0));
}

TEST_F(CommEngineTest, ALogOffWaitsForTheHubOrGivesUpOnItAndADisconnectStopsALoginUnderWay) {
    Login();
    engine.Disconnect();
    Tick(); // 8: 1002 out
    ASSERT_EQ(engine.Member().SystemState, 9);
    socket.PeerClose();
    Tick();
    EXPECT_EQ(std::tuple(disconnections, engine.Connected(), CountSent("1002")), std::tuple(1, false, 1));

    // The hub's own disconnect request runs the same log-off; a hub that then never closes the
    // socket is closed here after the wait.
    Login();
    socket.Deliver(Control(kPktServerDisconnect));
    Tick();
    EXPECT_EQ(CountSent("1002"), 2);
    Tick(12);
    EXPECT_EQ(std::tuple(engine.Connected(), disconnections), std::tuple(false, 2));
    EXPECT_EQ(reports, std::vector<std::string>{"hub 10.1.1.1 port 6000: the hub sent a disconnect request"})
        << "the station's own log-off is no failure; the hub's is";

    // A disconnect before the TCP connection is up closes the port.
    ConnectTo();
    Tick();
    EXPECT_TRUE(engine.Disconnect());
    socket.AcceptConnection(); // a late connect notification: finished off, no login left running
    Tick(18);
    socket.Deliver(Accept());
    EXPECT_FALSE(engine.Connected());

    // Disconnect after the 1000 went out: goodbye, not a login.
    StartLogin();
    engine.Disconnect();
    EXPECT_EQ(engine.Member().SystemState, 8);
}

TEST_F(CommEngineTest, SendQueuesUpToTheFifoWhileDownAndPacketsAtTheSizeLimitLeaveWithoutBlocking) {
    // A packet that cannot be sent is refused, not queued where it would block the FIFO.
    CommType bad = Flag();
    bad.Destination = "m";
    EXPECT_FALSE(engine.Send(bad));
    EXPECT_EQ(engine.Member().BufferSize(), 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(engine.Send(Flag()));
    EXPECT_EQ(overflows, 0);
    EXPECT_FALSE(engine.Send(Flag()));
    EXPECT_EQ(std::tuple(overflows, engine.Member().OPackets, engine.Member().BufferSize()),
              std::tuple(1, 1, 10));
    Login(276, 0.0);
    EXPECT_EQ(CountSent("FLAG"), 0);
    for (int n = 1; n <= 10; ++n) {
        Tick();
        EXPECT_EQ(CountSent("FLAG"), n);
    }
    EXPECT_EQ(engine.Member().Packets, 10);
    // On a ready link with an empty FIFO a packet leaves at once.
    EXPECT_TRUE(engine.Send(Flag()));
    EXPECT_EQ(CountSent("FLAG"), 11);

    // The largest packet is 10000 bytes: find the Data size that makes exactly that (a Data of
    // 10000 bytes is also more than its four-digit count can say).
    CommType big = Flag();
    big.Source = "s01";
    big.Created = clock.Now();
    std::string text;
    ASSERT_TRUE(BuildPacket(big, text));
    const std::size_t maxData = kMaxPacketLength - text.size();
    for (std::size_t size : {maxData + 1, maxData + 4, kMaxPacketLength, maxData}) {
        big.Data.assign(size, 'd');
        socket.written.clear();
        const bool fits = size == maxData;
        EXPECT_EQ(engine.Send(big), fits) << size;
        EXPECT_EQ(engine.Member().BufferSize(), 0) << size;
        // Nothing is stuck at the head of the queue: the next flag leaves at once.
        EXPECT_TRUE(engine.Send(Flag()));
        EXPECT_EQ(CountSent("FLAG"), fits ? 2 : 1);
    }
}

TEST_F(CommEngineTest, AsyncReceiveNeverRequestsHandsEachPacketOverOnceAndGarbageStaysBounded) {
    Login(276);
    CommType got;
    EXPECT_FALSE(engine.Receive(got));
    socket.Deliver(Packet("DATA", "rec"));
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(got.Data, "rec");
    EXPECT_FALSE(engine.Receive(got));
    EXPECT_EQ(std::tuple(CountSent("1006"), pump.calls, engine.ReceiveCounter()), std::tuple(0, 0, 1));

    // A paused read keeps what arrives until it resumes, then hands it over at once.
    engine.PauseReceive(true);
    socket.Deliver(Packet("DATA", "held"));
    ASSERT_EQ(received.size(), 1u);
    engine.PauseReceive(false);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].Data, "held");

    // The handler of the first packet pulls the buffer again (as a waiting Receive would): each
    // packet is still handed over once.
    engine.onReceivedData = [this](const CommType& p) {
        received.push_back(p);
        engine.GetNextPktBuffer();
    };
    socket.Deliver(Packet("DATA", "a") + Packet("DATA", "b") + Packet("DATA", "c"));
    ASSERT_EQ(received.size(), 5u);
    EXPECT_EQ(received[2].Data + received[3].Data + received[4].Data, "abc");

    // Garbage stays bounded and does not hide the packet behind it.
    socket.Deliver(std::string(3'000'000, 'q'));
    EXPECT_LE(engine.ReceiveBufferSize(), 100000u);
    socket.Deliver(std::string("\x01") + Packet("DATA", "ok"));
    ASSERT_EQ(received.size(), 6u);
    EXPECT_EQ(received[5].Data, "ok");

    // Half a packet left at the disconnection is not glued to the next link's first packet.
    socket.Deliver(Packet("DATA", "half").substr(0, 20));
    LogOff();
    Login(276);
    socket.Deliver(Packet("DATA", "whole"));
    ASSERT_EQ(received.size(), 7u);
    EXPECT_EQ(received[6].Data, "whole");
}

TEST_F(CommEngineTest, SyncReceiveRequestsAndWaitsThroughThePump) {
    Login(279);
    // A packet that has already arrived is handed over without a request.
    engine.onReceivedData = nullptr;
    socket.Deliver(Packet("DATA", "first"));
    CommType got;
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(std::tuple(got.Data, CountSent("1006")), std::tuple("first", 0));
    pump.calls = 0;
    pump.onPump = [this](int) {
        if (pump.calls == 2) socket.Deliver(Packet("DATA", "answer"));
    };
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(std::tuple(got.Data, CountSent("1006"), pump.calls), std::tuple("answer", 1, 2));

    // A buffer-empty answer ends the wait with nothing.
    pump.onPump = [this](int) { socket.Deliver(Control(kPktBufferEmpty)); };
    EXPECT_FALSE(engine.Receive(got));

    // While a Receive waits, a nested one (from the data handler) is refused.
    int nested = 0;
    engine.onReceivedData = [&](const CommType&) {
        CommType inner;
        if (!engine.Receive(inner)) ++nested;
    };
    pump.onPump = [this](int) { socket.Deliver(Packet("DATA", "second")); };
    EXPECT_TRUE(engine.Receive(got));
    EXPECT_EQ(std::tuple(got.Data, nested), std::tuple("second", 1));

    // A wait that no answer ends gives up within two pumps, the link left as it was.
    pump.calls = 0;
    pump.onPump = [this](int) { Tick(); }; // timer ticks run inside the wait
    EXPECT_FALSE(engine.Receive(got));
    EXPECT_EQ(engine.Member().SystemState, 0);
    EXPECT_LE(pump.calls, 2);
}

TEST_F(CommEngineTest, RequestSetAndRead) {
    CommType req;
    engine.SetRequest(req, true); // not connected: nothing
    EXPECT_TRUE(socket.written.empty());
    Login(kModeSYN | kModeOUT); // SYN without NWT latches
    req.Data = "mine";
    engine.SetRequest(req, true);
    EXPECT_EQ(std::count(log.begin(), log.end(), std::string(35, ' ') + "LATCH SET"), 1);
    CommType read;
    EXPECT_TRUE(engine.Request(read));
    EXPECT_EQ(read.Data, "mine");
    EXPECT_FALSE(engine.RequestDataHub(req)); // still outstanding
    EXPECT_EQ(CountSent("1006"), 1);
    socket.Deliver(Control(kPktBufferEmpty));
    EXPECT_FALSE(engine.Request(read)); // answered
    engine.SetRequest(req, false);
    EXPECT_EQ(std::tuple(Sent().back().PacketType, Sent().back().Data),
              std::tuple(std::string("1004"), std::string("KILL Request next packet")));
}

// The hub connection takes the socket over from the fixture's engine.
TEST_F(CommEngineTest, TheHubConnectionHandsEachPacketOverOnceNothingForWhatItHoldsBackAndPassesOnReports) {
    HubConnection c(socket, clock, pump);
    std::vector<std::string> got;
    int nothing = 0;
    bool busy = true;
    c.onReceivedData = [&](const CommType* p) {
        busy = busy && c.Busy();
        if (p)
            got.push_back(p->Data);
        else
            ++nothing;
    };
    c.onClientLog = [&](const std::string& line) { log.push_back(line); };
    // Not logged in: the engine keeps the packet from the owner.
    socket.Deliver(Packet("DATA", "early"));
    EXPECT_EQ(std::tuple(nothing, got.size()), std::tuple(1, 0u));
    c.onDisconnection = [&] { ++disconnections; };
    c.onLinkReport = [&](const std::string& r) { reports.push_back(r); };
    CommMemberType target = ClientTarget();
    ASSERT_TRUE(c.Connect(target));
    socket.Fail({10061, "Connection refused"});
    EXPECT_EQ(std::tuple(disconnections, reports),
              std::tuple(1, std::vector<std::string>{
                                "hub 10.1.1.1 port 6000: could not connect - [10061] : Connection refused"}));
    ASSERT_TRUE(c.Connect(target));
    EXPECT_TRUE(c.Connecting());
    clock.AdvanceSeconds(2.001);
    c.Tick();
    socket.AcceptConnection();
    socket.Deliver(AcceptWith(target.WatchDog));
    ASSERT_TRUE(c.Connected());
    socket.Deliver(Packet("DATA", "r1") + Packet("DATA", "r2"));
    EXPECT_EQ(std::tuple(got, nothing, busy, c.Busy(), c.Connecting(), log.back(), c.Userid()),
              std::tuple(std::vector<std::string>{"r1", "r2"}, 1, true, false, false,
                         "RXD: Data pkt from Hub", "s01"));
    // A quiet console hears nothing; the records still come.
    c.SetConsoleQuiet(true);
    const std::size_t before = log.size();
    socket.Deliver(Packet("DATA", "r3"));
    EXPECT_EQ(std::tuple(log.size(), got), std::tuple(before, std::vector<std::string>{"r1", "r2", "r3"}));
    c.SetConsoleQuiet(false);
    EXPECT_TRUE(c.Disconnect());
    c.Tick();
    EXPECT_EQ(std::tuple(c.Disconnecting(), log.back()),
              std::tuple(true, "APPL: Sending Disconnection notice (server)"));

    // The owner hears the count of packets with a bad check ("0000" cannot be this one's).
    std::vector<std::int32_t> badChecks;
    c.onBadCheckCount = [&](std::int32_t n) { badChecks.push_back(n); };
    socket.Deliver(std::string("0000") + "0\t0000" + '\x01');
    EXPECT_EQ(std::tuple(c.BadCheckPackets(), badChecks), std::tuple(1, std::vector<std::int32_t>{1}));
}

} // namespace
} // namespace zeva
