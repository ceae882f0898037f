#pragma once
#include <string>

namespace zeva {

// Which Comms menu items are enabled when the menu opens. locked: the setup lock is on; lock:
// "Lock Comms Setup" carries its check mark; connected: the hub connection reports Connected.
struct CommsMenuState {
    bool Connect = false, Setup = false, Disconnect = false, AutoConnect = false, AutoShow = false,
         ShowCommClass = false, LockCommsSetup = false;
    std::string DisconnectCaption; // "Disconnect" while connected, else "Stop"
};

inline CommsMenuState CommsMenuEnabling(bool locked, bool lock, bool connected) {
    CommsMenuState s;
    s.Connect = s.Setup = !locked && !lock && !connected;
    s.Disconnect = s.AutoConnect = s.AutoShow = !locked && !lock;
    s.ShowCommClass = s.LockCommsSetup = !locked;
    s.DisconnectCaption = connected ? "Disconnect" : "Stop";
    return s;
}

} // namespace zeva
