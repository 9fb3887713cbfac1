#pragma once
// Runs the dispatch's mouse timer from the engine's event pump: the command
// line has no timers of its own, so every pass of the listening loop runs the
// ticks that have come due since the last one.

#include "engine/EnginePlatform.h"

#include <cstdint>

namespace larkspur {
class RecognitionDispatch;
}

namespace larkspur::cli {

// How many ticks of interval milliseconds fit in elapsed, at most limit.
int dueTicks(uint32_t elapsed, int interval, int limit);

class MouseTimerPump : public EventPump {
public:
    MouseTimerPump(EventPump& inner, Clock& clock);

    // The dispatch whose timer runs; its OnMouseTimerChanged is taken over.
    void drive(RecognitionDispatch& dispatch);

    void processEvents() override;
    void waitForEvents(int maxMs) override;

private:
    void runDueTicks();

    EventPump& m_inner;
    Clock& m_clock;
    RecognitionDispatch* m_dispatch = nullptr;
    uint32_t m_last = 0;
};

} // namespace larkspur::cli
