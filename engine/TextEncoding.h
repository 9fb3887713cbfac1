#pragma once
// The text encoding of phrases and action strings in table files. New tables
// hold UTF-8. Older tables hold single-byte Windows-1252 text; a string that
// is not valid UTF-8 is read as Windows-1252, so every string reaches the
// screen and JSON output as valid UTF-8. Strings stay length-prefixed bytes
// of at most 255 in the record.

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspur {

inline constexpr std::size_t kMaxTableTextBytes = 255;

bool isValidUtf8(std::string_view bytes);

// A phrase or action as stored in a table, as UTF-8: unchanged when it is
// valid UTF-8, else every byte decoded as Windows-1252.
std::string tableTextToUtf8(std::string_view bytes);

// The longest prefix of utf8 that fits in maxBytes without splitting a character.
std::string cutUtf8(std::string_view utf8, std::size_t maxBytes = kMaxTableTextBytes);

} // namespace larkspur
