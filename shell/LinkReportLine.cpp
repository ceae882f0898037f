#include "shell/LinkReportLine.h"

namespace zeva {

std::string LinkReportLine::Text(const std::string& report) {
    std::string line = "zeva-screen-client: " + report;
    if (report.find(": could not connect") != std::string::npos)
        line += " - check Setup\\TCP\\Remote Address and Remote Port (Comms > Setup, or zeva-settings set)";
    return line;
}

} // namespace zeva
