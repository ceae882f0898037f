#pragma once
#include "comms/CommType.h"

#include <functional>
#include <string_view>

namespace zeva {

class ModuleClass;

// Hands a packet to the hub link (the main window passes the connection engine's Send, which queues
// the packet until the link is up). True when the link took it.
using PacketSendFunction = std::function<bool(const CommType& packet)>;

// The one way the client reports a status flag to the monitor: looks the code up in the flag table,
// builds the flag packet and hands it to send. A code that is not in the table (or a table not yet
// loaded by Connect) sends nothing and returns false; so does an empty send.
bool SendToMonitor(const ModuleClass& modules, const PacketSendFunction& send, std::string_view code,
                   std::string_view text1, std::string_view text2);

} // namespace zeva
