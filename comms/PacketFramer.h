#pragma once
#include "comms/PacketFastPaths.h"

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
//
// Bytes come in two ways. Append copies them into the framer's buffer. Frame borrows a read the
// caller holds: packets lying wholly inside it are framed and handed out where they are, and only
// what is left when the caller is done with the read (Bound, or the next Append or Frame) is
// copied into the buffer, so the common case copies nothing but the packet straddling two reads.
class PacketFramer {
  public:
    explicit PacketFramer(std::size_t bound = 100000) : bound_(bound) {}

    void Append(std::string_view bytes);
    // Borrows read until the next Append, Frame, Bound or Clear: read must stay unchanged and alive
    // until then. Packets already waiting come first. A nested Frame (a handler that reads again
    // while it handles a packet) first copies what is left of the outer read, so the order holds.
    void Frame(std::string_view read);
    // The next complete packet (SOH included), or nothing.
    std::optional<std::string> Next();
    // The same into packet, reusing its storage; false when no complete packet is waiting.
    bool Next(std::string& packet);
    // The same without a copy: packet views the framer's own buffer (valid until the next Append,
    // Frame, Bound or Clear) or the borrowed read (valid while that read lives); further calls of
    // Next and NextInPlace leave it alone. A caller that may read again while it handles a packet
    // (a nested read) finishes with the view first, as the engine does by reading the packet into
    // its own CommType, or takes a copying Next.
    bool NextInPlace(std::string_view& packet);
    // The same with the sum of the packet's bytes, counted while the bytes were taken in, for the
    // ParsePacket that takes it.
    bool NextInPlace(std::string_view& packet, std::uint64_t& byteSum);
    // Ends the borrowing of a read (what is left of it is copied in), then keeps only the newest
    // `bound` bytes of what is not framed yet. Run after framing, so a burst that brings many
    // packets in one read loses none of them.
    void Bound();
    void Clear();
    // Bytes waiting (not handed out yet), in the buffer and in a borrowed read.
    std::size_t Pending() const { return size_ - head_ + borrowed_.size(); }

  private:
    std::size_t Buffered() const { return size_ - head_; }
    // Copies what is left of a borrowed read into the buffer.
    void TakeBorrowed();
    bool NextBorrowed(std::string_view& packet, std::uint64_t& byteSum);
    void Compact();
    void MakeRoom(std::size_t count);

    // Append copies the bytes in and finds the packet ends in the same pass; Next hands them out.
    std::string buffer_;          // storage: its length is the capacity
    std::size_t size_ = 0;        // end of the bytes received
    std::size_t head_ = 0;        // start of the bytes not handed out yet
    std::vector<PacketEnd> ends_; // packet ends in [head_, size_) from next_ on, in order
    std::size_t next_ = 0;
    std::uint64_t carry_ = 0;   // sum of the bytes after the last end
    bool carryKnown_ = true;    // false once Bound has cut into the packet still arriving
    std::string_view borrowed_; // what is not handed out yet of the read Frame borrowed
    std::size_t bound_;
};

} // namespace zeva
