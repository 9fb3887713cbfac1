#include "actions/X11Keyboard.h"

#include "actions/SpareVirtualKeys.h"
#include "actions/UsKeyboardLayout.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace larkspur {

namespace {

KeySym keysymForChar(char c)
{
    switch (c) {
    case '\t': return XK_Tab;
    case '\r':
    case '\n': return XK_Return;
    case '\b': return XK_BackSpace;
    case '\x1b': return XK_Escape;
    default: break;
    }
    const unsigned char u = static_cast<unsigned char>(c);
    // Action strings are single-byte text; Latin-1 keysyms equal the byte.
    if ((u >= 0x20 && u <= 0x7E) || u >= 0xA0)
        return u;
    return NoSymbol;
}

KeySym keysymForVirtualKey(uint8_t vk)
{
    if (vk >= 0x70 && vk <= 0x7F)
        return XK_F1 + (vk - 0x70);
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return XK_0 + (vk - '0');
    switch (vk) {
    case 0x08: return XK_BackSpace;
    case 0x09: return XK_Tab;
    case 0x0D: return XK_Return;
    case 0x10: return XK_Shift_L;
    case 0x11: return XK_Control_L;
    case 0x12: return XK_Alt_L;
    case 0x13: return XK_Pause;
    case 0x14: return XK_Caps_Lock;
    case 0x1B: return XK_Escape;
    case 0x20: return XK_space;
    case 0x21: return XK_Prior;
    case 0x22: return XK_Next;
    case 0x23: return XK_End;
    case 0x24: return XK_Home;
    case 0x25: return XK_Left;
    case 0x26: return XK_Up;
    case 0x27: return XK_Right;
    case 0x28: return XK_Down;
    case 0x2C: return XK_Print;
    case 0x2D: return XK_Insert;
    case 0x2E: return XK_Delete;
    case 0x90: return XK_Num_Lock;
    default: return NoSymbol;
    }
}

} // namespace

X11Keyboard::X11Keyboard(Display* display) : m_display(display) {}

X11Keyboard::~X11Keyboard()
{
    // Give borrowed keycodes back their empty mapping.
    for (KeyCode code : m_borrowed) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(m_display, code, 1, &none, 1);
    }
    if (!m_borrowed.empty())
        XSync(m_display, False);
}

std::optional<X11Keyboard::Found> X11Keyboard::findKeysym(KeySym sym) const
{
    XkbStateRec state{};
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    int minCode = 0;
    int maxCode = 0;
    XDisplayKeycodes(m_display, &minCode, &maxCode);
    for (int level = 0; level < 4; ++level)
        for (int code = minCode; code <= maxCode; ++code)
            if (XkbKeycodeToKeysym(m_display, static_cast<KeyCode>(code), state.group, level) == sym)
                return Found{static_cast<KeyCode>(code), level};
    return std::nullopt;
}

std::optional<KeyCode> X11Keyboard::findEmptyKeycode() const
{
    int minCode = 0;
    int maxCode = 0;
    XDisplayKeycodes(m_display, &minCode, &maxCode);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(minCode), maxCode - minCode + 1, &perCode);
    if (!map)
        return std::nullopt;
    std::optional<KeyCode> found;
    for (int code = maxCode; code >= minCode && !found; --code) {
        const KeySym* syms = map + (code - minCode) * perCode;
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty = empty && syms[i] == NoSymbol;
        if (empty)
            found = static_cast<KeyCode>(code);
    }
    XFree(map);
    return found;
}

std::optional<KeyCode> X11Keyboard::borrowSpareKeycode(KeySym sym)
{
    std::optional<KeyCode> code = m_borrowed.size() < kMaxBorrowed ? findEmptyKeycode() : std::nullopt;
    if (code)
        m_borrowed.push_back(*code);
    else if (!m_borrowed.empty())
        code = m_borrowed[m_nextBorrow++ % m_borrowed.size()];  // reuse the oldest
    else
        return std::nullopt;
    KeySym syms[2] = {sym, sym};
    XChangeKeyboardMapping(m_display, *code, 2, syms, 1);
    XSync(m_display, False);
    return code;
}

uint8_t X11Keyboard::virtualKeyFor(char c, KeyCode code)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
        return static_cast<uint8_t>(u - 'a' + 'A');
    if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))
        return u;
    // The US virtual key of the character's key where it has one, so that
    // scan codes and the dry run agree on a US keyboard.
    UsKeyboardLayout us;
    if (const std::optional<uint16_t> usKey = us.vkKeyScan(c)) {
        const uint8_t vk = static_cast<uint8_t>(*usKey & 0xFF);
        auto it = m_charKeys.find(vk);
        if (it == m_charKeys.end() || it->second == code)
            return vk;
    }
    for (const auto& [vk, known] : m_charKeys)
        if (known == code)
            return vk;
    const uint8_t vk = kSpareVirtualKeys[m_nextSpareKey++ % kSpareVirtualKeys.size()];
    return vk;
}

std::optional<uint16_t> X11Keyboard::vkKeyScan(char c)
{
    const KeySym sym = keysymForChar(c);
    if (sym == NoSymbol)
        return std::nullopt;
    std::optional<Found> found = findKeysym(sym);
    if (!found) {
        const std::optional<KeyCode> spare = borrowSpareKeycode(sym);
        if (!spare)
            return std::nullopt;
        found = Found{*spare, 0};
    }
    const uint8_t vk = virtualKeyFor(c, found->code);
    m_charKeys[vk] = found->code;
    static constexpr uint16_t kLevelShiftState[] = {0, 1, 6, 7};
    const uint16_t shiftState = kLevelShiftState[found->level];
    m_level3Key = shiftState >= 6 ? vk : 0;
    return static_cast<uint16_t>((shiftState << 8) | vk);
}

uint8_t X11Keyboard::mapVirtualKey(uint8_t virtualKey)
{
    return usScanCode(virtualKey);
}

KeyCode X11Keyboard::keycodeFor(uint8_t virtualKey) const
{
    if (auto it = m_charKeys.find(virtualKey); it != m_charKeys.end())
        return it->second;
    const KeySym sym = keysymForVirtualKey(virtualKey);
    return sym == NoSymbol ? 0 : XKeysymToKeycode(m_display, sym);
}

void X11Keyboard::press(KeyCode code, bool down)
{
    if (code != 0)
        XTestFakeKeyEvent(m_display, code, down ? True : False, CurrentTime);
}

void X11Keyboard::injectKey(const SyntheticKeyEvent& event)
{
    const uint8_t vk = event.virtualKey;
    const bool down = !event.up();
    if (vk == kVkControl || vk == kVkMenu) {
        int& depth = vk == kVkControl ? m_ctrlDown : m_altDown;
        bool& swallowed = vk == kVkControl ? m_ctrlSwallowed : m_altSwallowed;
        depth += down ? 1 : -1;
        if (!down && swallowed) {
            if (depth <= 0)
                swallowed = false;
            return;
        }
        press(keycodeFor(vk), down);
        return;
    }
    const KeyCode level3 = XKeysymToKeycode(m_display, XK_ISO_Level3_Shift);
    if (down && vk == m_level3Key && m_ctrlDown > 0 && m_altDown > 0 && level3 != 0) {
        // Ctrl+Alt stands for AltGr here: let go of both and use the third
        // level instead; their release events later are then swallowed.
        press(keycodeFor(kVkMenu), false);
        press(keycodeFor(kVkControl), false);
        m_ctrlSwallowed = m_altSwallowed = true;
        press(level3, true);
        m_level3Held = true;
    }
    press(keycodeFor(vk), down);
    if (!down && m_level3Held && vk == m_level3Key) {
        press(level3, false);
        m_level3Held = false;
    }
}

void X11Keyboard::flush()
{
    XSync(m_display, False);
}

} // namespace larkspur
