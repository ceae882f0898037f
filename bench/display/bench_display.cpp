// Records per second through the record queue and the output formatter: the default test record
// with a 30-entry list, TextFormat on, 138 characters, 5 lines, into the plain list and into a Qt
// list (offscreen). The Qt case is measured after 0 and after 5000 earlier records, to show the
// cost per record stays flat while MaxEntriesInOutput caps the list.
#include "display/OutputFormatter.h"
#include "display/ZVRecordClass.h"
#include "model/RecordText.h"
#include "settings/ClientSettings.h"
#include "shell/InsertInDisplay.h"
#include "tests/support/memory/MemoryListBox.h"

#ifdef ZEVA_BENCH_QT
#include "platform/qt/QtListBox.h"
#include <QApplication>
#include <QListWidget>
#endif

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace zeva;

std::vector<std::string> ThirtyEntries() {
    std::vector<std::string> lines;
    for (int n = 101; n <= 130; ++n) {
        char line[64];
        std::snprintf(line, sizeof line, "%c   %s %04d %04d F%d", n % 7 == 0 ? 'N' : ' ',
                      n % 3 ? "EOF " : "0010", 1, n, n);
        lines.emplace_back(line);
    }
    lines.emplace_back();
    return lines;
}

ClientSettings Settings() {
    ClientSettings s;
    s.CharactersPerPage = 138;
    s.LinesPerRecord = 5;
    s.TextFormat = true;
    s.MaxEntriesInOutput = 50;
    return s;
}

void BM_LayoutRecord(benchmark::State& state) {
    const auto entries = ParseDisplayFormatList(ThirtyEntries());
    const OutputLayout layout = OutputLayout::From(Settings());
    const std::string record = RecordText::ImportPipeRecord(kDefaultTestRecord);
    for (auto _ : state) {
        auto lines =
            LayoutRecord(entries, layout, [&](std::int16_t n) { return RecordText::Get(record, n); });
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LayoutRecord);

// One received record: stored in the queue (capacity 10), laid out and inserted into the plain list.
void BM_QueueAndFormatPlain(benchmark::State& state) {
    const ClientSettings s = Settings();
    ZVRecordClass records;
    records.SetDisplayRows(10);
    MemoryListBox output, full;
    OutputFormatter f(records, nullptr, s, output, full, &InsertInDisplay);
    f.ParseDisplayFormatList(ThirtyEntries());
    const std::string record = RecordText::ImportPipeRecord(kDefaultTestRecord);
    for (auto _ : state) {
        const std::int16_t id = records.NewRecord();
        records.SetRRawData(id, record);
        f.FormatRecordToOutput(id);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QueueAndFormatPlain);

#ifdef ZEVA_BENCH_QT
// The same into a QListWidget; paints are coalesced by the event loop, as on screen.
void BM_QueueAndFormatQt(benchmark::State& state) {
    const ClientSettings s = Settings();
    ZVRecordClass records;
    records.SetDisplayRows(10);
    QListWidget widget;
    widget.setUniformItemSizes(state.range(1) != 0);
    widget.resize(800, 400);
    widget.show();
    QtListBox output(&widget);
    MemoryListBox full;
    OutputFormatter f(records, nullptr, s, output, full, &InsertInDisplay);
    f.ParseDisplayFormatList(ThirtyEntries());
    const std::string record = RecordText::ImportPipeRecord(kDefaultTestRecord);
    auto one = [&] {
        const std::int16_t id = records.NewRecord();
        records.SetRRawData(id, record);
        f.FormatRecordToOutput(id);
    };
    for (int i = 0; i < state.range(0); ++i)
        one();
    QApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        one();
        if (++n % 16 == 0) QApplication::processEvents(); // about one frame per 16 records
    }
    state.counters["lines"] = widget.count();
    state.SetItemsProcessed(state.iterations());
}
// Args: earlier records, uniform item sizes (the list then skips measuring every line).
BENCHMARK(BM_QueueAndFormatQt)->Args({0, 0})->Args({5000, 0})->Args({0, 1})->Args({5000, 1});
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef ZEVA_BENCH_QT
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
