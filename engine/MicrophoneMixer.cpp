#include "engine/MicrophoneMixer.h"

#include "engine/AlsaHandles.h"
#include "engine/AutoGainControlChoice.h"
#include "engine/EnginePlatform.h"

#include <vector>

namespace larkspur {

namespace {

std::vector<int> channelsWith(snd_mixer_elem_t* element, int (*has)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t))
{
    std::vector<int> channels;
    for (int channel = 0; channel <= SND_MIXER_SCHN_LAST; ++channel) {
        if (has(element, static_cast<snd_mixer_selem_channel_id_t>(channel)))
            channels.push_back(channel);
    }
    return channels;
}

MixerSwitchElement describe(snd_mixer_elem_t* element)
{
    MixerSwitchElement info;
    info.name = snd_mixer_selem_get_name(element);
    info.hasCaptureSwitch = snd_mixer_selem_has_capture_switch(element);
    info.hasPlaybackSwitch = snd_mixer_selem_has_playback_switch(element);
    info.captureSwitchJoined = snd_mixer_selem_has_capture_switch_joined(element);
    info.playbackSwitchJoined = snd_mixer_selem_has_playback_switch_joined(element);
    info.captureChannels = channelsWith(element, snd_mixer_selem_has_capture_channel);
    info.playbackChannels = channelsWith(element, snd_mixer_selem_has_playback_channel);
    return info;
}

} // namespace

MicrophoneMixer::MicrophoneMixer(MessageSink* messages, std::string card)
    : m_messages(messages), m_card(std::move(card))
{
    alsa::quietLibraryErrors();
}

bool MicrophoneMixer::SetMicrophoneAutoGain(bool on)
{
    snd_mixer_t* rawMixer = nullptr;
    if (int r = snd_mixer_open(&rawMixer, 0); r < 0) {
        showError(r);
        return false;
    }
    alsa::MixerHandle mixer(rawMixer);
    int r = snd_mixer_attach(mixer.get(), m_card.c_str());
    if (r >= 0)
        r = snd_mixer_selem_register(mixer.get(), nullptr, nullptr);
    if (r >= 0)
        r = snd_mixer_load(mixer.get());
    if (r < 0) {
        showError(r);
        return false;
    }

    std::vector<snd_mixer_elem_t*> elements;
    std::vector<MixerSwitchElement> descriptions;
    for (snd_mixer_elem_t* element = snd_mixer_first_elem(mixer.get()); element;
         element = snd_mixer_elem_next(element)) {
        if (!snd_mixer_selem_is_active(element))
            continue;
        elements.push_back(element);
        descriptions.push_back(describe(element));
    }
    const auto choice = chooseAutoGainSwitch(descriptions);
    if (!choice)
        return false;

    const int value = on ? 1 : 0;
    for (int channel : choice->channels) {
        const auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
        r = choice->capture ? snd_mixer_selem_set_capture_switch(elements[choice->element], id, value)
                            : snd_mixer_selem_set_playback_switch(elements[choice->element], id, value);
        // A switch that refused the value is not switched: say so rather than report success.
        if (r < 0) {
            showError(r);
            return false;
        }
    }
    return true;
}

void MicrophoneMixer::showError(int code)
{
    if (m_messages)
        m_messages->showMessage(snd_strerror(code));
}

} // namespace larkspur
