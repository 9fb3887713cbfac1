// The push-to-talk key on a real X server (Xvfb, run by run-x11-tests.sh):
// a key held down through XTest, long enough for the key repeat to start,
// gives exactly one press and one release.

// GoogleTest comes before Xlib, whose None and Bool macros clash with it.
#include <gtest/gtest.h>

#include "actions/PushToTalkKey.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace larkspur;
using namespace std::chrono_literals;

namespace {

// What the key's reader thread reported, in order.
class KeyLog {
public:
    PushToTalkKey::Handler handler()
    {
        return [this](bool down) {
            std::lock_guard lock(m_mutex);
            m_events.push_back(down);
            m_changed.notify_all();
        };
    }
    // Waits until `count` events have arrived (or 3 s), then gives all of them.
    std::vector<bool> waitFor(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 3s, [&] { return m_events.size() >= count; });
        return m_events;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_events;
};

class XTestKeyboard {
public:
    XTestKeyboard() : m_display(XOpenDisplay(nullptr)) {}
    ~XTestKeyboard()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool ok() const { return m_display != nullptr; }
    void key(const char* name, bool down)
    {
        const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(name));
        XTestFakeKeyEvent(m_display, code, down ? True : False, CurrentTime);
        XFlush(m_display);
    }
    // Makes sure the server repeats held keys, so the test sees the repeat.
    void repeatFast()
    {
        XAutoRepeatOn(m_display);
        XkbSetAutoRepeatRate(m_display, XkbUseCoreKbd, 100, 20);
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

TEST(PushToTalkKey, HeldKeyGivesOnePressAndOneReleaseEachTime)
{
    XTestKeyboard keyboard;
    ASSERT_TRUE(keyboard.ok());
    keyboard.repeatFast();
    KeyLog log;
    std::string error;
    auto key = grabX11PushToTalkKey("F9", log.handler(), error);
    ASSERT_TRUE(key) << error;
    EXPECT_EQ(key->keyName(), "F9");

    for (int hold = 0; hold < 2; ++hold) {
        keyboard.key("F9", true);
        std::this_thread::sleep_for(600ms);  // the repeat starts after 100 ms, then every 50 ms
        keyboard.key("F9", false);
        const std::vector<bool> events = log.waitFor(2 * (hold + 1));
        std::vector<bool> expected;
        for (int i = 0; i <= hold; ++i)
            expected.insert(expected.end(), {true, false});
        EXPECT_EQ(events, expected) << "after hold " << hold;
    }
    // Other keys pass by.
    keyboard.key("F8", true);
    keyboard.key("F8", false);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(log.waitFor(5).size(), 4u);
}

TEST(PushToTalkKey, NamesAreCheckedAndATakenKeyIsRefused)
{
    EXPECT_TRUE(isPushToTalkKeyName("Control_R"));
    EXPECT_TRUE(isPushToTalkKeyName("pause"));
    EXPECT_FALSE(isPushToTalkKeyName("F9 "));
    EXPECT_FALSE(isPushToTalkKeyName(""));

    KeyLog log;
    std::string error;
    EXPECT_FALSE(grabX11PushToTalkKey("NoSuchKey", log.handler(), error));
    EXPECT_EQ(error, "\"NoSuchKey\" is not a key name (try F9, Pause or Control_R).");

    auto first = grabX11PushToTalkKey("Pause", log.handler(), error);
    ASSERT_TRUE(first) << error;
    error.clear();
    EXPECT_FALSE(grabX11PushToTalkKey("Pause", log.handler(), error));
    EXPECT_EQ(error, "The key Pause is already taken by another program.");
    first.reset();
    // Given back on destruction: the key can be taken again.
    EXPECT_TRUE(grabX11PushToTalkKey("Pause", log.handler(), error)) << error;
}

TEST(PushToTalkKey, ReleasedWhenStoppedWhileHeld)
{
    XTestKeyboard keyboard;
    ASSERT_TRUE(keyboard.ok());
    KeyLog log;
    std::string error;
    auto key = grabX11PushToTalkKey("F7", log.handler(), error);
    ASSERT_TRUE(key) << error;
    keyboard.key("F7", true);
    ASSERT_EQ(log.waitFor(1), std::vector<bool>{true});
    key.reset();
    EXPECT_EQ(log.waitFor(2), (std::vector<bool>{true, false}));
    keyboard.key("F7", false);
}

} // namespace
