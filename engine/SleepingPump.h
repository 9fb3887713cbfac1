#pragma once
// An event pump for programs without a user interface: there are no events to
// run, so waiting is a plain sleep.

#include "engine/EnginePlatform.h"

namespace larkspur {

class SleepingPump : public EventPump {
public:
    void processEvents() override {}
    void waitForEvents(int maxMs) override;
};

} // namespace larkspur
