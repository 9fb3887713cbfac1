// Calibration arithmetic and the start and end detectors, on hand-made signals.

#include "engine/Calibration.h"
#include "engine/FrameMeasure.h"
#include "engine/UtteranceDetector.h"

#include <gtest/gtest.h>

#include <vector>

using namespace larkspur;

namespace {

TEST(CalibrationMath, PerfectlyQuietLine)
{
    const std::vector<uint8_t> line(kCalibrationWindowLength, 128);
    const LineMeasurement m = measureLine(line);
    EXPECT_EQ(m.zeroLevel, 128);
    EXPECT_EQ(m.zeroCrossings, 0);
    EXPECT_EQ(m.zeroCrossingThreshold, 15);
    EXPECT_DOUBLE_EQ(m.noiseLevel, 0.0);
    EXPECT_EQ(lowEnergyThreshold(m.noiseLevel), 1980);
    EXPECT_EQ(highEnergyThreshold(m.noiseLevel), 10780);
}

TEST(CalibrationMath, ThresholdsRoundTheSquareBeforeScaling)
{
    // (2.5 + 3)^2 = 30.25 -> 30; (2 * 5.5 + 1)^2 = 144.
    EXPECT_EQ(lowEnergyThreshold(2.5), 6600);
    EXPECT_EQ(highEnergyThreshold(2.5), 31680);
    // 12 crossings per frame fall in the middle band: 12 + 40.
    EXPECT_EQ(zeroCrossingThreshold(12 * 4231 / 220 + 1, 4231), 52);
    EXPECT_EQ(zeroCrossingThreshold(0, 4231), 15);
    // Band edges: 4 -> 15, 5 -> 45, 19 -> 59, 20 -> 40.
    EXPECT_EQ(zeroCrossingThreshold(77, 4231), 15);   // 4.004 per frame
    EXPECT_EQ(zeroCrossingThreshold(97, 4231), 45);   // 5.04
    EXPECT_EQ(zeroCrossingThreshold(365, 4231), 59);  // 18.98 -> 19
    EXPECT_EQ(zeroCrossingThreshold(385, 4231), 40);  // 20.02 -> 20
}

TEST(CalibrationMath, AlternatingLineMeasuresNoiseAndCrossings)
{
    // 126, 130, 126, 130 ...: mean 128, RMS deviation 2, a crossing at every sample
    // except the first (which starts above the previous value, the zero level).
    std::vector<uint8_t> line(kCalibrationWindowLength);
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = i % 2 ? 130 : 126;
    const LineMeasurement m = measureLine(line);
    EXPECT_EQ(m.zeroLevel, 128);
    EXPECT_NEAR(m.noiseLevel, 2.0, 1e-3);
    EXPECT_EQ(m.zeroCrossings, 4231);
    EXPECT_EQ(m.zeroCrossingThreshold, 240);
}

TEST(CalibrationMath, ZeroLevelMustStayWithinTenOfMiddle)
{
    EXPECT_FALSE(zeroLevelAcceptable(117));
    EXPECT_TRUE(zeroLevelAcceptable(118));
    EXPECT_TRUE(zeroLevelAcceptable(138));
    EXPECT_FALSE(zeroLevelAcceptable(139));
    const std::vector<uint8_t> low(kCalibrationWindowLength, 117);
    EXPECT_EQ(measureLine(low).zeroLevel, 117);
}

TEST(FrameMeasure, CountsCrossingsFromZeroLevel)
{
    const std::vector<uint8_t> frame = {127, 128, 129, 120, 140};
    const FrameMeasurement m = measureSamples(frame, 128);
    EXPECT_EQ(m.energy, 1 + 0 + 1 + 64 + 144);
    // 127 crosses downward from the starting zero level, 128 counts as above,
    // 120 crosses down, 140 crosses up.
    EXPECT_EQ(m.zeroCrossings, 4);
}

// Feeds a stream of frames through the ring block by block, running the
// detectors after each block as the listening loop does.
class Detectors : public ::testing::Test {
protected:
    std::vector<uint8_t> ring = std::vector<uint8_t>(kRingLength, 128);
    // Quiet line: Tlow 1980, Thigh 10780, Tzc 15.
    DetectorThresholds limits{128, 1980, 10780, 15};
    UtteranceDetector detector;
    std::vector<uint8_t> stream = std::vector<uint8_t>(400 * kFrameLength, 128);
    int discarded = 0;

    // Deviation 8 gives energy 14080 (loud); 4 gives 3520 (moderate); no crossings.
    void paintFrame(int frame, int deviation)
    {
        for (int i = 0; i < kFrameLength; ++i)
            stream[(frame - 1) * kFrameLength + i] = static_cast<uint8_t>(128 + deviation);
    }

    // True when an utterance was accepted.
    bool listen()
    {
        bool recording = false;
        int write = 1;
        for (std::size_t offset = 0; offset + kBlockLength <= stream.size(); offset += kBlockLength) {
            std::copy_n(stream.begin() + offset, kBlockLength, ring.begin() + (write - 1));
            write += kBlockLength;
            if (write >= kRingLength)
                write = 1;
            if (recording && detector.findEnd(ring, write, limits)) {
                if (detector.utteranceLength() >= kMinUtteranceLength)
                    return true;
                detector.discard();
                recording = false;
                ++discarded;
            }
            if (!recording && detector.findStart(ring, write, limits))
                recording = true;
        }
        return false;
    }
};

TEST_F(Detectors, UtteranceEndsAfterTwelveQuietFrames)
{
    for (int f = 20; f <= 29; ++f)
        paintFrame(f, 8);
    ASSERT_TRUE(listen());
    EXPECT_EQ(detector.start(), 19 * 220 + 1);
    EXPECT_EQ(detector.end(), 29 * 220 + 1);  // just after the last loud frame
    EXPECT_EQ(detector.utteranceLength(), 10 * 220);
    // The scan stopped right after the twelfth quiet frame.
    EXPECT_EQ(detector.scanPosition(), 41 * 220 + 1);
}

TEST_F(Detectors, ElevenQuietFramesDoNotEndIt)
{
    for (int f = 20; f <= 25; ++f)
        paintFrame(f, 8);
    for (int f = 37; f <= 40; ++f)  // 11 quiet frames (26..36) in between
        paintFrame(f, 8);
    ASSERT_TRUE(listen());
    EXPECT_EQ(detector.start(), 19 * 220 + 1);
    EXPECT_EQ(detector.end(), 40 * 220 + 1);
}

TEST_F(Detectors, EndIgnoresFramesBelowTwiceLowThreshold)
{
    for (int f = 20; f <= 29; ++f)
        paintFrame(f, 8);
    // Deviation 4 (energy 3520) is above Tlow but below 2 x Tlow: quiet for the end.
    for (int f = 30; f <= 45; ++f)
        paintFrame(f, 4);
    ASSERT_TRUE(listen());
    EXPECT_EQ(detector.end(), 29 * 220 + 1);
}

TEST_F(Detectors, ShortClickIsDiscardedAndDetectionGoesOn)
{
    for (int f = 10; f <= 15; ++f)  // 6 frames: 1320 samples, too short
        paintFrame(f, 8);
    for (int f = 40; f <= 49; ++f)
        paintFrame(f, 8);
    ASSERT_TRUE(listen());
    EXPECT_EQ(discarded, 1);
    EXPECT_EQ(detector.start(), 39 * 220 + 1);
}

TEST_F(Detectors, BreathingBeforeLoudFrameStartsTheUtterance)
{
    paintFrame(10, 4);  // moderate
    for (int f = 16; f <= 25; ++f)  // 5 quiet frames (11..15), then loud
        paintFrame(f, 8);
    ASSERT_TRUE(listen());
    EXPECT_EQ(detector.start(), 9 * 220 + 1);
}

TEST_F(Detectors, LongPauseAfterBreathingMovesStartToLoudFrame)
{
    paintFrame(10, 4);
    for (int f = 23; f <= 32; ++f)  // 12 quiet frames (11..22), then loud
        paintFrame(f, 8);
    ASSERT_TRUE(listen());
    EXPECT_EQ(detector.start(), 22 * 220 + 1);
}

TEST_F(Detectors, NoisyFrameStartsUtteranceWithoutEnergy)
{
    // Alternating 127/129: energy 220 (quiet) but 220 crossings (noisy).
    for (int f = 30; f <= 39; ++f)
        for (int i = 0; i < kFrameLength; ++i)
            stream[(f - 1) * kFrameLength + i] = i % 2 ? 129 : 127;
    ASSERT_TRUE(listen());
    EXPECT_EQ(detector.start(), 29 * 220 + 1);
    EXPECT_EQ(detector.utteranceLength(), 10 * 220);
}

TEST_F(Detectors, UtteranceAcrossRingEndWraps)
{
    // Stream frames 284..292 are loud: the ring's last five frames and the first
    // four of its second lap.
    for (int f = 284; f <= 292; ++f)
        paintFrame(f, 8);
    ASSERT_TRUE(listen());
    EXPECT_EQ(detector.start(), 283 * 220 + 1);
    EXPECT_EQ(detector.end(), 4 * 220 + 1);
    EXPECT_EQ(detector.utteranceLength(), 9 * 220);
}

} // namespace
