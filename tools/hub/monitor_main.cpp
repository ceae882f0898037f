// zeva-monitor: logs in to the hub as a monitor (m01 by default) and prints every flag packet it gets,
// the way a monitor shows it: its code and title from the flag table.
#include "common/OleDate.h"
#include "comms/CommEngine.h"
#include "comms/CommShared.h"
#include "flags/ModuleClass.h"
#include "flags/MonitorFlagLine.h"
#include "platform/Clock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtTcpSocket.h"
#include "tools/ToolExit.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kTickMs = 2000;
constexpr int kRetryTicks = 3; // a new attempt this many ticks after the link went down or an attempt failed

// The standard-error line for the link's report: a failure (once per kind, not at every retry) says
// what to check and that the monitor keeps trying; the link up again is said too.
std::string LinkLine(const std::string& report, bool up, const std::string& identifier) {
    std::string line = "zeva-monitor: " + report;
    if (report.find(": could not connect") != std::string::npos)
        line += " - check --host and --port";
    else if (report.find(": connected, but the hub sent no login answer") != std::string::npos)
        line +=
            " - check that --port is the ZEVA hub's port and that the hub takes the identifier " + identifier;
    if (!up) line += "; trying again every " + std::to_string(kTickMs * kRetryTicks / 1000) + " s";
    return line;
}

int NotAnIdentifier(const QString& id) {
    std::fprintf(stderr,
                 "zeva-monitor: \"%s\" is not a client identifier: give a letter and two digits, e.g. --id "
                 "m01\n",
                 id.toLocal8Bit().constData());
    return zeva::tool::kUsage;
}

void Print(const std::string& line) {
    const QByteArray stamp = QDateTime::currentDateTime().toString("hh:mm:ss").toLatin1();
    std::fprintf(stdout, "%s  %s\n", stamp.constData(), line.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zeva-monitor");
    QCoreApplication::setApplicationVersion(ZEVA_PROJECT_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Logs in to the hub as a monitor and prints every flag packet it receives. While it\n"
                       "cannot reach the hub it says why on standard error, once, and keeps trying.\n\n") +
        QString::fromUtf8(zeva::tool::kExitStatusHelp));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption hostOpt("host", "Hub address.", "address", "127.0.0.1");
    QCommandLineOption portOpt({"p", "port"}, "Hub port.", "port", "6000");
    QCommandLineOption idOpt("id", "Monitor identifier (m01 to m99).", "id", "m01");
    QCommandLineOption verboseOpt("verbose", "Also print the link's log lines.");
    parser.addOptions({hostOpt, portOpt, idOpt, verboseOpt});
    parser.process(app);

    bool ok = false;
    const int port = parser.value(portOpt).toInt(&ok);
    if (!ok || port < 1 || port > 65535) {
        std::fprintf(stderr, "zeva-monitor: --port must be 1 to 65535\n");
        return zeva::tool::kUsage;
    }

    zeva::QtTcpSocket socket;
    zeva::SystemClock clock;
    zeva::QtEventPump pump;
    zeva::CommEngine engine(socket, clock, pump);
    const bool verbose = parser.isSet(verboseOpt);
    engine.onClientLog = [verbose](const std::string& line) {
        if (verbose) Print("link: " + line);
    };
    engine.onLinkReport = [&engine](const std::string& report) {
        std::fprintf(stderr, "%s\n",
                     LinkLine(report, engine.Connected(), engine.Member().Identifier).c_str());
    };
    zeva::ModuleClass modules(clock);
    if (!modules.Connect(parser.value(idOpt).toStdString())) return NotAnIdentifier(parser.value(idOpt));
    engine.onReceivedData = [&engine, &modules](const zeva::CommType&) {
        zeva::CommType flag;
        if (!engine.Receive(flag)) return;
        Print("flag from " + flag.Source + ": " + zeva::MonitorFlagLine(modules, flag));
    };

    zeva::CommMemberType target(zeva::OleNow());
    target.Identifier = parser.value(idOpt).toStdString();
    target.ServerAddress = parser.value(hostOpt).toStdString();
    target.ServerPort = port;
    target.Mode = zeva::kModeOUT | zeva::kModeBUF | zeva::kModeSTC;
    target.Description = "Monitor";
    target.MemberExpire = 1.0 / 24;
    if (!engine.Connect(target)) return NotAnIdentifier(parser.value(idOpt));
    bool wasConnected = false;
    int idleTicks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        engine.Tick();
        if (engine.Connected() != wasConnected) {
            wasConnected = engine.Connected();
            Print(wasConnected ? "logged in as " + engine.Userid() : "link down");
            idleTicks = 0;
        }
        // Try again a few ticks after the link went down or an attempt failed.
        if (!engine.Connected() && engine.Member().SystemState == 0 && ++idleTicks >= kRetryTicks) {
            idleTicks = 0;
            engine.Connect(target);
        }
    });
    tick.start(kTickMs);
    engine.Tick();
    std::signal(SIGINT, [](int) { QCoreApplication::quit(); });
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });
    return app.exec();
}
