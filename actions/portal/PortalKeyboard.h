#pragma once
// Keystrokes as keysyms through a remote-control session. There is no
// layout to ask: letters and digits keep their virtual keys, every other
// character is lent a spare virtual key that stands for its keysym, and the
// desktop finds the key (and the level) that types it. So any character of an
// action string can be sent, whatever layout the user has.

#include "actions/KeyboardPlatform.h"
#include "actions/portal/RemoteInput.h"

#include <cstddef>
#include <map>

namespace larkspur {

class PortalKeyboard : public KeyboardLayout, public KeyInjector {
public:
    explicit PortalKeyboard(RemoteInput& input);
    // Lets go of every key still held.
    ~PortalKeyboard() override;
    PortalKeyboard(const PortalKeyboard&) = delete;
    PortalKeyboard& operator=(const PortalKeyboard&) = delete;

    std::optional<uint16_t> vkKeyScan(char c) override;
    uint8_t mapVirtualKey(uint8_t virtualKey) override;
    void injectKey(const SyntheticKeyEvent& event) override;

    // Sends a press and release of Shift, so a keyboard the desktop creates on
    // first use is in place before the first real key.
    void warmUp();
    // Releases every held key; false when a release did not get through.
    // Also done after any call that fails, so no key stays stuck down.
    bool releaseAll();
    // Keysyms held down now, with how many presses each has outstanding.
    const std::map<uint32_t, int>& held() const { return m_held; }

private:
    uint32_t keysymFor(uint8_t virtualKey) const;

    RemoteInput& m_input;
    std::map<uint8_t, uint32_t> m_lent;    // spare virtual key -> character keysym
    std::map<uint8_t, uint32_t> m_downAs;  // virtual key held -> keysym it was pressed as
    std::map<uint32_t, int> m_held;        // keysym -> outstanding presses
    size_t m_nextSpare = 0;
};

} // namespace larkspur
