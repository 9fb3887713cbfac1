#include "actions/KeystrokeParser.h"

#include "actions/KeyNames.h"
#include "actions/TextCase.h"

namespace larkspur {

namespace {

KeystrokeStep modifierStep(Modifier m)
{
    return {KeystrokeStep::Kind::SetModifier, m, 0, 0};
}

KeystrokeStep characterStep(char c)
{
    return {KeystrokeStep::Kind::Character, Modifier::Shift, c, 0};
}

// Collects the name after the "{" at keys[open]; returns the index of the "}"
// or nullopt when the name is too long or the closing brace is missing.
std::optional<size_t> collectName(std::string_view keys, size_t open, std::string& name)
{
    size_t j = open + 1;
    for (;;) {
        if (j >= keys.size())
            return std::nullopt;
        if (keys[j] == '}')
            return j;
        if (name.size() == kMaxKeyNameLength) {
            const bool longName = upperCase(name + keys[j]) == kLongKeyName
                && j + 1 < keys.size() && keys[j + 1] == '}';
            if (!longName)
                return std::nullopt;
            name += keys[j];
            return j + 1;
        }
        name += keys[j];
        ++j;
    }
}

} // namespace

ParsedKeystrokes parseKeystrokes(std::string_view keys, bool tokensOnly)
{
    ParsedKeystrokes out;
    for (size_t i = 0; i < keys.size(); ++i) {
        const char c = keys[i];
        if (!tokensOnly && (c == '~' || c == '^' || c == '@')) {
            out.steps.push_back(modifierStep(c == '~' ? Modifier::Shift : c == '^' ? Modifier::Ctrl : Modifier::Alt));
            continue;
        }
        if (c == '{' && keys.size() > 1) {
            std::string name;
            const std::optional<size_t> close = collectName(keys, i, name);
            if (!close) {
                out.error = std::string(kNoClosingBrackets);
                return out;
            }
            const std::optional<uint8_t> vk = LookupKeyName(name);
            if (!vk) {
                out.error = std::string(kInvalidToken);
                return out;
            }
            // Only the upper-case spellings act as modifiers; "{alt}" presses
            // the Alt key itself.
            if (name.find("ALT") != std::string::npos)
                out.steps.push_back(modifierStep(Modifier::Alt));
            else if (name.find("CTRL") != std::string::npos)
                out.steps.push_back(modifierStep(Modifier::Ctrl));
            else if (name.find("SHIFT") != std::string::npos)
                out.steps.push_back(modifierStep(Modifier::Shift));
            else
                out.steps.push_back({KeystrokeStep::Kind::NamedKey, Modifier::Shift, 0, *vk});
            i = *close;
            continue;
        }
        if (c == '}' && keys.size() > 1) {
            out.error = std::string(kInvalidToken);
            return out;
        }
        out.steps.push_back(characterStep(c));
    }
    return out;
}

} // namespace larkspur
