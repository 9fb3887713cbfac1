#include "settings/Scrambler.h"

#include <array>
#include <cstdint>
#include <utility>

namespace larkspur {

namespace {

class ByteSequence {
public:
    explicit ByteSequence(uint8_t seed)
        : m_state(0x9E3779B9u ^ seed)
    {
    }
    uint8_t next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<uint8_t>(m_state >> 24);
    }

private:
    uint32_t m_state;
};

struct Tables {
    std::array<uint8_t, 256> forward{};
    std::array<uint8_t, 256> backward{};
};

constexpr Tables makeTables()
{
    Tables t;
    for (int i = 0; i < 256; ++i)
        t.forward[i] = static_cast<uint8_t>(i);
    uint32_t state = 20010917u;
    for (int i = 255; i > 0; --i) {
        state = state * 1664525u + 1013904223u;
        const int j = static_cast<int>((state >> 16) % static_cast<uint32_t>(i + 1));
        std::swap(t.forward[i], t.forward[j]);
    }
    for (int i = 0; i < 256; ++i)
        t.backward[t.forward[i]] = static_cast<uint8_t>(i);
    return t;
}

constexpr Tables kTables = makeTables();

} // namespace

QByteArray scramble(const QByteArray& plain)
{
    // The seed depends on the text, so a value scrambles the same way every time
    // and an unchanged setting does not look changed.
    uint8_t seed = static_cast<uint8_t>(plain.size());
    for (char c : plain)
        seed = static_cast<uint8_t>(seed * 31 + static_cast<uint8_t>(c));
    QByteArray out;
    out.reserve(plain.size() + 1);
    out.append(static_cast<char>(seed));
    ByteSequence sequence(seed);
    for (char c : plain)
        out.append(static_cast<char>(kTables.forward[static_cast<uint8_t>(c) ^ sequence.next()]));
    return out;
}

QByteArray unscramble(const QByteArray& scrambled)
{
    if (scrambled.isEmpty())
        return {};
    ByteSequence sequence(static_cast<uint8_t>(scrambled.at(0)));
    QByteArray out;
    out.reserve(scrambled.size() - 1);
    for (qsizetype i = 1; i < scrambled.size(); ++i)
        out.append(static_cast<char>(kTables.backward[static_cast<uint8_t>(scrambled.at(i))] ^ sequence.next()));
    return out;
}

} // namespace larkspur
