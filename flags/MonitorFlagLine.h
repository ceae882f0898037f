#pragma once
#include "comms/CommType.h"

#include <string>

namespace zeva {

class ModuleClass;

// The line a monitor shows for a flag packet it received: the packet completed from the tables
// (ModuleClass::PostGenerateError), the flag's code and title always those of the flag table (a
// screen client sends its identifier where the code would go), then each text the sender added
// beyond its identifier. A packet whose number names no flag gives a line that says so.
std::string MonitorFlagLine(const ModuleClass& modules, const CommType& packet);

} // namespace zeva
