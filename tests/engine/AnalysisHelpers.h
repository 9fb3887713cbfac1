#pragma once
// Turning audio into templates for the analysis and matching tests and the
// benchmarks: corpus WAV files when present, deterministic synthetic speech-like
// signals otherwise.

#include "engine/EngineTypes.h"
#include "engine/FeatureExtraction.h"
#include "engine/TemplateAssembly.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace larkspur::test {

inline constexpr uint8_t kCorpusZeroLevel = 128;

// The training recordings of each synthetic speaker (dev1, dev2), one phrase each.
inline constexpr const char* kCorpusTrainingFiles[] = {
    "01_zoom_in", "02_zoom_out", "03_next_track", "04_previous_track", "05_go_back", "06_go_forward",
    "07_save", "08_print", "09_refresh", "10_start_menu", "11_task_manager", "12_spell_check",
};

// Analyses up to 13230 samples the way the listening loop does (block by block
// into the ring from position 1) and assembles their utterance template.
inline UtteranceTemplate AnalyseUtterance(std::span<const uint8_t> audio, uint8_t zeroLevel)
{
    const int length = static_cast<int>(std::min<size_t>(audio.size(), kMaxUtteranceLength));
    std::vector<uint8_t> ring(kRingLength, zeroLevel);
    std::copy_n(audio.begin(), length, ring.begin());
    std::vector<FrameRecord> frames(kRingFrames);
    for (int p = 1; p <= length; p += kBlockLength)
        AnalyseBlock(ring, p, zeroLevel, frames);
    UtteranceTemplate utterance;
    AssembleUtteranceTemplate(frames, 1, length, utterance);
    return utterance;
}

// What training keeps of an utterance.
inline SampleTemplate SampleFrom(const UtteranceTemplate& utterance)
{
    SampleTemplate sample;
    sample.present = 1;
    sample.frameCount = utterance.frameCount;
    sample.meanEnergy = utterance.meanEnergy;
    sample.lpc = utterance.lpc;
    sample.normEnergy = utterance.normEnergy;
    sample.predictionError = utterance.predictionError;
    return sample;
}

// Audio data of a canonical 8-bit WAV file (the 44-byte header skipped); empty if unreadable.
inline std::vector<uint8_t> ReadWavData(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() <= 44)
        return {};
    bytes.erase(bytes.begin(), bytes.begin() + 44);
    return bytes;
}

// The [start, end) sample spans of the utterances in a ground-truth JSON file.
inline std::vector<std::pair<int, int>> ReadUtteranceSpans(const std::string& path)
{
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto numberAfter = [&text](const std::string& key, size_t from, size_t& at) {
        at = text.find(key, from);
        if (at == std::string::npos)
            return -1;
        at += key.size();
        return std::stoi(text.substr(at, 16));
    };
    std::vector<std::pair<int, int>> spans;
    size_t at = text.find("\"utterances\"");
    while (at != std::string::npos) {
        size_t startAt = 0;
        size_t endAt = 0;
        const int start = numberAfter("\"start\": ", at, startAt);
        if (start < 0)
            break;
        const int end = numberAfter("\"end\": ", startAt, endAt);
        if (end < 0)
            break;
        spans.emplace_back(start, end);
        at = endAt;
    }
    return spans;
}

// A deterministic vowel-like utterance: two resonances gliding over time under a
// rise-and-fall envelope, with a little noise. variant changes the resonances.
inline std::vector<uint8_t> SyntheticUtterance(int frames, int variant, double peak = 90.0)
{
    const int n = frames * kFrameLength;
    std::vector<uint8_t> audio(n);
    uint32_t noise = 12345u + static_cast<uint32_t>(variant) * 7919u;
    const double f1 = 300.0 + 40.0 * (variant % 7);
    const double f2 = 1200.0 + 170.0 * (variant % 11);
    double phase1 = 0.0;
    double phase2 = 0.0;
    for (int k = 0; k < n; ++k) {
        const double t = static_cast<double>(k) / n;
        const double envelope = std::sin(std::numbers::pi * t);
        phase1 += 2.0 * std::numbers::pi * (f1 * (1.0 + 0.3 * t)) / kSampleRate;
        phase2 += 2.0 * std::numbers::pi * (f2 * (1.0 - 0.25 * t)) / kSampleRate;
        noise = noise * 1664525u + 1013904223u;
        const double hiss = (static_cast<double>(noise >> 16) / 65535.0 - 0.5) * 6.0;
        const double value = 128.0 + peak * envelope * (0.65 * std::sin(phase1) + 0.35 * std::sin(phase2)) + hiss;
        audio[k] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return audio;
}

} // namespace larkspur::test
