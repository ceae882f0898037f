// Records per second through the record queue and the output formatter: the default test record
// with a 30-entry list, TextFormat on, 138 characters, 5 lines, into the plain list and into the
// Output list (offscreen). And how the costs grow with their inputs: display-format entries, the
// fields of a record (Full fields), the rows of the Records grid and the lines the Output list holds.
#include "comms/console/ClientLogView.h"
#include "display/InsertInDisplay.h"
#include "display/OutputFormatter.h"
#include "display/ZVRecordClass.h"
#include "model/RecordText.h"
#include "settings/ClientSettings.h"
#include "tests/support/memory/FakeClock.h"
#include "tests/support/memory/MemoryListBox.h"

#include <memory>

#ifdef ZEVA_BENCH_QT
#include "platform/qt/QtLineListBox.h"
#include "platform/qt/QtListBox.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QListView>
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

// A record text with fields 101 .. 100 + count, each value "V" and its number.
std::string RecordOfFields(int count) {
    ZVRecordType r;
    for (int n = 101; n <= 100 + count; ++n)
        r.SetField(n, "V" + std::to_string(n));
    return r.RawData();
}

void BM_LayoutRecord(benchmark::State& state) {
    const auto entries = ParseDisplayFormatList(ThirtyEntries());
    const OutputLayout layout = OutputLayout::From(Settings());
    ZVRecordType record;
    record.SetRawData(RecordText::ImportPipeRecord(kDefaultTestRecord));
    for (auto _ : state) {
        auto lines = LayoutRecord(entries, layout, [&](std::int16_t n) { return record.field(int{n}); });
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LayoutRecord);

// The block of one record as the display-format list grows: entry k shows field 100 + k of a
// 400-field record, so every entry reaches deeper into the text. Linear in the entries.
void BM_LayoutEntries(benchmark::State& state) {
    std::vector<std::string> lines;
    for (int n = 101; n <= 100 + state.range(0); ++n) {
        char line[64];
        std::snprintf(line, sizeof line, "    EOF  %04d %04d F%d", 1, n, n);
        lines.emplace_back(line);
    }
    const auto entries = ParseDisplayFormatList(lines);
    ClientSettings s = Settings();
    s.CharactersPerPage = 1000;
    s.LinesPerRecord = 50;
    const OutputLayout layout = OutputLayout::From(s);
    ZVRecordType record;
    record.SetRawData(RecordOfFields(400));
    for (auto _ : state) {
        auto block = LayoutRecord(entries, layout, [&](std::int16_t n) { return record.field(int{n}); });
        benchmark::DoNotOptimize(block);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LayoutEntries)->Arg(1)->Arg(10)->Arg(50)->Arg(100);

// The Full fields list of one record as its fields grow: every field in stored order, titled.
// Linear in the fields.
void BM_FullFields(benchmark::State& state) {
    const ClientSettings s = Settings();
    ZVRecordClass records;
    records.SetDisplayRows(10);
    MemoryListBox output, full;
    OutputFormatter f(records, nullptr, s, output, full);
    const std::int16_t id = records.NewRecord();
    records.SetRRawData(id, RecordOfFields(static_cast<int>(state.range(0))));
    for (auto _ : state)
        f.ShowFullFields(id);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FullFields)->Arg(10)->Arg(53)->Arg(100)->Arg(200)->Arg(400);

// One record into a full record queue of N rows: a grid row placed on top, the oldest record and
// its row taken out. The same at any N.
void BM_RecordsGridRow(benchmark::State& state) {
    ZVRecordClass records;
    records.SetDisplayRows(static_cast<std::int16_t>(state.range(0)));
    records.Connect("s01", nullptr);
    const std::string record = RecordText::ImportPipeRecord(kDefaultTestRecord);
    for (int i = 0; i < state.range(0); ++i)
        records.NewRecord();
    for (auto _ : state)
        records.SetRRawData(records.NewRecord(), record);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordsGridRow)->Arg(100)->Arg(1000);

// One received record: stored in the queue (capacity 10), laid out and inserted into the plain list.
void BM_QueueAndFormatPlain(benchmark::State& state) {
    const ClientSettings s = Settings();
    ZVRecordClass records;
    records.SetDisplayRows(10);
    MemoryListBox output, full;
    OutputFormatter f(records, nullptr, s, output, full);
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
// A list the size of the Output window on a desk (1000 x 730 pixels, about 40 lines in view).
template <class View> void ShowOnDesk(View& view) {
    view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view.resize(1000, 730);
    view.show();
}

// Runs one() per line for the benchmark's iterations and lets the event loop run (layout, paint)
// every 16 ms of work, as a screen would.
template <class F> void RunFrames(benchmark::State& state, F one) {
    QApplication::processEvents();
    QElapsedTimer frame;
    frame.start();
    for (auto _ : state) {
        one();
        if (frame.elapsed() >= 16) {
            QApplication::processEvents();
            frame.restart();
        }
    }
    QApplication::processEvents();
}

// One received record into the Output list: queue, formatter, lines on top, the bottom trimmed
// (MaxEntriesInOutput 50), the top line selected.
void BM_QueueAndFormatQt(benchmark::State& state) {
    const ClientSettings s = Settings();
    ZVRecordClass records;
    records.SetDisplayRows(10);
    QListView view;
    ShowOnDesk(view);
    QtLineListBox& output = *new QtLineListBox(&view);
    MemoryListBox full;
    OutputFormatter f(records, nullptr, s, output, full);
    f.ParseDisplayFormatList(ThirtyEntries());
    const std::string record = RecordText::ImportPipeRecord(kDefaultTestRecord);
    RunFrames(state, [&] {
        const std::int16_t id = records.NewRecord();
        records.SetRRawData(id, record);
        f.FormatRecordToOutput(id);
    });
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QueueAndFormatQt);

// One line into an Output list that holds N lines (MaxEntriesInOutput N, the list full): the line
// on top, the bottom line trimmed, the top line selected. Arg 1 chooses the list: 0 the Output
// list (a view over its own lines), 1 a QListWidget with uniform items as the window had it.
void BM_OutputLines(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    std::unique_ptr<QListView> view;
    std::unique_ptr<QListWidget> widget;
    std::unique_ptr<QtListBox> widgetBox;
    ListBox* list = nullptr;
    if (state.range(1) == 0) {
        view = std::make_unique<QListView>();
        ShowOnDesk(*view);
        list = new QtLineListBox(view.get());
    } else {
        widget = std::make_unique<QListWidget>();
        widget->setUniformItemSizes(true);
        ShowOnDesk(*widget);
        widgetBox = std::make_unique<QtListBox>(widget.get());
        list = widgetBox.get();
    }
    const std::string line(120, 'X');
    for (int i = 0; i < lines; ++i)
        list->AddItem(line, 0);
    int n = 0;
    RunFrames(state, [&] { InsertInDisplay(*list, line + std::to_string(++n), lines); });
    state.counters["lines"] = list->ListCount();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OutputLines)
    ->Args({100, 0})
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({100, 1})
    ->Args({1000, 1})
    ->Args({10000, 1});

// The comms console's log in a burst: one line into the log, refreshed into its list at once (the
// engine logs from inside packet handling), the list at its cap of 199 lines. Arg 1: the console
// shown at a desk's size; 0: hidden, as it starts.
void BM_ConsoleLog(benchmark::State& state) {
    QListView view;
    if (state.range(0) == 1) ShowOnDesk(view);
    QtLineListBox& list = *new QtLineListBox(&view);
    const FakeClock clock;
    ClientLogView log(list, clock);
    const std::string text = "RXD: " + std::string(60, 'X');
    for (int i = 0; i < ClientLogView::kMaxLines; ++i) {
        log.InsertClientLog(text);
        log.Refresh();
    }
    RunFrames(state, [&] {
        log.InsertClientLog(text);
        log.Refresh();
    });
    state.counters["lines"] = list.ListCount();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConsoleLog)->Arg(0)->Arg(1);
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
