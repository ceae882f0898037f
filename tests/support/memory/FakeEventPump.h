#pragma once
#include "platform/EventPump.h"

#include <functional>

namespace zeva {

// Runs a test-provided step each time a waiting call pumps events (e.g. delivers scripted bytes).
class FakeEventPump final : public EventPump {
  public:
    void ProcessEvents(int maxMs) override {
        ++calls;
        if (onPump) onPump(maxMs);
    }
    std::function<void(int)> onPump;
    int calls = 0;
};

} // namespace zeva
