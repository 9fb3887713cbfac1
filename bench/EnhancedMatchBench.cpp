// Timing of the enhanced matcher's table search: one utterance against a full
// table of 512 commands with three repetitions each (1536 time warpings at
// most). Repetitions come from the development corpus when it is there (each
// recording reused with a different level and cut), otherwise from synthetic
// glides. "worst_ms" is the slowest single search of the run.

#include "engine/EnhancedMatcher.h"

#include "tests/engine/AnalysisHelpers.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <numbers>
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

std::vector<std::vector<uint8_t>> AudioPool()
{
    std::vector<std::vector<uint8_t>> pool;
    if (std::filesystem::exists(CorpusFile("dev1", kPhrases[0], ".wav"))) {
        for (const char* speaker : {"dev1", "dev2"}) {
            for (const char* phrase : kPhrases) {
                const std::vector<uint8_t> audio = test::ReadWavData(CorpusFile(speaker, phrase, ".wav"));
                for (const auto& [start, end] : test::ReadUtteranceSpans(CorpusFile(speaker, phrase, ".json")))
                    if (start >= 0 && end <= static_cast<int>(audio.size()) && end > start)
                        pool.emplace_back(audio.begin() + start, audio.begin() + end);
            }
        }
    }
    if (pool.empty()) {
        for (int v = 0; v < 96; ++v) {
            const int n = 4000 + 60 * (v % 50);
            std::vector<uint8_t> audio(static_cast<std::size_t>(n));
            double phase = 0.0;
            for (int i = 0; i < n; ++i) {
                phase += 2.0 * std::numbers::pi * (300.0 + 20.0 * v + 1000.0 * i / n) / kSampleRate;
                audio[i] = static_cast<uint8_t>(128.0 + 70.0 * std::sin(std::numbers::pi * i / n) * std::sin(phase));
            }
            pool.push_back(std::move(audio));
        }
    }
    return pool;
}

// The same recording at another level, a little shorter.
std::vector<uint8_t> Variant(const std::vector<uint8_t>& audio, int v)
{
    const double gain = 0.6 + 0.1 * (v % 7);
    const std::size_t cut = static_cast<std::size_t>(v % 5) * 40;
    std::vector<uint8_t> out;
    for (std::size_t i = cut; i < audio.size(); ++i)
        out.push_back(static_cast<uint8_t>(std::clamp(std::lround(128.0 + gain * (audio[i] - 128.0)), 0L, 255L)));
    return out;
}

void BM_EnhancedMatchFullTable(benchmark::State& state)
{
    const auto pool = AudioPool();
    VoiceCommandTable table;
    EnhancedMatcher matcher;
    int used = 0;
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        VoiceCommandRecord& record = table.allocate(slot);
        record.phrase = "command " + std::to_string(slot);
        record.trained = 1;
        for (int k = 1; k <= kSamplesPerCommand; ++k) {
            SampleTemplate& sample = record.samples[k - 1];
            sample.present = 1;
            sample.frameCount = 20;
            sample.meanEnergy = slot * 10 + k;  // a fingerprint of its own
            matcher.storeRepetition(slot, k, sample, Variant(pool[used % pool.size()], used / 96 + k));
            ++used;
        }
    }
    MatchWorkspace workspace;
    const UtteranceTemplate none;
    matcher.match(pool[0], none, table, 15, workspace);  // measures the commands' spreads once

    std::size_t next = 0;
    double worst = 0.0;
    for (auto _ : state) {
        const auto began = std::chrono::steady_clock::now();
        const MatchResult result = matcher.match(pool[next], none, table, 15, workspace);
        benchmark::DoNotOptimize(result.bestScore);
        worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count());
        next = (next + 7) % pool.size();
    }
    state.counters["worst_ms"] = worst;
    state.counters["repetitions"] = used;
}
BENCHMARK(BM_EnhancedMatchFullTable)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace larkspur

BENCHMARK_MAIN();
