#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zeva {

// The standard-error line at the close: how many records arrived after the close request, and what
// became of those the window could not show before it closed (written to the record trail, or not
// kept because the trail is off or cannot write).
struct CloseCountLine {
    std::int64_t arrivedAfter = 0; // records received since the close request
    std::size_t notShown = 0;      // records still waiting when the window closed
    bool trailOn = false;          // the record trail (Setup\RecordLog) runs
    std::size_t kept = 0;          // of those not shown, written to the trail
    std::string trailFolder;

    // Empty when nothing arrived after the request and nothing was left unshown.
    std::string Text() const;
};

} // namespace zeva
