#pragma once
// The mouse pointer through a remote-control session. The desktop never says
// where the pointer is, so the position is the one this program last set
// (the middle of the screen at first). With a screen-cast stream moves are
// absolute inside it; without one they are relative steps from the position
// kept here, after a first push into the top-left corner, and only as exact
// as the desktop's handling of relative motion allows.

#include "actions/WindowSystem.h"
#include "actions/portal/RemoteInput.h"

#include <set>

namespace larkspur {

class PortalPointer : public PointerDevice {
public:
    PortalPointer(RemoteInput& input, ScreenPoint screenSize);
    // Lets go of every held button.
    ~PortalPointer() override;
    PortalPointer(const PortalPointer&) = delete;
    PortalPointer& operator=(const PortalPointer&) = delete;

    ScreenPoint position() override { return m_position; }
    void setPosition(ScreenPoint p) override;
    ScreenPoint screenSize() override { return m_size; }
    void button(MouseButton button, bool down) override;

    // A motion by nothing, so a pointer the desktop creates on first use is
    // in place before the first real move or click.
    void warmUp();
    // Releases every held button; also done after any call that fails.
    bool releaseAll();

private:
    RemoteInput& m_input;
    ScreenPoint m_size;
    ScreenPoint m_position;
    bool m_cornered = false;
    std::set<int> m_held;
};

} // namespace larkspur
