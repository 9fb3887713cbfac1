// Timing of the enhanced matcher's table search: one utterance against a full
// table of 512 commands with three repetitions each (1536 time warpings at
// most). Repetitions come from the development corpus when it is there (each
// recording reused with a different level and cut), otherwise from synthetic
// glides.
//
// Typical: utterances of ordinary length from the same recordings.
// LongestUtterance: every search gets the longest audio the engine hands over
// (a 1.2 s utterance and the padding on both sides, speech all through), so
// the warpings are as long as they get against this table.
// LongestEverything: the repetitions are that long as well, so no comparison
// is skipped for a length mismatch.
//
// "worst_cpu_ms" is the slowest single search in this thread's CPU time, which
// other processes on the machine do not inflate; "worst_wall_ms" the slowest
// in wall time.

#include "engine/EnhancedMatcher.h"
#include "engine/TVREngine32.h"

#include "tests/engine/AnalysisHelpers.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <span>
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

// The longest audio the matcher is given: the longest utterance and the
// padding on both sides, cut from the recordings played one after another
// (each with its quiet edges dropped, so it is loud all through).
std::vector<uint8_t> LongestAudio(const std::vector<std::vector<uint8_t>>& pool, std::size_t first)
{
    const std::size_t n = static_cast<std::size_t>(kMaxUtteranceLength) + 2 * TVREngine32::kEnhancedPadding;
    std::vector<uint8_t> out;
    for (std::size_t i = first; out.size() < n; ++i) {
        const std::vector<uint8_t>& audio = pool[i % pool.size()];
        const std::size_t edge = audio.size() / 5;
        out.insert(out.end(), audio.begin() + static_cast<std::ptrdiff_t>(edge),
                   audio.end() - static_cast<std::ptrdiff_t>(edge));
    }
    out.resize(n);
    return out;
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

enum class Lengths { Typical, LongestUtterance, LongestEverything };

void RunFullTable(benchmark::State& state, Lengths lengths)
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
            const std::size_t source = static_cast<std::size_t>(used) % pool.size();
            const std::vector<uint8_t> audio = lengths == Lengths::LongestEverything
                                                   ? LongestAudio(pool, source)
                                                   : pool[source];
            matcher.storeRepetition(slot, k, sample, Variant(audio, used / 96 + k));
            ++used;
        }
    }
    std::vector<std::vector<uint8_t>> utterances;
    for (std::size_t i = 0; i < pool.size(); i += 7)
        utterances.push_back(lengths == Lengths::Typical ? pool[i] : LongestAudio(pool, i));

    MatchWorkspace workspace;
    const UtteranceTemplate none;
    matcher.match(utterances[0], none, table, 15, workspace);  // measures the commands' spreads once

    std::size_t next = 0;
    double worstCpu = 0.0, worstWall = 0.0;
    for (auto _ : state) {
        const double cpuBegan = ThreadCpuMs();
        const auto began = std::chrono::steady_clock::now();
        const MatchResult result = matcher.match(utterances[next], none, table, 15, workspace);
        benchmark::DoNotOptimize(result.bestScore);
        worstWall = std::max(worstWall,
                             std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count());
        worstCpu = std::max(worstCpu, ThreadCpuMs() - cpuBegan);
        next = (next + 1) % utterances.size();
    }
    state.counters["worst_cpu_ms"] = worstCpu;
    state.counters["worst_wall_ms"] = worstWall;
    state.counters["repetitions"] = used;
}

void BM_EnhancedMatchFullTable(benchmark::State& state) { RunFullTable(state, Lengths::Typical); }
void BM_EnhancedMatchFullTableLongestUtterance(benchmark::State& state)
{
    RunFullTable(state, Lengths::LongestUtterance);
}
void BM_EnhancedMatchFullTableLongestEverything(benchmark::State& state)
{
    RunFullTable(state, Lengths::LongestEverything);
}
BENCHMARK(BM_EnhancedMatchFullTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnhancedMatchFullTableLongestUtterance)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnhancedMatchFullTableLongestEverything)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace larkspur

BENCHMARK_MAIN();
