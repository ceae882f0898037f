#pragma once
#include "comms/CommType.h"

#include <cstdint>
#include <deque>
#include <string>

namespace zeva {

// The Mode bit set of a comm member.
enum ModeBits : std::int16_t {
    kModeSYN = 1,   // synchronous receive (with NWT: Receive requests and waits)
    kModeNWT = 2,   // a next-packet request does not set LTH
    kModeSTC = 4,   // carried only
    kModeFLH = 8,   // Connect empties the packet FIFO
    kModeBUF = 16,  // carried only
    kModeLTH = 32,  // a next-packet request is outstanding
    kModeWDG = 64,  // a watchdog left during the last tick
    kModeCON = 128, // logged in to the hub
    kModeOUT = 256, // sending from the FIFO is allowed
    kModePEN = 512, // a Connect or Disconnect call is running
};

// One comm member: a client's connection settings as the hub sees it, its counters and time stamps,
// and a bounded FIFO of outgoing packets. CreatePacket/ExtractPacket give its text form, carried as
// the Data of the connection request (1000) and accept (1003) packets.
class CommMemberType {
  public:
    // A FIFO whose BufferMax is 0 or less never drops; it still stops at this many packets so a
    // stalled link cannot eat the memory.
    static constexpr int kUnboundedLimit = 32767;

    // now: the time the "now" fields (LastConnection, Created) take.
    explicit CommMemberType(double now = 0.0) { Clear(now); }

    void Clear(double now = 0.0);
    void BufferClear() { fifo_.clear(); }
    // Appends a copy. False when the FIFO was full (BufferMax reached): the oldest packet was
    // dropped to make room. With BufferMax 0 or less nothing is dropped and every add is False.
    bool BufferAdd(const CommType& packet);
    // Points packet at the oldest packet (which stays in the FIFO); false when the FIFO is empty.
    bool BufferRetrieve(const CommType*& packet) const;
    // Removes the oldest packet, moving it into removed when given; false when the FIFO is empty.
    bool BufferDelete(CommType* removed = nullptr);
    std::int16_t BufferSize() const { return static_cast<std::int16_t>(fifo_.size()); }
    // Every field except the FIFO.
    bool Copy(CommMemberType& target) const;

    // Appends the member fields to text and puts the check field "0000" in front. False (text
    // unchanged) when a counted text would not fit its four-digit length.
    bool CreatePacket(std::string& text) const;
    // Clears the record, then reads it from packet; false on a wrong check field or a number or date
    // that does not convert.
    bool ExtractPacket(const std::string& packet);

    std::int16_t State = 0;
    std::int16_t SystemState = 0;
    std::string SystemStateDES;
    std::string Identifier;
    std::string Description;
    std::string Address;
    std::int32_t Port = 0;
    std::int16_t Socket = -1;
    std::string ServerAddress;
    std::int32_t ServerPort = -1;
    double WatchDog = 0.0;
    double LastWDog = 0.0;
    double ExpWatchDog = 0.0;
    double ExpNextWDog = 0.0;
    std::int32_t Packets = 0;
    std::int32_t RPackets = 0;
    double LastPacket = 0.0;
    double LastRPacket = 0.0;
    double LastConnection = 0.0;
    double MemberExpire = -1.0;
    std::int16_t Mode = 0;
    double Created = 0.0;
    std::int16_t MapTo = -1;
    std::int16_t TimeOut = 0;
    std::string Buffer;
    std::int16_t BufferMax = 10;
    std::int32_t OPackets = 0;
    double LastOPacket = 0.0;
    std::int16_t RemoteBuffer = 100;
    // Received packets discarded for a wrong check (wraps at 100000000). The client's own count for
    // its console: not part of the member packet.
    std::int32_t BadChecks = 0;

  private:
    std::deque<CommType> fifo_;
};

} // namespace zeva
