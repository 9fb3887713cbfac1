#pragma once
// Keys on the program's own virtual keyboard: the keystroke sender's virtual
// keys become key codes of the uploaded keymap (WlrootsKeymap.h), and the
// modifier state is sent along, since the compositor takes it from the
// keyboard's client rather than working it out from the keys.

#include "actions/KeyboardPlatform.h"

#include <cstdint>
#include <map>
#include <set>

namespace larkspur {

// Where the key events go: the Wayland virtual keyboard, or a recorder in tests.
class VirtualKeyboardSink {
public:
    virtual ~VirtualKeyboardSink() = default;
    virtual void sendKey(uint32_t code, bool down) = 0;
    virtual void sendModifiers(uint32_t depressed, uint32_t locked) = 0;
    virtual void sendFlush() = 0;
};

// The real modifier bits of an xkb keymap.
inline constexpr uint32_t kXkbShiftMask = 1u << 0;
inline constexpr uint32_t kXkbLockMask = 1u << 1;
inline constexpr uint32_t kXkbControlMask = 1u << 2;
inline constexpr uint32_t kXkbMod1Mask = 1u << 3;  // Alt
inline constexpr uint32_t kXkbMod2Mask = 1u << 4;  // Num Lock

class WlrootsKeyboard : public KeyboardLayout, public KeyInjector {
public:
    explicit WlrootsKeyboard(VirtualKeyboardSink& sink) : m_sink(sink) {}
    // Lets go of every key still held.
    ~WlrootsKeyboard() override;
    WlrootsKeyboard(const WlrootsKeyboard&) = delete;
    WlrootsKeyboard& operator=(const WlrootsKeyboard&) = delete;

    std::optional<uint16_t> vkKeyScan(char c) override;
    uint8_t mapVirtualKey(uint8_t virtualKey) override;
    void injectKey(const SyntheticKeyEvent& event) override;
    // A finished string leaves no key held: anything still down is released.
    void flush() override;

    // Releases every held key and clears the held modifiers.
    void releaseAll();
    size_t heldKeys() const { return m_held.size(); }

private:
    std::optional<uint32_t> codeFor(uint8_t virtualKey) const;

    VirtualKeyboardSink& m_sink;
    std::map<uint8_t, uint32_t> m_charKeys;  // virtual keys handed to characters
    size_t m_nextSpareKey = 0;
    std::set<uint32_t> m_held;
    std::map<uint32_t, uint32_t> m_heldModifiers;  // key code -> modifier bit
    uint32_t m_locked = 0;
};

} // namespace larkspur
