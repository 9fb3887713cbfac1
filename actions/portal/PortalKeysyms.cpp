#include "actions/portal/PortalKeysyms.h"

namespace larkspur {

namespace {

// 0x80..0x9F of the Windows code page; 0 where the code page has no character.
constexpr uint16_t kHighBytes[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

uint32_t codePointOfByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 && u < 0xA0)
        return kHighBytes[u - 0x80];
    return u;
}

uint32_t keysymForCodePoint(uint32_t codePoint)
{
    switch (codePoint) {
    case '\t': return 0xFF09;             // Tab
    case '\r':
    case '\n': return 0xFF0D;             // Return
    case '\b': return 0xFF08;             // BackSpace
    case 0x1B: return 0xFF1B;             // Escape
    default: break;
    }
    if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0) || codePoint > 0x10FFFF)
        return kNoKeysym;
    if (codePoint <= 0xFF)
        return codePoint;
    return 0x01000000 | codePoint;
}

uint32_t keysymForVirtualKey(uint8_t vk)
{
    if (vk >= 0x70 && vk <= 0x87)
        return 0xFFBE + (vk - 0x70);      // F1..F24
    if (vk >= 'A' && vk <= 'Z')
        return 'a' + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return vk;
    switch (vk) {
    case 0x08: return 0xFF08;             // BackSpace
    case 0x09: return 0xFF09;             // Tab
    case 0x0D: return 0xFF0D;             // Return
    case 0x10: return kKeysymShiftL;
    case 0x11: return kKeysymControlL;
    case 0x12: return kKeysymAltL;
    case 0x13: return 0xFF13;             // Pause
    case 0x14: return 0xFFE5;             // Caps_Lock
    case 0x1B: return 0xFF1B;             // Escape
    case 0x20: return 0x0020;             // space
    case 0x21: return 0xFF55;             // Prior
    case 0x22: return 0xFF56;             // Next
    case 0x23: return 0xFF57;             // End
    case 0x24: return 0xFF50;             // Home
    case 0x25: return 0xFF51;             // Left
    case 0x26: return 0xFF52;             // Up
    case 0x27: return 0xFF53;             // Right
    case 0x28: return 0xFF54;             // Down
    case 0x2C: return 0xFF61;             // Print
    case 0x2D: return 0xFF63;             // Insert
    case 0x2E: return 0xFFFF;             // Delete
    case 0x5B: return 0xFFEB;             // Super_L
    case 0x5C: return 0xFFEC;             // Super_R
    case 0x90: return 0xFF7F;             // Num_Lock
    case 0xA0: return kKeysymShiftL;
    case 0xA1: return 0xFFE2;             // Shift_R
    case 0xA2: return kKeysymControlL;
    case 0xA3: return 0xFFE4;             // Control_R
    case 0xA4: return kKeysymAltL;
    case 0xA5: return 0xFE03;             // ISO_Level3_Shift (right Alt)
    default: return kNoKeysym;
    }
}

} // namespace larkspur
