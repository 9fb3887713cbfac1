#pragma once
// ASCII letter case for action strings: single-byte text whose case rules must
// not depend on the process locale.

#include <string>
#include <string_view>

namespace larkspur {

inline char upperCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string upperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = upperCase(c);
    return out;
}

} // namespace larkspur
