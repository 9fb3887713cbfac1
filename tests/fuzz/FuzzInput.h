#pragma once
// How one fuzz input splits into a table file, its companion and its
// repetition file: byte 0 bit 0 = the companion exists, bytes 1..4 = table
// length (LE), then the table bytes, then the companion bytes. When byte 0
// bit 1 is set, a repetition file exists too and the rest after the table
// starts with the companion's length (4 bytes, LE); the repetition file's
// bytes follow the companion.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace larkspur::fuzz {

struct TableInput {
    bool hasCompanion = false;
    std::span<const uint8_t> table;
    std::span<const uint8_t> companion;
    bool hasRepetitions = false;
    std::span<const uint8_t> repetitions;
};

inline uint32_t readLength(std::span<const uint8_t> data)
{
    return data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
}

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
    input.hasRepetitions = (data[0] & 2) != 0;
    if (input.hasRepetitions) {
        const std::span<const uint8_t> after = rest.subspan(n);
        if (after.size() < 4) {
            input.companion = {};
            return input;
        }
        const std::size_t c = std::min<std::size_t>(readLength(after), after.size() - 4);
        input.companion = after.subspan(4, c);
        input.repetitions = after.subspan(4 + c);
    }
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

inline std::vector<uint8_t> joinInput(bool hasCompanion, std::span<const uint8_t> table,
                                      std::span<const uint8_t> companion, std::span<const uint8_t> repetitions)
{
    std::vector<uint8_t> data = joinInput(hasCompanion, table, {});
    data[0] |= 2;
    const auto length = static_cast<uint32_t>(companion.size());
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<uint8_t>(length >> (8 * i)));
    data.insert(data.end(), companion.begin(), companion.end());
    data.insert(data.end(), repetitions.begin(), repetitions.end());
    return data;
}

} // namespace larkspur::fuzz
