#include "engine/PreparedFrames.h"
#include "engine/VoiceCommandTable.h"

#include "tests/engine/AnalysisHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>

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

// The fast path of the rounding must agree with nearbyint everywhere it is
// taken (|value| <= 2^30), ties included, and the general path must still
// saturate and map NaN to 0.
TEST(RoundToInt32, AgreesWithNearbyintAndSaturates)
{
    auto plain = [](double value) -> int32_t {
        if (std::isnan(value))
            return 0;
        const double r = std::nearbyint(value);
        if (r >= 2147483647.0)
            return std::numeric_limits<int32_t>::max();
        if (r <= -2147483648.0)
            return std::numeric_limits<int32_t>::min();
        return static_cast<int32_t>(r);
    };
    std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -2.5, 24.5, 12.5, 0.49999999999999994,
                                  199999.5, 200000.5, 1073741823.5, 1073741824.0, -1073741824.0, 1073741824.5,
                                  -1073741824.5, 1073741825.0, 2147483646.5, 2147483647.5, -2147483648.5, 1e300,
                                  -1e300, std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::denorm_min()};
    std::mt19937_64 random(11);
    for (int k = 0; k < 200000; ++k) {
        const double magnitude = std::ldexp(1.0, static_cast<int>(random() % 34) - 2);
        const double value = (static_cast<double>(random() >> 11) / 9007199254740992.0 - 0.5) * 2 * magnitude;
        values.push_back(value);
        values.push_back(std::nearbyint(value) + 0.5);  // a tie
    }
    int ties = 0;
    for (double value : values) {
        ASSERT_EQ(RoundToInt32(value), plain(value)) << value;
        if (value - std::floor(value) == 0.5)
            ++ties;
    }
    EXPECT_GT(ties, 100000);
}

// The branch-free energy distance on clamped values equals the plain one.
TEST(ClampedEnergyDistance, EqualsThePlainDistance)
{
    std::vector<int32_t> edges = {std::numeric_limits<int32_t>::min(), -46341, -1, 0, 1, 2, 3, 99, 100, 101,
                                  5000, 10000, 46339, 46340, 46341, 100000, std::numeric_limits<int32_t>::max()};
    for (int32_t a : edges)
        for (int32_t b : edges)
            for (int32_t c : {0, 1, 5000, 46340})
                ASSERT_EQ(ClampedEnergyDistance(ClampToSquarable(a), ClampToSquarable(c), ClampToSquarable(b),
                                                ClampToSquarable(c)),
                          EnergyDistance(a, c, b, c))
                    << a << " " << b << " " << c;
    std::mt19937 random(3);
    for (int k = 0; k < 300000; ++k) {
        const int32_t range = k % 3 == 0 ? 100000 : (k % 3 == 1 ? 12000 : 30);
        int32_t v[4];
        for (int32_t& x : v)
            x = static_cast<int32_t>(random() % static_cast<uint32_t>(range)) - (k % 7 == 0 ? range / 10 : 0);
        ASSERT_EQ(ClampedEnergyDistance(ClampToSquarable(v[0]), ClampToSquarable(v[1]), ClampToSquarable(v[2]),
                                        ClampToSquarable(v[3])),
                  EnergyDistance(v[0], v[1], v[2], v[3]))
            << v[0] << " " << v[1] << " " << v[2] << " " << v[3];
    }
}

// Frames kept in 32 bits give the same spectral distances as the 64-bit form,
// and frames too large for 32 bits are marked and still give them.
TEST(CompactSampleFrame, GivesThePreparedSpectralDistance)
{
    std::vector<UtteranceTemplate> templates;
    for (int variant = 0; variant < 6; ++variant)
        templates.push_back(test::AnalyseUtterance(test::SyntheticUtterance(20, variant, 40.0 + 15 * variant),
                                                   test::kCorpusZeroLevel));
    std::mt19937 random(5);
    SampleTemplate wild;
    wild.frameCount = 20;
    for (int f = 0; f < 20; ++f)
        for (int k = 0; k <= kLpcOrder; ++k)
            wild.lpc[f][k] = static_cast<int32_t>(random()) >> (f < 7 ? 20 : (f < 14 ? 14 : 1));
    std::vector<SampleTemplate> samples{wild};
    for (const UtteranceTemplate& u : templates)
        samples.push_back(test::SampleFrom(u));

    int wide = 0;
    int narrow = 0;
    for (const UtteranceTemplate& u : templates) {
        for (int i = 1; i <= 20; ++i) {
            const PreparedUtteranceFrame r = PrepareUtteranceFrame(u, i);
            for (const SampleTemplate& t : samples) {
                for (int j = 1; j <= 20; ++j) {
                    const CompactSampleFrame c = PrepareCompactSampleFrame(t, j);
                    ASSERT_EQ(CompactSpectralDistance(r, c, t, j), PreparedSpectralDistance(r, PrepareSampleFrame(t, j)))
                        << "utterance frame " << i << ", sample frame " << j;
                    ++(c.absSum == kWideFrame ? wide : narrow);
                }
            }
        }
    }
    EXPECT_GT(wide, 0);
    EXPECT_GT(narrow, wide);
}

// What the table search relies on to keep prepared frames between searches.
TEST(VoiceCommandTableRevision, ChangesWithEveryAccessThatCanChangeTheTable)
{
    VoiceCommandTable table;
    const VoiceCommandTable& view = table;
    uint64_t last = table.revision();
    auto changed = [&] {
        const bool different = table.revision() != last;
        last = table.revision();
        return different;
    };
    view.record(1);
    view.count();
    EXPECT_FALSE(changed());
    table.allocate(1);
    EXPECT_TRUE(changed());
    table.record(1);
    EXPECT_TRUE(changed());
    table.record(2);  // empty, but the caller could not know
    EXPECT_TRUE(changed());
    table.clear();
    EXPECT_TRUE(changed());

    VoiceCommandTable other;
    EXPECT_NE(other.revision(), table.revision());
    const uint64_t before = other.revision();
    VoiceCommandTable moved(std::move(other));
    EXPECT_NE(moved.revision(), before);
    EXPECT_NE(other.revision(), before);
    table = std::move(moved);
    EXPECT_TRUE(changed());
}

} // namespace
} // namespace larkspur
