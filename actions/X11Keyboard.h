#pragma once
// Keyboard layout and key injection over XTest, reading characters through
// the current XKB layout. Internal to the X11 back ends.

#include "actions/KeyboardPlatform.h"

#include <X11/Xlib.h>

#include <map>
#include <vector>

namespace larkspur {

class X11Keyboard : public KeyboardLayout, public KeyInjector {
public:
    explicit X11Keyboard(Display* display);
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    std::optional<uint16_t> vkKeyScan(char c) override;
    uint8_t mapVirtualKey(uint8_t virtualKey) override;
    void injectKey(const SyntheticKeyEvent& event) override;
    void flush() override;

private:
    struct Found {
        KeyCode code = 0;
        int level = 0;
    };
    std::optional<Found> findKeysym(KeySym sym) const;
    std::optional<KeyCode> findEmptyKeycode() const;
    // A character no key types gets a keycode without keysyms of its own,
    // kept until the keyboard object goes so late key events still match.
    std::optional<KeyCode> borrowSpareKeycode(KeySym sym);
    static constexpr size_t kMaxBorrowed = 8;
    uint8_t virtualKeyFor(char c, KeyCode code);
    KeyCode keycodeFor(uint8_t virtualKey) const;
    void press(KeyCode code, bool down);

    Display* m_display;
    std::map<uint8_t, KeyCode> m_charKeys;  // virtual keys learned from characters
    std::vector<KeyCode> m_borrowed;        // spare keycodes we gave a keysym
    size_t m_nextBorrow = 0;
    size_t m_nextSpareKey = 0;
    // AltGr arrives as Ctrl+Alt; on X the third level needs ISO_Level3_Shift.
    uint8_t m_level3Key = 0;
    int m_ctrlDown = 0;
    int m_altDown = 0;
    bool m_ctrlSwallowed = false;
    bool m_altSwallowed = false;
    bool m_level3Held = false;
};

} // namespace larkspur
