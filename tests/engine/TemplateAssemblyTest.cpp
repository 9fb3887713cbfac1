#include "engine/TemplateAssembly.h"

#include <gtest/gtest.h>

#include <vector>

namespace larkspur {
namespace {

// Frame record f carries f in every field, so copies can be traced to their source.
std::vector<FrameRecord> NumberedFrames()
{
    std::vector<FrameRecord> frames(kRingFrames);
    for (int f = 1; f <= kRingFrames; ++f) {
        FrameRecord& frame = frames[f - 1];
        frame.energy = f;
        frame.lpc.fill(f);
        frame.autocorrelation.fill(1000 + f);
        frame.residualEnergy = 2000 + f;
        frame.predictionError = 3000 + f;
    }
    return frames;
}

TEST(AssembleUtteranceTemplate, NormalisesEnergiesToPartsPer100000)
{
    const std::vector<FrameRecord> frames = NumberedFrames();
    UtteranceTemplate out;
    out.valid = 1;
    // Frames 1..3, energies 1, 2, 3: 1/6, 2/6, 3/6 of the total.
    AssembleUtteranceTemplate(frames, 1, 3 * 220 + 219, out);
    EXPECT_EQ(out.valid, 0);
    EXPECT_EQ(out.frameCount, 3);
    EXPECT_EQ(out.normEnergy[0], 16667);
    EXPECT_EQ(out.normEnergy[1], 33333);
    EXPECT_EQ(out.normEnergy[2], 50000);
    EXPECT_EQ(out.meanEnergy, 2);
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(out.lpc[r - 1][10], r);
        EXPECT_EQ(out.autocorrelation[r - 1][0], 1000 + r);
        EXPECT_EQ(out.residualEnergy[r - 1], 2000 + r);
        EXPECT_EQ(out.predictionError[r - 1], 3000 + r);
    }
    for (int r = 4; r <= kTemplateFrames; ++r) {
        EXPECT_EQ(out.normEnergy[r - 1], 0);
        EXPECT_EQ(out.lpc[r - 1][0], 0);
        EXPECT_EQ(out.residualEnergy[r - 1], 0);
    }
}

TEST(AssembleUtteranceTemplate, MeanEnergyHalvesRoundToEven)
{
    std::vector<FrameRecord> frames(kRingFrames);
    frames[0].energy = 2;
    frames[1].energy = 3;  // 5 / 2 = 2.5
    UtteranceTemplate out;
    AssembleUtteranceTemplate(frames, 1, 440, out);
    EXPECT_EQ(out.meanEnergy, 2);
    frames[1].energy = 5;  // 7 / 2 = 3.5
    AssembleUtteranceTemplate(frames, 1, 440, out);
    EXPECT_EQ(out.meanEnergy, 4);
}

TEST(AssembleUtteranceTemplate, WrapsToFrameOneAfterFrame288)
{
    const std::vector<FrameRecord> frames = NumberedFrames();
    UtteranceTemplate out;
    AssembleUtteranceTemplate(frames, 286 * 220 + 1, 4 * 220, out);
    ASSERT_EQ(out.frameCount, 4);
    EXPECT_EQ(out.residualEnergy[0], 2287);
    EXPECT_EQ(out.residualEnergy[1], 2288);
    EXPECT_EQ(out.residualEnergy[2], 2001);
    EXPECT_EQ(out.residualEnergy[3], 2002);
    EXPECT_EQ(out.meanEnergy, 144);  // (287 + 288 + 1 + 2) / 4 = 144.5
}

TEST(AssembleUtteranceTemplate, SilentUtteranceHasZeroEnergies)
{
    std::vector<FrameRecord> frames(kRingFrames);
    UtteranceTemplate out;
    AssembleUtteranceTemplate(frames, 1, 10 * 220, out);
    EXPECT_EQ(out.frameCount, 10);
    EXPECT_EQ(out.meanEnergy, 0);
    for (int32_t value : out.normEnergy)
        EXPECT_EQ(value, 0);
}

TEST(AssembleUtteranceTemplate, NeverWritesPastSixtyFrames)
{
    const std::vector<FrameRecord> frames = NumberedFrames();
    UtteranceTemplate out;
    AssembleUtteranceTemplate(frames, 1, 100 * 220, out);
    EXPECT_EQ(out.frameCount, 60);
    EXPECT_EQ(out.residualEnergy[60], 0);
    AssembleUtteranceTemplate(frames, 0, 10 * 220, out);
    EXPECT_EQ(out.frameCount, 0);
    AssembleUtteranceTemplate(frames, 1, -5, out);
    EXPECT_EQ(out.frameCount, 0);
    EXPECT_EQ(out.meanEnergy, 0);
}

} // namespace
} // namespace larkspur
