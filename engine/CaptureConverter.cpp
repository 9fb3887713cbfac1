#include "engine/CaptureConverter.h"

#include "engine/EngineTypes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace larkspur {

namespace {

constexpr double kKaiserBeta = 8.0;

double sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    return std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}

} // namespace

CaptureConverter::CaptureConverter(int inputRate)
    : m_inputRate(std::clamp(inputRate, 8000, 192000)), m_passThrough(m_inputRate == kSampleRate)
{
    if (!m_passThrough) {
        const int64_t common = std::gcd<int64_t>(m_inputRate, kSampleRate);
        m_phases = kSampleRate / common;
        m_step = m_inputRate / common;
        // Below 11025 Hz in, the input's own band is the limit.
        const double cutoff = std::min(kCutoffHz, 0.45 * m_inputRate) / m_inputRate;
        m_half = std::max(8, static_cast<int>(std::ceil(kHalfLengthAt48k * m_inputRate / 48000.0)));
        m_taps = 2 * m_half + 1;
        m_table.resize(static_cast<size_t>(m_phases * m_taps));
        const double windowHalf = m_half + 1.0;
        const double windowScale = std::cyl_bessel_i(0.0, kKaiserBeta);
        for (int64_t p = 0; p < m_phases; ++p) {
            // Output taken p/m_phases of an input sample after input c: tap k weighs input c + k - m_half.
            const double fraction = static_cast<double>(p) / static_cast<double>(m_phases);
            float* row = &m_table[static_cast<size_t>(p * m_taps)];
            double sum = 0.0;
            std::vector<double> taps(static_cast<size_t>(m_taps));
            for (int k = 0; k < m_taps; ++k) {
                const double offset = (k - m_half) - fraction;
                const double ratio = offset / windowHalf;
                const double window = std::cyl_bessel_i(0.0, kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio)))
                    / windowScale;
                taps[static_cast<size_t>(k)] = 2.0 * cutoff * sinc(2.0 * cutoff * offset) * window;
                sum += taps[static_cast<size_t>(k)];
            }
            for (int k = 0; k < m_taps; ++k)
                row[k] = static_cast<float>(taps[static_cast<size_t>(k)] / sum);
        }
    }
    reset();
}

void CaptureConverter::reset()
{
    // The stream is silent before its first sample.
    m_history.assign(static_cast<size_t>(m_half), 0.0f);
    m_historyStart = -m_half;
    m_nextOutput = 0;
}

uint8_t CaptureConverter::toEightBits(double sample16)
{
    const double level = std::floor(sample16 / 256.0 + 0.5) + 128.0;
    return static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
}

void CaptureConverter::convert(std::span<const int16_t> input, std::vector<uint8_t>& out)
{
    if (m_passThrough) {
        for (const int16_t s : input)
            out.push_back(toEightBits(s));
        return;
    }
    m_history.insert(m_history.end(), input.begin(), input.end());
    const int64_t available = m_historyStart + static_cast<int64_t>(m_history.size());
    for (;;) {
        const int64_t time = m_nextOutput * m_step;
        const int64_t centre = time / m_phases;
        if (centre + m_half >= available)
            break;
        const float* row = &m_table[static_cast<size_t>((time % m_phases) * m_taps)];
        const float* x = &m_history[static_cast<size_t>(centre - m_half - m_historyStart)];
        // Four running sums: independent chains the processor overlaps.
        float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
        int k = 0;
        for (; k + 4 <= m_taps; k += 4) {
            s0 += row[k] * x[k];
            s1 += row[k + 1] * x[k + 1];
            s2 += row[k + 2] * x[k + 2];
            s3 += row[k + 3] * x[k + 3];
        }
        for (; k < m_taps; ++k)
            s0 += row[k] * x[k];
        out.push_back(toEightBits(static_cast<double>((s0 + s1) + (s2 + s3))));
        ++m_nextOutput;
    }
    // Keep only what the next outputs still need.
    const int64_t firstNeeded = (m_nextOutput * m_step) / m_phases - m_half;
    const int64_t drop = std::clamp<int64_t>(firstNeeded - m_historyStart, 0, static_cast<int64_t>(m_history.size()));
    m_history.erase(m_history.begin(), m_history.begin() + drop);
    m_historyStart += drop;
}

} // namespace larkspur
