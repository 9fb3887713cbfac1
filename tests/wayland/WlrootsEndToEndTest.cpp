// The wlroots back end inside a real compositor (headless sway, started by
// run-sway-tests.sh): keys and clicks reach a Qt window exactly, and a
// started program's window is found by its process id and brought forward.

#include "actions/DesktopSessionFactory.h"
#include "actions/TSendKey.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace larkspur {
namespace {

constexpr int kQtControl = 0x04000000;
constexpr int kQtKeyA = 0x41;
constexpr int kQtKeyX = 0x58;

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return done();
}

struct KeyLine {
    int key = 0;
    int modifiers = 0;
    std::string text;  // UTF-8
};

std::string fromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

struct TestWindow {
    pid_t pid = 0;
    std::string log;
    std::string title;
    WindowId id = 0;

    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        std::ifstream in(log);
        for (std::string l; std::getline(in, l);)
            out.push_back(l);
        return out;
    }
    std::vector<KeyLine> keys() const
    {
        std::vector<KeyLine> out;
        for (const std::string& l : lines()) {
            std::istringstream in(l);
            std::string word;
            KeyLine k;
            std::string hex;
            if (in >> word && word == "key" && in >> k.key >> k.modifiers) {
                in >> hex;
                k.text = fromHex(hex);
                out.push_back(k);
            }
        }
        return out;
    }
    bool has(const std::string& line) const
    {
        for (const std::string& l : lines())
            if (l == line)
                return true;
        return false;
    }
};

class WlrootsDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* out = std::getenv("LARKSPUR_TEST_OUT");
        ASSERT_NE(out, nullptr) << "run through run-sway-tests.sh";
        m_out = out;
        TSendKey::clearPendingModifiers();
        opened = openDesktopSession();
        std::string notes;
        for (const std::string& n : opened.notes)
            notes += n + "\n";
        ASSERT_TRUE(opened.session) << opened.failure << "\n" << notes;
        ASSERT_EQ(opened.session->backEndName(), "wlroots") << notes;
        const DesktopCapabilities c = opened.session->capabilities();
        EXPECT_TRUE(c.keys && c.pointerMove && c.pointerButtons && c.windowList && c.windowActivate &&
                    c.windowProcessIds);
    }
    void TearDown() override
    {
        opened.session.reset();  // releases anything held before the windows go
        for (const TestWindow& w : m_windows) {
            ::kill(w.pid, SIGTERM);
            ::waitpid(w.pid, nullptr, 0);
        }
    }

    WindowSystem& windows() { return opened.session->windows(); }

    WindowId windowTitled(const std::string& title)
    {
        for (WindowId w : windows().topLevelWindows())
            if (windows().windowTitle(w) == title)
                return w;
        return 0;
    }

    TestWindow start(const std::string& title)
    {
        TestWindow w;
        w.title = title;
        w.log = m_out + "/" + std::to_string(m_windows.size()) + ".log";
        w.pid = ::fork();
        if (w.pid == 0) {
            ::execl(LARKSPUR_WAYLAND_WINDOW, LARKSPUR_WAYLAND_WINDOW, w.log.c_str(), title.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        m_windows.push_back(w);
        EXPECT_TRUE(waitFor([&] { return (w.id = windowTitled(title)) != 0; })) << title << " never appeared";
        EXPECT_TRUE(waitFor([&] { return w.has("focus"); })) << title << " never got the keyboard";
        m_windows.back() = w;
        return w;
    }

    void send(const std::string& keys)
    {
        TSendKey sender(opened.session->keyboardLayout(), opened.session->keyInjector(), &windows());
        sender.SendKeys(keys);
    }

    OpenedDesktop opened;

private:
    std::string m_out;
    std::vector<TestWindow> m_windows;
};

TEST_F(WlrootsDesktop, TypedTextWithModifiersAndLatin1ArrivesAndClicksLandExactly)
{
    const TestWindow a = start("Larkspur probe A");
    ASSERT_NE(a.id, 0u);

    // Latin-1 action text: u-umlaut and sharp s, on no US key.
    send("Hi \xFC\xDF^a");
    const std::string expected = "Hi \xC3\xBC\xC3\x9F";
    std::string typed;
    bool ctrlA = false;
    EXPECT_TRUE(waitFor([&] {
        typed.clear();
        for (const KeyLine& k : a.keys()) {
            if (k.modifiers & kQtControl)
                ctrlA = ctrlA || k.key == kQtKeyA;
            else
                typed += k.text;
        }
        return typed == expected && ctrlA;
    })) << "typed \"" << typed << "\", Ctrl+A seen: " << ctrlA;

    PointerDevice& pointer = opened.session->pointer();
    EXPECT_EQ(pointer.screenSize(), (ScreenPoint{1280, 720}));
    // The only window fills the output, so its own coordinates are the screen's.
    pointer.setPosition({321, 234});
    pointer.button(MouseButton::Left, true);
    pointer.button(MouseButton::Left, false);
    EXPECT_TRUE(waitFor([&] { return a.has("press 321 234 left"); }));
    EXPECT_EQ(pointer.position(), (ScreenPoint{321, 234}));
}

TEST_F(WlrootsDesktop, StartedProgramsWindowIsFoundByItsProcessAndActivated)
{
    const TestWindow a = start("Larkspur probe A");
    const TestWindow b = start("Larkspur probe B");
    ASSERT_NE(a.id, 0u);
    ASSERT_NE(b.id, 0u);
    EXPECT_TRUE(waitFor([&] { return windows().foregroundWindow() == b.id; }));

    WindowId found = 0;
    for (WindowId w : windows().topLevelWindows())
        if (windows().windowProcessId(w) == a.pid)
            found = w;
    EXPECT_EQ(found, a.id);
    EXPECT_EQ(windows().windowClassName(a.id), "larkspur-test-window");
    EXPECT_FALSE(windows().isMinimised(a.id));

    windows().activate(a.id);
    EXPECT_TRUE(waitFor([&] { return windows().foregroundWindow() == a.id; }));
    send("x");
    EXPECT_TRUE(waitFor([&] {
        for (const KeyLine& k : a.keys())
            if (k.key == kQtKeyX && k.text == "x")
                return true;
        return false;
    }));
    for (const KeyLine& k : b.keys())
        EXPECT_NE(k.key, kQtKeyX) << "the key went to the window left behind";
}

} // namespace
} // namespace larkspur
