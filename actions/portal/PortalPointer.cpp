#include "actions/portal/PortalPointer.h"

#include <algorithm>

namespace larkspur {

PortalPointer::PortalPointer(RemoteInput& input, ScreenPoint screenSize)
    : m_input(input), m_size{std::max(screenSize.x, 1), std::max(screenSize.y, 1)},
      m_position{m_size.x / 2, m_size.y / 2}
{
}

PortalPointer::~PortalPointer()
{
    releaseAll();
}

void PortalPointer::setPosition(ScreenPoint p)
{
    // The sweep after a recognition asks for (width, height): the last pixel
    // is as far as the pointer goes.
    p.x = std::clamp(p.x, 0, m_size.x - 1);
    p.y = std::clamp(p.y, 0, m_size.y - 1);
    bool ok = true;
    if (m_input.hasAbsolutePointer()) {
        ok = m_input.pointerAbsolute(p.x, p.y);
    } else {
        if (!m_cornered) {
            // Where the pointer starts is unknown: push it into the corner,
            // where the desktop stops it, and count from there.
            ok = m_input.pointerRelative(-2.0 * m_size.x, -2.0 * m_size.y);
            m_position = {0, 0};
            m_cornered = ok;
        }
        if (ok && p != m_position)
            ok = m_input.pointerRelative(p.x - m_position.x, p.y - m_position.y);
    }
    if (!ok) {
        m_cornered = false;  // where the pointer is is unknown again
        releaseAll();
        return;
    }
    m_position = p;
}

void PortalPointer::warmUp()
{
    m_input.pointerRelative(0, 0);
}

void PortalPointer::button(MouseButton button, bool down)
{
    const int code = button == MouseButton::Left ? kButtonLeft : kButtonRight;
    if (down == m_held.contains(code))
        return;  // a second press or a release of an unpressed button
    if (!m_input.pointerButton(code, down)) {
        releaseAll();
        return;
    }
    if (down)
        m_held.insert(code);
    else
        m_held.erase(code);
}

bool PortalPointer::releaseAll()
{
    bool ok = true;
    for (int code : m_held)
        ok = m_input.pointerButton(code, false) && ok;
    m_held.clear();
    return ok;
}

} // namespace larkspur
