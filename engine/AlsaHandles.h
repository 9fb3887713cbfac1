#pragma once
// Owners for alsa-lib handles. Private to the engine's ALSA back ends: this
// header includes <alsa/asoundlib.h> and must not appear in a public header.

#include <alsa/asoundlib.h>

#include <memory>
#include <mutex>
#include <string>

namespace larkspur::alsa {

// alsa-lib prints its internal errors to stderr (a machine without a sound
// card gets half a screen of them at start); every failure reaches the user
// through our own error texts instead, so those prints are switched off.
extern "C" inline void ignoreLibraryError(const char*, int, const char*, int, const char*, ...) {}

inline void quietLibraryErrors()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(ignoreLibraryError); });
}

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;

struct CtlCloser {
    void operator()(snd_ctl_t* ctl) const { snd_ctl_close(ctl); }
};
using CtlHandle = std::unique_ptr<snd_ctl_t, CtlCloser>;

struct HwParamsFree {
    void operator()(snd_pcm_hw_params_t* params) const { snd_pcm_hw_params_free(params); }
};
using HwParams = std::unique_ptr<snd_pcm_hw_params_t, HwParamsFree>;

struct SwParamsFree {
    void operator()(snd_pcm_sw_params_t* params) const { snd_pcm_sw_params_free(params); }
};
using SwParams = std::unique_ptr<snd_pcm_sw_params_t, SwParamsFree>;

struct PcmInfoFree {
    void operator()(snd_pcm_info_t* info) const { snd_pcm_info_free(info); }
};
using PcmInfo = std::unique_ptr<snd_pcm_info_t, PcmInfoFree>;

struct NameHintsFree {
    void operator()(void** hints) const { snd_device_name_free_hint(hints); }
};
using NameHints = std::unique_ptr<void*, NameHintsFree>;

struct CStringFree {
    void operator()(char* text) const { std::free(text); }
};
using CString = std::unique_ptr<char, CStringFree>;

// The PCM to open for a configured name: through the plug layer, so that the
// card converts format and rate for us. "default" already goes through it.
inline std::string plugName(const std::string& pcmName)
{
    if (pcmName == "default" || pcmName.starts_with("plug:") || pcmName.starts_with("plughw:"))
        return pcmName;
    return "plug:" + pcmName;
}

// Opens a PCM; on failure returns the negative error code and leaves pcm empty.
inline int openPcm(PcmHandle& pcm, const std::string& name, snd_pcm_stream_t stream, int mode)
{
    snd_pcm_t* raw = nullptr;
    const int result = snd_pcm_open(&raw, name.c_str(), stream, mode);
    if (result < 0)
        return result;
    pcm.reset(raw);
    return 0;
}

} // namespace larkspur::alsa
