#pragma once
// Which mixer switch is the microphone's automatic gain control, decided from
// plain descriptions of the mixer's elements so the rule can be checked
// without a sound card.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace larkspur {

struct MixerSwitchElement {
    std::string name;  // e.g. "Mic Auto Gain Control", "Internal Mic AGC"
    bool hasCaptureSwitch = false;
    bool hasPlaybackSwitch = false;
    bool captureSwitchJoined = false;   // one value for all channels
    bool playbackSwitchJoined = false;
    std::vector<int> captureChannels;   // channel ids that have a capture switch
    std::vector<int> playbackChannels;
};

struct AutoGainSwitch {
    std::size_t element = 0;  // index into the descriptions
    bool capture = true;      // capture switch, else playback switch
    std::vector<int> channels;  // the channels to write, one value each
};

// An element named like an automatic gain control ("auto gain", "AGC", any
// letter case) that has a switch; the microphone's own when there is one,
// otherwise the last such element. Nothing when the mixer has none.
std::optional<AutoGainSwitch> chooseAutoGainSwitch(const std::vector<MixerSwitchElement>& elements);

} // namespace larkspur
