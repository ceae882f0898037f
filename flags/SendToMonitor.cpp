#include "flags/SendToMonitor.h"

#include "flags/ModuleClass.h"

#include <string>

namespace zeva {

bool SendToMonitor(const ModuleClass& modules, const PacketSendFunction& send, std::string_view code,
                   std::string_view text1, std::string_view text2) {
    const std::int16_t n = modules.GetActionNo(code);
    if (n < 0 || !send) return false;
    return send(modules.GenerateError(n, std::string(text1), std::string(text2)));
}

} // namespace zeva
