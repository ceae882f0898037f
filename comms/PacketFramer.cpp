#include "comms/PacketFramer.h"

#include "comms/CommShared.h"

#include <cstring>

namespace zeva {

std::optional<std::string> PacketFramer::Next() {
    const std::size_t from = head_ + scanned_;
    if (from >= buffer_.size()) return std::nullopt;
    const void* hit = std::memchr(buffer_.data() + from, kSOH, buffer_.size() - from);
    if (!hit) {
        scanned_ = buffer_.size() - head_;
        return std::nullopt;
    }
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data()) + 1;
    std::string packet = buffer_.substr(head_, end - head_);
    head_ = end;
    scanned_ = 0;
    Compact();
    return packet;
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
