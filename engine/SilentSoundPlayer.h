#pragma once
// A sound player that plays nothing and remembers what it was asked to play:
// for tests, and for the command-line tool when no sound is wanted.

#include "engine/EnginePlatform.h"

#include <functional>
#include <string>
#include <vector>

namespace larkspur {

class SilentSoundPlayer : public SoundPlayer {
public:
    bool playWave(std::span<const uint8_t> waveImage) override
    {
        waves.emplace_back(waveImage.begin(), waveImage.end());
        if (whilePlaying)
            whilePlaying();
        return result;
    }
    bool playResource(const std::string& name) override
    {
        resources.push_back(name);
        return result;
    }
    bool audible() const override { return false; }

    std::vector<std::vector<uint8_t>> waves;
    std::vector<std::string> resources;
    bool result = true;  // what every call reports
    // Runs inside each playWave, as if while the sound is heard.
    std::function<void()> whilePlaying;
};

} // namespace larkspur
