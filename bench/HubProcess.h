#pragma once
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <cstdlib>
#include <string>

namespace zeva::bench {

// For the benchmarks that drive a hub process: starts the zeva-hub program with args (give
// "--port 0" for a free port), its output merged, and reads the port from the line it prints once it
// listens. 0 when it did not start or named no port within 15 s; what it printed so far is in output,
// for the failure message.
inline quint16 StartHubProcess(QProcess& hub, const QString& program, const QStringList& args,
                               std::string& output) {
    hub.setProcessChannelMode(QProcess::MergedChannels);
    hub.start(program, args);
    const std::string said = "listening on port ";
    QElapsedTimer waited;
    waited.start();
    while (hub.state() != QProcess::NotRunning && waited.elapsed() < 15000) {
        hub.waitForReadyRead(100);
        output += hub.readAll().toStdString();
        const auto at = output.find(said);
        // Only a whole line: the number may still be on its way.
        if (at != std::string::npos && output.find('\n', at) != std::string::npos)
            return static_cast<quint16>(std::atoi(output.c_str() + at + said.size()));
    }
    return 0;
}

} // namespace zeva::bench
