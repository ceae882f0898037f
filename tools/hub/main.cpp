// zeva-hub: the system's hub as far as the screen client needs one, for tests, benchmarks and demos.
#include "tools/ToolExit.h"
#include "tools/hub/HubServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
}

void LogLine(const std::string& line) {
    const QByteArray stamp = QDateTime::currentDateTime().toString("hh:mm:ss.zzz").toLatin1();
    std::fprintf(stdout, "%s  %s\n", stamp.constData(), line.c_str());
    std::fflush(stdout);
}

// A wrong option is a usage error; a record file that does not load or a port that does not listen
// is a failure.
int Fail(const std::string& what, int status = zeva::tool::kUsage) {
    std::fprintf(stderr, "zeva-hub: %s\n", what.c_str());
    return status;
}

// The help text and the options zeva-hub takes.
void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral(
            "Test hub for the ZEVA Screen Client: logs clients in (1000/1003), answers requests (1006) with "
            "the next caller record or 1005, pushes records to asynchronous clients, routes packets between "
            "clients "
            "(\"m**\" reaches every monitor), closes on 1002 and sends 1001 to every client when it stops "
            "(SIGINT, SIGTERM).\n\n") +
        QString::fromUtf8(zeva::tool::kExitStatusHelp));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption portOpt({"p", "port"}, "TCP port to listen on; 0 picks a free one.", "port", "6000");
    QCommandLineOption bindOpt("bind", "Address to listen on.", "address", "0.0.0.0");
    QCommandLineOption recordsOpt(
        {"r", "records"},
        "Record file: lines holding \"|\" are pipe-delimited values (fields numbered "
        "from 101), other lines are record texts. Without it the default test record "
        "is generated, field 102 carrying the sequence number.",
        "file");
    QCommandLineOption countOpt({"n", "count"},
                                "Records per client; 0 = endless. Default: the file's records, "
                                "or 1000 generated.",
                                "n");
    QCommandLineOption rateOpt("rate",
                               "Records per second pushed to each asynchronous client; 0 = as fast as "
                               "possible.",
                               "per-second", "1");
    QCommandLineOption sourceOpt("source", "X25 source tag of the data packets: x01 or x02.", "id", "x01");
    QCommandLineOption watchdogOpt("watchdog",
                                   "Watchdog period (seconds) given to clients in the accept; "
                                   "default: the client's own.",
                                   "seconds");
    QCommandLineOption waitOpt("shutdown-wait", "Milliseconds to wait for clients to leave after 1001.", "ms",
                               "5000");
    QCommandLineOption quietOpt({"q", "quiet"}, "No line per record, request or watchdog.");
    QCommandLineOption badCheckOpt("bad-check-every",
                                   "Sends every Nth record of each client with a wrong check (the client "
                                   "must discard it); 0 = never.",
                                   "n", "0");
    QCommandLineOption writeTimesOpt(
        "write-times",
        "Writes a line per caller record to file when the record has been written to its client: the "
        "client, the record's number from 0 and the time on the system's monotonic clock in "
        "nanoseconds (for timing the way to a client; the records sent are the same).",
        "file");
    parser.addOptions({portOpt, bindOpt, recordsOpt, countOpt, rateOpt, sourceOpt, watchdogOpt, waitOpt,
                       quietOpt, badCheckOpt, writeTimesOpt});
}

using WriteTimesFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// With --write-times, opens its file and has the hub note each record's write there. False when the
// file cannot be written.
bool NoteWriteTimes(const QCommandLineParser& parser, zeva::HubOptions& options, WriteTimesFile& file) {
    if (!parser.isSet("write-times")) return true;
    file.reset(std::fopen(parser.value("write-times").toStdString().c_str(), "w"));
    if (!file) return false;
    options.onRecordWritten = [f = file.get()](const std::string& client, std::uint64_t record) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
        std::fprintf(f, "%s %llu %lld\n", client.c_str(), static_cast<unsigned long long>(record),
                     static_cast<long long>(ns));
    };
    return true;
}

// Reads the options into options and waitMs: 0, or the exit status of the first wrong one after
// saying why.
int ReadOptions(const QCommandLineParser& parser, zeva::HubOptions& options, int& waitMs) {
    bool ok = false;
    const uint port = parser.value("port").toUInt(&ok);
    if (!ok || port > 65535) return Fail("--port must be 0 to 65535");
    options.port = static_cast<quint16>(port);
    if (!options.address.setAddress(parser.value("bind"))) return Fail("--bind is not an address");
    if (parser.isSet("records")) {
        std::string error;
        if (!options.records.LoadFile(parser.value("records").toStdString(), error))
            return Fail(error, zeva::tool::kFailed);
        options.count = options.records.FileRecords();
    }
    if (parser.isSet("count")) {
        options.count = parser.value("count").toULongLong(&ok);
        if (!ok) return Fail("--count must be a number");
    }
    options.rate = parser.value("rate").toDouble(&ok);
    if (!ok || options.rate < 0) return Fail("--rate must be 0 or more");
    options.source = parser.value("source").toStdString();
    if (options.source != "x01" && options.source != "x02") return Fail("--source must be x01 or x02");
    if (parser.isSet("watchdog")) {
        options.watchdogSeconds = parser.value("watchdog").toDouble(&ok);
        if (!ok || options.watchdogSeconds < 0) return Fail("--watchdog must be 0 or more seconds");
    }
    waitMs = parser.value("shutdown-wait").toInt(&ok);
    if (!ok || waitMs < 0) return Fail("--shutdown-wait must be 0 or more");
    options.quiet = parser.isSet("quiet");
    options.badCheckEvery = parser.value("bad-check-every").toULongLong(&ok);
    if (!ok) return Fail("--bad-check-every must be a number");
    return 0;
}

// SIGINT and SIGTERM write to signalPipe, which the event loop watches; SIGPIPE is ignored.
bool CatchStopSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zeva-hub");
    QCoreApplication::setApplicationVersion(ZEVA_PROJECT_VERSION);

    QCommandLineParser parser;
    AddOptions(parser);
    parser.process(app);
    zeva::HubOptions options;
    int waitMs = 0;
    if (const int wrong = ReadOptions(parser, options, waitMs)) return wrong;
    WriteTimesFile writeTimes(nullptr, &std::fclose);
    if (!NoteWriteTimes(parser, options, writeTimes))
        return Fail("cannot write " + parser.value("write-times").toStdString() + " (--write-times)",
                    zeva::tool::kFailed);
    if (!CatchStopSignals()) return Fail("cannot set up signal handling", zeva::tool::kFailed);

    zeva::HubServer hub(std::move(options), LogLine);
    std::string error;
    if (!hub.Listen(error)) return Fail(error, zeva::tool::kFailed);

    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    bool stopping = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        char c;
        [[maybe_unused]] auto n = ::read(signalPipe[0], &c, 1);
        if (stopping) return;
        stopping = true;
        hub.Shutdown(waitMs, [] { QCoreApplication::quit(); });
    });
    return app.exec();
}
