// The wlroots back end's keyboard without a compositor: the uploaded keymap
// read back with xkbcommon, the key and modifier events for what the
// keystroke sender asks, and sway's window tree.

#include "actions/TSendKey.h"
#include "actions/wlroots/SwayTree.h"
#include "actions/wlroots/WlrootsKeyboard.h"
#include "actions/wlroots/WlrootsKeymap.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <string>
#include <vector>

namespace larkspur {
namespace {

struct Keymap {
    Keymap()
    {
        context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        keymap = xkb_keymap_new_from_string(context, wlrootsKeymap::text().c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (keymap)
            state = xkb_state_new(keymap);
    }
    ~Keymap()
    {
        xkb_state_unref(state);
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }
    // The character a key gives with the given modifiers held, as a client reads it.
    uint32_t character(uint32_t evdevCode, uint32_t depressed)
    {
        xkb_state_update_mask(state, depressed, 0, 0, 0, 0, 0);
        return xkb_state_key_get_utf32(state, evdevCode + 8);
    }

    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
};

TEST(WlrootsKeymap, EveryPrintableCharacterHasAKeyThatTypesIt)
{
    Keymap km;
    ASSERT_NE(km.keymap, nullptr) << wlrootsKeymap::text();
    for (int c = 0x20; c <= 0xFF; ++c) {
        if (c >= 0x7F && c < 0xA0)
            continue;
        const std::optional<WlrootsKey> key = wlrootsKeymap::keyOfCharacter(static_cast<char>(c));
        ASSERT_TRUE(key) << std::hex << c;
        EXPECT_EQ(km.character(key->code, key->shift ? kXkbShiftMask : 0), static_cast<uint32_t>(c))
            << "character 0x" << std::hex << c << " key " << std::dec << key->code;
        EXPECT_LE(key->code + 8, 255u) << "XWayland takes keycodes up to 255 only";
    }
    // The modifier bits the keyboard sends are the keymap's.
    EXPECT_EQ(1u << xkb_keymap_mod_get_index(km.keymap, XKB_MOD_NAME_SHIFT), kXkbShiftMask);
    EXPECT_EQ(1u << xkb_keymap_mod_get_index(km.keymap, XKB_MOD_NAME_CTRL), kXkbControlMask);
    EXPECT_EQ(1u << xkb_keymap_mod_get_index(km.keymap, XKB_MOD_NAME_ALT), kXkbMod1Mask);
    // The warm-up key types nothing.
    EXPECT_EQ(km.character(wlrootsKeymap::warmUpKey(), 0), 0u);
    EXPECT_EQ(xkb_state_key_get_one_sym(km.state, wlrootsKeymap::warmUpKey() + 8), XKB_KEY_NoSymbol);
}

TEST(WlrootsKeymap, NamedKeysHaveTheirKeysyms)
{
    Keymap km;
    ASSERT_NE(km.keymap, nullptr);
    const std::pair<uint8_t, xkb_keysym_t> named[] = {
        {0x0D, XKB_KEY_Return}, {0x73, XKB_KEY_F4},      {0x7F, XKB_KEY_F16},    {0x2E, XKB_KEY_Delete},
        {0x25, XKB_KEY_Left},   {0x11, XKB_KEY_Control_L}, {0x12, XKB_KEY_Alt_L}, {0x10, XKB_KEY_Shift_L},
        {0x1B, XKB_KEY_Escape}, {0x24, XKB_KEY_Home},    {0x09, XKB_KEY_Tab},    {0x08, XKB_KEY_BackSpace},
    };
    for (const auto& [vk, sym] : named) {
        const std::optional<uint32_t> code = wlrootsKeymap::keyOfVirtualKey(vk);
        ASSERT_TRUE(code) << std::hex << int(vk);
        xkb_state_update_mask(km.state, 0, 0, 0, 0, 0, 0);
        EXPECT_EQ(xkb_state_key_get_one_sym(km.state, *code + 8), sym) << std::hex << int(vk);
    }
    EXPECT_FALSE(wlrootsKeymap::keyOfVirtualKey(0xE8));
}

struct Event {
    enum Kind { Key, Modifiers, Flush } kind;
    uint32_t a = 0;  // key code, or depressed modifiers
    uint32_t b = 0;  // 1 down, or locked modifiers
    bool operator==(const Event&) const = default;
};

class RecordingSink : public VirtualKeyboardSink {
public:
    void sendKey(uint32_t code, bool down) override { events.push_back({Event::Key, code, down ? 1u : 0u}); }
    void sendModifiers(uint32_t depressed, uint32_t locked) override
    {
        events.push_back({Event::Modifiers, depressed, locked});
    }
    void sendFlush() override { events.push_back({Event::Flush}); }

    // What a client would read: the characters typed with the modifiers in force.
    std::u32string typed(Keymap& km) const
    {
        std::u32string out;
        uint32_t depressed = 0;
        for (const Event& e : events) {
            if (e.kind == Event::Modifiers)
                depressed = e.a;
            else if (e.kind == Event::Key && e.b == 1)
                if (const uint32_t c = km.character(e.a, depressed))
                    out += (depressed & (kXkbControlMask | kXkbMod1Mask)) ? U'^' : c;
        }
        return out;
    }
    std::vector<Event> events;
};

class WlrootsKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { TSendKey::clearPendingModifiers(); }
    void TearDown() override { TSendKey::clearPendingModifiers(); }

    void send(const std::string& keys)
    {
        TSendKey sender(keyboard, keyboard);
        sender.SendKeys(keys);
    }
    size_t presses() const
    {
        size_t n = 0;
        for (const Event& e : sink.events)
            n += e.kind == Event::Key && e.b == 1;
        return n;
    }
    size_t releases() const
    {
        size_t n = 0;
        for (const Event& e : sink.events)
            n += e.kind == Event::Key && e.b == 0;
        return n;
    }

    RecordingSink sink;
    WlrootsKeyboard keyboard{sink};
    Keymap km;
};

TEST_F(WlrootsKeyboardTest, TextWithShiftedAndLatin1CharactersArrivesAsWritten)
{
    send("Hello, W\xF6rld! \xDF\xE9\xA7 %+");
    EXPECT_EQ(sink.typed(km), U"Hello, W\u00F6rld! \u00DF\u00E9\u00A7 %+");
    EXPECT_EQ(presses(), releases());
    EXPECT_EQ(keyboard.heldKeys(), 0u);
    EXPECT_EQ(sink.events.back().kind, Event::Flush);
}

TEST_F(WlrootsKeyboardTest, ModifiersAreSentWithTheirKeysAndClearedAfter)
{
    send("^c");
    const uint32_t ctrl = *wlrootsKeymap::keyOfVirtualKey(kVkControl);
    const uint32_t c = wlrootsKeymap::keyOfCharacter('c')->code;
    const std::vector<Event> expected = {
        {Event::Key, ctrl, 1}, {Event::Modifiers, kXkbControlMask, 0}, {Event::Key, c, 1},
        {Event::Key, c, 0},    {Event::Key, ctrl, 0},                  {Event::Modifiers, 0, 0},
        {Event::Flush},
    };
    EXPECT_EQ(sink.events, expected);

    sink.events.clear();
    send("@~{F4}");  // Alt+Shift+F4
    uint32_t most = 0;
    for (const Event& e : sink.events)
        if (e.kind == Event::Modifiers)
            most |= e.a;
    EXPECT_EQ(most, kXkbMod1Mask | kXkbShiftMask);
    ASSERT_GE(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[sink.events.size() - 2], (Event{Event::Modifiers, 0, 0}));
}

TEST_F(WlrootsKeyboardTest, EveryPressIsPairedAndNothingStaysHeld)
{
    const uint32_t a = *wlrootsKeymap::keyOfVirtualKey('A');
    const uint32_t shift = *wlrootsKeymap::keyOfVirtualKey(kVkShift);
    // A second press of a held key and a release of a key not held are dropped.
    keyboard.injectKey({'A', 0x1E, 0});
    keyboard.injectKey({'A', 0x1E, 0});
    keyboard.injectKey({'B', 0x30, kKeyEventKeyUp});
    keyboard.injectKey({kVkShift, 0x2A, 0});
    EXPECT_EQ(keyboard.heldKeys(), 2u);
    EXPECT_EQ(presses(), 2u);
    EXPECT_EQ(releases(), 0u);

    // The end of a string lets go of whatever is still down, modifiers last cleared.
    keyboard.flush();
    EXPECT_EQ(keyboard.heldKeys(), 0u);
    EXPECT_EQ(releases(), 2u);
    const std::vector<Event> tail(sink.events.end() - 4, sink.events.end());
    EXPECT_EQ(tail, (std::vector<Event>{{Event::Key, a, 0}, {Event::Key, shift, 0}, {Event::Modifiers, 0, 0},
                                        {Event::Flush}}));
}

TEST(WlrootsKeyboard, GoingAwayReleasesHeldKeys)
{
    RecordingSink sink;
    {
        WlrootsKeyboard keyboard(sink);
        keyboard.injectKey({kVkControl, 0x1D, 0});
        keyboard.injectKey({'X', 0x2D, 0});
    }
    size_t downs = 0;
    size_t ups = 0;
    for (const Event& e : sink.events) {
        downs += e.kind == Event::Key && e.b == 1;
        ups += e.kind == Event::Key && e.b == 0;
    }
    EXPECT_EQ(downs, 2u);
    EXPECT_EQ(ups, 2u);
    ASSERT_GE(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[sink.events.size() - 2], (Event{Event::Modifiers, 0, 0}));
}

TEST(SwayTree, ViewsCarryPidAppIdAndTitleAtAnyDepth)
{
    const std::string tree = R"({"id":1,"name":"root","type":"root","nodes":[
      {"id":3,"name":"HEADLESS-1","type":"output","nodes":[
        {"id":4,"name":"1","type":"workspace","nodes":[
          {"id":7,"name":"Notes \u00e9\"x\"","pid":4321,"app_id":"org.example.notes","nodes":[]},
          {"id":8,"name":"xterm","pid":99,"app_id":null,"window_properties":{"class":"XTerm"},"nodes":[]}
        ],"floating_nodes":[{"id":9,"name":"Float","pid":5,"app_id":"f","nodes":[],"rect":{"x":-1.5e2}}]}]}]})";
    const std::optional<std::vector<SwayView>> views = parseSwayTree(tree);
    ASSERT_TRUE(views);
    ASSERT_EQ(views->size(), 3u);
    EXPECT_EQ((*views)[0].pid, 4321);
    EXPECT_EQ((*views)[0].appId, "org.example.notes");
    EXPECT_EQ((*views)[0].title, "Notes \xC3\xA9\"x\"");
    EXPECT_EQ((*views)[1].appId, "XTerm");
    EXPECT_EQ((*views)[2].title, "Float");
}

TEST(SwayTree, BrokenOrHostileRepliesAreRefused)
{
    EXPECT_FALSE(parseSwayTree(""));
    EXPECT_FALSE(parseSwayTree(R"({"nodes":[)"));
    EXPECT_FALSE(parseSwayTree(R"({"name":"\uZZZZ"})"));
    EXPECT_FALSE(parseSwayTree(R"({"a":1} trailing)"));
    EXPECT_FALSE(parseSwayTree(std::string(100000, '[')));
    EXPECT_EQ(parseSwayTree(R"({"pid":0,"name":"no owner"})")->size(), 0u);
}

} // namespace
} // namespace larkspur
