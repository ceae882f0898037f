#pragma once
#include "comms/CommMemberType.h"
#include "settings/ClientSettings.h"

#include <string>

namespace zeva {

// The comm member a connection attempt logs in with: this client's identifier, its intake mode
// (276 = OUT + BUF + STC asynchronous, 279 adds NWT + SYN), a description naming the machine, the
// buffer sizes, the hub's address and port, one hour's expiry and the watchdog interval.
inline void FillHubMember(CommMemberType& m, const ClientSettings& s, const std::string& userid,
                          const std::string& localHostName) {
    m.Identifier = userid;
    m.Mode = s.AsyncComms ? 276 : 279;
    m.Description = "Screen Client on \"" + localHostName + "\"" + (s.AsyncComms ? " (ASYNC)" : " (SYNC)");
    m.BufferMax = s.CommClassBufferMax;
    m.RemoteBuffer = s.CommClassRemoteBuffer;
    m.ServerAddress = s.RemoteAddress;
    m.ServerPort = s.RemotePort;
    m.MemberExpire = 1.0 / 24.0;
    m.WatchDog = s.CommClassWatchDog;
    m.Port = 0;
}

} // namespace zeva
