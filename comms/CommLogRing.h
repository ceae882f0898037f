#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zeva {

// The comms log lines waiting for the console: a write index and a read index over a fixed ring
// that holds as many unread lines as the console list shows (199). When more arrive between two
// drains the oldest unread line goes, so the console always gets the newest lines without a gap;
// nothing grows.
class CommLogRing {
  public:
    static constexpr int kSlots = 200;

    void AddCommLog(std::string text) {
        slots_[static_cast<std::size_t>(write_)] = std::move(text);
        write_ = static_cast<std::int16_t>((write_ + 1) % kSlots);
        if (write_ == read_) read_ = static_cast<std::int16_t>((read_ + 1) % kSlots);
    }
    bool HasUnread() const { return read_ != write_; }
    // The line at the read index; advances the read index. Only when HasUnread().
    std::string TakeNext() {
        std::string line = std::move(slots_[static_cast<std::size_t>(read_)]);
        read_ = static_cast<std::int16_t>((read_ + 1) % kSlots);
        return line;
    }
    std::int16_t WriteIndex() const { return write_; }
    std::int16_t ReadIndex() const { return read_; }

  private:
    std::array<std::string, kSlots> slots_;
    std::int16_t write_ = 0;
    std::int16_t read_ = 0;
};

} // namespace zeva
