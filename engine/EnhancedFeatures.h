#pragma once
// Features of the enhanced matcher: mel-frequency cepstra with deltas, computed
// from the 8-bit 11025 Hz audio of an utterance.
//
// Each frame is 256 samples (23 ms) with a hop of 110 samples (10 ms): the
// audio's mean is removed, the signal is pre-emphasised (0.97), Hamming
// windowed and transformed with a 256-point real FFT; 24 triangular mel
// filters between 100 and 4000 Hz give log energies, whose DCT gives the
// cepstra c0..c9. The cepstral mean of the utterance is subtracted (so the
// microphone's colouring and the level drop out), the cepstra are liftered
// (c_k times 1 + 11 sin(pi k / 22)), and deltas and accelerations over +-2
// frames are appended: 30 values per frame.
//
// The lifter raises the higher cepstra, which carry spectral shape
// rather than overall tilt and level, the parts noise and reverberation
// change most; the accelerations add how that shape moves.
//
// Frames far below the loudest one at either end are trimmed, so the weak
// edges the detector leaves (and the padding around them) count only as far
// as they carry speech.

#include <cstdint>
#include <span>
#include <vector>

namespace larkspur {

inline constexpr int kEnhancedCepstra = 10;
inline constexpr int kEnhancedDims = 3 * kEnhancedCepstra;
// Frames are stored this far apart, the rest zeros, so distances run in
// whole vector lanes.
inline constexpr int kEnhancedStride = 32;
inline constexpr int kEnhancedWindow = 256;
inline constexpr int kEnhancedHop = 110;
// Longest audio the features look at: 1.2 s plus padding on both sides.
inline constexpr int kEnhancedMaxAudio = 16384;
inline constexpr int kEnhancedMaxFrames = 1 + (kEnhancedMaxAudio - kEnhancedWindow) / kEnhancedHop;

// Frame f's values at values[f * kEnhancedStride .. + kEnhancedDims), zeros up to the next frame.
struct FeatureSequence {
    int frames = 0;
    std::vector<float> values;

    const float* frame(int f) const { return values.data() + static_cast<std::size_t>(f) * kEnhancedStride; }
};

class EnhancedFeatureExtractor {
public:
    EnhancedFeatureExtractor();

    // Audio longer than kEnhancedMaxAudio keeps its first kEnhancedMaxAudio
    // samples. Audio shorter than one window gives no frames.
    void extract(std::span<const uint8_t> audio, FeatureSequence& out);

private:
    void fft(std::vector<float>& re, std::vector<float>& im) const;
    // Writes the deltas of values from..from+kEnhancedCepstra-1 of every frame to to..
    static void appendDeltas(FeatureSequence& seq, int from, int to);

    std::vector<float> m_window;
    std::vector<float> m_cosTable;  // twiddles of the FFT
    std::vector<float> m_sinTable;
    std::vector<int> m_bitReverse;
    // Filter m spans bins m_filterFirst[m]..m_filterFirst[m] + weights - 1.
    std::vector<int> m_filterFirst;
    std::vector<std::vector<float>> m_filterWeights;
    std::vector<float> m_dct;  // kEnhancedCepstra x filters
    std::vector<float> m_lifter;

    // Scratch, kept so repeated calls do not allocate.
    std::vector<float> m_signal;
    std::vector<float> m_re;
    std::vector<float> m_im;
    std::vector<float> m_logMel;
    std::vector<float> m_cepstra;
    std::vector<float> m_energy;
};

} // namespace larkspur
