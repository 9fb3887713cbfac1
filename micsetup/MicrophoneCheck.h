#pragma once
// Judges a microphone by the rules calibration applies at start: the quiet
// line must sit near the middle and its noise must stay within the limit,
// and spoken words must rise above the level at which the detector starts an
// utterance, or the program would never hear them.

#include <cstdint>
#include <span>
#include <string>

namespace larkspur {

enum class MicrophoneVerdict { Good, TooQuiet, TooNoisy, OffCentre, Silent, NoSignal };

struct MicrophoneCheck {
    MicrophoneVerdict verdict = MicrophoneVerdict::NoSignal;
    double noiseLevel = 0.0;
    int zeroLevel = 128;
    int32_t loudestFrameEnergy = 0;  // of the speech, per 220-sample frame
    int32_t startThreshold = 0;      // the energy a frame needs to start an utterance
};

// quiet: at least a few hundred samples of the line with nobody speaking (a
// 2 s capture is measured where calibration measures it). speech: a recording
// of the user speaking; empty to judge the quiet line alone.
MicrophoneCheck checkMicrophone(std::span<const uint8_t> quiet, std::span<const uint8_t> speech);

// One plain sentence for the user.
std::string adviceFor(const MicrophoneCheck& check);

} // namespace larkspur
