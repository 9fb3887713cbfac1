#include "engine/Matcher.h"

#include "tests/engine/AnalysisHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace larkspur {
namespace {

// Hand-made templates whose every utterance frame has a white spectrum
// (r = (10000, 0, ...), own residual 10000). A sample predictor (800, c1, 0, ...)
// then leaves a residual of 10000 (1 + (c1 / 800)^2), so c1 picks the spectral
// distance of every cell: 0 -> 0, 400 -> 20000, 1600 -> 80000.
constexpr int32_t kGoodPredictor = 0;
constexpr int32_t kFairPredictor = 400;
constexpr int32_t kPoorPredictor = 1600;

UtteranceTemplate WhiteUtterance(int frames, int32_t meanEnergy = 20000)
{
    UtteranceTemplate u;
    u.valid = 1;
    u.frameCount = static_cast<uint8_t>(frames);
    u.meanEnergy = meanEnergy;
    for (int f = 0; f < frames; ++f) {
        u.lpc[f] = LpcVector{800, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        u.autocorrelation[f] = LpcVector{10000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        u.residualEnergy[f] = 10000;
        u.normEnergy[f] = 100000 / frames;
        u.predictionError[f] = 5000;
    }
    return u;
}

SampleTemplate UniformSample(int frames, int32_t c1, int32_t meanEnergy = 20000)
{
    SampleTemplate t;
    t.present = 1;
    t.frameCount = static_cast<uint8_t>(frames);
    t.meanEnergy = meanEnergy;
    for (int f = 0; f < frames; ++f) {
        t.lpc[f] = LpcVector{800, c1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        t.normEnergy[f] = 100000 / frames;
        t.predictionError[f] = 5000;
    }
    return t;
}

VoiceCommandRecord& AddRecord(VoiceCommandTable& table, int slot, const SampleTemplate& sample)
{
    VoiceCommandRecord& record = table.allocate(slot);
    record.phrase = "command " + std::to_string(slot);
    record.trained = 1;
    record.samples[0] = sample;
    return record;
}

struct BandRow {
    int row;
    int lo;
    int hi;
};

void ExpectRow(const SearchBand& band, const BandRow& expected, int nT)
{
    for (int j = 1; j <= nT; ++j)
        EXPECT_EQ(band.allows(expected.row, j), j >= expected.lo && j <= expected.hi)
            << "row " << expected.row << " column " << j;
}

TEST(SearchBand, WidensWithAccuracy)
{
    const SearchBand narrow = BuildSearchBand(20, 20, 0);
    for (const BandRow& row : {BandRow{1, 1, 8}, BandRow{2, 1, 9}, BandRow{10, 3, 18}, BandRow{20, 12, 20}})
        ExpectRow(narrow, row, 20);

    const SearchBand wide = BuildSearchBand(20, 20, 30);
    for (const BandRow& row : {BandRow{1, 1, 14}, BandRow{20, 6, 20}})
        ExpectRow(wide, row, 20);

    for (int32_t accuracy : {60, 65, 1000}) {
        const SearchBand open = BuildSearchBand(20, 20, accuracy);
        EXPECT_TRUE(open.allows(1, 20)) << accuracy;
        EXPECT_TRUE(open.allows(20, 1)) << accuracy;
        EXPECT_TRUE(open.allows(61, 61)) << accuracy;
    }
}

// s N_U - 1 is about 1e-16 (or exactly 0) here, so the upper slope is enormous.
TEST(SearchBand, ExplodingSlopesLeaveRowsEmptyAndRejectTheComparison)
{
    for (auto [frames, accuracy] : {std::pair{10, 50}, std::pair{20, 55}}) {
        const SearchBand band = BuildSearchBand(frames, frames, accuracy);
        for (int i = 2; i <= frames; ++i)
            for (int j = 1; j <= frames; ++j)
                EXPECT_FALSE(band.allows(i, j)) << i << "," << j;

        MatchWorkspace workspace;
        const UtteranceTemplate u = WhiteUtterance(frames);
        const SampleTemplate t = UniformSample(frames, kGoodPredictor);
        EXPECT_FALSE(CompareWithSample(u, t, accuracy, workspace).accepted);
        EXPECT_TRUE(CompareWithSample(u, t, 45, workspace).accepted);
    }
}

TEST(SearchBand, StaysInsideTheGridForAnyCountsAndAccuracy)
{
    for (int32_t accuracy : {-2147483647 - 1, -100000, -60, -5, 0, 15, 45, 50, 55, 59, 2147483647}) {
        for (int nU = 0; nU <= kTemplateFrames; ++nU) {
            for (int nT = 0; nT <= kTemplateFrames; ++nT) {
                const SearchBand band = BuildSearchBand(nU, nT, accuracy);
                if (band.everything)
                    continue;
                for (int i = 1; i <= nU; ++i) {
                    ASSERT_GE(band.lo[i], 1);
                    ASSERT_LE(band.hi[i], nT);
                }
            }
        }
    }
}

TEST(Confidence, FallsOnePointPer600ScoreUnits)
{
    EXPECT_EQ(ConfidenceForScore(-500), 100);
    EXPECT_EQ(ConfidenceForScore(20000), 100);
    EXPECT_EQ(ConfidenceForScore(20001), 100);  // round(24.998)
    EXPECT_EQ(ConfidenceForScore(20300), 99);   // 24.5 rounds to 24
    EXPECT_EQ(ConfidenceForScore(27500), 87);   // 12.5 rounds to 12
    EXPECT_EQ(ConfidenceForScore(34700), 75);   // 0.5 rounds to 0
    EXPECT_EQ(ConfidenceForScore(35000), 75);
    EXPECT_FALSE(ConfidenceForScore(35001).has_value());
    EXPECT_FALSE(ConfidenceForScore(kNoScore).has_value());
}

TEST(CompareWithSample, AnalysedUtteranceMatchesItselfWithScoreZero)
{
    const UtteranceTemplate u = test::AnalyseUtterance(test::SyntheticUtterance(40, 3), test::kCorpusZeroLevel);
    ASSERT_EQ(u.frameCount, 40);
    MatchWorkspace workspace;
    const CompareResult result = CompareWithSample(u, test::SampleFrom(u), 15, workspace);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.score, 0);

    VoiceCommandTable table;
    AddRecord(table, 3, test::SampleFrom(u));
    const MatchResult match = MatchUtterance(u, table, 15, workspace);
    EXPECT_EQ(match.slot, 3);
    EXPECT_EQ(match.confidence, 100);
    EXPECT_EQ(match.phrase, "command 3");
    EXPECT_EQ(match.bestScore, 0);
}

TEST(CompareWithSample, ScoreIsTheSumOfBothPassAverages)
{
    // Diagonal path. Forward: 17 cells from (1,1) to (17,17), 340000 / 34 = 10000.
    // Backward: 18 cells from (20,20) to (3,3), 360000 / 34 = 10588.
    MatchWorkspace workspace;
    const CompareResult result = CompareWithSample(WhiteUtterance(20), UniformSample(20, kFairPredictor), 15, workspace);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.score, 20588);
}

TEST(CompareWithSample, PoorPathsAreRejected)
{
    MatchWorkspace workspace;
    // 20 frames: the running average is 40000 at the 11th move.
    CompareResult result = CompareWithSample(WhiteUtterance(20), UniformSample(20, kPoorPredictor), 15, workspace);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.score, -1);
    // 12 frames: too short for the running test, but 40000 + 44444 exceeds 50000.
    result = CompareWithSample(WhiteUtterance(12), UniformSample(12, kPoorPredictor), 15, workspace);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.score, -1);
}

TEST(CompareWithSample, LengthRatioOfTwoIsRejected)
{
    MatchWorkspace workspace;
    EXPECT_FALSE(CompareWithSample(WhiteUtterance(7), UniformSample(14, kGoodPredictor), 60, workspace).accepted);
    EXPECT_FALSE(CompareWithSample(WhiteUtterance(14), UniformSample(7, kGoodPredictor), 60, workspace).accepted);
    EXPECT_TRUE(CompareWithSample(WhiteUtterance(7), UniformSample(13, kGoodPredictor), 60, workspace).accepted);
    EXPECT_TRUE(CompareWithSample(WhiteUtterance(13), UniformSample(7, kGoodPredictor), 60, workspace).accepted);
}

TEST(CompareWithSample, LoudnessRatioOfFourIsRejected)
{
    MatchWorkspace workspace;
    const SampleTemplate t = UniformSample(20, kGoodPredictor, 4000);
    EXPECT_FALSE(CompareWithSample(WhiteUtterance(20, 16000), t, 15, workspace).accepted);
    EXPECT_TRUE(CompareWithSample(WhiteUtterance(20, 15999), t, 15, workspace).accepted);
    EXPECT_FALSE(CompareWithSample(WhiteUtterance(20, 1000), t, 15, workspace).accepted);
    EXPECT_TRUE(CompareWithSample(WhiteUtterance(20, 1001), t, 15, workspace).accepted);
}

TEST(CompareWithSample, ReusedWorkspaceGivesTheSameScoresAsAFreshOne)
{
    const UtteranceTemplate u = test::AnalyseUtterance(test::SyntheticUtterance(30, 1), test::kCorpusZeroLevel);
    std::vector<SampleTemplate> samples;
    for (int variant : {1, 2, 8})
        for (int frames : {26, 30, 34})
            samples.push_back(test::SampleFrom(
                test::AnalyseUtterance(test::SyntheticUtterance(frames, variant), test::kCorpusZeroLevel)));

    MatchWorkspace shared;
    for (int round = 0; round < 2; ++round) {
        for (const SampleTemplate& t : samples) {
            MatchWorkspace fresh;
            const CompareResult expected = CompareWithSample(u, t, 20, fresh);
            const CompareResult reused = CompareWithSample(u, t, 20, shared);
            EXPECT_EQ(reused.accepted, expected.accepted);
            EXPECT_EQ(reused.score, expected.score);
        }
    }
}

// Sample frame j differs from the (uniform) utterance frames exactly where
// mismatched[j] is set, so each look-ahead cell costs 0 or 100000.
ComparisonContext MismatchContext(const std::vector<int>& mismatched, UtteranceTemplate& u, SampleTemplate& t,
                                  MatchWorkspace& workspace, PreparedUtterance& prepared)
{
    u = WhiteUtterance(20);
    t = UniformSample(20, kGoodPredictor);
    for (int j : mismatched)
        t.normEnergy[j - 1] = 0;
    PrepareUtterance(u, prepared);
    workspace.beginComparison();
    return ComparisonContext(prepared, t, workspace.band(20, 20, 60), workspace);
}

TEST(ChooseMove, PrefersTheDiagonalThenTheFixedTieOrder)
{
    MatchWorkspace workspace;
    PreparedUtterance prepared;
    UtteranceTemplate u;
    SampleTemplate t;

    ComparisonContext even = MismatchContext({}, u, t, workspace, prepared);
    EXPECT_EQ(ChooseMove(even, 5, 5, +1), 2);
    EXPECT_EQ(ChooseMove(even, 15, 15, -1), 2);

    // Columns 6 and 7 differ: moves 2, 3 and 0 cost 2, moves 1 and 4 cost 1; 1 wins the tie.
    ComparisonContext skip = MismatchContext({6, 7}, u, t, workspace, prepared);
    EXPECT_EQ(ChooseMove(skip, 5, 5, +1), 1);
    // Backwards from column 8 the same columns are 7 and 6.
    EXPECT_EQ(ChooseMove(skip, 10, 8, -1), 1);

    // Columns 6..8 differ: moves 2 and 3 cost 2, move 1 costs 2, 0 costs 3, move 4 costs 1.
    ComparisonContext stay = MismatchContext({6, 7, 8}, u, t, workspace, prepared);
    EXPECT_EQ(ChooseMove(stay, 5, 5, +1), 4);
    // Column 6 differs: 2 costs 1, 1 costs 0 -> 1.
    ComparisonContext skipOne = MismatchContext({6}, u, t, workspace, prepared);
    EXPECT_EQ(ChooseMove(skipOne, 5, 5, +1), 1);
}

TEST(MatchUtterance, EqualScoresGoToTheLowerSlot)
{
    VoiceCommandTable table;
    AddRecord(table, 9, UniformSample(20, kFairPredictor));
    AddRecord(table, 5, UniformSample(20, kFairPredictor));
    MatchWorkspace workspace;
    MatchResult match = MatchUtterance(WhiteUtterance(20), table, 15, workspace);
    EXPECT_EQ(match.slot, 5);
    EXPECT_EQ(match.phrase, "command 5");
    EXPECT_EQ(match.bestScore, 20588);
    EXPECT_EQ(match.confidence, 99);

    // A strictly better sample later in the table still wins.
    AddRecord(table, 400, UniformSample(20, kGoodPredictor));
    match = MatchUtterance(WhiteUtterance(20), table, 15, workspace);
    EXPECT_EQ(match.slot, 400);
    EXPECT_EQ(match.confidence, 100);
}

TEST(MatchUtterance, SkipsUntrainedRecordsAndAbsentSamples)
{
    VoiceCommandTable table;
    AddRecord(table, 1, UniformSample(20, kGoodPredictor)).trained = 0;
    VoiceCommandRecord& second = AddRecord(table, 2, UniformSample(20, kGoodPredictor));
    second.samples[0].present = 0;
    second.samples[2] = UniformSample(20, kFairPredictor);
    AddRecord(table, 3, UniformSample(20, kFairPredictor));
    MatchWorkspace workspace;
    const MatchResult match = MatchUtterance(WhiteUtterance(20), table, 15, workspace);
    EXPECT_EQ(match.slot, 2);
    EXPECT_EQ(match.bestScore, 20588);
}

TEST(MatchUtterance, NothingAcceptedMeansNoVoiceCommand)
{
    VoiceCommandTable table;
    MatchWorkspace workspace;
    MatchResult match = MatchUtterance(WhiteUtterance(20), table, 15, workspace);
    EXPECT_EQ(match.slot, 0);
    EXPECT_EQ(match.confidence, 100);
    EXPECT_EQ(match.phrase, "");
    EXPECT_EQ(match.bestScore, kNoScore);

    AddRecord(table, 1, UniformSample(20, kPoorPredictor));
    match = MatchUtterance(WhiteUtterance(20), table, 15, workspace);
    EXPECT_EQ(match.slot, 0);
    EXPECT_EQ(match.bestScore, kNoScore);
}

TEST(MatchUtterance, DamagedSamplesAreIgnored)
{
    VoiceCommandTable table;
    int slot = 1;
    for (int frames : {0, 61, 255}) {
        SampleTemplate t = UniformSample(20, kGoodPredictor);
        t.frameCount = static_cast<uint8_t>(frames);
        AddRecord(table, slot++, t);
    }
    for (int32_t mean : {0, -20000, -2147483647 - 1}) {
        SampleTemplate t = UniformSample(20, kGoodPredictor);
        t.meanEnergy = mean;
        AddRecord(table, slot++, t);
    }
    for (int frames : {1, 2, 3}) {  // too short to align, even against a short utterance
        AddRecord(table, slot++, UniformSample(frames, kGoodPredictor));
    }
    AddRecord(table, 100, UniformSample(20, kFairPredictor));
    MatchWorkspace workspace;
    EXPECT_EQ(MatchUtterance(WhiteUtterance(20), table, 15, workspace).slot, 100);
    EXPECT_EQ(MatchUtterance(WhiteUtterance(2), table, 60, workspace).slot, 0);

    for (int frames : {0, 61, 255}) {
        UtteranceTemplate u = WhiteUtterance(20);
        u.frameCount = static_cast<uint8_t>(frames);
        EXPECT_EQ(MatchUtterance(u, table, 15, workspace).slot, 0) << frames;
    }
}

TEST(MatchUtterance, GarbageTemplatesNeverCrash)
{
    std::mt19937 random(20240611);
    auto garbage = [&random](auto& object) {
        auto* bytes = reinterpret_cast<unsigned char*>(&object);
        for (size_t k = 0; k < sizeof(object); ++k)
            bytes[k] = static_cast<unsigned char>(random());
    };
    const UtteranceTemplate real = test::AnalyseUtterance(test::SyntheticUtterance(30, 2), test::kCorpusZeroLevel);
    MatchWorkspace workspace;
    for (int round = 0; round < 300; ++round) {
        SampleTemplate t;
        garbage(t.lpc);
        garbage(t.normEnergy);
        garbage(t.predictionError);
        t.present = 1;
        t.frameCount = static_cast<uint8_t>(4 + random() % 57);
        t.meanEnergy = real.meanEnergy + static_cast<int32_t>(random() % 1000);
        const CompareResult result = CompareWithSample(real, t, static_cast<int32_t>(random() % 80) - 10, workspace);
        if (result.accepted) {
            EXPECT_LE(result.score, 50000);
        }

        UtteranceTemplate u = real;
        garbage(u.autocorrelation);
        garbage(u.residualEnergy);
        garbage(u.normEnergy);
        CompareWithSample(u, test::SampleFrom(real), 60, workspace);
    }
}

} // namespace
} // namespace larkspur
