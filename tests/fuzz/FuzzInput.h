#pragma once
// How one fuzz input splits into a table file and its companion:
// byte 0 bit 0 = the companion exists, bytes 1..4 = table length (LE),
// then the table bytes, then the companion bytes.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace larkspur::fuzz {

struct TableInput {
    bool hasCompanion = false;
    std::span<const uint8_t> table;
    std::span<const uint8_t> companion;
};

inline TableInput splitInput(std::span<const uint8_t> data)
{
    TableInput input;
    if (data.size() < 5)
        return input;
    input.hasCompanion = (data[0] & 1) != 0;
    const uint32_t length = data[1] | (data[2] << 8) | (data[3] << 16) | (static_cast<uint32_t>(data[4]) << 24);
    const std::span<const uint8_t> rest = data.subspan(5);
    const std::size_t n = std::min<std::size_t>(length, rest.size());
    input.table = rest.first(n);
    input.companion = rest.subspan(n);
    return input;
}

inline std::vector<uint8_t> joinInput(bool hasCompanion, std::span<const uint8_t> table,
                                      std::span<const uint8_t> companion)
{
    std::vector<uint8_t> data{static_cast<uint8_t>(hasCompanion ? 1 : 0)};
    const auto length = static_cast<uint32_t>(table.size());
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<uint8_t>(length >> (8 * i)));
    data.insert(data.end(), table.begin(), table.end());
    data.insert(data.end(), companion.begin(), companion.end());
    return data;
}

} // namespace larkspur::fuzz
