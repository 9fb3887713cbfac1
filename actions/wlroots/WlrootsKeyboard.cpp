#include "actions/wlroots/WlrootsKeyboard.h"

#include "actions/SpareVirtualKeys.h"
#include "actions/UsKeyboardLayout.h"
#include "actions/wlroots/WlrootsKeymap.h"

namespace larkspur {

namespace {

uint32_t modifierBit(uint8_t virtualKey)
{
    switch (virtualKey) {
    case kVkShift: return kXkbShiftMask;
    case kVkControl: return kXkbControlMask;
    case kVkMenu: return kXkbMod1Mask;
    default: return 0;
    }
}

uint32_t lockBit(uint8_t virtualKey)
{
    switch (virtualKey) {
    case 0x14: return kXkbLockMask;  // Caps Lock
    case 0x90: return kXkbMod2Mask;  // Num Lock
    default: return 0;
    }
}

} // namespace

WlrootsKeyboard::~WlrootsKeyboard()
{
    releaseAll();
    m_sink.sendFlush();
}

std::optional<uint16_t> WlrootsKeyboard::vkKeyScan(char c)
{
    const std::optional<WlrootsKey> key = wlrootsKeymap::keyOfCharacter(c);
    if (!key)
        return std::nullopt;
    if (static_cast<unsigned char>(c) < 0x80) {
        // The keymap is a US keyboard for these: the US virtual key and shift
        // state say the same as the dry run does.
        UsKeyboardLayout us;
        return us.vkKeyScan(c);
    }
    const uint8_t vk = kSpareVirtualKeys[m_nextSpareKey++ % kSpareVirtualKeys.size()];
    m_charKeys[vk] = key->code;
    return static_cast<uint16_t>((key->shift ? 0x100 : 0) | vk);
}

uint8_t WlrootsKeyboard::mapVirtualKey(uint8_t virtualKey)
{
    return usScanCode(virtualKey);
}

std::optional<uint32_t> WlrootsKeyboard::codeFor(uint8_t virtualKey) const
{
    if (auto it = m_charKeys.find(virtualKey); it != m_charKeys.end())
        return it->second;
    return wlrootsKeymap::keyOfVirtualKey(virtualKey);
}

void WlrootsKeyboard::injectKey(const SyntheticKeyEvent& event)
{
    const std::optional<uint32_t> code = codeFor(event.virtualKey);
    if (!code)
        return;
    const bool down = !event.up();
    // A press of a held key or a release of a key not held would leave the
    // compositor's idea of the keyboard out of step with ours.
    if (down == (m_held.count(*code) != 0))
        return;
    if (down)
        m_held.insert(*code);
    else
        m_held.erase(*code);
    m_sink.sendKey(*code, down);

    const uint32_t modifier = modifierBit(event.virtualKey);
    const uint32_t lock = lockBit(event.virtualKey);
    if (modifier != 0) {
        if (down)
            m_heldModifiers[*code] = modifier;
        else
            m_heldModifiers.erase(*code);
    }
    if (lock != 0 && down)
        m_locked ^= lock;
    if (modifier != 0 || lock != 0) {
        uint32_t depressed = 0;
        for (const auto& [heldCode, bit] : m_heldModifiers)
            depressed |= bit;
        m_sink.sendModifiers(depressed, m_locked);
    }
}

void WlrootsKeyboard::flush()
{
    releaseAll();
    m_sink.sendFlush();
}

void WlrootsKeyboard::releaseAll()
{
    const bool hadModifiers = !m_heldModifiers.empty();
    for (uint32_t code : m_held)
        m_sink.sendKey(code, false);
    m_held.clear();
    m_heldModifiers.clear();
    if (hadModifiers)
        m_sink.sendModifiers(0, m_locked);
}

} // namespace larkspur
