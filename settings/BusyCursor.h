#pragma once
// Shows that the program is busy (the hourglass) while settings are read or
// written; the GUI supplies the real one.

namespace larkspur {

class BusyCursor {
public:
    virtual ~BusyCursor() = default;
    virtual void begin() = 0;  // remember the current cursor, show the busy one
    virtual void end() = 0;    // restore the remembered cursor
};

} // namespace larkspur
