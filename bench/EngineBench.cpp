// Timing of the per-block analysis and of the table search. Templates come from
// the development corpus when it is there, otherwise from synthetic signals, so
// the figures are comparable but the benchmark never depends on the corpus.

#include "engine/FeatureExtraction.h"
#include "engine/Matcher.h"

#include "tests/engine/AnalysisHelpers.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace larkspur {
namespace {

const char* const kPhrases[] = {
    "01_zoom_in", "02_zoom_out", "03_next_track", "04_previous_track", "05_go_back", "06_go_forward",
    "07_save", "08_print", "09_refresh", "10_start_menu", "11_task_manager", "12_spell_check",
};

std::string CorpusFile(const std::string& speaker, const std::string& name, const char* extension)
{
    return std::string(LARKSPUR_CORPUS_DIR) + "/" + speaker + "/train/" + name + extension;
}

bool HaveCorpus() { return std::filesystem::exists(CorpusFile("dev1", kPhrases[0], ".wav")); }

// Every training repetition of both corpus speakers, or synthetic stand-ins.
std::vector<UtteranceTemplate> UtterancePool()
{
    std::vector<UtteranceTemplate> pool;
    if (HaveCorpus()) {
        for (const char* speaker : {"dev1", "dev2"}) {
            for (const char* phrase : kPhrases) {
                const std::vector<uint8_t> audio = test::ReadWavData(CorpusFile(speaker, phrase, ".wav"));
                for (const auto& [start, end] : test::ReadUtteranceSpans(CorpusFile(speaker, phrase, ".json"))) {
                    if (start >= 0 && end <= static_cast<int>(audio.size()) && end > start)
                        pool.push_back(test::AnalyseUtterance(std::span(audio).subspan(start, end - start),
                                                              test::kCorpusZeroLevel));
                }
            }
        }
    }
    if (pool.empty()) {
        for (int variant = 0; variant < 96; ++variant)
            pool.push_back(test::AnalyseUtterance(test::SyntheticUtterance(30 + variant % 21, variant),
                                                  test::kCorpusZeroLevel));
    }
    return pool;
}

bool PassesChecks(const UtteranceTemplate& u, const SampleTemplate& t)
{
    return u.frameCount / t.frameCount < 2 && t.frameCount / u.frameCount < 2 && u.meanEnergy / t.meanEnergy < 4 &&
           t.meanEnergy / u.meanEnergy < 4;
}

void FillTable(VoiceCommandTable& table, const std::vector<SampleTemplate>& samples)
{
    size_t next = 0;
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        VoiceCommandRecord& record = table.allocate(slot);
        record.phrase = "command " + std::to_string(slot);
        record.trained = 1;
        for (SampleTemplate& sample : record.samples)
            sample = samples[next++ % samples.size()];
    }
}

void BM_AnalyseBlock(benchmark::State& state)
{
    std::vector<uint8_t> ring(kRingLength, test::kCorpusZeroLevel);
    std::vector<uint8_t> speech;
    if (HaveCorpus()) {
        const std::vector<uint8_t> audio = test::ReadWavData(CorpusFile("dev1", kPhrases[0], ".wav"));
        const auto spans = test::ReadUtteranceSpans(CorpusFile("dev1", kPhrases[0], ".json"));
        if (!spans.empty() && spans[0].first + kBlockLength <= static_cast<int>(audio.size()))
            speech.assign(audio.begin() + spans[0].first, audio.begin() + spans[0].first + kBlockLength);
    }
    if (speech.empty())
        speech = test::SyntheticUtterance(kFramesPerBlock, 1);
    std::copy(speech.begin(), speech.end(), ring.begin());
    std::vector<FrameRecord> frames(kRingFrames);
    for (auto _ : state) {
        benchmark::DoNotOptimize(AnalyseBlock(ring, 1, test::kCorpusZeroLevel, frames));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AnalyseBlock);

// 1536 samples that all pass the length and loudness checks, so every one of
// them reaches the path search.
void BM_MatchUtteranceWorstCase(benchmark::State& state)
{
    const std::vector<UtteranceTemplate> pool = UtterancePool();
    const UtteranceTemplate& utterance = pool[3];  // a verification repetition
    std::vector<SampleTemplate> samples;
    for (size_t k = 0; k < pool.size(); ++k) {
        const SampleTemplate sample = test::SampleFrom(pool[k]);
        if (k != 3 && PassesChecks(utterance, sample))
            samples.push_back(sample);
    }
    VoiceCommandTable table;
    FillTable(table, samples);
    MatchWorkspace workspace;
    for (auto _ : state)
        benchmark::DoNotOptimize(MatchUtterance(utterance, table, static_cast<int32_t>(state.range(0)), workspace));
    state.counters["candidates"] = static_cast<double>(samples.size());
}
BENCHMARK(BM_MatchUtteranceWorstCase)->Arg(15)->Arg(60)->Unit(benchmark::kMillisecond);

// A full table whose sample lengths spread over 7..60 frames, as a user's
// commands of one to several words would.
void BM_MatchUtteranceRealistic(benchmark::State& state)
{
    const std::vector<UtteranceTemplate> pool = UtterancePool();
    const UtteranceTemplate& utterance = pool[3];
    std::vector<SampleTemplate> samples;
    for (int k = 0; k < 3 * kMaxVoiceCommands; ++k) {
        const int frames = 7 + (k * 37) % 54;
        const UtteranceTemplate& source = pool[static_cast<size_t>(k) % pool.size()];
        if (source.frameCount == frames) {
            samples.push_back(test::SampleFrom(source));
            continue;
        }
        samples.push_back(test::SampleFrom(
            test::AnalyseUtterance(test::SyntheticUtterance(frames, k % 50, 60.0 + k % 40), test::kCorpusZeroLevel)));
    }
    VoiceCommandTable table;
    FillTable(table, samples);
    MatchWorkspace workspace;
    for (auto _ : state)
        benchmark::DoNotOptimize(MatchUtterance(utterance, table, static_cast<int32_t>(state.range(0)), workspace));
}
BENCHMARK(BM_MatchUtteranceRealistic)->Arg(15)->Arg(60)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace larkspur

BENCHMARK_MAIN();
