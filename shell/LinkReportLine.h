#pragma once
#include <string>

namespace zeva {

// The standard-error line for a report of the hub link (a failure naming the hub, or up again after
// one), with what to do next: where the hub's address is set when it cannot be reached, what to check
// when the hub takes no login, and that a lost link comes back by itself.
struct LinkReportLine {
    // backupHub: the report names the second hub (Setup\TCP\Backup Address); identifier: what the
    // station logs in as.
    static std::string Text(const std::string& report, bool backupHub = false,
                            const std::string& identifier = {});
};

} // namespace zeva
