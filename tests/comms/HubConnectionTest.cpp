// The hub connection on the in-memory socket: each data packet is handed over once, with the
// notification, while the engine is on the stack; one the engine holds back comes as nothing; the
// link states the connection timer asks about; a quiet console hears nothing.
#include "comms/HubConnection.h"
#include "comms/PacketCodec.h"
#include "tests/support/memory/FakeClock.h"
#include "tests/support/memory/FakeEventPump.h"
#include "tests/support/memory/FakeTcpSocket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeva {
namespace {

std::string HubPacket(double now, const std::string& type, const std::string& data) {
    CommType p;
    p.Source = "h01";
    p.Destination = "s01";
    p.Created = now;
    p.Expire = 10.0 / 86400.0;
    p.PacketType = type;
    p.Data = data;
    std::string text;
    EXPECT_TRUE(BuildPacket(p, text));
    return text;
}

TEST(HubConnection, HandsEachPacketOverOnceAndNothingForWhatTheEngineHoldsBack) {
    FakeClock clock{45000.5};
    FakeTcpSocket socket;
    FakeEventPump pump;
    HubConnection c(socket, clock, pump);
    std::vector<std::string> got, log;
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
    socket.Deliver(HubPacket(clock.Now(), "DATA", "early"));
    EXPECT_EQ(nothing, 1);
    EXPECT_TRUE(got.empty());
    CommMemberType target;
    target.Identifier = "s01";
    target.ServerAddress = "10.1.1.1";
    target.ServerPort = 6000;
    target.Mode = 276;
    target.BufferMax = 10;
    target.WatchDog = 60.0 / 86400.0;
    ASSERT_TRUE(c.Connect(target));
    EXPECT_TRUE(c.Connecting());
    clock.AdvanceSeconds(2.001);
    c.Tick();
    socket.AcceptConnection();
    CommMemberType hubCopy(clock.Now());
    hubCopy.Identifier = "s01";
    hubCopy.Mode = 276;
    hubCopy.BufferMax = 10;
    hubCopy.WatchDog = target.WatchDog;
    std::string member;
    ASSERT_TRUE(hubCopy.CreatePacket(member));
    socket.Deliver(HubPacket(clock.Now(), "1003", member));
    ASSERT_TRUE(c.Connected());
    EXPECT_FALSE(c.Connecting());
    socket.Deliver(HubPacket(clock.Now(), "DATA", "r1") + HubPacket(clock.Now(), "DATA", "r2"));
    EXPECT_EQ(got, (std::vector<std::string>{"r1", "r2"}));
    EXPECT_EQ(nothing, 1);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(c.Busy());
    EXPECT_EQ(log.back(), "RXD: Data pkt from Hub");
    // A quiet console hears nothing; the records still come.
    c.SetConsoleQuiet(true);
    const std::size_t before = log.size();
    socket.Deliver(HubPacket(clock.Now(), "DATA", "r3"));
    EXPECT_EQ(log.size(), before);
    EXPECT_EQ(got.back(), "r3");
    c.SetConsoleQuiet(false);
    EXPECT_TRUE(c.Disconnect());
    c.Tick();
    EXPECT_TRUE(c.Disconnecting());
    EXPECT_EQ(log.back(), "APPL: Sending Disconnection notice (server)");
}

} // namespace
} // namespace zeva
