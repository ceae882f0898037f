// Reading the fields of the default 53-field test record and formatting them for the Records grid.
#include "model/RecordText.h"
#include "model/ZVFieldClass.h"
#include "model/ZVRecordType.h"

#include <benchmark/benchmark.h>

namespace {

const char* kTestRecord =
    "3|123456|2001-02-03|04:05:06|0311112222|A|TOLE|MARGARET|THE LAMP KEEPER|MS|FL|12|B|14|B|FL|210|C|EAST "
    "BUILDING||||456|||||WATERLOO|ST|||||HOLTON||VIC|3000|LE||AAA|THE RIVERBRIDGE TV STUDIOS||0355554444||"
    "TELCOA|2001-02-03 04:00:00|2001-02-03 04:00:00|T|555|MAINS SERVICE NSW||F|F";

// The sample database's types: dates with day-first patterns, numbers as numbers, the rest text.
void DefineSampleFields(zeva::ZVFieldClass& fields) {
    for (std::int16_t n = 101; n <= 153; ++n)
        fields.SetFIdentifier(-1, n);
    for (std::int16_t n : {101, 123, 125, 137, 149})
        fields.SetFVType(n, 2);
    fields.SetFVType(102, 3);
    for (std::int16_t n : {103, 104, 146, 147})
        fields.SetFVType(n, 7);
    fields.SetFFormat(103, "dd/mm/yyyy");
    fields.SetFFormat(104, "hh:mm:ss");
    fields.SetFFormat(146, "dd/mm/yyyy hh:mm:ss");
    fields.SetFFormat(147, "dd/mm/yyyy hh:mm:ss");
    fields.SetFFormat(137, "0000");
}

void BM_ReadEveryFieldByNumber(benchmark::State& state) {
    zeva::ZVRecordType record;
    record.SetRawData(zeva::RecordText::ImportPipeRecord(kTestRecord));
    for (auto _ : state)
        for (int n = 101; n <= 153; ++n)
            benchmark::DoNotOptimize(record.field(n));
    state.SetItemsProcessed(state.iterations() * 53);
}
BENCHMARK(BM_ReadEveryFieldByNumber);

void BM_IterateEveryField(benchmark::State& state) {
    zeva::ZVRecordType record;
    record.SetRawData(zeva::RecordText::ImportPipeRecord(kTestRecord));
    for (auto _ : state) {
        std::int16_t source = -2;
        for (std::string v = record.field(source); source != -1; v = record.field(source = -1))
            benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations() * 53);
}
BENCHMARK(BM_IterateEveryField);

void BM_ReadAndFormatEveryField(benchmark::State& state) {
    zeva::ZVFieldClass fields;
    DefineSampleFields(fields);
    zeva::ZVRecordType record;
    record.SetRawData(zeva::RecordText::ImportPipeRecord(kTestRecord));
    for (auto _ : state)
        for (std::int16_t n = 101; n <= 153; ++n)
            benchmark::DoNotOptimize(fields.FFormatField(n, record.field(n)));
    state.SetItemsProcessed(state.iterations() * 53);
}
BENCHMARK(BM_ReadAndFormatEveryField);

void BM_ImportPipeRecord(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(zeva::RecordText::ImportPipeRecord(kTestRecord));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImportPipeRecord);

} // namespace
BENCHMARK_MAIN();
