#pragma once
#include "platform/EventPump.h"

namespace zeva {

// Processes pending Qt events, waiting up to maxMs for one to arrive (so a waiting loop does not
// spin the processor).
class QtEventPump final : public EventPump {
  public:
    void ProcessEvents(int maxMs) override;
};

} // namespace zeva
