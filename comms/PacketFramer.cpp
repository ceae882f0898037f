#include "comms/PacketFramer.h"

#include "comms/CommShared.h"

namespace zeva {

void PacketFramer::Append(std::string_view bytes) {
    // Framed bytes are dropped here rather than in Next, so a packet handed out in place stays
    // where it is until the caller reads again.
    Compact();
    buffer_.append(bytes);
}

std::optional<std::string> PacketFramer::Next() {
    std::string packet;
    if (!Next(packet)) return std::nullopt;
    return packet;
}

bool PacketFramer::Next(std::string& packet) {
    std::string_view view;
    if (!NextInPlace(view)) return false;
    packet.assign(view);
    return true;
}

bool PacketFramer::NextInPlace(std::string_view& packet) {
    std::uint64_t byteSum = 0;
    return NextInPlace(packet, byteSum);
}

bool PacketFramer::NextInPlace(std::string_view& packet, std::uint64_t& byteSum) {
    const std::size_t from = head_ + scanned_;
    if (from >= buffer_.size()) return false;
    std::uint64_t sum = scannedSum_;
    const std::size_t at = FindPacketEnd(std::string_view(buffer_).substr(from), sum);
    if (at == buffer_.size() - from) {
        scanned_ = buffer_.size() - head_;
        scannedSum_ = sum;
        return false;
    }
    const std::size_t end = from + at + 1;
    packet = std::string_view(buffer_.data() + head_, end - head_);
    byteSum = sum;
    head_ = end;
    scanned_ = 0;
    scannedSum_ = 0;
    return true;
}

void PacketFramer::Bound() {
    if (Pending() > bound_) {
        head_ = buffer_.size() - bound_;
        scanned_ = 0;
        scannedSum_ = 0;
    }
    Compact();
}

void PacketFramer::Clear() {
    buffer_.clear();
    head_ = 0;
    scanned_ = 0;
    scannedSum_ = 0;
}

void PacketFramer::Compact() {
    // Move the tail down only when it is no longer than the dead front: every byte moved is paid
    // for by a byte framed, so framing stays linear, and the buffer stays small and warm.
    if (head_ == buffer_.size()) {
        buffer_.clear();
        head_ = 0;
    } else if (head_ >= Pending()) {
        buffer_.erase(0, head_);
        head_ = 0;
    }
}

} // namespace zeva
