#include "comms/PacketSender.h"

#include "common/Convert.h"
#include "comms/CommLogRing.h"
#include "comms/PacketCodec.h"
#include "platform/Clock.h"
#include "platform/TcpSocket.h"

namespace zeva {

namespace {

const char* ControlLogText(std::int16_t code) {
    switch (code) {
    case kPktConnectRequest:
        return "PKT: CONNECTION RQST ";
    case kPktServerDisconnect:
        return "PKT: SERVER DISCON RQST PKT ";
    case kPktClientDisconnect:
        return "PKT: CLIENT DISCON RQST PKT ";
    case kPktConnectAccept:
        return "PKT: CONN ACEPT PKT ";
    case kPktKillRequest:
        return "PKT: KILL RQST PKT ";
    case kPktBufferEmpty:
        return "PKT: BUFF EMPTY PKT ";
    case kPktRequestNext:
        return "PKT: RQST NEXT PKT ";
    case kPktWatchdog:
        return "PKT: WATCHDOG PKT ";
    default:
        return nullptr;
    }
}

} // namespace

bool PacketSender::SendPacket(const CommType& packet) {
    if (packet.Destination.size() != 3) return false;
    std::string text;
    if (!BuildPacket(packet, text)) {
        log_.AddCommLog("APPL: Packet too large to send - not sent");
        return false;
    }
    log_.AddCommLog("APPL: Send data pkt to Hub");
    SocketError err;
    if (!socket_.Write(text, err)) return false;
    // The counter wraps like the other packet counters instead of overflowing.
    sent_ = (sent_ + 1) % 100000000;
    return true;
}

bool PacketSender::SendControlPacket(const std::string& source, const std::string& destination,
                                     std::int16_t code, const std::string& data) {
    CommType packet;
    packet.Source = source;
    packet.Destination = destination;
    packet.Created = clock_.Now();
    packet.Expire = kControlExpire;
    packet.PacketType = IntText(code);
    packet.Data = (code == kPktConnectRequest || code == kPktConnectAccept) ? data : ControlDataText(code);
    if (const char* line = ControlLogText(code)) log_.AddCommLog(line + IntText(sent_));
    return SendPacket(packet);
}

} // namespace zeva
