#pragma once
// Owns one Xlib display connection. Internal to the X11 back ends.

#include <X11/Xlib.h>

#include <memory>
#include <string>

namespace larkspur {

class X11Display {
public:
    // nullptr when the display cannot be opened.
    static std::unique_ptr<X11Display> open(const char* name = nullptr);
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    Display* get() const { return m_display; }
    Window root() const { return DefaultRootWindow(m_display); }
    Atom atom(const char* name) const { return XInternAtom(m_display, name, False); }

private:
    explicit X11Display(Display* display) : m_display(display) {}
    Display* m_display;
};

// One window property read with XGetWindowProperty, freed with XFree.
class X11WindowProperty {
public:
    X11WindowProperty(Display* display, Window window, Atom property, Atom type, long maxLongs = 1024);
    ~X11WindowProperty();
    X11WindowProperty(const X11WindowProperty&) = delete;
    X11WindowProperty& operator=(const X11WindowProperty&) = delete;

    bool ok() const { return m_data != nullptr && m_items > 0; }
    unsigned long items() const { return m_items; }
    int format() const { return m_format; }
    const unsigned char* data() const { return m_data; }
    // Format-32 items arrive as longs.
    unsigned long longAt(unsigned long i) const { return reinterpret_cast<const unsigned long*>(m_data)[i]; }

private:
    unsigned char* m_data = nullptr;
    unsigned long m_items = 0;
    int m_format = 0;
};

} // namespace larkspur
