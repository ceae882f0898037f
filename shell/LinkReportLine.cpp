#include "shell/LinkReportLine.h"

namespace zeva {

namespace {
bool Says(const std::string& report, const char* what) {
    return report.find(what) != std::string::npos;
}
} // namespace

std::string LinkReportLine::Text(const std::string& report, bool backupHub, const std::string& identifier) {
    const std::string which = backupHub ? "Backup" : "Remote";
    std::string line = "zeva-screen-client: " + report;
    if (Says(report, ": could not connect")) {
        line += " - check Setup\\TCP\\" + which + " Address and " + which +
                " Port (Comms > Setup, or zeva-settings set)";
    } else if (Says(report, ": connected, but the hub sent no login answer")) {
        line += " - check that Setup\\TCP\\" + which +
                " Port is the ZEVA hub's port and that the hub takes "
                "the identifier \"" +
                identifier + "\" (the hub's log says why it refused)";
    } else if (Says(report, ": connection lost") || Says(report, ": the hub closed the link") ||
               Says(report, ": the hub sent a disconnect request") || Says(report, ": not answering")) {
        const std::string hub = report.substr(0, report.find(": "));
        line += " - the station connects again by itself; if this keeps happening, check that the " + hub +
                " runs and the network to it";
    }
    return line;
}

} // namespace zeva
