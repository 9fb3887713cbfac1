#pragma once
// Keystrokes as keysyms through a remote-control session. There is no
// layout to ask: letters and digits keep their virtual keys, every other
// character is lent a spare virtual key that stands for its keysym, and the
// desktop finds the key (and the level, Shift or AltGr) that types it on the
// user's layout. Characters the layout has no key for are sent as their
// keysyms too; GNOME drops those (the call still succeeds).

#include "actions/KeyboardPlatform.h"
#include "actions/portal/RemoteInput.h"

#include <cstddef>
#include <map>
#include <vector>

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
    // Whether any key is held down now.
    bool holdsKeys() const { return !m_held.empty(); }

private:
    struct Held {
        uint32_t keysym = 0;
        int presses = 0;  // the sender may press one key twice (Shift for "~A")
    };
    uint32_t keysymFor(uint8_t virtualKey) const;
    std::vector<Held>::iterator findHeld(uint32_t keysym);

    RemoteInput& m_input;
    std::map<uint8_t, uint32_t> m_lent;    // spare virtual key -> character keysym
    std::map<uint8_t, uint32_t> m_downAs;  // virtual key held -> keysym it was pressed as
    std::vector<Held> m_held;              // in the order of their first press
    size_t m_nextSpare = 0;
};

} // namespace larkspur
