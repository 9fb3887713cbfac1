// A tiny X program for the end-to-end tests: shows one titled window that says
// which process owns it, and runs until it is killed or the window closes.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <unistd.h>

int main(int argc, char** argv)
{
    const char* title = argc > 1 ? argv[1] : "Larkspur launched window";
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 80, 80, 240, 120, 0, 0, 0xFFFFFF);
    XStoreName(display, window, title);
    const long pid = ::getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XClassHint hint{const_cast<char*>("larkspur-launched"), const_cast<char*>("LarkspurLaunched")};
    XSetClassHint(display, window, &hint);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XMapWindow(display, window);
    XFlush(display);
    for (;;) {
        XEvent ev;
        XNextEvent(display, &ev);
        if (ev.type == ClientMessage && static_cast<Atom>(ev.xclient.data.l[0]) == deleteWindow)
            break;
    }
    XCloseDisplay(display);
    return 0;
}
