#pragma once
// Turns keystroke actions into key-down and key-up events for the window that
// has the keyboard focus.

#include "actions/KeyboardPlatform.h"
#include "actions/WindowSystem.h"

#include <functional>
#include <stdexcept>
#include <string_view>

namespace larkspur {

// A malformed keystroke action: "No Closing brackets" or "Invalid token".
class ESendKey : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Modifiers waiting for the next key. They belong to the process, not to one
// action string: "Control" said before "c" gives Ctrl+C.
struct PendingModifiers {
    bool alt = false;
    bool ctrl = false;
    bool shift = false;
    bool altGr = false;
    bool operator==(const PendingModifiers&) const = default;
};

class TSendKey {
public:
    // windows may be null when SendKeysToWindow is not used.
    TSendKey(KeyboardLayout& layout, KeyInjector& injector, WindowSystem* windows = nullptr);

    // Kept for stored settings; there is no external keystroke library here.
    bool UseDll() const { return m_useDll; }
    void setUseDll(bool on) { m_useDll = on; }
    // Shared by every instance in the process.
    bool TokensOnly() const;
    void setTokensOnly(bool on);

    // -1 for empty keys, else 0 once everything is sent. Throws ESendKey for
    // malformed keys; keys before the fault stay sent.
    int SendKeys(std::string_view keys);
    // Activates window first when it is a window (above 0).
    int SendKeysToWindow(std::string_view keys, WindowId window);

    // Runs pending user-interface events after a string has been sent.
    std::function<void()> OnProcessMessages;

    static PendingModifiers pendingModifiers();
    // Forgets the pending modifiers without sending a key.
    static void clearPendingModifiers();

private:
    void SendKeyChar(uint16_t keyValue);
    void KeyEvent(uint8_t virtualKey, bool up);

    KeyboardLayout& m_layout;
    KeyInjector& m_injector;
    WindowSystem* m_windows;
    bool m_useDll = false;
};

} // namespace larkspur
