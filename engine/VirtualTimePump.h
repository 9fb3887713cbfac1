#pragma once
// An event pump for virtual time: waiting advances a ManualClock by the time
// asked for and returns at once.

#include "engine/EnginePlatform.h"

#include <functional>

namespace larkspur {

class ManualClock;

class VirtualTimePump : public EventPump {
public:
    // onEvents, when given, runs wherever a real pump would let events run.
    explicit VirtualTimePump(ManualClock& clock, std::function<void()> onEvents = {});

    void processEvents() override;
    void waitForEvents(int maxMs) override;

private:
    ManualClock& m_clock;
    std::function<void()> m_onEvents;
};

} // namespace larkspur
