#include "actions/portal/PortalKeyboard.h"

#include "actions/SpareVirtualKeys.h"
#include "actions/UsKeyboardLayout.h"
#include "actions/portal/PortalKeysyms.h"

#include <algorithm>

namespace larkspur {

PortalKeyboard::PortalKeyboard(RemoteInput& input) : m_input(input) {}

PortalKeyboard::~PortalKeyboard()
{
    releaseAll();
}

std::optional<uint16_t> PortalKeyboard::vkKeyScan(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
        return static_cast<uint16_t>(u - 'a' + 'A');
    // Capitals go as Shift and the letter's key, as on a real keyboard, so
    // that "^A" is Ctrl+A and not Ctrl+Shift+A.
    if (u >= 'A' && u <= 'Z')
        return static_cast<uint16_t>(0x100 | u);
    if ((u >= '0' && u <= '9') || u == ' ')
        return u;
    switch (u) {
    case '\t': return uint16_t{0x09};
    case '\r':
    case '\n': return uint16_t{0x0D};
    case '\b': return uint16_t{0x08};
    case 0x1B: return uint16_t{0x1B};
    default: break;
    }
    const uint32_t sym = keysymForCodePoint(codePointOfByte(c));
    if (sym == kNoKeysym)
        return std::nullopt;
    // Shift state 0: the desktop picks the level the character needs, and a
    // Shift of ours would change what the key types on other layouts.
    const uint8_t vk = kSpareVirtualKeys[m_nextSpare++ % kSpareVirtualKeys.size()];
    m_lent[vk] = sym;
    return vk;
}

uint8_t PortalKeyboard::mapVirtualKey(uint8_t virtualKey)
{
    return usScanCode(virtualKey);
}

uint32_t PortalKeyboard::keysymFor(uint8_t virtualKey) const
{
    if (auto it = m_lent.find(virtualKey); it != m_lent.end())
        return it->second;
    return keysymForVirtualKey(virtualKey);
}

std::vector<PortalKeyboard::Held>::iterator PortalKeyboard::findHeld(uint32_t keysym)
{
    return std::find_if(m_held.begin(), m_held.end(), [keysym](const Held& h) { return h.keysym == keysym; });
}

void PortalKeyboard::injectKey(const SyntheticKeyEvent& event)
{
    const uint8_t vk = event.virtualKey;
    if (!event.up()) {
        const uint32_t sym = keysymFor(vk);
        if (sym == kNoKeysym)
            return;
        // The sender presses Shift twice for "~A"; the desktop sees one press
        // and, after the last release, one release.
        if (auto held = findHeld(sym); held != m_held.end()) {
            ++held->presses;
        } else if (m_input.keysym(sym, true)) {
            m_held.push_back({sym, 1});
        } else {
            releaseAll();
            return;
        }
        m_downAs[vk] = sym;
        return;
    }
    auto down = m_downAs.find(vk);
    if (down == m_downAs.end())
        return;  // a release without its press sends nothing
    const uint32_t sym = down->second;
    auto held = findHeld(sym);
    if (held == m_held.end() || --held->presses > 0)
        return;
    m_held.erase(held);
    m_downAs.erase(down);
    if (!m_input.keysym(sym, false))
        releaseAll();
}

void PortalKeyboard::warmUp()
{
    injectKey({kVkShift, 0, 0});
    injectKey({kVkShift, 0, kKeyEventKeyUp});
}

bool PortalKeyboard::releaseAll()
{
    bool ok = true;
    // Last pressed first, as fingers would let go.
    for (auto it = m_held.rbegin(); it != m_held.rend(); ++it)
        ok = m_input.keysym(it->keysym, false) && ok;
    m_held.clear();
    m_downAs.clear();
    return ok;
}

} // namespace larkspur
