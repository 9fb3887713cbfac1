#pragma once
// Builds synthetic capture streams frame by frame: quiet line, loud or noisy
// frames of an exact energy, for driving the engine through a file device.

#include "engine/EngineTypes.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace larkspur::test {

class SignalBuilder {
public:
    explicit SignalBuilder(uint8_t zeroLevel = 128) : m_zero(zeroLevel) {}

    // n samples of the zero level.
    SignalBuilder& quiet(int samples)
    {
        m_samples.insert(m_samples.end(), samples, m_zero);
        return *this;
    }
    SignalBuilder& quietFrames(int frames) { return quiet(frames * kFrameLength); }

    // Frames whose energy (sum of squared deviations) is exactly `energy`.
    // With alternate, the deviations change sign every sample, so each frame also
    // has 220 zero crossings; otherwise all deviations are positive (none).
    SignalBuilder& frames(int count, int32_t energy, bool alternate = false)
    {
        const std::vector<int> deviations = deviationsFor(energy);
        for (int f = 0; f < count; ++f)
            for (int i = 0; i < kFrameLength; ++i) {
                const int sign = alternate && (i % 2) ? -1 : 1;
                m_samples.push_back(static_cast<uint8_t>(m_zero + sign * deviations[i]));
            }
        return *this;
    }

    // Pads with quiet line to a whole number of blocks and then adds `blocks` more.
    SignalBuilder& padBlocks(int blocks)
    {
        const std::size_t rest = m_samples.size() % kBlockLength;
        if (rest)
            quiet(static_cast<int>(kBlockLength - rest));
        return quiet(blocks * kBlockLength);
    }

    std::size_t size() const { return m_samples.size(); }
    const std::vector<uint8_t>& samples() const { return m_samples; }

private:
    // 216 equal deviations and four more whose squares make up the rest
    // (every whole number is a sum of four squares).
    static std::vector<int> deviationsFor(int32_t energy)
    {
        int base = static_cast<int>(std::sqrt(energy / 220.0));
        while (base > 0 && 216 * base * base > energy)
            --base;
        const int rest = energy - 216 * base * base;
        for (int a = 0; a * a <= rest; ++a)
            for (int b = a; a * a + b * b <= rest; ++b)
                for (int c = b; a * a + b * b + c * c <= rest; ++c) {
                    const int d2 = rest - a * a - b * b - c * c;
                    const int d = static_cast<int>(std::lround(std::sqrt(d2)));
                    if (d * d == d2 && d >= c && d <= 127) {
                        std::vector<int> deviations(216, base);
                        deviations.insert(deviations.end(), {a, b, c, d});
                        return deviations;
                    }
                }
        throw std::logic_error("no frame with that energy");
    }

    uint8_t m_zero;
    std::vector<uint8_t> m_samples;
};

} // namespace larkspur::test
