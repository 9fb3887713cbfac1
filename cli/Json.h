#pragma once
// Just enough JSON writing for the tool's line-oriented output.

#include <string>

namespace larkspur::cli {

// A JSON string literal, quotes included, always valid UTF-8: text that is
// not UTF-8 is read as Windows-1252, as table text is.
std::string jsonString(const std::string& text);

} // namespace larkspur::cli
