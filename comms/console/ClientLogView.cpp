#include "comms/console/ClientLogView.h"

#include "common/FormatValue.h"
#include "platform/Clock.h"
#include "platform/ListBox.h"

namespace zeva {

void ClientLogView::InsertClientLog(const std::string& text) {
    // A writer that laps the reader drops the oldest unread line, never a newer one; the ring never
    // grows. (The refresh below empties it after every line, so it does not lap today.)
    ring_[static_cast<std::size_t>(write_)] = FormatValue(clock_.Now(), "hh:mm:ss") + "  " + text;
    write_ = (write_ + 1) % kSlots;
    if (write_ == read_) read_ = (read_ + 1) % kSlots;
    Refresh();
}

void ClientLogView::Refresh() {
    for (int n = 0; n < kSlots && read_ != write_; ++n) {
        list_.AddItem(ring_[static_cast<std::size_t>(read_)], 0);
        ring_[static_cast<std::size_t>(read_)].clear();
        read_ = (read_ + 1) % kSlots;
        list_.SetListIndex(0);
        while (list_.ListCount() > kMaxLines)
            list_.RemoveItem(list_.ListCount() - 1);
    }
}

} // namespace zeva
