#pragma once
// Plays sounds through an ALSA PCM, synchronously: a call returns when the
// sound has been played out. Any PCM WAV image of 8 to 32 bits per sample is
// accepted at its own rate and channel count.

#include "engine/EnginePlatform.h"

#include <string>

namespace larkspur {

class WavFile;

class AlsaSoundPlayer : public SoundPlayer {
public:
    // resourceDir holds sounds/<NAME>.wav for the program's own sounds.
    explicit AlsaSoundPlayer(std::string resourceDir, std::string pcmName = "default");

    bool playWave(std::span<const uint8_t> waveImage) override;
    bool playResource(const std::string& name) override;

    // Why the last call returned false, for diagnostics.
    const std::string& lastError() const { return m_lastError; }

private:
    bool play(const WavFile& wave);

    std::string m_resourceDir;
    std::string m_pcmName;
    std::string m_lastError;
};

} // namespace larkspur
