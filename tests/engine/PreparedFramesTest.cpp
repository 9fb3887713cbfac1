#include "engine/PreparedFrames.h"

#include "tests/engine/AnalysisHelpers.h"

#include <gtest/gtest.h>

#include <random>

namespace larkspur {
namespace {

// The matcher's integer shortcut must give the plain double-precision result
// bit for bit, on real spectra and on coefficients large enough to need the
// slow path.
TEST(PreparedResidualEnergy, EqualsThePlainEvaluation)
{
    std::vector<UtteranceTemplate> templates;
    for (int variant = 0; variant < 6; ++variant)
        templates.push_back(test::AnalyseUtterance(test::SyntheticUtterance(20, variant, 40.0 + 15 * variant),
                                                   test::kCorpusZeroLevel));
    // Coefficients from near-singular models, and then some beyond any real frame.
    std::mt19937 random(7);
    SampleTemplate wild;
    wild.frameCount = 20;
    for (int f = 0; f < 20; ++f)
        for (int k = 0; k <= kLpcOrder; ++k)
            wild.lpc[f][k] = static_cast<int32_t>(random()) >> (f < 10 ? 12 : 1);
    std::vector<SampleTemplate> samples{wild};
    for (const UtteranceTemplate& u : templates)
        samples.push_back(test::SampleFrom(u));

    int slowPaths = 0;
    int checked = 0;
    for (const UtteranceTemplate& u : templates) {
        for (int i = 1; i <= 20; ++i) {
            const PreparedUtteranceFrame r = PrepareUtteranceFrame(u, i);
            for (const SampleTemplate& t : samples) {
                for (int j = 1; j <= 20; ++j) {
                    const PreparedSampleFrame c = PrepareSampleFrame(t, j);
                    ASSERT_EQ(PreparedResidualEnergy(c, r), ResidualEnergy(t.lpc[j - 1], u.autocorrelation[i - 1]))
                        << "utterance frame " << i << ", sample frame " << j;
                    ASSERT_EQ(PreparedSpectralDistance(r, c), SpectralDistance(u, i, t, j));
                    if (c.absSumSquared * r.largestLag >= 4503599627370496.0 && r.autocorrelation[0] >= 50)
                        ++slowPaths;
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(slowPaths, 0);
    EXPECT_GT(checked - slowPaths, checked / 2);
}

} // namespace
} // namespace larkspur
