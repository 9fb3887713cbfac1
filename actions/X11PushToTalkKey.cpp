// The push-to-talk key on X11: a passive grab of the key on the root window,
// on a display connection used by the reader thread only.

#include "actions/PushToTalkKey.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace larkspur {

namespace {

// Xlib's error handler is process-wide. It records a failed grab for the one
// grab being checked and ignores everything else, as the other X11 back end
// files do (a window that vanished must not end the program).
std::atomic<int> g_grabError{0};

// Without detectable auto-repeat, how long a release waits for the press of its repeat.
constexpr int kRepeatPairWaitMs = 20;

int noteGrabError(Display*, XErrorEvent* event)
{
    if (event->request_code == X_GrabKey)
        g_grabError = event->error_code;
    return 0;
}

KeySym keySymOf(const std::string& name)
{
    if (name.empty())
        return NoSymbol;
    KeySym sym = XStringToKeysym(name.c_str());
    if (sym == NoSymbol) {
        // "f9", "pause": the same name with a capital first letter.
        std::string capital = name;
        capital[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(capital[0])));
        sym = XStringToKeysym(capital.c_str());
    }
    return sym;
}

class X11PushToTalkKey : public PushToTalkKey {
public:
    X11PushToTalkKey(Display* display, KeyCode code, std::string name, Handler handler, int wakeRead, int wakeWrite,
                     bool detectable)
        : m_display(display), m_code(code), m_name(std::move(name)), m_handler(std::move(handler)),
          m_wakeRead(wakeRead), m_wakeWrite(wakeWrite), m_detectable(detectable)
    {
        m_thread = std::thread([this] { run(); });
    }

    ~X11PushToTalkKey() override
    {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = write(m_wakeWrite, &byte, 1);
        m_thread.join();
        if (m_down)
            m_handler(false);  // every press is paired with a release
        XUngrabKey(m_display, m_code, AnyModifier, DefaultRootWindow(m_display));
        XCloseDisplay(m_display);
        close(m_wakeRead);
        close(m_wakeWrite);
    }

    const std::string& keyName() const override { return m_name; }

private:
    void run()
    {
        pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        for (;;) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                handle(event);
            }
            if (poll(fds, 2, -1) < 0 && errno != EINTR)
                return;
            if (fds[1].revents != 0)
                return;
            if (fds[0].revents & (POLLERR | POLLHUP))
                return;  // the display went away
        }
    }

    void handle(const XEvent& event)
    {
        if ((event.type != KeyPress && event.type != KeyRelease) || event.xkey.keycode != m_code)
            return;
        if (event.type == KeyRelease && isRepeat(event))
            return;
        const bool down = event.type == KeyPress;
        if (down == m_down)
            return;  // a repeated press of a held key
        m_down = down;
        m_handler(down);
    }

    // Without detectable auto-repeat a held key sends release and press pairs
    // with one time stamp; the release of such a pair is not the key coming up.
    bool isRepeat(const XEvent& release)
    {
        if (m_detectable)
            return false;
        // The repeated press follows its release at once; give it a moment to arrive.
        if (XEventsQueued(m_display, QueuedAfterReading) == 0) {
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            if (poll(&fd, 1, kRepeatPairWaitMs) <= 0 || XEventsQueued(m_display, QueuedAfterReading) == 0)
                return false;
        }
        XEvent next;
        XPeekEvent(m_display, &next);
        if (next.type == KeyPress && next.xkey.keycode == release.xkey.keycode && next.xkey.time == release.xkey.time) {
            XNextEvent(m_display, &next);  // drop the repeated press as well
            return true;
        }
        return false;
    }

    Display* m_display;
    KeyCode m_code;
    std::string m_name;
    Handler m_handler;
    int m_wakeRead;
    int m_wakeWrite;
    bool m_detectable = false;  // the server reports a held key as one press and one release
    bool m_down = false;  // read and written by the reader thread, then by the destructor after join
    std::thread m_thread;
};

} // namespace

bool isPushToTalkKeyName(const std::string& name)
{
    return keySymOf(name) != NoSymbol;
}

std::string pushToTalkKeyNameOf(unsigned long keySym)
{
    const char* name = keySym != NoSymbol ? XKeysymToString(keySym) : nullptr;
    return name ? std::string(name) : std::string();
}

std::unique_ptr<PushToTalkKey> grabX11PushToTalkKey(const std::string& name, PushToTalkKey::Handler handler,
                                                    std::string& error, const char* displayName,
                                                    bool detectableRepeat)
{
    const KeySym sym = keySymOf(name);
    if (sym == NoSymbol) {
        error = "\"" + name + "\" is not a key name (try F9, Pause or Control_R).";
        return nullptr;
    }
    Display* display = XOpenDisplay(displayName);
    if (!display) {
        error = "No X display: the push-to-talk key cannot be watched.";
        return nullptr;
    }
    const KeyCode code = XKeysymToKeycode(display, sym);
    if (code == 0) {
        XCloseDisplay(display);
        error = "No key of this keyboard is " + name + ".";
        return nullptr;
    }
    Bool supported = False;
    if (detectableRepeat)
        XkbSetDetectableAutoRepeat(display, True, &supported);  // else isRepeat() sorts the pairs out

    g_grabError = 0;
    XSetErrorHandler(noteGrabError);
    // Any modifier: Caps Lock, Num Lock or a held Shift must not hide the key.
    XGrabKey(display, code, AnyModifier, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    if (g_grabError != 0) {
        XCloseDisplay(display);
        error = "The key " + name + " is already taken by another program.";
        return nullptr;
    }
    int wake[2];
    if (pipe(wake) != 0) {
        XCloseDisplay(display);
        error = "The push-to-talk key cannot be watched (no pipe).";
        return nullptr;
    }
    return std::make_unique<X11PushToTalkKey>(display, code, name, std::move(handler), wake[0], wake[1],
                                              supported == True);
}

} // namespace larkspur
