#include "cli/Json.h"

#include "engine/TextEncoding.h"

#include <cstdio>

namespace larkspur::cli {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    // Output is always UTF-8: text from older tables may be Windows-1252.
    for (const char ch : tableTextToUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

} // namespace larkspur::cli
