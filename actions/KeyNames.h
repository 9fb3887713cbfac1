#pragma once
// The brace names of the keystroke notation and their virtual keys.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace larkspur {

struct KeyName {
    std::string_view name;
    uint8_t virtualKey;
};

// Longest brace name, except the one longer name below.
inline constexpr size_t kMaxKeyNameLength = 7;
// "CAPSLOCK" is the single name allowed one character more, so the catalogue's
// Caps Lock item works without letting other long names through.
inline constexpr std::string_view kLongKeyName = "CAPSLOCK";

// The table in search order: the first equal name wins.
std::span<const KeyName> keyNameTable();

// Virtual key of a brace name, letter case ignored; nullopt for an unknown name.
std::optional<uint8_t> LookupKeyName(std::string_view name);

} // namespace larkspur
