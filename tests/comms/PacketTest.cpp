#include "common/Convert.h"
#include "common/FormatValue.h"
#include "comms/CommLogRing.h"
#include "comms/CommMemberType.h"
#include "comms/PacketCodec.h"
#include "comms/PacketFastPaths.h"
#include "comms/PacketFramer.h"
#include "comms/PacketSender.h"
#include "tests/support/memory/FakeClock.h"
#include "tests/support/memory/FakeTcpSocket.h"

#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace zeva {
namespace {

CommType Sample() {
    CommType p;
    p.Source = "x01";
    p.Destination = "s01";
    p.Created = 45000.5;
    p.Expire = 10.0 / 86400.0;
    p.PacketType = "DATA";
    p.Data = "000501013001401050311112222";
    p.Text3 = "third";
    p.Number1 = -7;
    return p;
}

std::string WithCheck(const std::string& body) {
    return FormatValue(PacketChecksum(body), "0000") + body;
}

std::string Built(const CommType& p) {
    std::string text;
    EXPECT_TRUE(BuildPacket(p, text));
    return text;
}

std::string BuiltWith(std::string data) {
    CommType p = Sample();
    p.Data = std::move(data);
    return Built(p);
}

TEST(PacketCodec, ChecksumSumsBytesAndWraps) {
    EXPECT_EQ(PacketChecksum("abc"), 294);
    EXPECT_EQ(PacketChecksum(std::string(102, 'd') + '^'), 294); // 10200 + 94 = 10294
    // Bytes above 127 count with their unsigned code.
    EXPECT_EQ(PacketChecksum("\xE9"), 233);
}

TEST(PacketCodec, RoundTripKeepsEveryField) {
    CommType p = Sample();
    p.Text0 = "t0";
    p.Number2 = 32767;
    p.Text8 = std::string("\x01\t\xff", 3); // SOH and TAB inside counted text survive parsing
    // Numbers 0 and Text0 empty make the start every writer sends, read in one step.
    CommType usual = Sample();
    usual.Number1 = 0;
    usual.Created = 46000.123456789;
    for (const CommType& sent : {p, usual}) {
        CommType back;
        ASSERT_TRUE(ParsePacket(Built(sent), back));
        // Dates keep 15 significant digits, not every bit.
        EXPECT_NEAR(back.Expire, sent.Expire, 1e-15);
        EXPECT_NEAR(back.Created, sent.Created, 1e-9);
        back.Expire = sent.Expire;
        back.Created = sent.Created;
        EXPECT_EQ(back, sent);
    }

    // Identifiers are cut or padded to their three characters.
    p.Source = "NOTINIT";
    p.Destination = "m";
    CommType back;
    ASSERT_TRUE(ParsePacket(Built(p), back));
    EXPECT_EQ(std::tuple(back.Source, back.Destination), std::tuple("NOT", "m  "));
}

TEST(PacketCodec, AWrongCheckOrANumberThatDoesNotConvertFailsTheParse) {
    // A wrong or missing check: refused, and the packet is left cleared.
    std::string text = Built(Sample());
    CommType back;
    back.Data = "stale";
    text[0] = text[0] == '9' ? '0' : static_cast<char>(text[0] + 1);
    EXPECT_FALSE(ParsePacket(text, back));
    EXPECT_EQ(back, CommType{});
    EXPECT_FALSE(ParsePacket("12", back));
    EXPECT_FALSE(ParsePacket("-294abc", back));
    // Number1 = 40000 does not fit 16 bits.
    EXPECT_FALSE(ParsePacket(WithCheck("40000\t0000"
                                       "0\ts01h01"
                                       "1\t1\t00000000\x01"),
                             back));
    // A counted length that lies: the field and all after it come out empty, the parse still holds.
    ASSERT_TRUE(ParsePacket(WithCheck("0\t00000\ts01h01"
                                      "1\t1\t0004100699991234\x01"),
                            back));
    EXPECT_EQ(std::tuple(back.PacketType, back.Data, back.Text1), std::tuple("1006", "", ""));
}

TEST(PacketCodec, DatesReadBitForBitAsTheGeneralConversion) {
    // The quick readers of the writers' date forms must give exactly what the general conversion
    // gives, in a packet with room after the date and in one that ends right behind it.
    // clang-format off
    std::vector<std::string> texts = {"0", "5", "46000.123456789", "1234567", "1234567.5", "12345678", "0.5",
                                      "0.000115740740740741", "-1.5", "1E+05", "2958465.99998843", "45000.",
                                      ".5", "00012.50", "1.23456789012345", "1.2x4", "1.5e3",
                                      "12345.6789012345678", "7."};
    // clang-format on
    std::mt19937_64 random(6);
    std::uniform_real_distribution<double> dates(-657434.0, 2958465.0);
    for (int k = 0; k < 3000; ++k)
        texts.push_back(DoubleText(k % 3 == 0 ? dates(random) / 86400.0 : dates(random)));
    for (const std::string& date : texts) {
        SCOPED_TRACE(date);
        const auto expected = ToDouble(date);
        for (const std::string& rest :
             {std::string("0\t0004DATA0020abcdefghijklmnopqrst00000000000000000000000000000000"),
              std::string("0\t")}) {
            CommType back;
            const bool parsed =
                ParsePacket(WithCheck("0\t00000\ts01h01" + date + "\t" + rest + "\x01"), back);
            if (!expected || !IsValidOleDate(*expected)) {
                EXPECT_FALSE(parsed);
                continue;
            }
            ASSERT_TRUE(parsed);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(back.Created), std::bit_cast<std::uint64_t>(*expected));
        }
    }
}

TEST(PacketFields, ReadersStayInsideTheText) {
    enum Kind { Tab, Counted, Fixed };
    struct Case {
        Kind kind;
        const char* text;
        std::size_t pos, length; // length only for fixed fields
        const char* value;
        std::size_t end;
    };
    const Case cases[] = {
        {Tab, "ab\tcd", 4, 0, "cd", 5},
        {Tab, "ab", 9, 0, "", 2},
        {Counted, "xx0003abcdef", 3, 0, "abc", 9},
        // The count must fit in the text from pos on, not merely in the whole text.
        {Counted, "xxxxxxxx0004ab", 9, 0, "", 14},
        {Counted, "-004abcd", 1, 0, "", std::string::npos}, // a sign is not a digit
        {Counted, "00", 1, 0, "", 2},
        {Fixed, "abcdef", 5, 3, "", 6},
        {Fixed, "abcdef", 4, 3, "def", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.pos));
        std::string v = "stale";
        std::size_t end = 0;
        if (c.kind == Tab) ReadTabField(c.text, c.pos, v, end);
        if (c.kind == Counted) ReadCountedField(c.text, c.pos, v, end);
        if (c.kind == Fixed) ReadFixedField(c.text, c.pos, c.length, v, end);
        EXPECT_EQ(v, c.value);
        if (c.end != std::string::npos) {
            EXPECT_EQ(end, c.end);
        }
    }
}

TEST(PacketFraming, TwoInOneReadAndOneOverTwoReads) {
    // b's rest makes the buffer grow while a is still in front of it.
    const std::string a = Built(Sample());
    const std::string b = BuiltWith(std::string(5000, 's'));
    PacketFramer f;
    f.Append(a + b.substr(0, 3000));
    EXPECT_EQ(f.Next(), a);
    EXPECT_FALSE(f.Next());
    f.Append(b.substr(3000));
    EXPECT_EQ(f.Next(), b);
    EXPECT_FALSE(f.Next());
    EXPECT_EQ(f.Pending(), 0u);
}

TEST(PacketFraming, AShortReadThatEndsOnePacketAndStartsTheNextFramesAlikeCopiedOrBorrowed) {
    const std::string a = Built(Sample());
    const std::string two = a + a;
    const std::string reads[] = {two.substr(0, a.size() - 4), two.substr(a.size() - 4, 20),
                                 two.substr(a.size() + 16)};
    for (const bool borrowed : {false, true}) {
        PacketFramer f;
        std::vector<std::string> got;
        for (const std::string& read : reads) {
            if (borrowed)
                f.Frame(read);
            else
                f.Append(read);
            std::string_view packet;
            std::uint64_t sum = 0;
            while (f.NextInPlace(packet, sum)) {
                got.emplace_back(packet);
                std::uint64_t recount = 0;
                FindPacketEnd(packet, recount);
                EXPECT_EQ(sum, recount) << borrowed;
            }
            f.Bound();
        }
        EXPECT_EQ(got, (std::vector<std::string>{a, a})) << borrowed;
    }
}

TEST(PacketFraming, ANestedReadKeepsTheOrderAndOutlivesTheOuterRead) {
    const std::string a = Built(Sample());
    const std::string b = BuiltWith("b");
    const std::string c = BuiltWith("c");
    PacketFramer f;
    auto outer = std::make_unique<std::string>(a + b + c.substr(0, 5));
    f.Frame(*outer);
    std::string_view packet;
    ASSERT_TRUE(f.NextInPlace(packet));
    EXPECT_EQ(packet, a);
    // A handler reads again before the outer read is done: what is left of the outer read comes
    // first, then the packet finished by the new read.
    const std::string inner = c.substr(5) + a;
    f.Frame(inner);
    std::vector<std::string> nested;
    while (f.NextInPlace(packet))
        nested.emplace_back(packet);
    f.Bound();
    EXPECT_EQ(nested, (std::vector<std::string>{b, c, a}));
    outer.reset(); // the outer read ends; the framer no longer needs it
    EXPECT_FALSE(f.NextInPlace(packet));
    f.Bound();
    EXPECT_EQ(f.Pending(), 0u);
}

TEST(CommMember, AFullFifoDropsTheOldestAndKeepsItsOwnCopiesInOrderAndAnUnboundedOneStaysCapped) {
    CommMemberType m; // a FIFO of ten
    CommType p;
    for (int i = 0; i <= 10; ++i) {
        p.Number1 = static_cast<std::int16_t>(i);
        EXPECT_EQ(m.BufferAdd(p), i < 10) << i;
    }
    p.Number1 = 99; // the FIFO holds its own copies
    std::vector<int> left;
    for (CommType removed; m.BufferDelete(&removed);)
        left.push_back(removed.Number1);
    EXPECT_EQ(left, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    m.BufferMax = 0;
    for (int i = 0; i < CommMemberType::kUnboundedLimit + 5; ++i)
        EXPECT_FALSE(m.BufferAdd(p));
    EXPECT_EQ(m.BufferSize(), CommMemberType::kUnboundedLimit);
}

TEST(CommMember, PacketRoundTripInWireOrderAndCheck) {
    CommMemberType m(45001.0);
    m.Identifier = "s07";
    m.Description = "Screen Client on \"box\" (ASYNC)";
    m.ServerAddress = "10.0.0.1";
    m.ServerPort = 6000;
    m.BufferMax = 25;
    m.RemoteBuffer = 77;
    m.LastOPacket = 45000.75;
    m.Packets = 99999999;
    std::string text;
    ASSERT_TRUE(m.CreatePacket(text));
    EXPECT_EQ(text.substr(0, 4), "0000");
    // BufferMax and RemoteBuffer follow ServerPort directly.
    EXPECT_NE(text.find("10.0.0.16000\t25\t77\t"), std::string::npos);
    CommMemberType back;
    ASSERT_TRUE(back.ExtractPacket(text));
    std::string again;
    ASSERT_TRUE(back.CreatePacket(again));
    EXPECT_EQ(again, text); // every field read back where it was written
    text[3] = '1';
    EXPECT_FALSE(back.ExtractPacket(text));
    EXPECT_FALSE(back.ExtractPacket(""));

    // Copy hands over the fields and leaves the target's FIFO alone.
    CommMemberType target;
    target.BufferAdd(CommType{});
    ASSERT_TRUE(m.Copy(target));
    EXPECT_EQ(std::tuple(target.Identifier, target.BufferSize()), std::tuple("s07", 1));
}

// Every line a log ring holds unread, oldest first.
std::vector<std::string> Drain(CommLogRing& ring) {
    std::vector<std::string> lines;
    while (ring.HasUnread())
        lines.push_back(ring.TakeNext());
    return lines;
}

TEST(CommLog, ABurstBeyondTheRingKeepsTheNewest199LinesWithoutAGap) {
    CommLogRing ring;
    for (int i = 0; i < 250; ++i)
        ring.AddCommLog("line " + std::to_string(i));
    const std::vector<std::string> lines = Drain(ring);
    ASSERT_EQ(lines.size(), 199u);
    for (std::size_t k = 0; k < lines.size(); ++k)
        EXPECT_EQ(lines[k], "line " + std::to_string(51 + k));
    ring.AddCommLog("after");
    EXPECT_EQ(Drain(ring), std::vector<std::string>{"after"});
}

TEST(PacketSend, ControlPacketBytesAndWhatSendsNothing) {
    FakeClock clock(45000.25);
    FakeTcpSocket socket;
    socket.state = TcpSocket::State::Connected;
    CommLogRing log;
    PacketSender sender(socket, log, clock);
    ASSERT_TRUE(sender.SendControlPacket("s01", "h01", kPktRequestNext, "ignored"));
    const std::string body = "0\t00000\ts01h01"
                             "45000.25\t" +
                             DoubleText(10.0 / 86400.0) +
                             "\t"
                             "00041006"
                             "0019Request next packet"
                             "00000000000000000000000000000000\x01";
    EXPECT_EQ(socket.written, std::vector<std::string>{WithCheck(body)});
    // The text a hub's log-off request carries.
    EXPECT_EQ(ControlDataText(kPktServerDisconnect), "Requesting Logoff ... (Server Disconnection Request)");

    // A bad destination and a socket error send nothing and count nothing.
    CommType p = Sample();
    p.Destination = "h1";
    EXPECT_FALSE(sender.SendPacket(p));
    p.Destination = "h01";
    socket.writeError = {10053, "aborted"};
    EXPECT_FALSE(sender.SendPacket(p));
    EXPECT_EQ(std::tuple(socket.written.size(), sender.SentPacketCounter()), std::tuple(1u, 1));

    // Codes outside 1000..1007 go out with no data and no PKT line.
    socket.writeError = {};
    ASSERT_TRUE(sender.SendControlPacket("s01", "h01", 1234, "data"));
    EXPECT_EQ(Drain(log),
              (std::vector<std::string>{"PKT: RQST NEXT PKT 0", "APPL: Send data pkt to Hub",
                                        "APPL: Send data pkt to Hub", "APPL: Send data pkt to Hub"}));
    CommType back;
    ASSERT_TRUE(ParsePacket(socket.written.back(), back));
    EXPECT_EQ(std::tuple(back.PacketType, back.Data), std::tuple("1234", ""));
}

} // namespace
} // namespace zeva
