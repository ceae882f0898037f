// Start-up settings read: every key the client reads at start-up, through RegGetSetting with one
// connection per key, the way start-up reads them. Two cases: a fresh database (every key missing,
// every read answers its default) and a database an admin run has filled (every key present).
#include "common/SqliteDatabase.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"
#include "settings/SettingsSchema.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace zeva;

namespace {

std::string MakeDatabase(const char* name, bool filled) {
    const auto path =
        std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()) + ".mdb");
    std::filesystem::remove(path);
    SqliteDatabase db;
    if (!db.Open(path.string(), SqliteDatabase::Mode::Create) || !db.ExecScript(kSettingsSchema)) return {};
    db.Close();
    if (filled) {
        Session admin{"s05", true};
        SettingsDatabase settings(path.string(), admin);
        ClientSettings s;
        s.DisplayFormatList.assign(20, "0    0   0    0105 Calling number");
        SaveAllSettings(settings, "s05", s);
        SaveOutputSettings(settings, s);
    }
    return path.string();
}

void ReadEverything(const std::string& path, benchmark::State& state) {
    Session operatorSession{"s05", false};
    int keys = 0;
    for (auto _ : state) {
        SettingsDatabase db(path, operatorSession);
        ClientSettings s;
        db.OpenSettingsDb(); // start-up's check: open and close at once
        db.CloseSettingsDb();
        ReadClientSelection(db, s);
        LoadAllSettings(db, "s05", s);
        ReadOutputSettings(db, s);
        const FormPosition p = RestoreFormPosition(db, "frmZVScreenClientMain", 19200, 14400);
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(p);
        // 2 client selection + 30 of LoadAllSettings + 18 output keys and fonts + the list + 4 position
        keys = 54 + int(s.DisplayFormatList.size());
    }
    state.counters["keys"] = keys;
}

void BM_StartupRead_FreshDatabase(benchmark::State& state) {
    const std::string path = MakeDatabase("zeva_bench_fresh_", false);
    ReadEverything(path, state);
    std::filesystem::remove(path);
}
BENCHMARK(BM_StartupRead_FreshDatabase)->Unit(benchmark::kMillisecond);

void BM_StartupRead_FilledDatabase(benchmark::State& state) {
    const std::string path = MakeDatabase("zeva_bench_filled_", true);
    ReadEverything(path, state);
    std::filesystem::remove(path);
}
BENCHMARK(BM_StartupRead_FilledDatabase)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
