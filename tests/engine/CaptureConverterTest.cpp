// The live capture's own conversion from 16-bit samples at a device's rate to
// the engine's 8-bit 11025 Hz samples: rounding and clipping, timing, gain in
// the speech band, rejection of what would fold back, and streaming in pieces.

#include "engine/CaptureConverter.h"
#include "engine/EngineTypes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace larkspur {
namespace {

std::vector<int16_t> tone(int rate, double hz, double amplitude, size_t count)
{
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate)));
    return samples;
}

std::vector<uint8_t> convertAll(int rate, const std::vector<int16_t>& input)
{
    CaptureConverter converter(rate);
    std::vector<uint8_t> out;
    converter.convert(input, out);
    return out;
}

// Largest deviation from the tone the input held, at the output's sample
// times, away from the start-up (where the filter still sees silence).
double worstError(const std::vector<uint8_t>& out, double hz, double amplitude)
{
    double worst = 0.0;
    for (size_t n = 200; n < out.size(); ++n) {
        const double expected = amplitude / 256.0 * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(n) / kSampleRate);
        worst = std::max(worst, std::abs((out[n] - 128.0) - expected));
    }
    return worst;
}

double rmsDeviation(const std::vector<uint8_t>& out)
{
    double sum = 0.0;
    for (size_t n = 200; n < out.size(); ++n)
        sum += (out[n] - 128.0) * (out[n] - 128.0);
    return std::sqrt(sum / static_cast<double>(out.size() - 200));
}

TEST(CaptureConverter, RequantisesToTheNearestLevelAndClips)
{
    EXPECT_EQ(CaptureConverter::toEightBits(0), 128);
    EXPECT_EQ(CaptureConverter::toEightBits(127), 128);   // 0.496 of a level
    EXPECT_EQ(CaptureConverter::toEightBits(128), 129);   // half a level: up
    EXPECT_EQ(CaptureConverter::toEightBits(-128), 128);  // minus a half: up as well
    EXPECT_EQ(CaptureConverter::toEightBits(-129), 127);
    EXPECT_EQ(CaptureConverter::toEightBits(-32768), 0);
    EXPECT_EQ(CaptureConverter::toEightBits(32767), 255);  // would round to 256
    EXPECT_EQ(CaptureConverter::toEightBits(1e6), 255);
    EXPECT_EQ(CaptureConverter::toEightBits(-1e6), 0);

    // At the engine's own rate only the requantisation happens, sample for sample.
    const std::vector<int16_t> input{0, 127, 128, -129, 32767, -32768, 1000};
    const auto out = convertAll(kSampleRate, input);
    ASSERT_EQ(out.size(), input.size());
    for (size_t i = 0; i < input.size(); ++i)
        EXPECT_EQ(out[i], CaptureConverter::toEightBits(input[i])) << i;
}

TEST(CaptureConverter, KeepsTimeGainAndLevelAtTheUsualDeviceRates)
{
    for (const int rate : {48000, 44100, 22050, 96000, 8000}) {
        SCOPED_TRACE(rate);
        const size_t inputLength = static_cast<size_t>(rate) * 2;
        // Two seconds in make two seconds out, less the filter's look-ahead.
        const auto quiet = convertAll(rate, std::vector<int16_t>(inputLength, 0));
        EXPECT_LE(quiet.size(), 2u * kSampleRate);
        EXPECT_GE(quiet.size(), 2u * kSampleRate - 40);

        // A steady level (a microphone's offset) comes out exactly.
        const auto level = convertAll(rate, std::vector<int16_t>(inputLength, 10 * 256));
        for (size_t n = 200; n < level.size(); ++n)
            ASSERT_EQ(level[n], 138) << n;

        // A 1 kHz tone comes out at its own times and size, within rounding.
        const auto speech = convertAll(rate, tone(rate, 1000.0, 20000.0, inputLength));
        EXPECT_LE(worstError(speech, 1000.0, 20000.0), 0.75);
    }
}

TEST(CaptureConverter, PassesTheTopOfTheSpeechBandAndRejectsWhatWouldFoldBack)
{
    const int rate = 48000;
    const size_t length = static_cast<size_t>(rate);
    const double amplitude = 20000.0;
    const double full = amplitude / 256.0 / std::sqrt(2.0);  // RMS of the tone in 8-bit levels
    // 4.3 kHz: what a sound server's default resampler already cuts.
    EXPECT_NEAR(rmsDeviation(convertAll(rate, tone(rate, 4300.0, amplitude, length))), full, 0.02 * full);
    // 4.7 kHz nearly all there.
    EXPECT_GT(rmsDeviation(convertAll(rate, tone(rate, 4700.0, amplitude, length))), 0.88 * full);
    // Above the band, tones would fold back into it (6 kHz to 5 kHz, 9 kHz to
    // 2 kHz): at nearly full scale not a single level of them is left.
    for (const double hz : {6000.0, 6500.0, 9000.0, 15000.0}) {
        const auto out = convertAll(rate, tone(rate, hz, 32000.0, length));
        for (size_t n = 200; n < out.size(); ++n)
            ASSERT_EQ(out[n], 128) << hz << " Hz at " << n;
    }
}

TEST(CaptureConverter, PiecesOfAnySizeGiveTheSameStreamAsOneWhole)
{
    for (const int rate : {48000, 44100}) {
        SCOPED_TRACE(rate);
        auto input = tone(rate, 700.0, 9000.0, static_cast<size_t>(rate));
        const auto noise = tone(rate, 3100.0, 4000.0, input.size());
        for (size_t i = 0; i < input.size(); ++i)
            input[i] = static_cast<int16_t>(input[i] + noise[i]);
        const auto whole = convertAll(rate, input);

        CaptureConverter converter(rate);
        std::vector<uint8_t> pieces;
        size_t at = 0;
        for (size_t piece = 1; at < input.size(); piece = piece * 7 % 5000 + 1) {
            const size_t count = std::min(piece, input.size() - at);
            converter.convert(std::span<const int16_t>(input.data() + at, count), pieces);
            at += count;
        }
        EXPECT_EQ(pieces, whole);

        // After reset the stream starts afresh, as a new one would.
        std::vector<uint8_t> again;
        converter.reset();
        converter.convert(input, again);
        EXPECT_EQ(again, whole);
    }
}

} // namespace
} // namespace larkspur
