#pragma once
// The keymap the program's virtual keyboard uploads: a US keyboard for the
// keys the keystroke sender names, plus one key of its own for every
// Latin-1 character above 0x9F, so any character of an action is typed
// whatever layout the user's real keyboard has.

#include <cstdint>
#include <optional>
#include <string>

namespace larkspur {

// Evdev key codes (the xkb keycode minus 8), as the virtual keyboard sends them.
struct WlrootsKey {
    uint32_t code = 0;
    bool shift = false;  // the character is on the key's second level
};

namespace wlrootsKeymap {

// The whole keymap in xkb text form, ready to upload.
const std::string& text();
// The key of a virtual key the keystroke sender names; nullopt for virtual
// keys this keyboard has no key for.
std::optional<uint32_t> keyOfVirtualKey(uint8_t virtualKey);
// The key that types a character; nullopt for control bytes with no key.
std::optional<WlrootsKey> keyOfCharacter(char c);
// A key with no symbols at all: pressing it changes nothing anywhere.
uint32_t warmUpKey();

} // namespace wlrootsKeymap
} // namespace larkspur
