#pragma once
// Keeps the Qt user interface alive while the engine blocks on the
// user-interface thread.

#include "engine/EnginePlatform.h"

namespace larkspur {

class QtEventPump : public EventPump {
public:
    // Runs what is pending once and returns without waiting.
    void processEvents() override;
    // Sleeps in the event dispatcher until an event arrives or maxMs has passed,
    // runs what arrived, and returns; it never polls in a busy loop.
    void waitForEvents(int maxMs) override;
};

} // namespace larkspur
