#include "shell/LinkAlarm.h"

#include "common/FormatValue.h"

#include <algorithm>

namespace zeva {

bool LinkAlarm::Update(Time now, bool enabled, bool wanted, Link link, int retryWaitSeconds,
                       const Detail& detail) {
    const State before = state_;
    const std::string textBefore = text_;
    const bool up = link == Link::Up;
    // A login alone does not end the alarm: the link is back once records can arrive.
    if (up || !wanted)
        downSince_.steadyMs = -1.0;
    else if (downSince_.steadyMs < 0)
        downSince_ = now;

    if (!enabled || (!wanted && !up)) {
        // Nobody expects records: an operator's Disconnect, or the alarm is switched off.
        state_ = State::Quiet;
    } else if (up) {
        if (state_ == State::Down) {
            state_ = State::Restored;
            restoredAt_ = now;
        } else if (state_ == State::Restored &&
                   now.steadyMs - restoredAt_.steadyMs >= kRestoredSeconds * 1000.0) {
            state_ = State::Quiet;
        }
    } else if (now.steadyMs - downSince_.steadyMs > std::max(retryWaitSeconds, 0) * 1000.0) {
        state_ = State::Down;
    }

    switch (state_) {
    case State::Down: {
        text_ =
            "HUB LINK DOWN since " + FormatValue(downSince_.wall, "hh:mm:ss") + " - records are not arriving";
        const std::string which = detail.hub.empty() ? std::string("the hub") : "hub " + detail.hub;
        if (link == Link::NotAnswering)
            text_ += " - " + which + " is not answering";
        else if (!detail.failure.empty())
            text_ += " - " + detail.failure;
        else
            text_ += " - link to " + which + " is down";
        // What happens next, and what the operator does about it.
        if (!detail.gaveUp.empty())
            text_ += " - " + detail.gaveUp;
        else
            text_ += " - the station tries again every " + std::to_string(std::max(retryWaitSeconds, 1)) +
                     " s; if it stays down, tell the administrator";
        break;
    }
    case State::Restored:
        text_ = "Hub link restored at " + FormatValue(restoredAt_.wall, "hh:mm:ss");
        break;
    case State::Quiet:
        text_.clear();
        break;
    }
    return state_ != before || text_ != textBefore;
}

} // namespace zeva
