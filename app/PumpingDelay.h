#pragma once
// The shell's pumping delay: waits a number of milliseconds on the tick count
// while the event loop keeps running, so timers and input are handled during
// the wait and the thread never spins.

namespace larkspur {

class Clock;
class EventPump;

void pumpingDelay(Clock& clock, EventPump& pump, int milliseconds);

} // namespace larkspur
