#include "actions/KeyNames.h"

#include "actions/TextCase.h"

#include <string>

namespace larkspur {

namespace {

constexpr KeyName kKeyNames[] = {
    {"CTRL", 0x11},   {"ALT", 0x12},    {"MENU", 0x12},   {"SHIFT", 0x10},
    {"SPACE", 0x20},  {"F1", 0x70},     {"F2", 0x71},     {"F3", 0x72},
    {"F4", 0x73},     {"F5", 0x74},     {"F6", 0x75},     {"F7", 0x76},
    {"F8", 0x77},     {"F9", 0x78},     {"F10", 0x79},    {"F11", 0x7A},
    {"F12", 0x7B},    {"INSERT", 0x2D}, {"DELETE", 0x2E}, {"DEL", 0x2E},
    {"HOME", 0x24},   {"END", 0x23},    {"PGUP", 0x21},   {"PGDN", 0x22},
    {"TAB", 0x09},    {"ENTER", 0x0D},  {"BKSP", 0x08},   {"PRTSC", 0x2C},
    {"ESCAPE", 0x1B}, {"ESC", 0x1B},    {"UP", 0x26},     {"DOWN", 0x28},
    {"LEFT", 0x25},   {"RIGHT", 0x27},  {"DN", 0x28},     {"L", 0x25},
    {"R", 0x27},
    // Keys the catalogue offers beyond the classic set.
    {"BREAK", 0x13},  {"CAPSLOCK", 0x14}, {"NUMLOCK", 0x90},
    {"F13", 0x7C},    {"F14", 0x7D},    {"F15", 0x7E},    {"F16", 0x7F},
};

} // namespace

std::span<const KeyName> keyNameTable()
{
    return kKeyNames;
}

std::optional<uint8_t> LookupKeyName(std::string_view name)
{
    std::string upper = upperCase(name);
    if (upper != kLongKeyName && upper.size() > kMaxKeyNameLength)
        upper.resize(kMaxKeyNameLength);
    for (const KeyName& row : kKeyNames)
        if (row.name == upper)
            return row.virtualKey;
    return std::nullopt;
}

} // namespace larkspur
