// Record log throughput: AddLog of caller record texts (each entry written and closed, so it is in
// the file when AddLog returns), reading them back, and conversion of a 100,000-record log.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "logstore/LogFileReader.h"
#include "logstore/RStoreClass.h"
#include "model/RecordText.h"
#include "model/ZVFieldType.h"
#include "platform/Clock.h"
#include "recordlog/RecordLogConverter.h"

namespace {
namespace fs = std::filesystem;

const char* const kTestRecord =
    "3|123456|2001-02-03|04:05:06|0311112222|A|TOLE|MARGARET|THE LAMP KEEPER|MS|FL|12|B|14|B|FL|210|C|"
    "EAST BUILDING||||456|||||WATERLOO|ST|||||HOLTON||VIC|3000|LE||AAA|THE RIVERBRIDGE TV STUDIOS||"
    "0355554444||TELCOA|2001-02-03 04:00:00|2001-02-03 04:00:00|T|555|MAINS SERVICE NSW||F|F";

fs::path TempFolder(const std::string& name) {
    auto p =
        fs::temp_directory_path() / ("zeva-bench-" + name + "-" + std::to_string(std::random_device{}()));
    fs::create_directories(p);
    return p;
}

// A clock that moves a second per call, so conversions never meet their own database name.
class SteppingClock final : public zeva::Clock {
  public:
    double Now() const override { return now_ += 1.0 / 86400.0; }

  private:
    mutable double now_ = 45123.5;
};

void BM_AddLog(benchmark::State& state) {
    const fs::path base = TempFolder("addlog");
    zeva::SystemClock clock;
    zeva::RStoreClass store(clock);
    store.Connect(base.string(), "s01");
    const std::string record = zeva::RecordText::ImportPipeRecord(kTestRecord);
    for (auto _ : state)
        if (!store.AddLog(0, record)) state.SkipWithError("AddLog failed");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(record.size()));
    store.Disconnect();
    fs::remove_all(base);
}
BENCHMARK(BM_AddLog)->Unit(benchmark::kMicrosecond);

// A log of the 53 test-record definitions (types mixed: text, integers, dates) and n records.
fs::path MakeLog(const fs::path& folder, int records) {
    const fs::path log = folder / "rstres01.log";
    std::FILE* f = std::fopen(log.string().c_str(), "wb");
    for (int n = 101; n <= 153; ++n) {
        zeva::ZVFieldType def;
        def.Identifier = static_cast<std::int16_t>(n);
        def.Title = "F" + std::to_string(n);
        def.VType = n == 102 ? 3 : (n == 103 || n == 146) ? 7 : n == 137 ? 2 : 8;
        std::string packet;
        def.CreatePacket(packet);
        const std::string line = zeva::RStoreClass::FormatEntry(2, 45123.5, packet);
        std::fwrite(line.data(), 1, line.size(), f);
    }
    const std::string record = zeva::RecordText::ImportPipeRecord(kTestRecord);
    for (int i = 0; i < records; ++i) {
        const std::string line = zeva::RStoreClass::FormatEntry(0, 45123.5 + i / 86400.0, record);
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
    return log;
}

void BM_ReadLog(benchmark::State& state) {
    const fs::path folder = TempFolder("read");
    const fs::path log = MakeLog(folder, 100000);
    for (auto _ : state) {
        zeva::LogFileReader reader;
        reader.Open(log);
        zeva::LogEntry e;
        std::int64_t n = 0;
        while (reader.Next(e))
            ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * 100053);
    fs::remove_all(folder);
}
BENCHMARK(BM_ReadLog)->Unit(benchmark::kMillisecond);

void BM_Convert100k(benchmark::State& state) {
    const fs::path folder = TempFolder("convert");
    const fs::path log = MakeLog(folder, 100000);
    SteppingClock clock;
    zeva::RecordLogConverter converter(clock);
    for (auto _ : state) {
        zeva::LogFileReader reader;
        reader.Open(log);
        const std::string db = converter.ConvertRLogToDBase(
            (folder / "db").string(), [&](zeva::LogEntry& e) { return reader.Next(e); });
        if (db.empty() || converter.LastTotals().dataRows != 100000) state.SkipWithError("conversion failed");
        state.PauseTiming();
        fs::remove(db);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 100000);
    fs::remove_all(folder);
}
BENCHMARK(BM_Convert100k)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
