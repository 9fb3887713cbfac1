#pragma once
// The US keyboard layout built in: used for dry runs and as the scan-code
// source where the platform has no scan codes of its own.

#include "actions/KeyboardPlatform.h"

namespace larkspur {

class UsKeyboardLayout : public KeyboardLayout {
public:
    std::optional<uint16_t> vkKeyScan(char c) override;
    uint8_t mapVirtualKey(uint8_t virtualKey) override;
};

// Set-1 scan code of a virtual key on a US keyboard, 0 when it has none.
uint8_t usScanCode(uint8_t virtualKey);

} // namespace larkspur
