#include "comms/PacketFramer.h"

#include "comms/CommShared.h"

#include <cstring>

namespace zeva {

std::optional<std::string> PacketFramer::Next() {
    std::string packet;
    if (!Next(packet)) return std::nullopt;
    return packet;
}

bool PacketFramer::Next(std::string& packet) {
    const std::size_t from = head_ + scanned_;
    if (from >= buffer_.size()) return false;
    const void* hit = std::memchr(buffer_.data() + from, kSOH, buffer_.size() - from);
    if (!hit) {
        scanned_ = buffer_.size() - head_;
        return false;
    }
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data()) + 1;
    packet.assign(buffer_, head_, end - head_);
    head_ = end;
    scanned_ = 0;
    Compact();
    return true;
}

void PacketFramer::Bound() {
    if (Pending() > bound_) {
        head_ = buffer_.size() - bound_;
        scanned_ = 0;
    }
    Compact();
}

void PacketFramer::Clear() {
    buffer_.clear();
    head_ = 0;
    scanned_ = 0;
}

void PacketFramer::Compact() {
    // Move the tail down only when the dead front is large, so framing stays linear.
    if (head_ == buffer_.size()) {
        buffer_.clear();
        head_ = 0;
    } else if (head_ > 65536 && head_ * 2 > buffer_.size()) {
        buffer_.erase(0, head_);
        head_ = 0;
    }
}

} // namespace zeva
