#pragma once
// What the keystroke sender needs from the platform: a keyboard layout that
// says which key types a character, and an injector that emits key events.

#include <cstdint>
#include <optional>

namespace larkspur {

inline constexpr uint8_t kVkShift = 0x10;
inline constexpr uint8_t kVkControl = 0x11;
inline constexpr uint8_t kVkMenu = 0x12;

inline constexpr uint32_t kKeyEventExtendedKey = 1;
inline constexpr uint32_t kKeyEventKeyUp = 2;

// One synthetic key event: virtual key, its scan code on the layout, and the
// extended/key-up flags.
struct SyntheticKeyEvent {
    uint8_t virtualKey = 0;
    uint8_t scanCode = 0;
    uint32_t flags = 0;

    bool up() const { return (flags & kKeyEventKeyUp) != 0; }
    bool operator==(const SyntheticKeyEvent&) const = default;
};

class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // Key value for a character: low byte the virtual key, high byte the shift
    // state (bit 0 Shift, bit 1 Ctrl, bit 2 Alt; 6 is AltGr). nullopt when the
    // layout has no key for it.
    virtual std::optional<uint16_t> vkKeyScan(char c) = 0;
    // Scan code of a virtual key, 0 when it has none.
    virtual uint8_t mapVirtualKey(uint8_t virtualKey) = 0;
};

class KeyInjector {
public:
    virtual ~KeyInjector() = default;
    virtual void injectKey(const SyntheticKeyEvent& event) = 0;
    // Hands everything emitted so far to the system.
    virtual void flush() {}
};

} // namespace larkspur
