#include "actions/UsKeyboardLayout.h"

#include <array>
#include <string_view>

namespace larkspur {

namespace {

constexpr uint16_t kShift = 0x100;
constexpr uint16_t kCtrl = 0x200;

// Punctuation: unshifted and shifted character of each key, and its virtual key.
struct PunctuationKey {
    char plain;
    char shifted;
    uint8_t virtualKey;
};
constexpr PunctuationKey kPunctuation[] = {
    {';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
    {'.', '>', 0xBE}, {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
    {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
};

// Shifted digit row: ")!@#$%^&*(" above 0..9.
constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";

constexpr std::array<uint8_t, 256> makeScanCodes()
{
    std::array<uint8_t, 256> sc{};
    constexpr std::string_view rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    constexpr uint8_t rowStart[] = {0x10, 0x1E, 0x2C};
    for (int r = 0; r < 3; ++r)
        for (size_t i = 0; i < rows[r].size(); ++i)
            sc[static_cast<uint8_t>(rows[r][i])] = static_cast<uint8_t>(rowStart[r] + i);
    for (int d = 1; d <= 9; ++d)
        sc['0' + d] = static_cast<uint8_t>(0x01 + d);
    sc['0'] = 0x0B;
    for (int f = 0; f < 10; ++f)
        sc[0x70 + f] = static_cast<uint8_t>(0x3B + f);
    sc[0x7A] = 0x57; sc[0x7B] = 0x58;
    for (int f = 0; f < 4; ++f)
        sc[0x7C + f] = static_cast<uint8_t>(0x64 + f);
    sc[0x08] = 0x0E; sc[0x09] = 0x0F; sc[0x0D] = 0x1C; sc[0x10] = 0x2A;
    sc[0x11] = 0x1D; sc[0x12] = 0x38; sc[0x13] = 0x45; sc[0x14] = 0x3A;
    sc[0x1B] = 0x01; sc[0x20] = 0x39; sc[0x21] = 0x49; sc[0x22] = 0x51;
    sc[0x23] = 0x4F; sc[0x24] = 0x47; sc[0x25] = 0x4B; sc[0x26] = 0x48;
    sc[0x27] = 0x4D; sc[0x28] = 0x50; sc[0x2C] = 0x54; sc[0x2D] = 0x52;
    sc[0x2E] = 0x53; sc[0x90] = 0x45;
    sc[0xBA] = 0x27; sc[0xBB] = 0x0D; sc[0xBC] = 0x33; sc[0xBD] = 0x0C;
    sc[0xBE] = 0x34; sc[0xBF] = 0x35; sc[0xC0] = 0x29; sc[0xDB] = 0x1A;
    sc[0xDC] = 0x2B; sc[0xDD] = 0x1B; sc[0xDE] = 0x28;
    return sc;
}

constexpr std::array<uint8_t, 256> kScanCodes = makeScanCodes();

} // namespace

uint8_t usScanCode(uint8_t virtualKey)
{
    return kScanCodes[virtualKey];
}

std::optional<uint16_t> UsKeyboardLayout::vkKeyScan(char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<uint16_t>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return static_cast<uint16_t>(kShift | c);
    if (c >= '0' && c <= '9')
        return static_cast<uint16_t>(c);
    if (const size_t d = kShiftedDigits.find(c); d != std::string_view::npos)
        return static_cast<uint16_t>(kShift | ('0' + d));
    for (const PunctuationKey& k : kPunctuation) {
        if (c == k.plain)
            return k.virtualKey;
        if (c == k.shifted)
            return static_cast<uint16_t>(kShift | k.virtualKey);
    }
    switch (c) {
    case ' ': return 0x20;
    case '\t': return 0x09;
    case '\r': return 0x0D;
    case '\n': return static_cast<uint16_t>(kCtrl | 0x0D);  // line feed is Ctrl+Return
    case '\b': return 0x08;
    case '\x1b': return 0x1B;
    default: return std::nullopt;
    }
}

uint8_t UsKeyboardLayout::mapVirtualKey(uint8_t virtualKey)
{
    return usScanCode(virtualKey);
}

} // namespace larkspur
