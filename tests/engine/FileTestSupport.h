#pragma once
// Helpers shared by the table file and sample store tests.

#include "engine/RecordCodec.h"
#include "engine/TVREngine32.h"
#include "TestSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace larkspur::test {

using Bytes = std::vector<uint8_t>;

inline Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void append(Bytes& to, std::span<const uint8_t> bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

inline std::vector<std::string> folderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A record whose every field holds something recognisable, so that a lost or
// shifted field shows up in a comparison.
inline VoiceCommandRecord patternedRecord(int seed)
{
    VoiceCommandRecord record;
    record.phrase = "phrase " + std::to_string(seed);
    record.action = "!/usr/bin/tool" + std::to_string(seed);
    record.trained = 1;
    for (int k = 0; k < kSamplesPerCommand; ++k) {
        SampleTemplate& sample = record.samples[k];
        sample.present = static_cast<uint8_t>(k != 1);
        sample.frameCount = static_cast<uint8_t>(7 + seed + k);
        sample.meanEnergy = 100000 * seed - 7 * k;
        for (int f = 0; f < kTemplateFrames; ++f) {
            for (int i = 0; i < kLpcCoefficients; ++i)
                sample.lpc[f][i] = (seed * 1000 + f * 11 + i) * (i % 2 ? -1 : 1);
            sample.normEnergy[f] = seed * 100 + f;
            sample.predictionError[f] = 10000 - f - k;
        }
    }
    return record;
}

// Audio of n bytes with zeros among the values, as quiet stretches give.
inline Bytes patternedAudio(int n, int seed)
{
    Bytes audio(n);
    for (int i = 0; i < n; ++i)
        audio[i] = static_cast<uint8_t>(i % 5 == 0 ? 0 : (i * 7 + seed) % 256);
    return audio;
}

// Limits the size of files this process writes, so a write fails part-way
// with EFBIG (this also holds for root). Restores the old limit afterwards.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

} // namespace larkspur::test
