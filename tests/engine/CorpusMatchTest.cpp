#include "engine/Matcher.h"

#include "tests/engine/AnalysisHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace larkspur {
namespace {

// The four repetitions of one phrase in a speaker's training file, analysed.
std::vector<UtteranceTemplate> AnalyseRepetitions(const std::string& speaker, const std::string& name)
{
    const std::string base = std::string(LARKSPUR_CORPUS_DIR) + "/" + speaker + "/train/" + name;
    const std::vector<uint8_t> audio = test::ReadWavData(base + ".wav");
    std::vector<UtteranceTemplate> repetitions;
    for (const auto& [start, end] : test::ReadUtteranceSpans(base + ".json")) {
        if (start < 0 || end > static_cast<int>(audio.size()) || end <= start)
            continue;
        repetitions.push_back(test::AnalyseUtterance(
            std::span(audio).subspan(start, end - start), test::kCorpusZeroLevel));
    }
    return repetitions;
}

class CorpusMatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(std::string(LARKSPUR_CORPUS_DIR) + "/dev1/train/01_zoom_in.wav"))
            GTEST_SKIP() << "speech corpus not found at " << LARKSPUR_CORPUS_DIR;
    }
};

TEST_F(CorpusMatch, RepetitionOfTheSamePhraseScoresBetterThanAnotherPhrase)
{
    const std::vector<UtteranceTemplate> zoomIn = AnalyseRepetitions("dev1", "01_zoom_in");
    const std::vector<UtteranceTemplate> save = AnalyseRepetitions("dev1", "07_save");
    ASSERT_EQ(zoomIn.size(), 4u);
    ASSERT_EQ(save.size(), 4u);
    for (const UtteranceTemplate& u : zoomIn) {
        EXPECT_GE(u.frameCount, 7);
        EXPECT_GT(u.meanEnergy, 12000);
    }

    MatchWorkspace workspace;
    const CompareResult same = CompareWithSample(zoomIn[1], test::SampleFrom(zoomIn[0]), 15, workspace);
    const CompareResult other = CompareWithSample(zoomIn[1], test::SampleFrom(save[0]), 15, workspace);
    ASSERT_TRUE(same.accepted);
    EXPECT_LE(same.score, 35000);
    if (other.accepted) {
        EXPECT_LT(same.score, other.score);
    }
}

TEST_F(CorpusMatch, VerificationUtterancesFindTheirOwnPhrase)
{
    VoiceCommandTable table;
    std::vector<UtteranceTemplate> verification;
    for (int slot = 1; slot <= 12; ++slot) {
        const std::vector<UtteranceTemplate> repetitions = AnalyseRepetitions("dev1", test::kCorpusTrainingFiles[slot - 1]);
        ASSERT_EQ(repetitions.size(), 4u) << test::kCorpusTrainingFiles[slot - 1];
        VoiceCommandRecord& record = table.allocate(slot);
        record.phrase = test::kCorpusTrainingFiles[slot - 1];
        record.trained = 1;
        for (int k = 0; k < 3; ++k)
            record.samples[k] = test::SampleFrom(repetitions[k]);
        verification.push_back(repetitions[3]);
    }

    MatchWorkspace workspace;
    for (int slot = 1; slot <= 12; ++slot) {
        const MatchResult match = MatchUtterance(verification[slot - 1], table, 15, workspace);
        EXPECT_EQ(match.slot, slot) << test::kCorpusTrainingFiles[slot - 1] << " scored " << match.bestScore;
        EXPECT_EQ(match.phrase, test::kCorpusTrainingFiles[slot - 1]);
        EXPECT_GE(match.confidence, 75);
    }
}

} // namespace
} // namespace larkspur
