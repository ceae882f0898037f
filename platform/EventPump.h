#pragma once

namespace zeva {

// Lets a waiting call on the user-interface thread process pending events (socket data, timers)
// instead of sleeping. Qt: QCoreApplication::processEvents.
class EventPump {
  public:
    virtual ~EventPump() = default;
    // Processes pending events for at most maxMs milliseconds.
    virtual void ProcessEvents(int maxMs) = 0;
};

} // namespace zeva
