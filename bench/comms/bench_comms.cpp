// Building, framing and parsing hub packets that carry the default test record, beside a plain
// memchr scan of the same bytes for SOH.
#include "common/OleDate.h"
#include "comms/CommShared.h"
#include "comms/PacketFramer.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

using namespace zeva;

// The default test record as a record text (fields 101 to 153), as the hub sends it.
std::string TestRecordText() {
    const std::string line =
        "3|123456|2001-02-03|04:05:06|0311112222|A|TOLE|MARGARET|THE LAMP KEEPER|MS|FL|12|B|14|B|FL|210|C|"
        "EAST BUILDING||||456|||||WATERLOO|ST|||||HOLTON||VIC|3000|LE||AAA|THE RIVERBRIDGE TV STUDIOS||"
        "0355554444||TELCOA|2001-02-03 04:00:00|2001-02-03 04:00:00|T|555|MAINS SERVICE NSW||F|F";
    std::string out;
    int field = 101;
    std::size_t p = 0;
    for (;;) {
        const std::size_t bar = line.find('|', p);
        const std::string value = line.substr(p, bar == std::string::npos ? std::string::npos : bar - p);
        char head[24];
        std::snprintf(head, sizeof head, "%04zu%04d", value.size() + 4, field++);
        out += head;
        out += value;
        if (bar == std::string::npos) break;
        p = bar + 1;
    }
    return out;
}

CommType DataPacket() {
    CommType p;
    p.Source = "x01";
    p.Destination = "s01";
    p.Created = 46000.123456789;
    p.PacketType = "DATA";
    p.Data = TestRecordText();
    return p;
}

// About 4 MB of back-to-back data packets.
const std::string& Stream() {
    static const std::string stream = [] {
        std::string one;
        BuildPacket(DataPacket(), one);
        std::string s;
        while (s.size() < (4u << 20))
            s += one;
        return s;
    }();
    return stream;
}

void BM_BuildPacket(benchmark::State& state) {
    const CommType p = DataPacket();
    std::string out;
    for (auto _ : state) {
        BuildPacket(p, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildPacket);

void BM_ParsePacket(benchmark::State& state) {
    std::string text;
    BuildPacket(DataPacket(), text);
    PacketView p;
    for (auto _ : state)
        benchmark::DoNotOptimize(ParsePacket(text, p));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParsePacket);

constexpr std::size_t kRead = 65536;

void CountStream(benchmark::State& state, std::size_t packets) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Stream().size()));
    state.counters["packets"] = static_cast<double>(packets) / static_cast<double>(state.iterations());
}

// The stream as it arrives in 64 KB reads, each read framed where it is (Frame): every packet goes
// to onPacket(packet, byteSum) with the sum of its bytes gathered while framing; onPacket answers
// whether it counts.
template <class OnPacket> void FrameStreamReads(benchmark::State& state, OnPacket onPacket) {
    const std::string& s = Stream();
    std::size_t packets = 0;
    for (auto _ : state) {
        PacketFramer framer;
        std::string_view packet;
        std::uint64_t byteSum = 0;
        for (std::size_t at = 0; at < s.size(); at += kRead) {
            framer.Frame(std::string_view(s).substr(at, kRead));
            while (framer.NextInPlace(packet, byteSum))
                packets += onPacket(packet, byteSum) ? 1 : 0;
            framer.Bound();
        }
    }
    CountStream(state, packets);
}

// Framing and parsing: each packet's check verified and its fields read in place (PacketView).
void BM_FrameAndParseStream(benchmark::State& state) {
    PacketView p;
    FrameStreamReads(
        state, [&p](std::string_view packet, std::uint64_t sum) { return ParsePacket(packet, sum, p); });
}
BENCHMARK(BM_FrameAndParseStream)->Unit(benchmark::kMillisecond);

// The same with every packet's fields copied into one CommType, the way the connection engine
// takes them before it hands a packet on.
void BM_FrameAndParseStreamIntoCommType(benchmark::State& state) {
    CommType p;
    FrameStreamReads(
        state, [&p](std::string_view packet, std::uint64_t sum) { return ParsePacket(packet, sum, p); });
}
BENCHMARK(BM_FrameAndParseStreamIntoCommType)->Unit(benchmark::kMillisecond);

// Each read copied into the framer's buffer first (Append), the way zeva-hub takes its clients'
// bytes, and each packet copied out of it (Next) into one reused string.
void BM_AppendCopyAndParseStream(benchmark::State& state) {
    const std::string& s = Stream();
    std::size_t packets = 0;
    for (auto _ : state) {
        PacketFramer framer;
        CommType p;
        std::string packet;
        for (std::size_t at = 0; at < s.size(); at += kRead) {
            framer.Append(std::string_view(s).substr(at, kRead));
            while (framer.Next(packet))
                packets += ParsePacket(packet, p) ? 1 : 0;
            framer.Bound();
        }
    }
    CountStream(state, packets);
}
BENCHMARK(BM_AppendCopyAndParseStream)->Unit(benchmark::kMillisecond);

// Framing alone: every packet found and its bytes added up, nothing read.
void BM_FrameStream(benchmark::State& state) {
    std::uint64_t total = 0;
    FrameStreamReads(state, [&total](std::string_view, std::uint64_t sum) {
        total += sum;
        return true;
    });
    benchmark::DoNotOptimize(total);
}
BENCHMARK(BM_FrameStream)->Unit(benchmark::kMillisecond);

// The plain scan the framing is measured against: find every SOH with memchr.
void BM_MemchrScanStream(benchmark::State& state) {
    const std::string& s = Stream();
    for (auto _ : state) {
        std::size_t n = 0;
        const char* p = s.data();
        const char* end = p + s.size();
        while (const void* hit = std::memchr(p, kSOH, static_cast<std::size_t>(end - p))) {
            ++n;
            p = static_cast<const char*>(hit) + 1;
        }
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.size()));
}
BENCHMARK(BM_MemchrScanStream)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
