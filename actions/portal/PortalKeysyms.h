#pragma once
// Keysyms for the characters of action strings and for the virtual keys the
// keystroke sender emits. Action strings are single-byte text: bytes from
// 0xA0 up are Latin-1, 0x80 to 0x9F the typographic characters (euro sign,
// quotes, dashes) of the Windows code page.

#include <cstdint>

namespace larkspur {

inline constexpr uint32_t kNoKeysym = 0;
inline constexpr uint32_t kKeysymShiftL = 0xFFE1;
inline constexpr uint32_t kKeysymControlL = 0xFFE3;
inline constexpr uint32_t kKeysymAltL = 0xFFE9;

// The Unicode code point of an action-string byte, 0 for bytes that are no
// character (unassigned code page positions).
uint32_t codePointOfByte(char c);
// The keysym typing a Unicode character: Latin-1 keysyms equal the code
// point, everything else is 0x01000000 | code point. Control characters get
// their keys (Tab, Return, BackSpace, Escape); other ones kNoKeysym.
uint32_t keysymForCodePoint(uint32_t codePoint);
// A virtual key of the keystroke sender's named keys, letters and digits;
// letters give the lower-case keysym (Shift comes as its own event).
uint32_t keysymForVirtualKey(uint8_t virtualKey);

} // namespace larkspur
