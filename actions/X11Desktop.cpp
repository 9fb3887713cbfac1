#include "actions/X11Desktop.h"

#include "actions/X11Display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace larkspur {

namespace {

Atom atom(Display* d, const char* name)
{
    return XInternAtom(d, name, False);
}

} // namespace

X11Desktop::X11Desktop(Display* display) : m_display(display), m_root(DefaultRootWindow(display)) {}

std::vector<WindowId> X11Desktop::topLevelWindows()
{
    std::vector<WindowId> out;
    // The stacking list runs bottom to top; we want the top first.
    for (const char* name : {"_NET_CLIENT_LIST_STACKING", "_NET_CLIENT_LIST"}) {
        X11WindowProperty list(m_display, m_root, atom(m_display, name), XA_WINDOW, 65536);
        if (list.ok() && list.format() == 32) {
            for (unsigned long i = list.items(); i-- > 0;)
                out.push_back(list.longAt(i));
            return out;
        }
    }
    // No window manager: the root's children, also bottom to top.
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(m_display, m_root, &rootReturn, &parent, &children, &count) && children) {
        for (unsigned int i = count; i-- > 0;)
            out.push_back(children[i]);
        XFree(children);
    }
    return out;
}

std::string X11Desktop::windowTitle(WindowId window)
{
    X11WindowProperty utf8(m_display, window, atom(m_display, "_NET_WM_NAME"), atom(m_display, "UTF8_STRING"));
    if (utf8.ok() && utf8.format() == 8)
        return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.items());
    X11WindowProperty name(m_display, window, XA_WM_NAME, AnyPropertyType);
    if (name.ok() && name.format() == 8)
        return std::string(reinterpret_cast<const char*>(name.data()), name.items());
    return {};
}

std::string X11Desktop::windowClassName(WindowId window)
{
    XClassHint hint{};
    if (!XGetClassHint(m_display, window, &hint))
        return {};
    std::string out = hint.res_class ? hint.res_class : (hint.res_name ? hint.res_name : "");
    if (hint.res_name)
        XFree(hint.res_name);
    if (hint.res_class)
        XFree(hint.res_class);
    return out;
}

long X11Desktop::wmState(Window window) const
{
    const Atom wmStateAtom = atom(m_display, "WM_STATE");
    X11WindowProperty state(m_display, window, wmStateAtom, wmStateAtom);
    return state.ok() && state.format() == 32 ? static_cast<long>(state.longAt(0)) : -1;
}

bool X11Desktop::isWindowVisible(WindowId window)
{
    const long state = wmState(window);
    if (state == NormalState || state == IconicState)
        return true;
    XWindowAttributes attrs{};
    return XGetWindowAttributes(m_display, window, &attrs) && attrs.map_state == IsViewable;
}

bool X11Desktop::isMinimised(WindowId window)
{
    if (wmState(window) == IconicState)
        return true;
    const Atom hidden = atom(m_display, "_NET_WM_STATE_HIDDEN");
    X11WindowProperty states(m_display, window, atom(m_display, "_NET_WM_STATE"), XA_ATOM);
    for (unsigned long i = 0; states.ok() && i < states.items(); ++i)
        if (states.longAt(i) == hidden)
            return true;
    return false;
}

int64_t X11Desktop::windowProcessId(WindowId window)
{
    X11WindowProperty pid(m_display, window, atom(m_display, "_NET_WM_PID"), XA_CARDINAL);
    return pid.ok() && pid.format() == 32 ? static_cast<int64_t>(pid.longAt(0)) : 0;
}

WindowId X11Desktop::foregroundWindow()
{
    X11WindowProperty active(m_display, m_root, atom(m_display, "_NET_ACTIVE_WINDOW"), XA_WINDOW);
    if (active.ok() && active.format() == 32 && active.longAt(0) != 0)
        return active.longAt(0);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    return focus == PointerRoot ? 0 : focus;
}

void X11Desktop::sendActiveWindowMessage(Window window)
{
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = atom(m_display, "_NET_ACTIVE_WINDOW");
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = 2;  // from a pager-like tool: window managers honour it
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

void X11Desktop::activate(WindowId window)
{
    if (isMinimised(window))
        XMapRaised(m_display, window);
    sendActiveWindowMessage(window);
    XRaiseWindow(m_display, window);
    // Without a window manager nobody answers the message: focus it directly.
    X11WindowProperty wm(m_display, m_root, atom(m_display, "_NET_SUPPORTING_WM_CHECK"), XA_WINDOW);
    if (!wm.ok())
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
    XSync(m_display, False);
}

void X11Desktop::restore(WindowId window)
{
    XMapRaised(m_display, window);
    sendActiveWindowMessage(window);
    XSync(m_display, False);
}

ScreenPoint X11Desktop::position()
{
    Window rootReturn = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    int wx = 0;
    int wy = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display, m_root, &rootReturn, &child, &x, &y, &wx, &wy, &mask);
    return {x, y};
}

void X11Desktop::setPosition(ScreenPoint p)
{
    XWarpPointer(m_display, None, m_root, 0, 0, 0, 0, p.x, p.y);
    XSync(m_display, False);
}

ScreenPoint X11Desktop::screenSize()
{
    const int screen = DefaultScreen(m_display);
    return {DisplayWidth(m_display, screen), DisplayHeight(m_display, screen)};
}

void X11Desktop::button(MouseButton which, bool down)
{
    XTestFakeButtonEvent(m_display, which == MouseButton::Left ? 1 : 3, down ? True : False, CurrentTime);
    XSync(m_display, False);
}

} // namespace larkspur
