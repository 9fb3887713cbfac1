#include "engine/AutoGainControlChoice.h"

#include <algorithm>
#include <cctype>

namespace larkspur {

namespace {

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isAutoGain(const MixerSwitchElement& element)
{
    const std::string name = lowerCase(element.name);
    const bool named = name.find("auto gain") != std::string::npos || name.find("agc") != std::string::npos;
    return named && (element.hasCaptureSwitch || element.hasPlaybackSwitch);
}

bool isMicrophone(const MixerSwitchElement& element)
{
    return lowerCase(element.name).find("mic") != std::string::npos;
}

} // namespace

std::optional<AutoGainSwitch> chooseAutoGainSwitch(const std::vector<MixerSwitchElement>& elements)
{
    std::optional<std::size_t> chosen;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (!isAutoGain(elements[i]))
            continue;
        chosen = i;
        if (isMicrophone(elements[i]))
            break;
    }
    if (!chosen)
        return std::nullopt;

    const MixerSwitchElement& element = elements[*chosen];
    AutoGainSwitch result;
    result.element = *chosen;
    result.capture = element.hasCaptureSwitch;
    const bool joined = result.capture ? element.captureSwitchJoined : element.playbackSwitchJoined;
    const std::vector<int>& channels = result.capture ? element.captureChannels : element.playbackChannels;
    // A joined switch takes one value for every channel; writing more would only repeat it.
    if (channels.empty())
        result.channels = {0};
    else if (joined)
        result.channels = {channels.front()};
    else
        result.channels = channels;
    return result;
}

} // namespace larkspur
