#include "engine/EnhancedFeatures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace larkspur {

namespace {

constexpr int kFftBins = kEnhancedWindow / 2 + 1;
constexpr int kMelFilters = 24;
constexpr float kLowHz = 100.0f;
constexpr float kHighHz = 4000.0f;
constexpr float kSampleRateHz = 11025.0f;
constexpr float kPreEmphasis = 0.97f;
// Mel energies below this (in squared 8-bit units) are treated as this: the
// quantisation noise of 8-bit audio lies far above it, so it only guards the log.
constexpr float kEnergyFloor = 1.0f;
// Edge frames more than this many dB below the loudest frame are trimmed.
constexpr float kTrimDb = 35.0f;
constexpr int kDeltaReach = 2;
// Cepstrum k is weighed 1 + kLifter / 2 * sin(pi k / kLifter).
constexpr double kLifter = 22.0;

float hzToMel(float hz) { return 2595.0f * std::log10(1.0f + hz / 700.0f); }
float melToHz(float mel) { return 700.0f * (std::pow(10.0f, mel / 2595.0f) - 1.0f); }

} // namespace

EnhancedFeatureExtractor::EnhancedFeatureExtractor()
    : m_window(kEnhancedWindow)
    , m_cosTable(kEnhancedWindow / 2)
    , m_sinTable(kEnhancedWindow / 2)
    , m_bitReverse(kEnhancedWindow)
    , m_filterFirst(kMelFilters)
    , m_filterWeights(kMelFilters)
    , m_dct(static_cast<std::size_t>(kEnhancedCepstra) * kMelFilters)
    , m_lifter(kEnhancedCepstra)
    , m_re(kEnhancedWindow)
    , m_im(kEnhancedWindow)
{
    const double pi = std::numbers::pi;
    for (int n = 0; n < kEnhancedWindow; ++n)
        m_window[n] = static_cast<float>(0.54 - 0.46 * std::cos(2.0 * pi * n / (kEnhancedWindow - 1)));
    for (int k = 0; k < kEnhancedWindow / 2; ++k) {
        m_cosTable[k] = static_cast<float>(std::cos(2.0 * pi * k / kEnhancedWindow));
        m_sinTable[k] = static_cast<float>(-std::sin(2.0 * pi * k / kEnhancedWindow));
    }
    int bits = 0;
    while ((1 << bits) < kEnhancedWindow)
        ++bits;
    for (int i = 0; i < kEnhancedWindow; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            r |= ((i >> b) & 1) << (bits - 1 - b);
        m_bitReverse[i] = r;
    }

    // Triangular filters, equally spaced on the mel scale.
    const float lowMel = hzToMel(kLowHz);
    const float highMel = hzToMel(kHighHz);
    std::vector<float> edges(kMelFilters + 2);
    for (int i = 0; i < kMelFilters + 2; ++i)
        edges[i] = melToHz(lowMel + (highMel - lowMel) * static_cast<float>(i) / (kMelFilters + 1))
                   * kEnhancedWindow / kSampleRateHz;  // in FFT bins
    for (int m = 0; m < kMelFilters; ++m) {
        const float left = edges[m], centre = edges[m + 1], right = edges[m + 2];
        const int first = std::max(0, static_cast<int>(std::ceil(left)));
        const int last = std::min(kFftBins - 1, static_cast<int>(std::floor(right)));
        m_filterFirst[m] = first;
        for (int bin = first; bin <= last; ++bin) {
            const float b = static_cast<float>(bin);
            const float w = b <= centre ? (b - left) / (centre - left) : (right - b) / (right - centre);
            m_filterWeights[m].push_back(std::max(0.0f, w));
        }
    }
    for (int c = 0; c < kEnhancedCepstra; ++c)
        for (int m = 0; m < kMelFilters; ++m)
            m_dct[static_cast<std::size_t>(c) * kMelFilters + m] =
                static_cast<float>(std::cos(pi * c * (m + 0.5) / kMelFilters) * std::sqrt(2.0 / kMelFilters));
    for (int c = 0; c < kEnhancedCepstra; ++c)
        m_lifter[c] = c == 0 ? 1.0f : static_cast<float>(1.0 + kLifter / 2.0 * std::sin(pi * c / kLifter));
    m_signal.reserve(kEnhancedMaxAudio);
    m_logMel.resize(kMelFilters);
    m_cepstra.reserve(static_cast<std::size_t>(kEnhancedMaxFrames) * kEnhancedCepstra);
    m_energy.reserve(kEnhancedMaxFrames);
}

void EnhancedFeatureExtractor::fft(std::vector<float>& re, std::vector<float>& im) const
{
    const int n = kEnhancedWindow;
    for (int i = 0; i < n; ++i) {
        const int j = m_bitReverse[i];
        if (j > i) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    for (int size = 2; size <= n; size *= 2) {
        const int half = size / 2;
        const int step = n / size;
        for (int start = 0; start < n; start += size) {
            for (int k = 0; k < half; ++k) {
                const float wr = m_cosTable[k * step];
                const float wi = m_sinTable[k * step];
                const int a = start + k;
                const int b = a + half;
                const float tr = re[b] * wr - im[b] * wi;
                const float ti = re[b] * wi + im[b] * wr;
                re[b] = re[a] - tr;
                im[b] = im[a] - ti;
                re[a] += tr;
                im[a] += ti;
            }
        }
    }
}

void EnhancedFeatureExtractor::extract(std::span<const uint8_t> audio, FeatureSequence& out)
{
    out.frames = 0;
    const std::size_t n = std::min<std::size_t>(audio.size(), kEnhancedMaxAudio);
    if (n < static_cast<std::size_t>(kEnhancedWindow)) {
        out.values.clear();
        return;
    }

    // Mean removal and pre-emphasis.
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        sum += audio[i];
    const float mean = static_cast<float>(sum / static_cast<double>(n));
    m_signal.resize(n);
    float previous = 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        const float x = static_cast<float>(audio[i]) - mean;
        m_signal[i] = x - kPreEmphasis * previous;
        previous = x;
    }

    const int frames = 1 + static_cast<int>((n - kEnhancedWindow) / kEnhancedHop);
    m_cepstra.resize(static_cast<std::size_t>(frames) * kEnhancedCepstra);
    m_energy.resize(frames);
    for (int f = 0; f < frames; ++f) {
        const float* x = m_signal.data() + static_cast<std::size_t>(f) * kEnhancedHop;
        for (int i = 0; i < kEnhancedWindow; ++i) {
            m_re[i] = x[i] * m_window[i];
            m_im[i] = 0.0f;
        }
        fft(m_re, m_im);
        float total = 0.0f;
        for (int m = 0; m < kMelFilters; ++m) {
            const std::vector<float>& weights = m_filterWeights[m];
            float e = 0.0f;
            for (std::size_t w = 0; w < weights.size(); ++w) {
                const int bin = m_filterFirst[m] + static_cast<int>(w);
                e += weights[w] * (m_re[bin] * m_re[bin] + m_im[bin] * m_im[bin]);
            }
            total += e;
            m_logMel[m] = std::log(std::max(e, kEnergyFloor));
        }
        m_energy[f] = 10.0f * std::log10(std::max(total, kEnergyFloor));
        float* c = m_cepstra.data() + static_cast<std::size_t>(f) * kEnhancedCepstra;
        for (int k = 0; k < kEnhancedCepstra; ++k) {
            const float* row = m_dct.data() + static_cast<std::size_t>(k) * kMelFilters;
            float v = 0.0f;
            for (int m = 0; m < kMelFilters; ++m)
                v += row[m] * m_logMel[m];
            c[k] = v;
        }
    }

    // Trim quiet edge frames.
    const float loudest = *std::max_element(m_energy.begin(), m_energy.end());
    int first = 0;
    int last = frames - 1;
    while (first < last && m_energy[first] < loudest - kTrimDb)
        ++first;
    while (last > first && m_energy[last] < loudest - kTrimDb)
        --last;
    const int kept = last - first + 1;

    // Cepstral mean over the kept frames.
    float cmn[kEnhancedCepstra] = {};
    for (int f = first; f <= last; ++f)
        for (int k = 0; k < kEnhancedCepstra; ++k)
            cmn[k] += m_cepstra[static_cast<std::size_t>(f) * kEnhancedCepstra + k];
    for (float& v : cmn)
        v /= static_cast<float>(kept);

    out.frames = kept;
    out.values.assign(static_cast<std::size_t>(kept) * kEnhancedStride, 0.0f);
    for (int f = 0; f < kept; ++f) {
        const float* c = m_cepstra.data() + static_cast<std::size_t>(first + f) * kEnhancedCepstra;
        float* o = out.values.data() + static_cast<std::size_t>(f) * kEnhancedStride;
        for (int k = 0; k < kEnhancedCepstra; ++k)
            o[k] = (c[k] - cmn[k]) * m_lifter[k];
    }
    // Deltas of the cepstra, then deltas of the deltas.
    appendDeltas(out, 0, kEnhancedCepstra);
    appendDeltas(out, kEnhancedCepstra, 2 * kEnhancedCepstra);
}

void EnhancedFeatureExtractor::appendDeltas(FeatureSequence& seq, int from, int to)
{
    // Linear regression over +-kDeltaReach frames, edge frames repeated.
    float norm = 0.0f;
    for (int d = 1; d <= kDeltaReach; ++d)
        norm += 2.0f * static_cast<float>(d * d);
    const int frames = seq.frames;
    for (int f = 0; f < frames; ++f) {
        float* o = seq.values.data() + static_cast<std::size_t>(f) * kEnhancedStride;
        for (int k = 0; k < kEnhancedCepstra; ++k) {
            float v = 0.0f;
            for (int d = 1; d <= kDeltaReach; ++d) {
                const int ahead = std::min(frames - 1, f + d);
                const int behind = std::max(0, f - d);
                v += static_cast<float>(d)
                     * (seq.values[static_cast<std::size_t>(ahead) * kEnhancedStride + from + k]
                        - seq.values[static_cast<std::size_t>(behind) * kEnhancedStride + from + k]);
            }
            o[to + k] = v / norm;
        }
    }
}

} // namespace larkspur
