#include "shell/RecordIntake.h"

#include "common/Convert.h"
#include "platform/ListBox.h"

namespace zeva {

namespace {

// Control kinds travel as data packets too (a hub's 1002 acknowledge, a 1007 watchdog): they are
// link traffic, not caller records.
bool IsControlType(const std::string& type) {
    const auto n = ToInt32(type);
    return n && *n >= 1000 && *n <= 1007 && type.find_first_not_of(" 0123456789") == std::string::npos;
}

} // namespace

RecordIntake::RecordIntake(HubLink& hub, ListBox& clients, ShowRecord show, LogLine log)
    : hub_(hub), clients_(clients), show_(std::move(show)), log_(std::move(log)) {}

bool RecordIntake::SourceSelected(const std::string& source) {
    const std::string digits = source.size() >= 2 ? source.substr(source.size() - 2) : std::string();
    const auto n = ToInt16(digits);
    const bool named = n && digits.find_first_not_of("0123456789") == std::string::npos && *n >= 1 &&
                       *n <= clients_.ListCount();
    if (!named) {
        if (log_ && source != lastUnknownSource_)
            log_("RXD: record from source [" + source + "] names no X25 client; shown");
        lastUnknownSource_ = source;
        return true;
    }
    return clients_.Selected(*n - 1);
}

void RecordIntake::ClientReceivedData(const CommType* packet) {
    if (packet && !IsControlType(packet->PacketType)) {
        if (SourceSelected(packet->Source)) {
            ring_.push_back(packet->Data);
            ++received_;
        } else {
            ++dropped_;
        }
    }
    if (ring_.size() >= kMaxWaiting && !paused_ && !loggingOff_) {
        paused_ = true;
        hub_.PauseReceive(true);
    }
    // In synchronous mode keep asking, so a backlog at the hub drains at once rather than one
    // record per second.
    if (!async_) CheckHubBuffer();
    if (onRecordsWaiting) {
        if (!ring_.empty()) onRecordsWaiting();
    } else {
        ProcessNextRecord();
    }
}

bool RecordIntake::ProcessNextRecord() {
    if (ring_.empty()) return false;
    const std::string text = std::move(ring_.front());
    ring_.pop_front();
    ++shown_;
    if (show_) show_(text);
    ResumeIfRoom();
    return true;
}

std::size_t RecordIntake::ShowWaiting(const std::function<bool()>& keepGoing) {
    std::size_t n = 0;
    while ((n == 0 || !keepGoing || keepGoing()) && ProcessNextRecord())
        ++n;
    return n;
}

void RecordIntake::ResumeIfRoom() {
    if (!paused_ || ring_.size() > kMaxWaiting / 2) return;
    paused_ = false;
    hub_.PauseReceive(false); // may bring new arrivals at once
}

void RecordIntake::TakeEverythingArrived() {
    // Held back now, the records under way would stay in the socket when the hub closes the link
    // after the 1002, and be lost with it.
    loggingOff_ = true;
    paused_ = false;
    hub_.PauseReceive(false);
}

std::deque<std::string> RecordIntake::TakeWaiting() {
    std::deque<std::string> out;
    out.swap(ring_);
    return out;
}

void RecordIntake::CheckHubBuffer() {
    // A synchronous client asks for no more than it can keep waiting, and nothing after its 1002.
    if (ring_.size() >= kMaxWaiting || loggingOff_) return;
    if (!hub_.Request(requestHolder_)) hub_.SetRequest(requestHolder_, true);
}

void RecordIntake::ServerTimerTick() {
    if (async_) {
        hub_.GetNextPktBuffer();
        ProcessNextRecord();
    } else {
        CheckHubBuffer();
    }
}

} // namespace zeva
