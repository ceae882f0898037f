// Records per second from a zeva-hub process through the engine on loopback, asynchronous intake:
// each iteration logs in, takes a fixed number of records with Receive, and checks none was lost.
#include "bench/HubProcess.h"
#include "common/OleDate.h"
#include "comms/CommEngine.h"
#include "platform/Clock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtTcpSocket.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <memory>

namespace {

using namespace zeva;
constexpr int kRecords = 50000;

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    QtEventPump pump;
    while (!done()) {
        if (t.elapsed() > ms) return false;
        pump.ProcessEvents(20);
    }
    return true;
}

quint16 StartHub(QProcess& hub) {
    std::string out;
    return bench::StartHubProcess(hub, ZEVA_HUB_PATH,
                                  {"--bind", "127.0.0.1", "--port", "0", "--rate", "0", "--count",
                                   QString::number(kRecords), "--quiet"},
                                  out);
}

void BM_HubToEngineAsync(benchmark::State& state) {
    QProcess hub;
    const quint16 port = StartHub(hub);
    if (port == 0) {
        state.SkipWithError("zeva-hub did not start");
        return;
    }
    std::int64_t total = 0;
    for (auto _ : state) {
        QtTcpSocket socket;
        SystemClock clock;
        QtEventPump pump;
        CommEngine engine(socket, clock, pump);
        int got = 0;
        engine.onReceivedData = [&](const CommType&) {
            CommType holder;
            if (engine.Receive(holder)) ++got;
        };
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { engine.Tick(); });
        tick.start(20);
        CommMemberType target(OleNow());
        target.Identifier = "s01";
        target.ServerAddress = "127.0.0.1";
        target.ServerPort = port;
        target.Mode = 276;
        target.WatchDog = 60.0 / 86400.0;
        engine.Connect(target);
        if (!WaitFor([&] { return engine.Connected(); }, 10000)) {
            state.SkipWithError("no login");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        const bool all = WaitFor([&] { return got >= kRecords; }, 60000);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!all || got != kRecords) {
            state.SkipWithError("records lost");
            break;
        }
        total += got;
        engine.Disconnect();
        WaitFor([&] { return !engine.Connected() && engine.Member().SystemState == 0; }, 5000);
    }
    state.SetItemsProcessed(total);
    state.counters["records_per_s"] =
        benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
    hub.terminate();
    hub.waitForFinished(10000);
}
BENCHMARK(BM_HubToEngineAsync)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
