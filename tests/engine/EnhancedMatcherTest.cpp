// The enhanced matcher's parts: time warping against every path enumerated,
// the cepstral features' invariances, the repetition file's format and its
// life beside the table file.

#include "engine/DtwAlignment.h"
#include "engine/EnhancedFeatures.h"
#include "engine/EnhancedMatcher.h"
#include "engine/FileError.h"
#include "engine/RepetitionSidecar.h"
#include "engine/TVREngine32.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <random>

using namespace larkspur;
using namespace larkspur::test;
namespace fs = std::filesystem;

namespace larkspur {
class EngineTestAccess {
public:
    static VoiceCommandRecord* record(TVREngine32& engine, int slot) { return engine.m_table.record(slot); }
};
} // namespace larkspur

namespace {

// ---------------------------------------------------------------------------
// Time warping

// The cheapest path over all monotone paths through the band, found by
// walking every one of them.
float bruteForceDtw(const std::vector<float>& a, int na, const std::vector<float>& b, int nb, int dims)
{
    const int radius = DtwBandRadius(na, nb);
    float best = kDtwNoPath;
    std::function<void(int, int, float)> walk = [&](int i, int j, float cost) {
        if (!DtwInBand(i, j, na, nb, radius))
            return;
        if (i == na - 1 && j == nb - 1) {
            best = std::min(best, cost);
            return;
        }
        const float* x = a.data() + i * dims;
        if (i + 1 < na)
            walk(i + 1, j, cost + FrameDistance(x + dims, b.data() + j * dims, dims));
        if (j + 1 < nb)
            walk(i, j + 1, cost + FrameDistance(x, b.data() + (j + 1) * dims, dims));
        if (i + 1 < na && j + 1 < nb)
            walk(i + 1, j + 1, cost + 2.0f * FrameDistance(x + dims, b.data() + (j + 1) * dims, dims));
    };
    walk(0, 0, 2.0f * FrameDistance(a.data(), b.data(), dims));
    return best == kDtwNoPath ? kDtwNoPath : best / static_cast<float>(na + nb);
}

std::vector<float> randomFrames(std::mt19937& rng, int frames, int dims)
{
    std::normal_distribution<float> value(0.0f, 3.0f);
    std::vector<float> v(static_cast<std::size_t>(frames * dims));
    for (float& x : v)
        x = value(rng);
    return v;
}

TEST(DtwAlignment, MatchesTheCheapestOfAllPathsInTheBand)
{
    std::mt19937 rng(20261208);
    DtwWorkspace workspace(16);
    int compared = 0, banded = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int na = 1 + static_cast<int>(rng() % 10);
        const int nb = 1 + static_cast<int>(rng() % 10);
        const int dims = trial % 3 == 0 ? 32 : 1 + static_cast<int>(rng() % 4);  // 32: the lane-wise sum
        const auto a = randomFrames(rng, na, dims);
        const auto b = randomFrames(rng, nb, dims);
        const float fast = DtwDistance(a.data(), na, b.data(), nb, dims, kDtwNoPath, workspace);
        if (std::max(na, nb) > kDtwMaxLengthRatio * std::min(na, nb)) {
            EXPECT_EQ(fast, kDtwNoPath) << na << "x" << nb;
            continue;
        }
        const float reference = bruteForceDtw(a, na, b, nb, dims);
        ASSERT_NE(reference, kDtwNoPath) << na << "x" << nb;
        EXPECT_NEAR(fast, reference, 1e-4f * reference + 1e-6f) << na << "x" << nb << " trial " << trial;
        ++compared;
        banded += !DtwInBand(0, nb - 1, na, nb, DtwBandRadius(na, nb));
    }
    EXPECT_GT(compared, 150);
    EXPECT_GT(banded, 20);  // the band really cut corners off in a good share of them
}

TEST(DtwAlignment, GivesUpOnlyWhenTheResultWouldExceedTheLimit)
{
    std::mt19937 rng(7);
    DtwWorkspace workspace(64);
    for (int trial = 0; trial < 100; ++trial) {
        const int na = 10 + static_cast<int>(rng() % 20);
        const int nb = (na + 1) / 2 + static_cast<int>(rng() % (na + 1));
        const auto a = randomFrames(rng, na, 5);
        const auto b = randomFrames(rng, nb, 5);
        const float full = DtwDistance(a.data(), na, b.data(), nb, 5, kDtwNoPath, workspace);
        ASSERT_NE(full, kDtwNoPath) << na << "x" << nb;
        EXPECT_EQ(DtwDistance(a.data(), na, b.data(), nb, 5, full * 1.01f, workspace), full);
        EXPECT_EQ(DtwDistance(a.data(), na, b.data(), nb, 5, full * 0.99f, workspace), kDtwNoPath);
    }
}

TEST(DtwAlignment, RefusesEmptyAndOverlongSequences)
{
    DtwWorkspace workspace(8);
    const std::vector<float> a(9 * 2, 1.0f);
    EXPECT_EQ(DtwDistance(a.data(), 0, a.data(), 4, 2, kDtwNoPath, workspace), kDtwNoPath);
    EXPECT_EQ(DtwDistance(a.data(), 9, a.data(), 8, 2, kDtwNoPath, workspace), kDtwNoPath);
    EXPECT_EQ(DtwDistance(a.data(), 8, a.data(), 8, 2, kDtwNoPath, workspace), 0.0f);
}

// ---------------------------------------------------------------------------
// Features

// A "word": a tone gliding from f0 to f1 Hz, at amplitude amp around 128,
// with quiet line before and after.
std::vector<uint8_t> glide(double f0, double f1, double seconds, double amp, int quiet = 1100)
{
    const int n = static_cast<int>(seconds * kSampleRate);
    std::vector<uint8_t> audio(static_cast<std::size_t>(n + 2 * quiet), 128);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double f = f0 + (f1 - f0) * i / n;
        phase += 2.0 * std::numbers::pi * f / kSampleRate;
        const double envelope = std::sin(std::numbers::pi * i / n);
        audio[quiet + i] = static_cast<uint8_t>(std::lround(128.0 + amp * envelope * std::sin(phase)));
    }
    return audio;
}

float distance(const std::vector<uint8_t>& x, const std::vector<uint8_t>& y)
{
    EnhancedFeatureExtractor extractor;
    FeatureSequence fx, fy;
    extractor.extract(x, fx);
    extractor.extract(y, fy);
    DtwWorkspace workspace(kEnhancedMaxFrames);
    return DtwDistance(fx.values.data(), fx.frames, fy.values.data(), fy.frames, kEnhancedStride, kDtwNoPath,
                       workspace);
}

TEST(EnhancedFeatures, IgnoreLevelAndQuietEdgesButNotTheSound)
{
    const auto word = glide(400, 1600, 0.5, 80);
    const float softer = distance(word, glide(400, 1600, 0.5, 40));
    const float morePause = distance(word, glide(400, 1600, 0.5, 80, 3000));
    const float otherWord = distance(word, glide(1600, 400, 0.5, 80));
    const float slower = distance(word, glide(400, 1600, 0.65, 80));
    EXPECT_LT(softer, 0.25f * otherWord);
    EXPECT_LT(morePause, 0.25f * otherWord);
    EXPECT_LT(slower, 0.5f * otherWord);
}

TEST(EnhancedFeatures, ShortOrOverlongAudio)
{
    EnhancedFeatureExtractor extractor;
    FeatureSequence f;
    extractor.extract(std::vector<uint8_t>(kEnhancedWindow - 1, 200), f);
    EXPECT_EQ(f.frames, 0);
    extractor.extract(glide(300, 900, 3.0, 60, 0), f);  // longer than any utterance
    EXPECT_GT(f.frames, 0);
    EXPECT_LE(f.frames, kEnhancedMaxFrames);
    EXPECT_EQ(f.values.size(), static_cast<std::size_t>(f.frames) * kEnhancedStride);
}

// ---------------------------------------------------------------------------
// Matching

// Three commands of two repetitions each (samples 1 and 3 of a patterned record).
struct GlideTable {
    VoiceCommandTable table;
    EnhancedMatcher matcher;
    MatchWorkspace workspace;

    GlideTable()
    {
        const double shapes[3][2] = {{400, 1600}, {1600, 400}, {900, 950}};
        for (int slot = 1; slot <= 3; ++slot) {
            table.allocate(slot) = patternedRecord(slot);
            table.record(slot)->phrase = "word " + std::to_string(slot);
            for (int k : {1, 3}) {
                const double stretch = k == 1 ? 0.45 : 0.55;
                matcher.storeRepetition(slot, k, table.record(slot)->samples[k - 1],
                                        glide(shapes[slot - 1][0], shapes[slot - 1][1], stretch, 70));
            }
        }
    }
    MatchResult match(const std::vector<uint8_t>& audio)
    {
        return matcher.match(audio, UtteranceTemplate{}, table, 15, workspace);
    }
};

TEST(EnhancedMatcher, PicksTheClosestCommandAndRejectsStrangers)
{
    GlideTable t;
    const MatchResult rising = t.match(glide(420, 1580, 0.5, 60));
    EXPECT_EQ(rising.slot, 1);
    EXPECT_EQ(rising.phrase, "word 1");
    EXPECT_GE(rising.confidence, 75);
    EXPECT_EQ(t.match(glide(1550, 420, 0.5, 90)).slot, 2);
    EXPECT_EQ(t.match(glide(900, 950, 0.52, 50)).slot, 3);

    const MatchResult noise = t.match(glide(3000, 3200, 0.5, 70));
    EXPECT_EQ(noise.slot, 0);
    EXPECT_TRUE(noise.phrase.empty());
    EXPECT_GT(noise.bestScore, rising.bestScore);
}

TEST(EnhancedMatcher, RepetitionsBelongToTheTemplateTheyMade)
{
    GlideTable t;
    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_TRUE(t.matcher.hasRepetitions(t.table, slot));
    // Sample 1 of slot 2 retrained elsewhere: its repetition no longer fits.
    t.table.record(2)->samples[0].meanEnergy += 1;
    EXPECT_FALSE(t.matcher.hasRepetitions(t.table, 2));
    EXPECT_EQ(t.matcher.repetitionsFor(t.table).size(), 5u);
    // A third sample appears without audio: the record goes to the table matcher.
    t.table.record(3)->samples[1].present = 1;
    EXPECT_FALSE(t.matcher.hasRepetitions(t.table, 3));
    // No longer matched by audio: a falling glide is not found by the enhanced matcher.
    EXPECT_NE(t.match(glide(1600, 400, 0.5, 70)).slot, 2);
    EXPECT_EQ(t.match(glide(400, 1600, 0.5, 70)).slot, 1);
}

// More commands than the full-rate pass takes: the first pass has to bring
// the closest command forward, and no comparison may give up on it, so the
// search reports exactly the distance a comparison with every repetition finds.
TEST(EnhancedMatcher, SearchOfALargeTableFindsTheClosestRepetition)
{
    constexpr int kCommands = 3 * EnhancedMatcher::kShortlist;
    VoiceCommandTable table;
    EnhancedMatcher matcher;
    MatchWorkspace workspace;
    const auto shape = [](int slot) { return std::pair{300.0 + 110.0 * slot, 2900.0 - 95.0 * slot}; };
    for (int slot = 1; slot <= kCommands; ++slot) {
        table.allocate(slot) = patternedRecord(slot);
        table.record(slot)->phrase = "word " + std::to_string(slot);
        const auto [from, to] = shape(slot);
        for (int k = 1; k <= kSamplesPerCommand; ++k) {
            table.record(slot)->samples[k - 1].present = 1;
            matcher.storeRepetition(slot, k, table.record(slot)->samples[k - 1],
                                    glide(from, to, 0.4 + 0.05 * k, 50 + 10 * k));
        }
    }
    int accepted = 0;
    for (int probe = 1; probe <= kCommands; probe += 3) {
        const auto [from, to] = shape(probe);
        const std::vector<uint8_t> audio = glide(from + 40.0, to - 30.0, 0.47, 75);
        const MatchResult result = matcher.match(audio, UtteranceTemplate{}, table, 15, workspace);
        float closest = kDtwNoPath;
        int closestSlot = 0;
        for (int slot = 1; slot <= kCommands; ++slot) {
            for (int k = 1; k <= kSamplesPerCommand; ++k) {
                const float d = matcher.distanceToRepetition(audio, slot, k);
                if (d < closest) {
                    closest = d;
                    closestSlot = slot;
                }
            }
        }
        ASSERT_NE(closest, kDtwNoPath);
        EXPECT_EQ(result.bestScore, std::llround(static_cast<double>(closest) * EnhancedMatcher::kScoreScale))
            << "probe " << probe;
        EXPECT_EQ(closestSlot, probe);
        if (result.slot != 0) {
            EXPECT_EQ(result.slot, closestSlot) << "probe " << probe;
            ++accepted;
        }
    }
    EXPECT_GT(accepted, 0);
}

// ---------------------------------------------------------------------------
// The repetition file's format

std::vector<StoredRepetition> someRepetitions()
{
    return {{0x0123456789ABCDEFull, patternedAudio(700, 1)},
            {42, patternedAudio(1, 2)},
            {~0ull, patternedAudio(kMaxRepetitionAudio, 3)}};
}

TEST(RepetitionFile, RoundTripAndName)
{
    const auto reps = someRepetitions();
    const auto decoded = DecodeRepetitionFile(EncodeRepetitionFile(reps));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, reps);
    const auto empty = DecodeRepetitionFile(EncodeRepetitionFile({}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_EQ(RepetitionFileName("/a/T.EAR"), "/a/T.LKX");
    EXPECT_EQ(RepetitionFileName("t.ear"), "t.LKX");
    EXPECT_EQ(RepetitionFileName("plain"), "plain.LKX");
}

TEST(RepetitionFile, EveryDamageIsRefused)
{
    const Bytes good = EncodeRepetitionFile({{7, patternedAudio(40, 1)}, {8, patternedAudio(3, 2)}});
    for (std::size_t at = 0; at < good.size(); ++at) {
        Bytes bad = good;
        bad[at] ^= 0x10;
        EXPECT_FALSE(DecodeRepetitionFile(bad)) << "flipped byte " << at;
    }
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(DecodeRepetitionFile(std::span(good).first(n))) << "cut at " << n;
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(DecodeRepetitionFile(longer));

    // Well-formed checksums around impossible contents.
    auto resealed = [](Bytes bytes) {
        bytes.resize(bytes.size() - 4);
        const uint32_t crc = Crc32(bytes);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(crc >> (8 * i)));
        return bytes;
    };
    std::string problem;
    Bytes newer = good;
    newer[4] = 2;
    EXPECT_FALSE(DecodeRepetitionFile(resealed(newer), &problem));
    EXPECT_NE(problem.find("newer version"), std::string::npos);
    Bytes moreCounted = good;
    moreCounted[8] = 3;
    EXPECT_FALSE(DecodeRepetitionFile(resealed(moreCounted)));
    Bytes fewerCounted = good;
    fewerCounted[8] = 1;
    EXPECT_FALSE(DecodeRepetitionFile(resealed(fewerCounted)));
    Bytes zeroLength = good;
    std::fill(zeroLength.begin() + 20, zeroLength.begin() + 24, 0);
    EXPECT_FALSE(DecodeRepetitionFile(resealed(zeroLength)));
    Bytes hugeCount = good;
    hugeCount[11] = 0x7F;
    EXPECT_FALSE(DecodeRepetitionFile(resealed(hugeCount)));
}

// ---------------------------------------------------------------------------
// The repetition file beside the table

class RepetitionFiles : public ::testing::Test {
protected:
    TempDir dir;
    TempDir storeDir;
    RecordingMessages messages;
    TVREngine32 engine{EnginePlatform{.messages = &messages, .sampleStorePath = storeDir.file("store.tmp")}};

    // Two commands with their repetitions, as training leaves them.
    void fill(int audioLength)
    {
        for (int slot : {1, 2}) {
            engine.setVCRecord(slot);
            engine.setVoiceCommand("command " + std::to_string(slot));
            engine.UpdateVCRecord();
            *EngineTestAccess::record(engine, slot) = patternedRecord(slot);
            const VoiceCommandRecord* record = engine.table().record(slot);
            for (int k : {1, 3})
                engine.enhancedMatcher().storeRepetition(slot, k, record->samples[k - 1],
                                                        glide(300.0 * slot * k, 200, audioLength / 11025.0, 60, 0));
        }
    }
    void save(const std::string& name)
    {
        engine.setFileName(dir.file(name));
        engine.setTableName(name);
        engine.SaveTable();
    }
    void open(TVREngine32& target, const std::string& name)
    {
        target.setTableName("COMMAND LINE");
        target.setFileName(dir.file(name));
        target.OpenTable();
    }
};

TEST_F(RepetitionFiles, SavedBesideTheTableAndRestoredWithIt)
{
    fill(5000);
    save("t.EAR");
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"t.EAR", "t.LK+", "t.LKX"}));

    TVREngine32 again{EnginePlatform{.messages = &messages, .sampleStorePath = storeDir.file("again.tmp")}};
    open(again, "t.EAR");
    EXPECT_TRUE(again.enhancedMatcher().hasRepetitions(again.table(), 1));
    EXPECT_TRUE(again.enhancedMatcher().hasRepetitions(again.table(), 2));
    EXPECT_EQ(again.enhancedMatcher().repetitionsFor(again.table()),
              engine.enhancedMatcher().repetitionsFor(engine.table()));
    EXPECT_TRUE(messages.messages.empty());

    // The table and its companion are the bytes a save without repetitions writes.
    TVREngine32 plain{EnginePlatform{.messages = &messages, .sampleStorePath = storeDir.file("plain.tmp")}};
    open(plain, "t.EAR");
    plain.enhancedMatcher().clear();
    fs::create_directory(dir.path() / "plain");
    plain.setFileName((dir.path() / "plain" / "t.EAR").string());
    plain.setTableName("t.EAR");
    plain.SaveTable();
    EXPECT_EQ(readBytes((dir.path() / "plain" / "t.EAR").string()), readBytes(dir.file("t.EAR")));
    EXPECT_EQ(readBytes((dir.path() / "plain" / "t.LK+").string()), readBytes(dir.file("t.LK+")));
    EXPECT_FALSE(fs::exists(dir.path() / "plain" / "t.LKX"));
}

TEST_F(RepetitionFiles, DamagedFileIsReportedAndLeavesTheTableToTheTableMatcher)
{
    fill(3000);
    save("t.EAR");
    Bytes bytes = readBytes(dir.file("t.LKX"));
    bytes[bytes.size() / 2] ^= 0xFF;
    writeBytes(dir.file("t.LKX"), bytes);

    TVREngine32 again{EnginePlatform{.messages = &messages, .sampleStorePath = storeDir.file("again.tmp")}};
    open(again, "t.EAR");
    EXPECT_EQ(again.table().count(), 2);
    EXPECT_FALSE(again.enhancedMatcher().hasRepetitions(again.table(), 1));
    EXPECT_FALSE(again.enhancedMatcher().hasRepetitions(again.table(), 2));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find(dir.file("t.LKX")), std::string::npos);
    EXPECT_NE(messages.messages[0].find("damaged"), std::string::npos);
}

TEST_F(RepetitionFiles, FailedSaveKeepsTheOldRepetitionFile)
{
    fill(2000);
    save("t.EAR");
    const Bytes oldRepetitions = readBytes(dir.file("t.LKX"));

    fill(12000);  // four repetitions of 12000 bytes: only this file outgrows the limit
    {
        FileSizeLimit limit(40000);
        try {
            save("t.EAR");
            FAIL() << "no error";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.errorCode(), EFBIG);
        }
    }
    EXPECT_EQ(readBytes(dir.file("t.LKX")), oldRepetitions);
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"t.EAR", "t.LK+", "t.LKX"}));
}

} // namespace
