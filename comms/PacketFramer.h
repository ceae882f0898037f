#pragma once
#include "comms/CommShared.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeva {

// Cuts SOH-terminated packets out of the received byte stream. Each packet is taken out of the
// buffer before it is handed on, so a caller that handles a packet may call Next again (nested)
// without seeing it twice. Bytes after the last SOH wait for the next arrival, bounded to the
// newest 100000.
class PacketFramer {
  public:
    explicit PacketFramer(std::size_t bound = 100000) : bound_(bound) {}

    void Append(std::string_view bytes);
    // The next complete packet (SOH included), or nothing.
    std::optional<std::string> Next();
    // The same into packet, reusing its storage; false when no complete packet is waiting.
    bool Next(std::string& packet);
    // The same without a copy: packet views the framer's own buffer and stays valid until the next
    // Append, Bound or Clear (further calls of Next and NextInPlace leave it alone). For a caller
    // that reads no more bytes while it handles the packet; one that may (a nested read) takes a
    // copying Next.
    bool NextInPlace(std::string_view& packet);
    // The same with the sum of the packet's bytes, counted while the bytes were taken in, for the
    // ParsePacket that takes it.
    bool NextInPlace(std::string_view& packet, std::uint64_t& byteSum);
    // Keeps only the newest `bound` bytes of what is not framed yet. Run after framing, so a burst
    // that brings many packets in one read loses none of them.
    void Bound();
    void Clear();
    // Bytes waiting (not yet framed).
    std::size_t Pending() const { return size_ - head_; }
    std::string_view PendingBytes() const { return std::string_view(buffer_.data() + head_, Pending()); }

  private:
    void Compact();
    void MakeRoom(std::size_t count);

    // Append copies the bytes in and finds the packet ends in the same pass; Next hands them out.
    std::string buffer_;          // storage: its length is the capacity
    std::size_t size_ = 0;        // end of the bytes received
    std::size_t head_ = 0;        // start of the bytes not handed out yet
    std::vector<PacketEnd> ends_; // packet ends in [head_, size_) from next_ on, in order
    std::size_t next_ = 0;
    std::uint64_t carry_ = 0; // sum of the bytes after the last end
    bool carryKnown_ = true;  // false once Bound has cut into the packet still arriving
    std::size_t bound_;
};

} // namespace zeva
