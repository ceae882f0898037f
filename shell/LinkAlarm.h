#pragma once
#include <string>

namespace zeva {

// The link-down alarm the operator cannot miss. While the client wants the hub link and the link
// has been down for longer than the retry wait, records are not arriving: the window shows the
// alarm line on top of the Output window until the link is back, then the restored line for a
// while. Updated at every connection-timer tick; times are date-time doubles.
class LinkAlarm {
  public:
    enum class State { Quiet, Down, Restored };
    // How long the restored line stays, seconds.
    static constexpr double kRestoredSeconds = 60.0;

    // enabled: the site's "LinkAlarm" setting. Returns true when State or Text changed.
    bool Update(double now, bool enabled, bool wanted, bool connected, int retryWaitSeconds);

    State GetState() const { return state_; }
    // "HUB LINK DOWN since hh:mm:ss - records are not arriving", "Hub link restored at hh:mm:ss",
    // or empty.
    const std::string& Text() const { return text_; }

  private:
    State state_ = State::Quiet;
    std::string text_;
    double downSince_ = -1.0; // when the link was first found down while wanted; -1 while up
    double restoredAt_ = 0.0;
};

} // namespace zeva
