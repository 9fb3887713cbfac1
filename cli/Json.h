#pragma once
// Just enough JSON writing for the tool's line-oriented output.

#include <string>

namespace larkspur::cli {

// A JSON string literal, quotes included. Bytes above 127 pass through unchanged.
std::string jsonString(const std::string& text);

} // namespace larkspur::cli
