#pragma once
// Reads a keystroke action into the steps the keystroke sender carries out.
// Pure: the sender executes the steps and then raises the error, so keys in
// front of a malformed part are still sent.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur {

inline constexpr std::string_view kNoClosingBrackets = "No Closing brackets";
inline constexpr std::string_view kInvalidToken = "Invalid token";

enum class Modifier { Shift, Ctrl, Alt };

struct KeystrokeStep {
    enum class Kind { SetModifier, Character, NamedKey };
    Kind kind;
    Modifier modifier = Modifier::Shift;  // SetModifier
    char character = 0;                   // Character
    uint8_t virtualKey = 0;               // NamedKey

    bool operator==(const KeystrokeStep&) const = default;
};

struct ParsedKeystrokes {
    std::vector<KeystrokeStep> steps;
    std::optional<std::string> error;  // one of the two texts above
};

// tokensOnly: "~", "^" and "@" are plain characters.
ParsedKeystrokes parseKeystrokes(std::string_view keys, bool tokensOnly);

} // namespace larkspur
