#include "actions/TSendKey.h"

#include "actions/KeystrokeParser.h"

namespace larkspur {

namespace {

// Process-wide by design: a modifier said as one voice command applies to the
// first key of the next one, whichever sender instance sends it.
PendingModifiers g_pending;
bool g_tokensOnly = false;

} // namespace

TSendKey::TSendKey(KeyboardLayout& layout, KeyInjector& injector, WindowSystem* windows)
    : m_layout(layout), m_injector(injector), m_windows(windows)
{
}

bool TSendKey::TokensOnly() const
{
    return g_tokensOnly;
}

void TSendKey::setTokensOnly(bool on)
{
    g_tokensOnly = on;
}

PendingModifiers TSendKey::pendingModifiers()
{
    return g_pending;
}

void TSendKey::clearPendingModifiers()
{
    g_pending = {};
}

int TSendKey::SendKeys(std::string_view keys)
{
    if (keys.empty())
        return -1;
    const ParsedKeystrokes parsed = parseKeystrokes(keys, g_tokensOnly);
    for (const KeystrokeStep& step : parsed.steps) {
        switch (step.kind) {
        case KeystrokeStep::Kind::SetModifier:
            if (step.modifier == Modifier::Shift)
                g_pending.shift = true;
            else if (step.modifier == Modifier::Ctrl)
                g_pending.ctrl = true;
            else
                g_pending.alt = true;
            break;
        case KeystrokeStep::Kind::NamedKey:
            SendKeyChar(step.virtualKey);
            break;
        case KeystrokeStep::Kind::Character:
            // A character the layout cannot type is skipped; the pending
            // modifiers then wait for the next key that can be sent.
            if (const std::optional<uint16_t> key = m_layout.vkKeyScan(step.character))
                SendKeyChar(*key);
            break;
        }
    }
    m_injector.flush();
    if (parsed.error)
        throw ESendKey(*parsed.error);
    if (OnProcessMessages)
        OnProcessMessages();
    return 0;
}

int TSendKey::SendKeysToWindow(std::string_view keys, WindowId window)
{
    if (window > 0 && m_windows)
        m_windows->activate(window);
    return SendKeys(keys);
}

void TSendKey::SendKeyChar(uint16_t keyValue)
{
    const unsigned s = keyValue >> 8;
    const uint8_t vk = static_cast<uint8_t>(keyValue & 0xFF);
    PendingModifiers& p = g_pending;
    if (s == 2)
        p.ctrl = true;
    else if (s == 3)
        p.ctrl = p.shift = true;
    else if (s == 6)
        p.altGr = true;
    else if (s == 7)
        p.altGr = p.shift = true;

    if (p.alt)
        KeyEvent(kVkMenu, false);
    if (p.ctrl)
        KeyEvent(kVkControl, false);
    if (p.shift)
        KeyEvent(kVkShift, false);
    if (p.altGr) {
        KeyEvent(kVkControl, false);
        KeyEvent(kVkMenu, false);
    }

    // With Ctrl a letter goes without its own Shift: "^A" is Ctrl+A.
    const bool ownShift = ((s & 1) != 0 && !p.ctrl) || p.shift;
    if (ownShift)
        KeyEvent(kVkShift, false);
    KeyEvent(vk, false);
    KeyEvent(vk, true);
    if (ownShift)
        KeyEvent(kVkShift, true);

    if (p.shift) {
        KeyEvent(kVkShift, true);
        p.shift = false;
    }
    if (p.ctrl) {
        KeyEvent(kVkControl, true);
        p.ctrl = false;
    }
    if (p.alt) {
        KeyEvent(kVkMenu, true);
        p.alt = false;
    }
    if (p.altGr) {
        KeyEvent(kVkControl, true);
        KeyEvent(kVkMenu, true);
        p.altGr = false;
    }
}

void TSendKey::KeyEvent(uint8_t virtualKey, bool up)
{
    const uint8_t scan = m_layout.mapVirtualKey(virtualKey);
    uint32_t flags = (scan & 0xE0) != 0 ? kKeyEventExtendedKey : 0;
    if (up)
        flags |= kKeyEventKeyUp;
    m_injector.injectKey({virtualKey, scan, flags});
}

} // namespace larkspur
