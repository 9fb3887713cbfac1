#pragma once
// The input calls a remote-control session offers: keysyms, pointer motion
// and buttons. The desktop portal connection implements it; the keyboard and
// pointer of the portal back end only talk to this, so tests can record them.

#include <cstdint>

namespace larkspur {

inline constexpr int kButtonLeft = 272;   // BTN_LEFT
inline constexpr int kButtonRight = 273;  // BTN_RIGHT

class RemoteInput {
public:
    virtual ~RemoteInput() = default;
    // Each returns false when the call did not reach the desktop (the session
    // ended, the bus went away); the caller then stops holding anything down.
    virtual bool keysym(uint32_t keysym, bool down) = 0;
    // Absolute position inside the screen-cast stream; only when hasAbsolutePointer().
    virtual bool pointerAbsolute(double x, double y) = 0;
    virtual bool pointerRelative(double dx, double dy) = 0;
    virtual bool pointerButton(int button, bool down) = 0;
    virtual bool hasAbsolutePointer() const = 0;
};

} // namespace larkspur
