// The matcher against a plain reference written straight from the matching
// rules: no memos, no prepared frames, no caches, every local distance computed
// afresh in double precision wherever a rule asks for it. Whatever the matcher
// does to be fast, its results must stay identical to these.

#include "engine/Matcher.h"

#include "tests/engine/AnalysisHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace larkspur {
namespace {

namespace reference {

// Nearest integer, halves to even. Damaged templates can push a value outside
// the 32-bit range (it saturates) or make it NaN (it counts as 0).
int32_t Round(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value);
    if (r >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (r <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

// One term of the energy distance. Values are clamped to at most 46340 so the
// 32-bit squares stay in range; negative values (damaged templates only) count
// as 0.
double Term(int32_t x, int32_t y)
{
    x = std::min(std::max(x, 0), 46340);
    y = std::min(std::max(y, 0), 46340);
    if (x > y) {
        if (x == 0)
            return static_cast<double>(y * y);
        return static_cast<double>((x - y) * (x - y)) / static_cast<double>(x * x);
    }
    if (y == 0)
        return static_cast<double>(x * x);
    return static_cast<double>((x - y) * (x - y)) / static_cast<double>(y * y);
}

int32_t EnergyDistanceFromRules(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j)
{
    const double energyTerm = Term(u.normEnergy[i - 1], t.normEnergy[j - 1]);
    const double errorTerm = Term(u.predictionError[i - 1], t.predictionError[j - 1]);
    return Round(100000.0 * (energyTerm + errorTerm));
}

// c'Rc / 640000 with R the Toeplitz matrix of r, at least 1; 1 when r0 < 50.
int32_t ResidualEnergyFromRules(const LpcVector& c, const LpcVector& r)
{
    if (r[0] < 50)
        return 1;
    double v[kLpcCoefficients] = {};
    for (int j = 0; j <= kLpcOrder; ++j) {
        double sum = 0.0;
        for (int i = 0; i <= kLpcOrder; ++i)
            sum = sum + static_cast<double>(c[i]) * static_cast<double>(r[std::abs(i - j)]);
        v[j] = sum;
    }
    double q = 0.0;
    for (int j = 0; j <= kLpcOrder; ++j)
        q = q + v[j] * static_cast<double>(c[j]);
    q = q * 0.00125 * 0.00125;
    if (q < 1.0)
        q = 1.0;
    return Round(q);
}

int32_t SpectralDistanceFromRules(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j)
{
    const int32_t d = ResidualEnergyFromRules(t.lpc[j - 1], u.autocorrelation[i - 1]);
    const double v = 1.0 - static_cast<double>(u.residualEnergy[i - 1]) / static_cast<double>(d);
    return Round(100000.0 * v);
}

struct Band {
    bool everything = false;
    double lo[kTemplateFrames + 1] = {};
    double hi[kTemplateFrames + 1] = {};

    bool allows(int i, int j) const { return everything || (j >= lo[i] && j <= hi[i]); }
};

// Kept as rounded doubles so that infinite slopes (accuracy near 50..59) just
// give rows that allow nothing or everything up to the edge, and NaN rows none.
Band BuildBand(int nU, int nT, int32_t accuracy)
{
    Band band;
    const double c = 0.4 + 0.01 * accuracy;
    if (c >= 1) {
        band.everything = true;
        return band;
    }
    const double s = 1 - c;
    const double upperSlope = s * nT / (s * nU - 1);
    const double upperOffset = c * nT;
    const double lowerSlope = (s * nT - 1) / (s * nU);
    for (int i = 1; i <= nU; ++i) {
        double hi = std::nearbyint(upperSlope * (i - 1) + upperOffset);
        if (hi > nT)
            hi = nT;
        double lo = std::nearbyint(lowerSlope * (i - c * nU) + 1);
        if (lo < 1)
            lo = 1;
        band.lo[i] = lo;
        band.hi[i] = hi;
    }
    return band;
}

struct MoveRule {
    int cells;
    int ci[3];
    int cj[3];
    int di;
    int dj;
};

constexpr MoveRule kMoveRules[5] = {
    {3, {0, 0, 1}, {1, 2, 3}, 0, 1},
    {2, {1, 2}, {2, 3}, 1, 2},
    {2, {1, 2}, {1, 2}, 1, 1},
    {2, {2, 3}, {1, 2}, 2, 1},
    {3, {1, 2, 3}, {0, 0, 1}, 1, 0},
};

struct Pass {
    bool accepted = false;
    int64_t average = 0;
};

Pass RunPass(const UtteranceTemplate& u, const SampleTemplate& t, const Band& band, int direction)
{
    const int nU = u.frameCount;
    const int nT = t.frameCount;
    int i = direction > 0 ? 1 : nU;
    int j = direction > 0 ? 1 : nT;
    int64_t d = SpectralDistanceFromRules(u, i, t, j);
    int step = 1;
    int64_t length = 0;
    for (;;) {
        int chosen = -1;
        int64_t best = 0;
        for (int number : {2, 1, 3, 0, 4}) {
            const MoveRule& rule = kMoveRules[number];
            int64_t sum = 0;
            for (int k = 0; k < rule.cells; ++k)
                sum += EnergyDistanceFromRules(u, i + direction * rule.ci[k], t, j + direction * rule.cj[k]);
            if (chosen < 0 || sum < best) {
                chosen = number;
                best = sum;
            }
        }
        i += direction * kMoveRules[chosen].di;
        j += direction * kMoveRules[chosen].dj;
        d += SpectralDistanceFromRules(u, i, t, j);
        if (!band.allows(i, j))
            return {};
        length = direction > 0 ? i + j : (nU - i) + (nT - j);
        if (step > 10 && d / length > 30000)
            return {};
        ++step;
        if (direction > 0 ? (i >= nU - 3 || j >= nT - 3) : (i <= 3 || j <= 3))
            break;
    }
    return {true, d / length};
}

CompareResult Compare(const UtteranceTemplate& u, const SampleTemplate& t, int32_t accuracy)
{
    // Templates the engine cannot have made (frame counts outside 1..60, mean
    // energies of 0 or less) are rejected, and so are templates shorter than
    // the look-ahead's reach of 3 frames.
    if (u.frameCount < 1 || u.frameCount > 60 || u.meanEnergy <= 0)
        return {};
    if (t.frameCount < 1 || t.frameCount > 60 || t.meanEnergy <= 0)
        return {};
    const int nU = u.frameCount;
    const int nT = t.frameCount;
    if (nU / nT >= 2 || nT / nU >= 2)
        return {};
    if (u.meanEnergy / t.meanEnergy >= 4 || t.meanEnergy / u.meanEnergy >= 4)
        return {};
    if (nU < 4 || nT < 4)
        return {};
    const Band band = BuildBand(nU, nT, accuracy);
    const Pass forward = RunPass(u, t, band, +1);
    if (!forward.accepted)
        return {};
    const Pass backward = RunPass(u, t, band, -1);
    if (!backward.accepted)
        return {};
    const int64_t total = forward.average + backward.average;
    if (total > 50000)
        return {};
    return {true, static_cast<int32_t>(std::max<int64_t>(total, std::numeric_limits<int32_t>::min()))};
}

MatchResult Match(const UtteranceTemplate& u, const VoiceCommandTable& table, int32_t accuracy)
{
    MatchResult result;
    int32_t best = kNoScore;
    int slot = 0;
    for (int s = 1; s <= kMaxVoiceCommands; ++s) {
        const VoiceCommandRecord* record = table.record(s);
        if (!record || record->trained == 0)
            continue;
        for (const SampleTemplate& sample : record->samples) {
            if (sample.present == 0)
                continue;
            const CompareResult compared = Compare(u, sample, accuracy);
            if (compared.accepted && compared.score < best) {
                best = compared.score;
                slot = s;
            }
        }
    }
    result.bestScore = best;
    if (best > 35000)
        return result;
    int32_t confidence = 100;
    if (best > 20000)
        confidence = 75 + Round(static_cast<double>(35000 - best) * 25 / 15000);
    if (confidence > 100)
        confidence = 100;
    result.slot = slot;
    result.confidence = confidence;
    result.phrase = table.record(slot)->phrase;
    return result;
}

} // namespace reference

// Every training repetition of both development speakers; empty without the corpus.
std::vector<UtteranceTemplate> CorpusUtterances()
{
    std::vector<UtteranceTemplate> found;
    for (const char* speaker : {"dev1", "dev2"}) {
        for (const char* name : test::kCorpusTrainingFiles) {
            const std::string base = std::string(LARKSPUR_CORPUS_DIR) + "/" + speaker + "/train/" + name;
            if (!std::filesystem::exists(base + ".wav"))
                continue;
            const std::vector<uint8_t> audio = test::ReadWavData(base + ".wav");
            for (const auto& [start, end] : test::ReadUtteranceSpans(base + ".json")) {
                if (start < 0 || end > static_cast<int>(audio.size()) || end <= start)
                    continue;
                found.push_back(test::AnalyseUtterance(std::span(audio).subspan(start, end - start),
                                                       test::kCorpusZeroLevel));
            }
        }
    }
    return found;
}

// Utterances of every kind the matcher may meet: recorded speech, synthetic
// speech of 4..60 frames, copies with nudged energies (so the look-ahead sums
// tie and differ in new ways), coarse energies that tie all the time, and a few
// with coefficients and autocorrelations far beyond real frames.
std::vector<UtteranceTemplate> UtterancePool(std::mt19937& random)
{
    std::vector<UtteranceTemplate> pool = CorpusUtterances();
    for (int k = 0; k < 40; ++k) {
        const int frames = 4 + static_cast<int>(random() % 57);
        pool.push_back(test::AnalyseUtterance(test::SyntheticUtterance(frames, static_cast<int>(random() % 60),
                                                                       35.0 + random() % 80),
                                              test::kCorpusZeroLevel));
    }
    const size_t real = pool.size();
    for (size_t k = 0; k < real; k += 3) {
        UtteranceTemplate nudged = pool[k];
        for (int f = 0; f < nudged.frameCount; ++f) {
            nudged.normEnergy[f] += static_cast<int32_t>(random() % 801) - 400;
            nudged.predictionError[f] += static_cast<int32_t>(random() % 401) - 200;
            if (random() % 4 == 0)
                nudged.lpc[f][1 + random() % kLpcOrder] += static_cast<int32_t>(random() % 201) - 100;
        }
        pool.push_back(nudged);
    }
    for (size_t k = 1; k < real; k += 5) {
        UtteranceTemplate coarse = pool[k];
        for (int f = 0; f < coarse.frameCount; ++f) {
            coarse.normEnergy[f] = (coarse.normEnergy[f] / 1500) * 1500;
            coarse.predictionError[f] = (coarse.predictionError[f] / 2500) * 2500;
        }
        pool.push_back(coarse);
    }
    for (int k = 0; k < 6; ++k) {
        UtteranceTemplate wild = pool[random() % real];
        for (int f = 0; f < wild.frameCount; ++f) {
            for (int c = 1; c <= kLpcOrder; ++c)
                wild.lpc[f][c] = static_cast<int32_t>(random()) >> (k < 3 ? 8 : 1);
            if (k >= 3) {
                for (int c = 0; c <= kLpcOrder; ++c)
                    wild.autocorrelation[f][c] = static_cast<int32_t>(random());
                wild.residualEnergy[f] = static_cast<int32_t>(random());
                wild.normEnergy[f] = static_cast<int32_t>(random());
            }
        }
        pool.push_back(wild);
    }
    return pool;
}

void ExpectSameMatch(const MatchResult& actual, const MatchResult& expected, const std::string& where)
{
    EXPECT_EQ(actual.slot, expected.slot) << where;
    EXPECT_EQ(actual.confidence, expected.confidence) << where;
    EXPECT_EQ(actual.phrase, expected.phrase) << where;
    EXPECT_EQ(actual.bestScore, expected.bestScore) << where;
}

class MatcherReference : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::mt19937 random(19980611);
        pool = UtterancePool(random);
    }
    std::vector<UtteranceTemplate> pool;
};

TEST_F(MatcherReference, EveryComparisonGivesTheReferenceResult)
{
    std::mt19937 random(4242);
    MatchWorkspace workspace;
    int accepted = 0;
    int rejectedInSearch = 0;
    int compared = 0;
    for (size_t a = 0; a < pool.size(); ++a) {
        for (size_t b = 0; b < pool.size(); ++b) {
            const int32_t accuracy = static_cast<int32_t>(5 * (random() % 13));
            const SampleTemplate t = test::SampleFrom(pool[b]);
            const CompareResult expected = reference::Compare(pool[a], t, accuracy);
            const CompareResult actual = CompareWithSample(pool[a], t, accuracy, workspace);
            ASSERT_EQ(actual.accepted, expected.accepted) << a << " with " << b << " at " << accuracy;
            ASSERT_EQ(actual.score, expected.score) << a << " with " << b << " at " << accuracy;
            ++compared;
            if (expected.accepted)
                ++accepted;
            else if (pool[a].frameCount / pool[b].frameCount < 2 && pool[b].frameCount / pool[a].frameCount < 2 &&
                     pool[a].meanEnergy / pool[b].meanEnergy < 4 && pool[b].meanEnergy / pool[a].meanEnergy < 4)
                ++rejectedInSearch;
        }
    }
    std::printf("%d comparisons, %d accepted, %d rejected in the path search\n", compared, accepted, rejectedInSearch);
    // The pairs must reach the path search often, with both outcomes.
    EXPECT_GT(accepted, compared / 20) << accepted << " of " << compared;
    EXPECT_GT(rejectedInSearch, compared / 20) << rejectedInSearch << " of " << compared;
}

TEST_F(MatcherReference, TableSearchesGiveTheReferenceResult)
{
    std::mt19937 random(777);
    MatchWorkspace workspace;
    VoiceCommandTable table;
    int recognised = 0;
    int searches = 0;
    for (int round = 0; round < 12; ++round) {
        table.clear();
        const int records = 20 + static_cast<int>(random() % 120);
        for (int r = 0; r < records; ++r) {
            const int slot = 1 + static_cast<int>(random() % kMaxVoiceCommands);
            VoiceCommandRecord& record = table.allocate(slot);
            record.phrase = "command " + std::to_string(slot);
            record.trained = random() % 10 != 0 ? 1 : 0;
            for (SampleTemplate& sample : record.samples) {
                sample = test::SampleFrom(pool[random() % pool.size()]);
                sample.present = random() % 6 != 0 ? 1 : 0;
            }
        }
        // Same samples in two slots: the lower slot must win the tie.
        if (const VoiceCommandRecord* any = table.record(1 + static_cast<int>(random() % kMaxVoiceCommands))) {
            const VoiceCommandRecord copy = *any;
            table.allocate(1 + static_cast<int>(random() % kMaxVoiceCommands)) = copy;
        }
        for (int n = 0; n < 8; ++n) {
            const UtteranceTemplate& u = pool[random() % pool.size()];
            const int32_t accuracy = static_cast<int32_t>(5 * (random() % 13));
            const MatchResult expected = reference::Match(u, table, accuracy);
            ExpectSameMatch(MatchUtterance(u, table, accuracy, workspace), expected,
                            "round " + std::to_string(round) + " search " + std::to_string(n));
            ++searches;
            if (expected.slot != 0)
                ++recognised;
        }
    }
    EXPECT_GT(recognised, searches / 4);
}

// Between two searches with the same workspace the table changes in every way
// it can: samples rewritten in place, records replaced, cleared and refilled,
// whole tables destroyed and rebuilt in the same memory. Nothing the matcher
// remembers from one search may leak into the next.
TEST_F(MatcherReference, ChangesToTheTableBetweenSearchesAreSeen)
{
    std::mt19937 random(31337);
    MatchWorkspace workspace;
    const UtteranceTemplate& u = pool[0];
    auto pick = [&] { return test::SampleFrom(pool[random() % pool.size()]); };
    auto check = [&](const VoiceCommandTable& table, const std::string& where) {
        for (int32_t accuracy : {15, 60}) {
            ExpectSameMatch(MatchUtterance(u, table, accuracy, workspace), reference::Match(u, table, accuracy),
                            where + " at " + std::to_string(accuracy));
        }
    };

    auto table = std::make_unique<VoiceCommandTable>();
    for (int slot = 1; slot <= 30; ++slot) {
        VoiceCommandRecord& record = table->allocate(slot);
        record.phrase = "command " + std::to_string(slot);
        record.trained = 1;
        for (SampleTemplate& sample : record.samples)
            sample = pick();
    }
    // The utterance's own frames as a sample in slot 20: a certain best match
    // that each change below can take away or move.
    table->record(20)->samples[1] = test::SampleFrom(u);
    check(*table, "filled");
    ASSERT_EQ(reference::Match(u, *table, 15).slot, 20);

    // Rewritten in place, frame by frame, through the record.
    VoiceCommandRecord* record = table->record(20);
    for (int f = 0; f < kTemplateFrames; ++f) {
        record->samples[1].lpc[f][1] += 300;
        record->samples[1].normEnergy[f] = record->samples[1].normEnergy[(f + 7) % kTemplateFrames];
    }
    check(*table, "rewritten");
    table->record(20)->samples[1] = test::SampleFrom(u);
    check(*table, "restored");
    table->record(20)->samples[1].present = 0;
    check(*table, "absent");
    table->record(20)->samples[1].present = 1;
    table->record(20)->trained = 0;
    check(*table, "untrained");
    table->record(20)->trained = 1;

    // Replaced by a fresh record, then given the same samples again.
    table->allocate(20);
    check(*table, "reallocated");
    VoiceCommandRecord& again = table->allocate(20);
    again.trained = 1;
    again.phrase = "again";
    again.samples[2] = test::SampleFrom(u);
    again.samples[2].lpc[3][2] += 500;
    check(*table, "refilled");

    table->clear();
    check(*table, "cleared");
    for (int slot = 1; slot <= 30; ++slot) {
        VoiceCommandRecord& fresh = table->allocate(slot);
        fresh.phrase = "fresh " + std::to_string(slot);
        fresh.trained = 1;
        fresh.samples[0] = pick();
    }
    check(*table, "cleared and refilled");

    // A new table in the very memory of the old one, filled the same number of
    // times but with other samples.
    for (int rebuild = 0; rebuild < 3; ++rebuild) {
        VoiceCommandTable* address = table.get();
        table->~VoiceCommandTable();
        new (address) VoiceCommandTable();
        for (int slot = 1; slot <= 30; ++slot) {
            VoiceCommandRecord& fresh = table->allocate(slot);
            fresh.phrase = "rebuilt " + std::to_string(slot);
            fresh.trained = 1;
            fresh.samples[0] = pick();
        }
        if (rebuild == 1)
            table->record(5)->samples[0] = test::SampleFrom(u);
        check(*table, "rebuilt " + std::to_string(rebuild));
        if (rebuild == 1) {
            EXPECT_EQ(reference::Match(u, *table, 15).slot, 5);
        }
    }

    // Two tables searched in turn with one workspace.
    VoiceCommandTable other;
    for (int slot = 1; slot <= 30; ++slot) {
        VoiceCommandRecord& fresh = other.allocate(slot);
        fresh.phrase = "other " + std::to_string(slot);
        fresh.trained = 1;
        fresh.samples[2] = pick();
    }
    other.record(29)->samples[2] = test::SampleFrom(u);
    ASSERT_EQ(reference::Match(u, other, 15).slot, 29);
    for (int turn = 0; turn < 3; ++turn) {
        check(other, "other table, turn " + std::to_string(turn));
        check(*table, "first table, turn " + std::to_string(turn));
    }
}

} // namespace
} // namespace larkspur
