// The portal back end's keysyms and pointer calls typed into a real
// compositor: headless mutter's own remote-desktop interface, which the
// desktop portal forwards its Notify calls to, drives a full-screen window
// that writes what it receives (run by run-mutter-tests.sh).

#include "actions/TSendKey.h"
#include "actions/portal/PortalKeyboard.h"
#include "actions/portal/PortalPointer.h"
#include "actions/portal/SdBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace larkspur {
namespace {

using namespace std::chrono_literals;

constexpr const char* kMutter = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";

// The same input calls as the portal's, on mutter's session object.
class MutterInput : public RemoteInput {
public:
    bool open(std::string& why)
    {
        m_bus = sdbus::connect("", why);
        if (!m_bus)
            return false;
        // mutter takes its name a moment after its Wayland socket appears.
        for (int i = 0; i < 100; ++i) {
            sdbus::Error error;
            sd_bus_message* reply = nullptr;
            const int r = sd_bus_call_method(m_bus.get(), kMutter, "/org/gnome/Mutter/RemoteDesktop", kMutter,
                                             "CreateSession", error.get(), &reply, "");
            sdbus::MessagePtr owned(reply);
            const char* path = nullptr;
            if (r >= 0 && sd_bus_message_read(reply, "o", &path) >= 0) {
                m_session = path;
                break;
            }
            why = error.text(r);
            std::this_thread::sleep_for(100ms);
        }
        return !m_session.empty() && call("Start", "");
    }
    ~MutterInput() override
    {
        if (!m_session.empty())
            call("Stop", "");
    }

    bool keysym(uint32_t sym, bool down) override { return call("NotifyKeyboardKeysym", "ub", sym, int(down)); }
    bool pointerAbsolute(double, double) override { return false; }
    bool pointerRelative(double dx, double dy) override
    {
        return call("NotifyPointerMotionRelative", "dd", dx, dy);
    }
    bool pointerButton(int button, bool down) override
    {
        return call("NotifyPointerButton", "ib", button, int(down));
    }
    bool hasAbsolutePointer() const override { return false; }

private:
    template <typename... Args>
    bool call(const char* method, const char* types, Args... args)
    {
        sdbus::Error error;
        return sd_bus_call_method(m_bus.get(), kMutter, m_session.c_str(), kSessionInterface, method, error.get(),
                                  nullptr, types, args...) >= 0;
    }

    sdbus::BusPtr m_bus;
    std::string m_session;
};

class MutterTyping : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* events = std::getenv("LARKSPUR_ECHO_EVENTS");
        if (!events)
            GTEST_SKIP() << "runs under run-mutter-tests.sh only";
        m_events = events;
        std::string why;
        ASSERT_TRUE(input.open(why)) << why;
        TSendKey::clearPendingModifiers();
        // As the back end does after its start: the keyboard may appear
        // only with the first key.
        keyboard.warmUp();
        std::this_thread::sleep_for(200ms);
        m_before = readLines().size();
    }

    std::vector<std::string> readLines() const
    {
        std::vector<std::string> out;
        std::ifstream file(m_events);
        std::string line;
        while (std::getline(file, line))
            if (!line.starts_with("ready"))
                out.push_back(line);
        return out;
    }

    // The echo window's lines since this test began, once count of them are there.
    std::vector<std::string> lines(size_t count)
    {
        std::vector<std::string> out;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            out = readLines();
            out.erase(out.begin(), out.begin() + static_cast<long>(std::min(m_before, out.size())));
            if (out.size() >= count)
                break;
            std::this_thread::sleep_for(20ms);
        }
        return out;
    }

    // Key lines of keys other than the modifiers, once count of them are there.
    std::vector<std::string> typedKeys(size_t count)
    {
        std::vector<std::string> keys;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        do {
            keys.clear();
            for (const std::string& line : lines(0)) {
                const int key = line.starts_with("key ") ? std::stoi(line.substr(4)) : 0;
                if (key != 0 && (key < 0x01000020 || key > 0x01000026))  // Qt's Shift to Scroll Lock
                    keys.push_back(line);
            }
            if (keys.size() >= count)
                break;
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return keys;
    }

    // The text typed, from the code points of the key lines.
    static std::u32string text(const std::vector<std::string>& lines)
    {
        std::u32string out;
        for (const std::string& line : lines) {
            const size_t last = line.rfind(' ');
            if (!line.starts_with("key ") || line.compare(last + 1, std::string::npos, "-") == 0)
                continue;
            size_t pos = last + 1;
            while (pos < line.size()) {
                const size_t comma = line.find(',', pos);
                out += static_cast<char32_t>(std::stoul(line.substr(pos, comma - pos), nullptr, 16));
                pos = comma + 1;
            }
        }
        return out;
    }

    std::string m_events;
    size_t m_before = 0;
    MutterInput input;
    PortalKeyboard keyboard{input};
    TSendKey sender{keyboard, keyboard};
};

TEST_F(MutterTyping, CharactersArriveAtTheirShiftLevelAndCtrlCombinationsStayPlain)
{
    // Capitals (Shift of ours) and shifted punctuation (the desktop's Shift).
    sender.SendKeys("Hi, World! (x=1)");
    sender.SendKeys("^s");
    // Characters a US layout has no key for are dropped by the desktop, but
    // nothing stays held and the keys after them still arrive.
    sender.SendKeys("\xE9\x80ok");
    EXPECT_FALSE(keyboard.holdsKeys());
    const std::vector<std::string> got = typedKeys(16 + 1 + 2);
    ASSERT_EQ(got.size(), 19u);
    EXPECT_EQ(text(std::vector<std::string>(got.begin(), got.begin() + 16)), U"Hi, World! (x=1)");
    // Ctrl+S is the S key with Ctrl and without Shift.
    EXPECT_EQ(got[16], "key 83 C 13,");
    EXPECT_EQ(text(std::vector<std::string>(got.begin() + 17, got.end())), U"ok");
}

TEST_F(MutterTyping, AClickLandsWhereThePointerWasStepped)
{
    PortalPointer pointer(input, {1280, 720});
    pointer.warmUp();
    std::this_thread::sleep_for(200ms);
    pointer.setPosition({200, 150});
    pointer.button(MouseButton::Left, true);
    pointer.button(MouseButton::Left, false);
    pointer.setPosition({640, 400});
    pointer.button(MouseButton::Right, true);
    pointer.button(MouseButton::Right, false);
    const std::vector<std::string> got = lines(2);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[got.size() - 2], "click 1 200 150");
    EXPECT_EQ(got.back(), "click 2 640 400");
}

} // namespace
} // namespace larkspur
