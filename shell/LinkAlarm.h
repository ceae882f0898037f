#pragma once
#include <string>

namespace zeva {

// The link-down alarm the operator cannot miss. While the client wants the hub link and records
// have not been able to arrive for longer than the retry wait, the window shows the alarm line on
// top of the Output window until they can again, then the restored line for a while. Updated at
// every connection-timer tick.
class LinkAlarm {
  public:
    enum class State { Quiet, Down, Restored };
    // What the hub link is doing: records can arrive (Up); no link (Down); logged in, or given up
    // for it, but the hub does not answer the data requests (NotAnswering).
    enum class Link { Down, Up, NotAnswering };
    // How long the restored line stays, seconds.
    static constexpr double kRestoredSeconds = 60.0;
    // The wall clock (a date-time double) for the times the lines show; the clock that never jumps
    // (milliseconds) for how long: the wall clock goes back an hour when daylight saving ends.
    struct Time {
        double wall;
        double steadyMs;
    };

    // What the line says about the link besides its state.
    struct Detail {
        std::string hub;     // the hub being tried ("10.0.0.5 port 5000")
        std::string failure; // the last failure reported ("hub 10.0.0.5 port 5000: connection lost - ..."),
                             // said in place of the hub while no link is up
        std::string gaveUp;  // why nothing tries any more (the connection timer ran out of attempts);
                             // the link is still wanted then
    };
    // enabled: the site's "LinkAlarm" setting. Returns true when State or Text changed.
    bool Update(Time now, bool enabled, bool wanted, Link link, int retryWaitSeconds,
                const Detail& detail = {});

    State GetState() const { return state_; }
    // "HUB LINK DOWN since hh:mm:ss - records are not arriving - hub 10.0.0.5 port 5000: connection
    // lost - ... - the station tries again every 10 s; if it stays down, tell the administrator"
    // (or "- hub 10.0.0.5 port 5000 is not answering - ..."), "Hub link restored at hh:mm:ss", or
    // empty.
    const std::string& Text() const { return text_; }

  private:
    State state_ = State::Quiet;
    std::string text_;
    // When records first could not arrive while wanted; steadyMs -1 while they can.
    Time downSince_{0.0, -1.0};
    Time restoredAt_{0.0, 0.0};
};

} // namespace zeva
