// Bytes from the hub: split into reads, framed, parsed, and dispatched by the engine in every
// state that reads packets (idle, waiting for the accept, waiting for the close).
#include "common/Convert.h"
#include "comms/CommEngine.h"
#include "comms/CommShared.h"
#include "comms/PacketFramer.h"
#include "tests/support/memory/FakeClock.h"
#include "tests/support/memory/FakeEventPump.h"
#include "tests/support/memory/FakeTcpSocket.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Gives each SOH-terminated chunk a correct check field, so the fuzzer reaches the field readers
// and the dispatch instead of stopping at the check.
std::string WithChecks(std::string_view in) {
    std::string out;
    std::size_t start = 0;
    while (start < in.size()) {
        std::size_t soh = in.find('\x01', start);
        std::string_view chunk =
            in.substr(start, soh == std::string_view::npos ? std::string_view::npos : soh + 1 - start);
        std::string_view body = chunk.size() > 4 ? chunk.substr(4) : std::string_view{};
        char check[8];
        std::snprintf(check, sizeof check, "%04d", zeva::PacketChecksum(body) % 10000);
        out.append(check, 4);
        out.append(body);
        if (soh == std::string_view::npos) break;
        start = soh + 1;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zeva;
    const std::string fixed = (size && (data[0] & 1))
                                  ? WithChecks(std::string_view(reinterpret_cast<const char*>(data), size))
                                  : std::string(reinterpret_cast<const char*>(data), size);
    const std::string_view bytes(fixed);
    size = bytes.size();

    // The date readers against the general conversion: the input's first bytes as the Created
    // field of a packet must read exactly as ToDouble reads them, or fail the parse as it does.
    {
        const std::string_view date = bytes.substr(0, std::min<std::size_t>(size, 24));
        if (date.find(kTab) == std::string_view::npos && date.find(kSOH) == std::string_view::npos) {
            const std::string body =
                "0\t00000\ts01h01" + std::string(date) + "\t0\t0004DATA0000" + std::string(32, '0') + "\x01";
            CommType p;
            const bool parsed = ParsePacket(WithChecks("0000" + body), p); // its check put in front
            const auto expected = ToDouble(date);
            if (expected && IsValidOleDate(*expected)) {
                if (!parsed ||
                    std::bit_cast<std::uint64_t>(p.Created) != std::bit_cast<std::uint64_t>(*expected))
                    std::abort();
            } else if (parsed) {
                std::abort();
            }
        }
    }

    // Framing and parsing alone; a packet that parses must build and parse again. A second framer
    // borrows each read (Frame) and hands packets out in place with the byte sum gathered while
    // framing: it must agree exactly with the copying one.
    PacketFramer framer, inPlace;
    const std::size_t cut = size ? static_cast<unsigned char>(bytes[size / 2]) % (size + 1) : 0;
    for (std::string_view part : {bytes.substr(0, cut), bytes.substr(cut)}) {
        framer.Append(part);
        inPlace.Frame(part);
        while (auto packet = framer.Next()) {
            std::string_view view;
            std::uint64_t sum = 0;
            if (!inPlace.NextInPlace(view, sum) || view != *packet) std::abort();
            CommType p, v;
            const bool parsed = ParsePacket(*packet, p);
            if (ParsePacket(view, sum, v) != parsed) std::abort();
            if (parsed) {
                std::string again, fromView;
                CommType q;
                if (BuildPacket(p, again) && !ParsePacket(again, q)) std::abort();
                if (BuildPacket(v, fromView) && fromView != again) std::abort();
            }
        }
        std::string_view extra;
        if (inPlace.NextInPlace(extra)) std::abort();
        framer.Bound();
        inPlace.Bound();
        if (framer.Pending() > 100000 || inPlace.Pending() != framer.Pending()) std::abort();
    }

    // Through the engine, with the state picked by the first byte.
    FakeClock clock;
    FakeTcpSocket socket;
    FakeEventPump pump;
    CommEngine engine(socket, clock, pump);
    engine.onReceivedData = [&engine](const CommType&) {
        CommType holder;
        engine.Receive(holder);
    };
    static const std::int16_t states[] = {0, 4, 9, 30};
    engine.TMode(static_cast<std::int16_t>(kModeOUT | ((size && (data[0] & 4)) ? kModeCON : 0) |
                                           ((size && (data[0] & 8)) ? kModeSYN | kModeNWT : 0)));
    engine.TIdentifier("s01");
    engine.TSystemState(states[size ? (data[0] >> 4) % 4 : 0]);
    socket.state = TcpSocket::State::Connected;
    socket.Deliver(bytes.substr(0, cut));
    socket.Deliver(bytes.substr(cut));
    engine.Tick();
    if (engine.ReceiveBufferSize() > 100000) std::abort();
    return 0;
}
