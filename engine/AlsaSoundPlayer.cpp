#include "engine/AlsaSoundPlayer.h"

#include "engine/AlsaHandles.h"
#include "engine/WavFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace larkspur {

namespace {

constexpr unsigned kLatencyMicroseconds = 100000;
// Underruns recovered from in a row before the device counts as broken.
constexpr int kMaxRecoveries = 8;

snd_pcm_format_t pcmFormat(const WavFormat& format)
{
    switch (format.bitsPerSample) {
    case 8:
        return SND_PCM_FORMAT_U8;
    case 16:
        return SND_PCM_FORMAT_S16_LE;
    case 24:
        return format.blockAlign == format.channels * 3 ? SND_PCM_FORMAT_S24_3LE : SND_PCM_FORMAT_UNKNOWN;
    case 32:
        return SND_PCM_FORMAT_S32_LE;
    default:
        return SND_PCM_FORMAT_UNKNOWN;
    }
}

// Resource names come from the program, but they end up in a path: allow
// nothing that could leave the sounds folder.
bool isPlainName(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '-';
    });
}

} // namespace

AlsaSoundPlayer::AlsaSoundPlayer(std::string resourceDir, std::string pcmName)
    : m_resourceDir(std::move(resourceDir)), m_pcmName(std::move(pcmName))
{
    alsa::quietLibraryErrors();
}

bool AlsaSoundPlayer::playWave(std::span<const uint8_t> waveImage)
{
    auto wave = WavFile::parse(waveImage, m_lastError);
    return wave && play(*wave);
}

bool AlsaSoundPlayer::playResource(const std::string& name)
{
    if (!isPlainName(name)) {
        m_lastError = "not a sound resource name: \"" + name + "\"";
        return false;
    }
    const auto path = std::filesystem::path(m_resourceDir) / "sounds" / (name + ".wav");
    auto wave = WavFile::load(path.string(), m_lastError);
    return wave && play(*wave);
}

bool AlsaSoundPlayer::play(const WavFile& wave)
{
    const WavFormat& format = wave.format();
    const snd_pcm_format_t sampleFormat = format.formatTag == kWaveFormatPcm ? pcmFormat(format)
                                                                            : SND_PCM_FORMAT_UNKNOWN;
    if (sampleFormat == SND_PCM_FORMAT_UNKNOWN) {
        m_lastError = "cannot play WAV data that is " + format.describe();
        return false;
    }
    m_lastError.clear();
    const auto& data = wave.data();
    if (data.empty())
        return true;

    alsa::PcmHandle pcm;
    int r = alsa::openPcm(pcm, alsa::plugName(m_pcmName), SND_PCM_STREAM_PLAYBACK, 0);
    if (r >= 0)
        r = snd_pcm_set_params(pcm.get(), sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                               format.sampleRate, 1, kLatencyMicroseconds);
    const snd_pcm_uframes_t frames = data.size() / format.blockAlign;
    snd_pcm_uframes_t written = 0;
    int recoveries = 0;
    while (r >= 0 && written < frames) {
        const snd_pcm_sframes_t n
            = snd_pcm_writei(pcm.get(), data.data() + written * format.blockAlign, frames - written);
        if (n < 0) {
            // An underrun costs a click, not the sound.
            r = snd_pcm_recover(pcm.get(), static_cast<int>(n), 1);
            if (r >= 0 && ++recoveries > kMaxRecoveries)
                r = static_cast<int>(n);
        } else {
            written += static_cast<snd_pcm_uframes_t>(n);
            recoveries = 0;
        }
    }
    if (r >= 0)
        r = snd_pcm_drain(pcm.get());
    if (r < 0) {
        m_lastError = std::string("cannot play sound: ") + snd_strerror(r);
        return false;
    }
    return true;
}

} // namespace larkspur
