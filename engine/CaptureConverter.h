#pragma once
// Turns 16-bit signed mono samples captured at a device's own rate into the
// engine's 8-bit unsigned samples at 11025 Hz, as one continuous stream.
//
// Sound servers run at 48000 Hz (sometimes 44100) and sound cards seldom offer
// 11025 Hz themselves; the converters on the way (a server's default
// resampler, the plug layer's linear one) cut speech above about 4.4 kHz or
// let it alias. This one low-passes with a Kaiser-windowed sinc (flat to
// 4.5 kHz, -0.7 dB at 4.7 kHz, -6 dB at 5 kHz, 76 dB down at 5.6 kHz and more
// above, so what folds back is below an 8-bit level) and takes the output
// samples at their exact times from a polyphase table.
// Every phase of the table sums to one: a constant input (a microphone's DC
// offset, a quiet line) comes out unchanged. Samples are requantised to
// 8 bits by rounding to the nearest level (halves up), clipped to 0..255.
// At 11025 Hz in, it only requantises.
//
// The output lags the input by half the filter (about 2 ms); the first
// samples see silence before the stream began.

#include <cstdint>
#include <span>
#include <vector>

namespace larkspur {

class CaptureConverter {
public:
    static constexpr double kCutoffHz = 5000.0;
    // Filter half-length in input samples at 48000 Hz (scaled with the rate).
    static constexpr int kHalfLengthAt48k = 100;

    // inputRate: the device's rate, 8000..192000 Hz.
    explicit CaptureConverter(int inputRate);

    int inputRate() const { return m_inputRate; }

    // Appends the output samples the input makes available to out.
    void convert(std::span<const int16_t> input, std::vector<uint8_t>& out);

    // Forgets the stream: the next input starts afresh (after an overrun).
    void reset();

    // One 16-bit sample requantised to the engine's 8 bits.
    static uint8_t toEightBits(double sample16);

private:
    int m_inputRate;
    bool m_passThrough;
    // Output sample n is taken at input time n * m_step / m_phases.
    int64_t m_phases = 1;
    int64_t m_step = 1;
    int m_half = 0;
    int m_taps = 0;
    std::vector<float> m_table;  // m_phases rows of m_taps coefficients
    // Input not yet consumed; m_history[0] is input sample m_historyStart.
    std::vector<float> m_history;
    int64_t m_historyStart = 0;
    int64_t m_nextOutput = 0;
};

} // namespace larkspur
