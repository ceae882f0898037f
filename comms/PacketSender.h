#pragma once
#include "comms/CommType.h"

#include <cstdint>
#include <string>

namespace zeva {

class Clock;
class CommLogRing;
class TcpSocket;

// Writes packets to the hub socket and counts them. One sender per link; its log lines go to the
// link's CommLogRing.
class PacketSender {
  public:
    PacketSender(TcpSocket& socket, CommLogRing& log, const Clock& clock)
        : socket_(socket), log_(log), clock_(clock) {}

    // One socket write of the packet's text. False (nothing written, not counted) when the
    // destination is not three characters, the packet is outside the format, or the socket refuses.
    bool SendPacket(const CommType& packet);
    // A fresh control packet of kind code from source to destination. data is carried by 1000 and
    // 1003; the other kinds carry their fixed text; codes outside 1000..1007 carry nothing.
    bool SendControlPacket(const std::string& source, const std::string& destination, std::int16_t code,
                           const std::string& data);

    std::int32_t SentPacketCounter() const { return sent_; }

  private:
    TcpSocket& socket_;
    CommLogRing& log_;
    const Clock& clock_;
    std::int32_t sent_ = 0;
};

} // namespace zeva
