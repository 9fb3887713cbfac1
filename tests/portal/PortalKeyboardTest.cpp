// The portal back end's keyboard and pointer over a recording remote input:
// which keysyms the keystroke sender's events become, that every press gets
// its release, and the pointer's clamping, relative fallback and buttons.

#include "actions/TSendKey.h"
#include "actions/portal/PortalKeyboard.h"
#include "actions/portal/PortalKeysyms.h"
#include "actions/portal/PortalPointer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace larkspur {
namespace {

constexpr int kShift = 0xFFE1;
constexpr int kCtrl = 0xFFE3;
constexpr int kAlt = 0xFFE9;

struct Event {
    std::string what;
    double a = 0;
    double b = 0;
    bool operator==(const Event&) const = default;
};

void PrintTo(const Event& e, std::ostream* os)
{
    *os << e.what << "(" << e.a << ", " << e.b << ")";
}

class RecordingInput : public RemoteInput {
public:
    bool keysym(uint32_t sym, bool down) override { return add({"key", double(sym), down ? 1.0 : 0.0}, sym); }
    bool pointerAbsolute(double x, double y) override { return add({"abs", x, y}); }
    bool pointerRelative(double dx, double dy) override { return add({"rel", dx, dy}); }
    bool pointerButton(int button, bool down) override { return add({"button", double(button), down ? 1.0 : 0.0}); }
    bool hasAbsolutePointer() const override { return absolute; }

    // Keysym events only, as (keysym, down).
    std::vector<std::pair<int, int>> keys() const
    {
        std::vector<std::pair<int, int>> out;
        for (const Event& e : events)
            if (e.what == "key")
                out.emplace_back(int(e.a), int(e.b));
        return out;
    }

    std::vector<Event> events;
    bool absolute = true;
    uint32_t failingKeysym = 0;  // its press fails
    bool failEverything = false;

private:
    bool add(Event e, uint32_t sym = 0)
    {
        if (failEverything || (sym != 0 && sym == failingKeysym && e.b == 1.0))
            return false;
        events.push_back(e);
        return true;
    }
};

class PortalKeys : public ::testing::Test {
protected:
    PortalKeys() { TSendKey::clearPendingModifiers(); }
    ~PortalKeys() override { TSendKey::clearPendingModifiers(); }

    std::vector<std::pair<int, int>> typed(const std::string& keys)
    {
        input.events.clear();
        sender.SendKeys(keys);
        return input.keys();
    }

    RecordingInput input;
    PortalKeyboard keyboard{input};
    TSendKey sender{keyboard, keyboard};
};

using Keys = std::vector<std::pair<int, int>>;

TEST_F(PortalKeys, LettersGoAsTheirKeyWithShiftForCapitalsAndNoneUnderCtrl)
{
    EXPECT_EQ(typed("aA"), (Keys{{'a', 1}, {'a', 0}, {kShift, 1}, {'a', 1}, {'a', 0}, {kShift, 0}}));
    EXPECT_EQ(typed("^A"), (Keys{{kCtrl, 1}, {'a', 1}, {'a', 0}, {kCtrl, 0}}));
    EXPECT_EQ(typed("@{F4}"), (Keys{{kAlt, 1}, {0xFFC1, 1}, {0xFFC1, 0}, {kAlt, 0}}));
    EXPECT_EQ(typed("{ENTER}{TAB}{DEL}"),
              (Keys{{0xFF0D, 1}, {0xFF0D, 0}, {0xFF09, 1}, {0xFF09, 0}, {0xFFFF, 1}, {0xFFFF, 0}}));
}

TEST_F(PortalKeys, ShiftPressedTwiceByTheSenderReachesTheDesktopOnce)
{
    // "~a" is Shift pending plus the capital's own Shift: one press, one release.
    EXPECT_EQ(typed("~A"), (Keys{{kShift, 1}, {'a', 1}, {'a', 0}, {kShift, 0}}));
    EXPECT_TRUE(!keyboard.holdsKeys());
}

TEST_F(PortalKeys, EveryOtherCharacterIsItsOwnKeysymWithoutShift)
{
    // Punctuation, Latin-1, the code page's euro sign and typographic quotes:
    // the desktop picks the level, so no Shift of ours interferes.
    EXPECT_EQ(typed("!@"), (Keys{{'!', 1}, {'!', 0}}));  // "@" alone is Alt pending
    TSendKey::clearPendingModifiers();
    EXPECT_EQ(typed("\xE9\x80\x93"), (Keys{{0xE9, 1}, {0xE9, 0}, {0x10020AC, 1}, {0x10020AC, 0},
                                           {0x100201C, 1}, {0x100201C, 0}}));
    // More different characters than there are spare virtual keys: each
    // still arrives as itself.
    std::string text;
    Keys expected;
    for (int c = 0xA1; c <= 0xFF; ++c) {
        text += static_cast<char>(c);
        expected.push_back({c, 1});
        expected.push_back({c, 0});
    }
    EXPECT_EQ(typed(text), expected);
}

TEST_F(PortalKeys, KeysymsOfCharactersAndBytes)
{
    EXPECT_EQ(keysymForCodePoint(codePointOfByte('\x80')), 0x10020ACu);
    EXPECT_EQ(keysymForCodePoint(codePointOfByte('\x9F')), 0x1000178u);  // Y with diaeresis
    EXPECT_EQ(keysymForCodePoint(0x3042), 0x1003042u);
    EXPECT_EQ(keysymForCodePoint('\n'), 0xFF0Du);
    EXPECT_EQ(keysymForCodePoint(0x7F), kNoKeysym);
    // Unassigned code page bytes and other control characters type nothing.
    EXPECT_FALSE(keyboard.vkKeyScan('\x81').has_value());
    EXPECT_FALSE(keyboard.vkKeyScan('\x01').has_value());
    EXPECT_EQ(keysymForVirtualKey(0x7F), 0xFFCDu);  // F16
}

TEST_F(PortalKeys, AFailedCallLetsGoOfEverythingHeld)
{
    input.failingKeysym = 'a';
    EXPECT_EQ(typed("^a"), (Keys{{kCtrl, 1}, {kCtrl, 0}}));
    EXPECT_TRUE(!keyboard.holdsKeys());
    // The next key goes through again.
    EXPECT_EQ(typed("b"), (Keys{{'b', 1}, {'b', 0}}));
}

TEST_F(PortalKeys, KeysStillDownAreReleasedWhenTheKeyboardGoes)
{
    {
        RecordingInput own;
        {
            PortalKeyboard board(own);
            board.injectKey({kVkControl, 0, 0});
            board.injectKey({'X', 0, 0});
            // A release for a key never pressed sends nothing.
            board.injectKey({'Y', 0, kKeyEventKeyUp});
        }
        EXPECT_EQ(own.keys(), (Keys{{kCtrl, 1}, {'x', 1}, {'x', 0}, {kCtrl, 0}}));
    }
}

TEST(PortalPointerTest, AbsoluteMovesStayOnTheScreenAndButtonsPair)
{
    RecordingInput input;
    std::vector<Event> expected;
    {
        PortalPointer pointer(input, {1280, 720});
        EXPECT_EQ(pointer.position(), (ScreenPoint{640, 360}));
        // The sweep after a recognition: corner, far corner, back.
        pointer.setPosition({0, 0});
        pointer.setPosition(pointer.screenSize());
        pointer.setPosition({-5, 900});
        EXPECT_EQ(pointer.position(), (ScreenPoint{0, 719}));
        pointer.button(MouseButton::Left, true);
        pointer.button(MouseButton::Left, true);  // already down
        pointer.button(MouseButton::Left, false);
        pointer.button(MouseButton::Right, false);  // never pressed
        pointer.button(MouseButton::Right, true);
    }
    expected = {{"abs", 0, 0},          {"abs", 1279, 719},       {"abs", 0, 719},
                {"button", 272, 1},     {"button", 272, 0},       {"button", 273, 1},
                {"button", 273, 0}};  // the last one on destruction
    EXPECT_EQ(input.events, expected);
}

TEST(PortalPointerTest, WithoutAStreamMovesAreStepsFromTheCorner)
{
    RecordingInput input;
    input.absolute = false;
    PortalPointer pointer(input, {800, 600});
    pointer.setPosition({10, 20});
    pointer.setPosition({11, 20});
    pointer.setPosition({11, 20});  // no step at all
    EXPECT_EQ(input.events, (std::vector<Event>{{"rel", -1600, -1200}, {"rel", 10, 20}, {"rel", 1, 0}}));

    // After a failed step the position is unknown: the next move corners again.
    input.failEverything = true;
    pointer.setPosition({50, 50});
    EXPECT_EQ(pointer.position(), (ScreenPoint{11, 20}));
    input.failEverything = false;
    input.events.clear();
    pointer.setPosition({5, 5});
    EXPECT_EQ(input.events, (std::vector<Event>{{"rel", -1600, -1200}, {"rel", 5, 5}}));
}

} // namespace
} // namespace larkspur
