#pragma once
#include <string>

namespace zeva {

// The standard-error line for a report of the hub link (a failure naming the hub, or up again after
// one): a connection the hub's address refused or never answered says where that address is set.
struct LinkReportLine {
    static std::string Text(const std::string& report);
};

} // namespace zeva
