#include "engine/FeatureExtraction.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace larkspur {
namespace {

constexpr uint8_t kZero = 128;

std::vector<int32_t> ConstantFrame(int32_t value) { return std::vector<int32_t>(kFrameLength, value); }

TEST(AnalysisWindow, UsesKOver220SoTheCentreIsExactlyOne)
{
    const AnalysisWindow& w = SharedAnalysisWindow();
    EXPECT_EQ(w[110 - 1], 1.0);
    EXPECT_DOUBLE_EQ(w[220 - 1], 0.08);
    EXPECT_EQ(w[55 - 1], 0.54);
    EXPECT_NEAR(w[1 - 1], 0.0801, 0.0001);
    EXPECT_EQ(&SharedAnalysisWindow(), &w);
    EXPECT_EQ(BuildAnalysisWindow(), w);
}

// w[55] is exactly 0.54, so these products land exactly on .5 in double
// arithmetic; a fused multiply-add or a wider intermediate rounds some of them up.
TEST(AnalysisWindow, ExactHalvesAtFrame55RoundToEven)
{
    const std::array<std::pair<int32_t, int32_t>, 4> cases{{{25, 14}, {75, 40}, {125, 68}, {175, 94}}};
    for (const auto& [sample, windowed] : cases) {
        for (int sign : {1, -1}) {
            std::vector<int32_t> x(kFrameLength, 0);
            x[55 - 1] = sign * sample;
            EXPECT_EQ(ApplyAnalysisWindow(x)[55 - 1], sign * windowed) << sign * sample;
            EXPECT_EQ(LpcAnalysis(x).autocorrelation[0], windowed * windowed) << sign * sample;
        }
    }
}

TEST(LpcAnalysis, FrameAtZeroLevelHasNoModel)
{
    const LpcResult result = LpcAnalysis(ConstantFrame(0));
    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.predictionError, 0);
    EXPECT_EQ(result.autocorrelation, LpcVector{});
    EXPECT_EQ(result.coefficients, (LpcVector{800, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(LpcAnalysis, FrameOneStepAboveZeroWindowsToOnesFrom52To168)
{
    const std::vector<int32_t> x = ConstantFrame(1);
    const auto y = ApplyAnalysisWindow(x);
    for (int k = 1; k <= kFrameLength; ++k)
        EXPECT_EQ(y[k - 1], (k >= 52 && k <= 168) ? 1 : 0) << k;

    const LpcResult result = LpcAnalysis(x);
    EXPECT_TRUE(result.success);
    for (int j = 0; j <= kLpcOrder; ++j)
        EXPECT_EQ(result.autocorrelation[j], 117 - j) << j;
    EXPECT_EQ(result.coefficients[0], 800);
    EXPECT_GT(result.predictionError, 0);
    EXPECT_LT(result.predictionError, 10000);
}

TEST(LpcAnalysis, FailedRecursionKeepsCoefficientsReachedSoFar)
{
    // Not a real autocorrelation: the order-2 error goes negative.
    const LpcVector r{100, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const LpcResult result = LevinsonDurbin(r);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.predictionError, 0);
    EXPECT_EQ(result.autocorrelation, r);
    // k1 = -0.9, k2 = 81 / 19; a1 = k1 (1 + k2)
    EXPECT_EQ(result.coefficients[0], 800);
    EXPECT_EQ(result.coefficients[1], -3789);
    EXPECT_EQ(result.coefficients[2], 3411);
    for (int i = 3; i <= kLpcOrder; ++i)
        EXPECT_EQ(result.coefficients[i], 0) << i;

    // A zero error after order 1 divides by zero; it must still fail cleanly.
    const LpcResult degenerate = LevinsonDurbin(LpcVector{100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(degenerate.success);
    EXPECT_EQ(degenerate.coefficients[0], 800);
    EXPECT_EQ(degenerate.predictionError, 0);
}

TEST(LpcAnalysis, SamplesOutsideTheCentredRangeAreClamped)
{
    EXPECT_EQ(LpcAnalysis(ConstantFrame(100000)).autocorrelation, LpcAnalysis(ConstantFrame(255)).autocorrelation);
    EXPECT_EQ(LpcAnalysis(ConstantFrame(-100000)).autocorrelation, LpcAnalysis(ConstantFrame(-255)).autocorrelation);
}

TEST(ResidualEnergy, QuietAutocorrelationGivesOne)
{
    const LpcVector c{800, -1200, 640, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ResidualEnergy(c, LpcVector{49, 40, 30, 0, 0, 0, 0, 0, 0, 0, 0}), 1);
    EXPECT_EQ(ResidualEnergy(LpcVector{}, LpcVector{50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 1);  // Q = 0, raised to 1
}

TEST(ResidualEnergy, IsTheRoundedQuadraticForm)
{
    // White signal: c'Rc = r0 (800^2 + c1^2), over 640000.
    const LpcVector white{50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ResidualEnergy(LpcVector{800, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, white), 50);
    // 50.5 exactly: halves go to the even neighbour.
    EXPECT_EQ(ResidualEnergy(LpcVector{800, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0}, white), 50);
    // Off-diagonal terms: 640000*100 - 2*800*400*60 + 160000*100 = 41600000 -> 65.
    EXPECT_EQ(ResidualEnergy(LpcVector{800, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                             LpcVector{100, -60, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
              65);
    // Wildly wrong coefficients saturate instead of overflowing.
    LpcVector huge{};
    huge.fill(2000000000);
    EXPECT_EQ(ResidualEnergy(huge, LpcVector{14000000, 14000000, 14000000, 14000000, 14000000, 14000000,
                                            14000000, 14000000, 14000000, 14000000, 14000000}),
              2147483647);
}

class AnalyseBlockTest : public ::testing::Test {
protected:
    AnalyseBlockTest() : ring(kRingLength, kZero), frames(kRingFrames)
    {
        for (FrameRecord& frame : frames)
            frame.energy = -7;  // marks records the analysis has not touched
    }
    std::vector<uint8_t> ring;
    std::vector<FrameRecord> frames;
};

TEST_F(AnalyseBlockTest, FillsTheSixRecordsOfTheBlockOnly)
{
    for (int p : {1, 62041}) {
        std::fill(ring.begin() + p - 1, ring.begin() + p - 1 + kBlockLength, kZero + 1);
        EXPECT_EQ(AnalyseBlock(ring, p, kZero, frames), 0);
    }
    for (int f = 1; f <= kRingFrames; ++f) {
        const bool analysed = f <= 6 || f >= 283;
        EXPECT_EQ(frames[f - 1].energy, analysed ? 220 : -7) << f;
    }
    const FrameRecord& frame = frames[283 - 1];
    const LpcResult expected = LpcAnalysis(ConstantFrame(1));
    EXPECT_EQ(frame.lpc, expected.coefficients);
    EXPECT_EQ(frame.autocorrelation, expected.autocorrelation);
    EXPECT_EQ(frame.predictionError, expected.predictionError);  // r0 = 117 >= 30
    EXPECT_EQ(frame.residualEnergy, ResidualEnergy(expected.coefficients, expected.autocorrelation));
    EXPECT_GT(frame.residualEnergy, 1);  // r0 >= 50: the quadratic form, not the floor
}

TEST_F(AnalyseBlockTest, SilentFrameHasResidualOneAndNoError)
{
    AnalyseBlock(ring, 1321, kZero, frames);
    const FrameRecord& frame = frames[7 - 1];
    EXPECT_EQ(frame.energy, 0);
    EXPECT_EQ(frame.lpc[0], 800);
    EXPECT_EQ(frame.autocorrelation, LpcVector{});
    EXPECT_EQ(frame.residualEnergy, 1);
    EXPECT_EQ(frame.predictionError, 0);
}

TEST_F(AnalyseBlockTest, QuietFramesStoreNoPredictionError)
{
    // One click of 5 in the middle of the frame: r0 = 25.
    ring[110 - 1] = kZero + 5;
    AnalyseBlock(ring, 1, kZero, frames);
    const FrameRecord& frame = frames[0];
    EXPECT_EQ(frame.energy, 25);
    ASSERT_EQ(frame.autocorrelation[0], 25);
    EXPECT_EQ(frame.predictionError, 0);
    EXPECT_EQ(frame.residualEnergy, 1);
}

TEST_F(AnalyseBlockTest, BlocksThatDoNotFitTheRingAreRefused)
{
    std::fill(ring.begin(), ring.end(), kZero + 1);
    EXPECT_EQ(AnalyseBlock(ring, 0, kZero, frames), 0);
    EXPECT_EQ(AnalyseBlock(ring, 62042, kZero, frames), 0);
    EXPECT_EQ(AnalyseBlock(std::span(ring).first(kRingLength - 1), 1, kZero, frames), 0);
    for (const FrameRecord& frame : frames)
        EXPECT_EQ(frame.energy, -7);
}

} // namespace
} // namespace larkspur
