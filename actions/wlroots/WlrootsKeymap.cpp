#include "actions/wlroots/WlrootsKeymap.h"

#include <array>
#include <cstdio>
#include <vector>

namespace larkspur::wlrootsKeymap {

namespace {

struct StandardKey {
    uint8_t virtualKey;  // 0: a key typed only as a character
    uint32_t code;       // evdev code
    const char* level1;
    const char* level2;  // null: one level
    char char1;          // character on the first level, 0 none
    char char2;          // character on the second level, 0 none
};

// A US keyboard: the keys the keystroke sender can name, and the printable
// ASCII characters on their US places.
constexpr StandardKey kStandardKeys[] = {
    {0x1B, 1, "Escape", nullptr, '\x1b', 0},
    {'1', 2, "1", "exclam", '1', '!'},
    {'2', 3, "2", "at", '2', '@'},
    {'3', 4, "3", "numbersign", '3', '#'},
    {'4', 5, "4", "dollar", '4', '$'},
    {'5', 6, "5", "percent", '5', '%'},
    {'6', 7, "6", "asciicircum", '6', '^'},
    {'7', 8, "7", "ampersand", '7', '&'},
    {'8', 9, "8", "asterisk", '8', '*'},
    {'9', 10, "9", "parenleft", '9', '('},
    {'0', 11, "0", "parenright", '0', ')'},
    {0xBD, 12, "minus", "underscore", '-', '_'},
    {0xBB, 13, "equal", "plus", '=', '+'},
    {0x08, 14, "BackSpace", nullptr, '\b', 0},
    {0x09, 15, "Tab", nullptr, '\t', 0},
    {'Q', 16, "q", "Q", 'q', 'Q'},
    {'W', 17, "w", "W", 'w', 'W'},
    {'E', 18, "e", "E", 'e', 'E'},
    {'R', 19, "r", "R", 'r', 'R'},
    {'T', 20, "t", "T", 't', 'T'},
    {'Y', 21, "y", "Y", 'y', 'Y'},
    {'U', 22, "u", "U", 'u', 'U'},
    {'I', 23, "i", "I", 'i', 'I'},
    {'O', 24, "o", "O", 'o', 'O'},
    {'P', 25, "p", "P", 'p', 'P'},
    {0xDB, 26, "bracketleft", "braceleft", '[', '{'},
    {0xDD, 27, "bracketright", "braceright", ']', '}'},
    {0x0D, 28, "Return", nullptr, '\r', 0},
    {0x11, 29, "Control_L", nullptr, 0, 0},
    {'A', 30, "a", "A", 'a', 'A'},
    {'S', 31, "s", "S", 's', 'S'},
    {'D', 32, "d", "D", 'd', 'D'},
    {'F', 33, "f", "F", 'f', 'F'},
    {'G', 34, "g", "G", 'g', 'G'},
    {'H', 35, "h", "H", 'h', 'H'},
    {'J', 36, "j", "J", 'j', 'J'},
    {'K', 37, "k", "K", 'k', 'K'},
    {'L', 38, "l", "L", 'l', 'L'},
    {0xBA, 39, "semicolon", "colon", ';', ':'},
    {0xDE, 40, "apostrophe", "quotedbl", '\'', '"'},
    {0xC0, 41, "grave", "asciitilde", '`', '~'},
    {0x10, 42, "Shift_L", nullptr, 0, 0},
    {0xDC, 43, "backslash", "bar", '\\', '|'},
    {'Z', 44, "z", "Z", 'z', 'Z'},
    {'X', 45, "x", "X", 'x', 'X'},
    {'C', 46, "c", "C", 'c', 'C'},
    {'V', 47, "v", "V", 'v', 'V'},
    {'B', 48, "b", "B", 'b', 'B'},
    {'N', 49, "n", "N", 'n', 'N'},
    {'M', 50, "m", "M", 'm', 'M'},
    {0xBC, 51, "comma", "less", ',', '<'},
    {0xBE, 52, "period", "greater", '.', '>'},
    {0xBF, 53, "slash", "question", '/', '?'},
    {0x12, 56, "Alt_L", nullptr, 0, 0},
    {0x20, 57, "space", nullptr, ' ', 0},
    {0x14, 58, "Caps_Lock", nullptr, 0, 0},
    {0x70, 59, "F1", nullptr, 0, 0},
    {0x71, 60, "F2", nullptr, 0, 0},
    {0x72, 61, "F3", nullptr, 0, 0},
    {0x73, 62, "F4", nullptr, 0, 0},
    {0x74, 63, "F5", nullptr, 0, 0},
    {0x75, 64, "F6", nullptr, 0, 0},
    {0x76, 65, "F7", nullptr, 0, 0},
    {0x77, 66, "F8", nullptr, 0, 0},
    {0x78, 67, "F9", nullptr, 0, 0},
    {0x79, 68, "F10", nullptr, 0, 0},
    {0x90, 69, "Num_Lock", nullptr, 0, 0},
    {0x91, 70, "Scroll_Lock", nullptr, 0, 0},
    {0x7A, 87, "F11", nullptr, 0, 0},
    {0x7B, 88, "F12", nullptr, 0, 0},
    {0x2C, 99, "Print", nullptr, 0, 0},
    {0x24, 102, "Home", nullptr, 0, 0},
    {0x26, 103, "Up", nullptr, 0, 0},
    {0x21, 104, "Prior", nullptr, 0, 0},
    {0x25, 105, "Left", nullptr, 0, 0},
    {0x27, 106, "Right", nullptr, 0, 0},
    {0x23, 107, "End", nullptr, 0, 0},
    {0x28, 108, "Down", nullptr, 0, 0},
    {0x22, 109, "Next", nullptr, 0, 0},
    {0x2D, 110, "Insert", nullptr, 0, 0},
    {0x2E, 111, "Delete", nullptr, 0, 0},
    {0x13, 119, "Pause", nullptr, 0, 0},
    {0x5B, 125, "Super_L", nullptr, 0, 0},
    {0x5D, 127, "Menu", nullptr, 0, 0},
    {0x7C, 183, "F13", nullptr, 0, 0},
    {0x7D, 184, "F14", nullptr, 0, 0},
    {0x7E, 185, "F15", nullptr, 0, 0},
    {0x7F, 186, "F16", nullptr, 0, 0},
};

// Latin-1 characters 0xA0..0xFF get keys from here on, one each, one level;
// the key after them is the warm-up key. Codes 120..182 are multimedia keys
// this keyboard does not have.
constexpr uint32_t kFirstCharacterCode = 120;
constexpr uint32_t kLastCharacterCode = 247;  // keycode 255: the last one XWayland can take
constexpr int kLatin1Count = 0x100 - 0xA0;

uint32_t characterCode(int index)
{
    // 183..186 are F13..F16 above.
    uint32_t code = kFirstCharacterCode + static_cast<uint32_t>(index);
    if (code >= 183)
        code += 4;
    return code;
}

std::string build()
{
    std::string keycodes = "  xkb_keycodes \"larkspur\" {\n    minimum = 8;\n    maximum = 255;\n";
    std::string symbols = "  xkb_symbols \"larkspur\" {\n";
    char line[160];
    auto addKey = [&](uint32_t code, const std::string& syms) {
        std::snprintf(line, sizeof line, "    <K%u> = %u;\n", code + 8, code + 8);
        keycodes += line;
        std::snprintf(line, sizeof line, "    key <K%u> { [ %s ] };\n", code + 8, syms.c_str());
        symbols += line;
    };
    for (const StandardKey& k : kStandardKeys)
        addKey(k.code, k.level2 ? std::string(k.level1) + ", " + k.level2 : std::string(k.level1));
    for (int i = 0; i < kLatin1Count; ++i) {
        std::snprintf(line, sizeof line, "U%04X", 0xA0 + i);
        addKey(characterCode(i), line);
    }
    addKey(warmUpKey(), "NoSymbol");
    symbols += "    modifier_map Shift { <K50> };\n"
               "    modifier_map Lock { <K66> };\n"
               "    modifier_map Control { <K37> };\n"
               "    modifier_map Mod1 { <K64> };\n"
               "    modifier_map Mod2 { <K77> };\n"
               "  };\n";
    keycodes += "  };\n";
    return "xkb_keymap {\n" + keycodes +
           "  xkb_types \"larkspur\" { include \"complete\" };\n"
           "  xkb_compatibility \"larkspur\" { include \"complete\" };\n" +
           symbols + "};\n";
}

} // namespace

const std::string& text()
{
    static const std::string keymap = build();
    return keymap;
}

std::optional<uint32_t> keyOfVirtualKey(uint8_t virtualKey)
{
    for (const StandardKey& k : kStandardKeys)
        if (k.virtualKey == virtualKey)
            return k.code;
    return std::nullopt;
}

std::optional<WlrootsKey> keyOfCharacter(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0xA0)
        return WlrootsKey{characterCode(u - 0xA0), false};
    if (c == '\n')
        c = '\r';
    for (const StandardKey& k : kStandardKeys) {
        if (k.char1 != 0 && k.char1 == c)
            return WlrootsKey{k.code, false};
        if (k.char2 != 0 && k.char2 == c)
            return WlrootsKey{k.code, true};
    }
    return std::nullopt;
}

uint32_t warmUpKey()
{
    return characterCode(kLatin1Count);
}

static_assert(kFirstCharacterCode + kLatin1Count + 4 <= kLastCharacterCode);

} // namespace larkspur::wlrootsKeymap
