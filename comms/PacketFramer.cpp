#include "comms/PacketFramer.h"

#include <algorithm>
#include <cstring>

namespace zeva {

void PacketFramer::Append(std::string_view bytes) {
    TakeBorrowed();
    if (bytes.empty()) return;
    // Handed-out bytes are dropped here rather than in Next, so a packet handed out in place stays
    // where it is until the caller reads again.
    Compact();
    MakeRoom(bytes.size());
    const std::size_t found = ends_.size();
    CopyAndFrame(buffer_.data() + size_, bytes, size_, carry_, ends_);
    size_ += bytes.size();
    if (!carryKnown_ && ends_.size() > found) {
        ends_[found].sumKnown = false; // its front was cut off: added up again when handed out
        carryKnown_ = true;
    }
}

void PacketFramer::Frame(std::string_view read) {
    TakeBorrowed();
    const bool straddling = Buffered() > 0 && (ends_.empty() || ends_.back().end != size_);
    if (straddling) {
        // The packet still arriving is finished in the buffer, where its front already is; the
        // rest of the read stays where it is.
        std::uint64_t ignored = 0;
        const std::size_t soh = FindPacketEnd(read, ignored);
        const std::size_t take = soh == read.size() ? soh : soh + 1;
        Append(read.substr(0, take));
        read.remove_prefix(take);
    }
    borrowed_ = read;
}

void PacketFramer::TakeBorrowed() {
    if (borrowed_.empty()) return;
    const std::string_view rest = borrowed_;
    borrowed_ = {};
    Append(rest);
}

bool PacketFramer::NextBorrowed(std::string_view& packet, std::uint64_t& byteSum) {
    if (borrowed_.empty()) return false;
    std::uint64_t sum = 0;
    const std::size_t soh = FindPacketEnd(borrowed_, sum);
    if (soh == borrowed_.size()) return false; // the front of the next packet: kept by Bound
    packet = borrowed_.substr(0, soh + 1);
    byteSum = sum;
    borrowed_.remove_prefix(soh + 1);
    return true;
}

std::optional<std::string> PacketFramer::Next() {
    std::string packet;
    if (!Next(packet)) return std::nullopt;
    return packet;
}

bool PacketFramer::Next(std::string& packet) {
    std::string_view view;
    std::uint64_t byteSum = 0;
    if (!NextInPlace(view, byteSum)) return false;
    packet.assign(view);
    return true;
}

bool PacketFramer::NextInPlace(std::string_view& packet) {
    std::uint64_t byteSum = 0;
    return NextInPlace(packet, byteSum);
}

bool PacketFramer::NextInPlace(std::string_view& packet, std::uint64_t& byteSum) {
    if (next_ == ends_.size()) return NextBorrowed(packet, byteSum);
    const PacketEnd& end = ends_[next_++];
    packet = std::string_view(buffer_.data() + head_, end.end - head_);
    head_ = end.end;
    if (end.sumKnown) {
        byteSum = end.byteSum;
    } else {
        byteSum = 0;
        FindPacketEnd(packet, byteSum); // the SOH is the packet's last byte: all of it is added
    }
    return true;
}

void PacketFramer::Bound() {
    TakeBorrowed();
    if (Buffered() > bound_) {
        const std::size_t cut = size_ - bound_;
        while (next_ < ends_.size() && ends_[next_].end <= cut)
            ++next_; // whole packets in front of the newest bytes go
        if (next_ < ends_.size())
            ends_[next_].sumKnown = false;
        else
            carryKnown_ = false;
        head_ = cut;
    }
    Compact();
}

void PacketFramer::Clear() {
    borrowed_ = {};
    size_ = 0;
    head_ = 0;
    ends_.clear();
    next_ = 0;
    carry_ = 0;
    carryKnown_ = true;
}

void PacketFramer::Compact() {
    if (next_ > 0) {
        ends_.erase(ends_.begin(), ends_.begin() + static_cast<std::ptrdiff_t>(next_));
        next_ = 0;
    }
    // Move the rest down only when it is no longer than the dead front: every byte moved is paid
    // for by a byte framed, so framing stays linear, and the buffer stays small and warm.
    if (head_ == size_) {
        size_ = 0;
        head_ = 0;
    } else if (head_ >= Buffered()) {
        std::memmove(buffer_.data(), buffer_.data() + head_, Buffered());
        for (PacketEnd& e : ends_)
            e.end -= head_;
        size_ -= head_;
        head_ = 0;
    }
}

void PacketFramer::MakeRoom(std::size_t count) {
    if (buffer_.size() - size_ >= count) return;
    const std::size_t pending = Buffered();
    if (buffer_.size() - pending < count || head_ == 0) {
        // Grow: the storage is zero-filled once here, never again per byte received.
        std::string bigger(std::max({buffer_.size() * 2, pending + count, std::size_t{4096}}), '\0');
        std::memcpy(bigger.data(), buffer_.data() + head_, pending);
        buffer_.swap(bigger);
    } else {
        std::memmove(buffer_.data(), buffer_.data() + head_, pending);
    }
    for (PacketEnd& e : ends_)
        e.end -= head_;
    size_ = pending;
    head_ = 0;
}

} // namespace zeva
