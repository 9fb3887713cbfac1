// End to end on a real X server (run by run-x11-tests.sh under Xvfb and
// openbox): keys typed through XTest arrive as text in a window of our own,
// the window list finds and activates that window, and the pointer moves.

// GoogleTest comes before Xlib, whose None and Bool macros clash with it.
#include <gtest/gtest.h>

#include "actions/TSendKey.h"
#include "actions/TWindowsList.h"
#include "actions/X11Session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace larkspur;

namespace {

using Clock = std::chrono::steady_clock;

// A plain Xlib window on a connection of its own that collects typed text.
class TestWindow {
public:
    explicit TestWindow(const std::string& title)
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return;
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 50, 50, 320, 200, 0, 0, 0xFFFFFF);
        XStoreName(m_display, m_window, title.c_str());
        XChangeProperty(m_display, m_window, XInternAtom(m_display, "_NET_WM_NAME", False),
                        XInternAtom(m_display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
        const long pid = ::getpid();
        XChangeProperty(m_display, m_window, XInternAtom(m_display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        XClassHint hint{const_cast<char*>("larkspur-test"), const_cast<char*>("LarkspurTest")};
        XSetClassHint(m_display, m_window, &hint);
        XSelectInput(m_display, m_window, KeyPressMask | StructureNotifyMask | FocusChangeMask);
        XMapWindow(m_display, m_window);
        XSync(m_display, False);
    }
    ~TestWindow()
    {
        if (m_display) {
            XDestroyWindow(m_display, m_window);
            XCloseDisplay(m_display);
        }
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    bool ok() const { return m_display != nullptr; }
    Window id() const { return m_window; }
    Display* display() const { return m_display; }

    // Reads key presses until text has the wanted length or time runs out.
    std::string readText(size_t wanted, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        std::string text;
        const auto end = Clock::now() + timeout;
        while (text.size() < wanted && Clock::now() < end) {
            while (XPending(m_display)) {
                XEvent ev;
                XNextEvent(m_display, &ev);
                if (ev.type == MappingNotify) {
                    XRefreshKeyboardMapping(&ev.xmapping);
                } else if (ev.type == KeyPress) {
                    char buf[8];
                    KeySym sym = 0;
                    const int n = XLookupString(&ev.xkey, buf, sizeof buf, &sym, nullptr);
                    text.append(buf, static_cast<size_t>(n));
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return text;
    }

    void drainEvents()
    {
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent ev;
            XNextEvent(m_display, &ev);
            if (ev.type == MappingNotify)
                XRefreshKeyboardMapping(&ev.xmapping);
        }
    }

private:
    Display* m_display = nullptr;
    Window m_window = 0;
};

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

class X11EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok()) << "no X display: run these tests through run-x11-tests.sh";
        session = X11Session::open();
        ASSERT_TRUE(eventually([&] { return findByTitle() != 0; })) << "the window manager never listed the window; top-level windows: " << describeWindows();
        TSendKey::clearPendingModifiers();
    }

    WindowId findByTitle()
    {
        TWindowsList list(session->windows());
        list.setAcceptEmptyNames(false);
        list.Refresh();
        for (size_t i = 0; i < list.TheWindowsList().size(); ++i)
            if (list.TheWindowsList()[i].title == title)
                return list.WindowHandle(i);
        return 0;
    }

    std::string describeWindows()
    {
        std::string out;
        for (WindowId w : session->windows().topLevelWindows())
            out += std::to_string(w) + " '" + session->windows().windowTitle(w) + "' visible="
                + std::to_string(session->windows().isWindowVisible(w)) + "; ";
        return out + " ours=" + std::to_string(window.id());
    }

    void activateTestWindow()
    {
        session->windows().activate(window.id());
        ASSERT_TRUE(eventually([&] { return session->windows().foregroundWindow() == window.id(); }));
        ASSERT_TRUE(eventually([&] {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(window.display(), &focus, &revert);
            return focus == window.id();
        }));
        window.drainEvents();
    }

    const std::string title = "Larkspur key test " + std::to_string(::getpid());
    TestWindow window{title};
    std::unique_ptr<X11Session> session;
};

} // namespace

TEST_F(X11EndToEnd, WindowListFindsOurWindowByTitleAndPidAndActivatesIt)
{
    const WindowId found = findByTitle();
    EXPECT_EQ(found, window.id());
    EXPECT_EQ(session->windows().windowProcessId(found), ::getpid());
    EXPECT_EQ(session->windows().windowClassName(found), "LarkspurTest");
    EXPECT_TRUE(session->windows().isWindowVisible(found));
    EXPECT_FALSE(session->windows().isMinimised(found));
    activateTestWindow();
}

TEST_F(X11EndToEnd, MinimisedWindowIsSeenAndRestored)
{
    XIconifyWindow(window.display(), window.id(), DefaultScreen(window.display()));
    XSync(window.display(), False);
    ASSERT_TRUE(eventually([&] { return session->windows().isMinimised(window.id()); }));
    EXPECT_TRUE(session->windows().isWindowVisible(window.id()));
    session->windows().restore(window.id());
    EXPECT_TRUE(eventually([&] { return !session->windows().isMinimised(window.id()); }));
}

TEST_F(X11EndToEnd, TypedKeysArriveAsText)
{
    activateTestWindow();
    TSendKey sender(session->keyboardLayout(), session->keyInjector(), &session->windows());
    EXPECT_EQ(sender.SendKeys("Hello, World 42;:?{ENTER}"), 0);
    const std::string expected = "Hello, World 42;:?\r";
    EXPECT_EQ(window.readText(expected.size()), expected);

    // A modifier left pending by one string applies to the next one.
    sender.SendKeys("~");
    sender.SendKeys("x{TAB}");
    EXPECT_EQ(window.readText(2), "X\t");
}

TEST_F(X11EndToEnd, CharacterWithoutKeyIsTypedThroughASpareKeycode)
{
    activateTestWindow();
    TSendKey sender(session->keyboardLayout(), session->keyInjector(), &session->windows());
    sender.SendKeys("\xE9" "a");
    EXPECT_EQ(window.readText(2), "\xE9" "a");
}

TEST_F(X11EndToEnd, PointerWarpsToTheLastColumn)
{
    PointerDevice& pointer = session->pointer();
    const ScreenPoint size = pointer.screenSize();
    ASSERT_GT(size.x, 1);
    pointer.setPosition({size.x - 1, 10});
    EXPECT_EQ(pointer.position(), (ScreenPoint{size.x - 1, 10}));
    pointer.setPosition({0, 0});
    EXPECT_EQ(pointer.position(), (ScreenPoint{0, 0}));
}
