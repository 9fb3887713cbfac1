#include "micsetup/MicrophoneCheck.h"

#include "engine/Calibration.h"
#include "engine/EngineTypes.h"
#include "engine/FrameMeasure.h"

#include <algorithm>
#include <cstdio>

namespace larkspur {

namespace {
constexpr size_t kShortestQuietLine = 220;

std::span<const uint8_t> measuredWindow(std::span<const uint8_t> quiet)
{
    const size_t first = kCalibrationWindowFirst - 1;
    if (quiet.size() >= first + kCalibrationWindowLength)
        return quiet.subspan(first, kCalibrationWindowLength);
    // A shorter capture: skip its first quarter, where the line settles.
    return quiet.subspan(quiet.size() / 4);
}
} // namespace

MicrophoneCheck checkMicrophone(std::span<const uint8_t> quiet, std::span<const uint8_t> speech)
{
    MicrophoneCheck check;
    if (quiet.size() < kShortestQuietLine)
        return check;
    const LineMeasurement line = measureLine(measuredWindow(quiet));
    check.noiseLevel = line.noiseLevel;
    check.zeroLevel = line.zeroLevel;
    check.startThreshold = highEnergyThreshold(line.noiseLevel);
    if (!zeroLevelAcceptable(line.zeroLevel)) {
        check.verdict = MicrophoneVerdict::OffCentre;
        return check;
    }
    if (line.noiseLevel > kMaxNoiseLevel) {
        check.verdict = MicrophoneVerdict::TooNoisy;
        return check;
    }
    // Not one sample off the middle, in the line and in the words alike: a
    // muted input, or a sound server source with nothing linked to it.
    const auto flat = [](std::span<const uint8_t> samples) {
        return std::all_of(samples.begin(), samples.end(), [&](uint8_t v) { return v == samples.front(); });
    };
    if (flat(quiet) && flat(speech)) {
        check.verdict = MicrophoneVerdict::Silent;
        return check;
    }
    check.verdict = MicrophoneVerdict::Good;
    if (speech.empty())
        return check;
    for (size_t at = 0; at + kFrameLength <= speech.size(); at += kFrameLength) {
        const FrameMeasurement frame = measureSamples(speech.subspan(at, kFrameLength), line.zeroLevel);
        check.loudestFrameEnergy = std::max(check.loudestFrameEnergy, frame.energy);
    }
    if (check.loudestFrameEnergy < check.startThreshold)
        check.verdict = MicrophoneVerdict::TooQuiet;
    return check;
}

std::string adviceFor(const MicrophoneCheck& check)
{
    char noise[64];
    std::snprintf(noise, sizeof noise, " (noise level %.1f, at most %.0f)", check.noiseLevel, kMaxNoiseLevel);
    switch (check.verdict) {
    case MicrophoneVerdict::Good:
        return std::string("Good: the line is quiet enough") + noise +
               (check.loudestFrameEnergy > 0 ? " and your voice is loud enough." : ".");
    case MicrophoneVerdict::TooQuiet:
        return "Too quiet: raise the input level, or speak closer to the microphone.";
    case MicrophoneVerdict::TooNoisy:
        return std::string("Too noisy") + noise +
               ": lower the input level, turn off boost, or move away from fans and speakers.";
    case MicrophoneVerdict::OffCentre:
        return "The line is off centre: this device does not deliver usable audio; choose another one.";
    case MicrophoneVerdict::Silent:
        return "Perfect silence: the input is muted, or this device is not your microphone. The system default "
               "is the input chosen in your sound settings (with PipeWire, \"wpctl status\" marks it with *).";
    case MicrophoneVerdict::NoSignal:
        break;
    }
    return "Nothing was recorded: the device gave no audio.";
}

} // namespace larkspur
