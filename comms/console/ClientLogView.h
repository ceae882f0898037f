#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zeva {

class Clock;
class ListBox;

// The comms console log: lines wait in a 201-slot ring until the refresh moves them to the top of the
// list, which keeps at most 199 lines (the oldest goes when a line brings it to 200). A ring that
// fills drops its oldest unread line, so the list always ends with the newest lines, without a gap. Each line
// is the time of day, two blanks and the text.
//
// The refresh never runs the event loop: it is called from inside packet handling, where letting
// events run would re-enter the engine; the list repaints on its own once control returns.
class ClientLogView {
  public:
    static constexpr int kSlots = 201;
    static constexpr int kMaxLines = 199;

    ClientLogView(ListBox& list, const Clock& clock) : list_(list), clock_(clock) {}

    void InsertClientLog(const std::string& text);
    // Moves every pending line into the list (at most one ring's worth per call).
    void Refresh();

    int WriteIndex() const { return write_; }
    int ReadIndex() const { return read_; }

  private:
    ListBox& list_;
    const Clock& clock_;
    std::array<std::string, kSlots> ring_;
    int write_ = 0;
    int read_ = 0;
};

} // namespace zeva
