#include "actions/X11DesktopSession.h"

#include "actions/X11Session.h"

namespace larkspur {

namespace {

class X11DesktopSession : public DesktopSession {
public:
    X11DesktopSession(std::unique_ptr<X11Session> session, bool xwaylandOnly)
        : m_session(std::move(session)), m_xwaylandOnly(xwaylandOnly)
    {
    }

    std::string backEndName() const override { return m_xwaylandOnly ? "XWayland" : "X11"; }
    DesktopCapabilities capabilities() const override
    {
        DesktopCapabilities c;
        c.keys = c.anyCharacter = c.pointerMove = c.pointerButtons = true;
        c.windowList = c.windowActivate = c.windowProcessIds = true;
        return c;
    }
    std::string notice() const override
    {
        return m_xwaylandOnly ? "Keystrokes, mouse and window actions reach only XWayland windows on this desktop."
                              : std::string();
    }
    KeyboardLayout& keyboardLayout() override { return m_session->keyboardLayout(); }
    KeyInjector& keyInjector() override { return m_session->keyInjector(); }
    WindowSystem& windows() override { return m_session->windows(); }
    PointerDevice& pointer() override { return m_session->pointer(); }

private:
    std::unique_ptr<X11Session> m_session;
    bool m_xwaylandOnly;
};

std::unique_ptr<DesktopSession> open(std::string& whyNot, bool xwaylandOnly)
{
    try {
        return std::make_unique<X11DesktopSession>(X11Session::open(), xwaylandOnly);
    } catch (const EDisplayUnavailable& e) {
        whyNot = e.what();
        return nullptr;
    }
}

// Outside Wayland a session that calls itself Wayland has lost its
// WAYLAND_DISPLAY: its X display can then only be XWayland.
bool waylandWithoutItsDisplay(const DesktopFacts& facts)
{
    return !facts.wayland() && facts.sessionType == "wayland";
}

} // namespace

DesktopBackEndEntry x11BackEnd()
{
    DesktopBackEndEntry e;
    e.name = "X11";
    e.passOver = [](const DesktopFacts& facts) -> std::optional<std::string> {
        if (facts.wayland())
            return "this is a Wayland session (WAYLAND_DISPLAY is set)";
        if (facts.x11Display.empty())
            return "DISPLAY is not set";
        if (waylandWithoutItsDisplay(facts))
            return "this is a Wayland session; DISPLAY is XWayland";
        return std::nullopt;
    };
    e.open = [](const DesktopHost&, std::string& whyNot) { return open(whyNot, false); };
    return e;
}

DesktopBackEndEntry xwaylandBackEnd()
{
    DesktopBackEndEntry e;
    e.name = "XWayland";
    e.passOver = [](const DesktopFacts& facts) -> std::optional<std::string> {
        if (facts.x11Display.empty())
            return "DISPLAY is not set";
        if (!facts.wayland() && !waylandWithoutItsDisplay(facts))
            return "not a Wayland session (DISPLAY is the X11 session's own)";
        return std::nullopt;
    };
    e.open = [](const DesktopHost&, std::string& whyNot) { return open(whyNot, true); };
    return e;
}

} // namespace larkspur
