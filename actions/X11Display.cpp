#include "actions/X11Display.h"

#include <X11/Xatom.h>

namespace larkspur {

namespace {

// Windows come and go while we look at them; a request on a window that has
// just gone must not end the program, which is what Xlib's default does.
int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

std::unique_ptr<X11Display> X11Display::open(const char* name)
{
    Display* display = XOpenDisplay(name);
    if (!display)
        return nullptr;
    XSetErrorHandler(ignoreXErrors);
    return std::unique_ptr<X11Display>(new X11Display(display));
}

X11Display::~X11Display()
{
    XCloseDisplay(m_display);
}

X11WindowProperty::X11WindowProperty(Display* display, Window window, Atom property, Atom type, long maxLongs)
{
    Atom actualType = None;
    unsigned long after = 0;
    if (XGetWindowProperty(display, window, property, 0, maxLongs, False, type, &actualType, &m_format,
                           &m_items, &after, &m_data) != Success) {
        m_data = nullptr;
        m_items = 0;
    }
    if (m_data && actualType == None) {
        XFree(m_data);
        m_data = nullptr;
        m_items = 0;
    }
}

X11WindowProperty::~X11WindowProperty()
{
    if (m_data)
        XFree(m_data);
}

} // namespace larkspur
