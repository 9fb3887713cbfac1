#include "engine/AlsaCaptureDevice.h"

#include "engine/AlsaHandles.h"
#include "engine/CaptureConverter.h"
#include "engine/EngineTypes.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <deque>
#include <optional>
#include <poll.h>
#include <utility>
#include <vector>

namespace larkspur {

namespace {

// Several blocks of slack, so a listening loop busy with one block does not
// overrun while the next arrives.
constexpr snd_pcm_uframes_t kPeriodFrames = kBlockLength;
constexpr snd_pcm_uframes_t kBufferFrames = kBlockLength * 8;
// Consecutive overruns recovered from in one read pass before giving up.
constexpr int kMaxRecoveriesPerPass = 4;
// The rate sound servers run at; a card's own rate nearest to it otherwise.
constexpr unsigned kConvertedRate = 48000;

// A sound server's PCM accepts any format and converts inside; a card or a
// file that offers 8-bit mono 11025 Hz itself delivers it unconverted.
// Nothing when the PCM cannot be opened as it is (the plug layer may still
// open it; the choice is made again next time).
std::optional<CaptureFormat> chooseFormat(const std::string& pcmName)
{
    alsa::PcmHandle raw;
    if (alsa::openPcm(raw, pcmName, SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) < 0)
        return std::nullopt;
    if (snd_pcm_type(raw.get()) == SND_PCM_TYPE_IOPLUG)
        return CaptureFormat::Converted;
    snd_pcm_hw_params_t* rawHw = nullptr;
    if (snd_pcm_hw_params_malloc(&rawHw) < 0)
        return std::nullopt;
    alsa::HwParams hw(rawHw);
    if (snd_pcm_hw_params_any(raw.get(), hw.get()) < 0)
        return std::nullopt;
    const bool offersEightBit = snd_pcm_hw_params_test_format(raw.get(), hw.get(), SND_PCM_FORMAT_U8) == 0
        && snd_pcm_hw_params_test_channels(raw.get(), hw.get(), 1) == 0
        && snd_pcm_hw_params_test_rate(raw.get(), hw.get(), kSampleRate, 0) == 0;
    return offersEightBit ? CaptureFormat::EightBit : CaptureFormat::Converted;
}

int configure(snd_pcm_t* pcm, CaptureFormat format, unsigned& rate, snd_pcm_uframes_t& periodFrames)
{
    snd_pcm_hw_params_t* rawHw = nullptr;
    if (int r = snd_pcm_hw_params_malloc(&rawHw); r < 0)
        return r;
    alsa::HwParams hw(rawHw);
    if (int r = snd_pcm_hw_params_any(pcm, hw.get()); r < 0)
        return r;
    if (int r = snd_pcm_hw_params_set_access(pcm, hw.get(), SND_PCM_ACCESS_RW_INTERLEAVED); r < 0)
        return r;
    const bool converted = format == CaptureFormat::Converted;
    if (int r = snd_pcm_hw_params_set_format(pcm, hw.get(), converted ? SND_PCM_FORMAT_S16 : SND_PCM_FORMAT_U8); r < 0)
        return r;
    if (int r = snd_pcm_hw_params_set_channels(pcm, hw.get(), 1); r < 0)
        return r;
    int dir = 0;
    if (converted) {
        rate = kConvertedRate;
        if (int r = snd_pcm_hw_params_set_rate_near(pcm, hw.get(), &rate, &dir); r < 0)
            return r;
    } else {
        rate = kSampleRate;
        if (int r = snd_pcm_hw_params_set_rate(pcm, hw.get(), kSampleRate, 0); r < 0)
            return r;
    }
    // A period is one of the engine's blocks, at the PCM's rate.
    const snd_pcm_uframes_t blockFrames = (kPeriodFrames * rate + kSampleRate - 1) / kSampleRate;
    snd_pcm_uframes_t period = blockFrames;
    dir = 0;
    if (int r = snd_pcm_hw_params_set_period_size_near(pcm, hw.get(), &period, &dir); r < 0)
        return r;
    snd_pcm_uframes_t bufferFrames = std::max(kBufferFrames * rate / kSampleRate, period * 4);
    if (int r = snd_pcm_hw_params_set_buffer_size_near(pcm, hw.get(), &bufferFrames); r < 0)
        return r;
    if (int r = snd_pcm_hw_params(pcm, hw.get()); r < 0)
        return r;
    periodFrames = period;

    snd_pcm_sw_params_t* rawSw = nullptr;
    if (int r = snd_pcm_sw_params_malloc(&rawSw); r < 0)
        return r;
    alsa::SwParams sw(rawSw);
    if (int r = snd_pcm_sw_params_current(pcm, sw.get()); r < 0)
        return r;
    // Poll wakes the loop once per block, not for every few frames.
    if (int r = snd_pcm_sw_params_set_avail_min(pcm, sw.get(), blockFrames); r < 0)
        return r;
    // Capture begins with start(), as the engine expects, not with the first read.
    snd_pcm_uframes_t boundary = 0;
    if (int r = snd_pcm_sw_params_get_boundary(sw.get(), &boundary); r < 0)
        return r;
    if (int r = snd_pcm_sw_params_set_start_threshold(pcm, sw.get(), boundary); r < 0)
        return r;
    return snd_pcm_sw_params(pcm, sw.get());
}

int countCardCaptureDevices()
{
    int count = 0;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        snd_ctl_t* rawCtl = nullptr;
        if (snd_ctl_open(&rawCtl, ("hw:" + std::to_string(card)).c_str(), 0) < 0)
            continue;
        alsa::CtlHandle ctl(rawCtl);
        snd_pcm_info_t* rawInfo = nullptr;
        if (snd_pcm_info_malloc(&rawInfo) < 0)
            continue;
        alsa::PcmInfo info(rawInfo);
        int device = -1;
        while (snd_ctl_pcm_next_device(ctl.get(), &device) == 0 && device >= 0) {
            snd_pcm_info_set_device(info.get(), static_cast<unsigned>(device));
            snd_pcm_info_set_subdevice(info.get(), 0);
            snd_pcm_info_set_stream(info.get(), SND_PCM_STREAM_CAPTURE);
            if (snd_ctl_pcm_info(ctl.get(), info.get()) >= 0)
                ++count;
        }
    }
    return count;
}

} // namespace

struct AlsaCaptureDevice::Impl {
    std::string pcmName;
    CaptureFormat requestedFormat = CaptureFormat::Automatic;
    CaptureFormat format = CaptureFormat::EightBit;
    unsigned rate = kSampleRate;
    // Converted capture: 16-bit input read a period at a time, and the
    // converted samples not yet copied into a buffer.
    std::optional<CaptureConverter> converter;
    std::vector<int16_t> input;
    std::vector<uint8_t> pending;
    size_t pendingRead = 0;
    alsa::PcmHandle pcm;
    std::deque<CaptureBuffer*> queue;
    std::vector<pollfd> pollFds;
    snd_pcm_uframes_t periodFrames = kPeriodFrames;
    // Buffers are being filled. The PCM itself runs from the first start()
    // until close(): between listens it keeps capturing into its own buffer,
    // so nothing said while the engine looks at an utterance is lost.
    bool started = false;
    bool running = false;
    // Frames captured over the device's whole life, across every open: the engine
    // closes the PCM between utterances, and positions must keep counting.
    int64_t framesRead = 0;
    int overruns = 0;
    // A read failure found while polling; the next operation returns it.
    int pendingError = 0;

    bool isQueued(const CaptureBuffer& buffer) const
    {
        return std::find(queue.begin(), queue.end(), &buffer) != queue.end();
    }

    // Hands every queued buffer back, marked done with what it holds.
    void releaseAll()
    {
        for (CaptureBuffer* buffer : queue)
            buffer->done = true;
        queue.clear();
    }

    int takePendingError()
    {
        return std::exchange(pendingError, 0);
    }

    // A device that cannot deliver any more hands its buffers back, so the
    // engine sees them done and meets the error on its next call.
    void fail(int negativeCode)
    {
        pendingError = -negativeCode;
        started = false;
        running = false;
        releaseAll();
    }

    // Reads and throws away whatever the PCM holds: 0, or the error of a
    // read that failed other than by an overrun (which leaves nothing to throw
    // away; the next start() begins afresh).
    int drain()
    {
        // Converted samples not yet delivered are as stale as the rest.
        pending.clear();
        pendingRead = 0;
        // Only what is there now: an unpaced PCM would never run dry.
        snd_pcm_sframes_t left = snd_pcm_avail(pcm.get());
        if (left == -EPIPE)
            return 0;
        if (left < 0)
            return static_cast<int>(-left);
        std::array<uint8_t, kBlockLength> scratch;
        while (left > 0) {
            snd_pcm_sframes_t got = 0;
            if (converter) {
                // Through the converter, so its filter goes on from the right samples.
                const auto wanted = std::min<snd_pcm_uframes_t>(static_cast<snd_pcm_uframes_t>(left), input.size());
                got = snd_pcm_readi(pcm.get(), input.data(), wanted);
                if (got > 0) {
                    converter->convert(std::span<const int16_t>(input.data(), static_cast<size_t>(got)), pending);
                    pending.clear();
                }
            } else {
                const auto wanted = std::min<snd_pcm_uframes_t>(static_cast<snd_pcm_uframes_t>(left), scratch.size());
                got = snd_pcm_readi(pcm.get(), scratch.data(), wanted);
            }
            if (got == -EAGAIN || got == 0 || got == -EPIPE)
                return 0;
            if (got < 0)
                return static_cast<int>(-got);
            left -= got;
        }
        return 0;
    }

    // Copies converted samples into the front buffer.
    bool deliverPending()
    {
        CaptureBuffer& buffer = *queue.front();
        const size_t count = std::min(pending.size() - pendingRead,
                                      static_cast<size_t>(buffer.length - buffer.bytesRecorded));
        std::copy_n(pending.begin() + static_cast<std::ptrdiff_t>(pendingRead), count, buffer.data + buffer.bytesRecorded);
        pendingRead += count;
        return record(buffer, static_cast<snd_pcm_sframes_t>(count));
    }

    // Counts samples placed in the front buffer; true when it became done.
    bool record(CaptureBuffer& buffer, snd_pcm_sframes_t count)
    {
        if (buffer.bytesRecorded == 0)
            buffer.streamPosition = framesRead;
        buffer.bytesRecorded += static_cast<int>(count);
        framesRead += count;
        if (buffer.bytesRecorded < buffer.length)
            return false;
        buffer.done = true;
        queue.pop_front();
        return true;
    }

    // Reads whatever has arrived into the queued buffers, oldest first;
    // true when a buffer became done.
    bool readAvailable()
    {
        bool completed = false;
        int recoveries = 0;
        while (pcm && started && !queue.empty()) {
            CaptureBuffer& buffer = *queue.front();
            if (converter && pendingRead < pending.size()) {
                completed = deliverPending() || completed;
                continue;
            }
            // A read never asks for more than a period: the calibration buffer
            // is larger than the device's whole ring.
            snd_pcm_sframes_t got = 0;
            if (converter) {
                got = snd_pcm_readi(pcm.get(), input.data(), periodFrames);
            } else {
                const auto wanted
                    = std::min(static_cast<snd_pcm_uframes_t>(buffer.length - buffer.bytesRecorded), periodFrames);
                got = snd_pcm_readi(pcm.get(), buffer.data + buffer.bytesRecorded, wanted);
            }
            if (got == -EAGAIN || got == 0)
                return completed;
            if (got == -EPIPE || got == -ESTRPIPE) {
                // An overrun loses audio, not the session.
                ++overruns;
                int r = snd_pcm_recover(pcm.get(), static_cast<int>(got), 1);
                if (r >= 0 && snd_pcm_state(pcm.get()) != SND_PCM_STATE_RUNNING)
                    r = snd_pcm_start(pcm.get());
                if (r < 0 || ++recoveries > kMaxRecoveriesPerPass) {
                    fail(r < 0 ? r : static_cast<int>(got));
                    return true;
                }
                continue;
            }
            if (got < 0) {
                fail(static_cast<int>(got));
                return true;
            }
            if (converter) {
                pending.clear();
                pendingRead = 0;
                converter->convert(std::span<const int16_t>(input.data(), static_cast<size_t>(got)), pending);
                continue;
            }
            completed = record(buffer, got) || completed;
        }
        return completed;
    }
};

AlsaCaptureDevice::AlsaCaptureDevice(std::string pcmName, CaptureFormat format) : m_impl(std::make_unique<Impl>())
{
    alsa::quietLibraryErrors();
    m_impl->pcmName = std::move(pcmName);
    m_impl->requestedFormat = format;
}

AlsaCaptureDevice::~AlsaCaptureDevice() = default;

int AlsaCaptureDevice::deviceCount()
{
    if (m_impl->pcm)
        return std::max(1, countCardCaptureDevices());
    int count = countCardCaptureDevices();
    if (count == 0) {
        // Sound servers and configured PCMs have no card of their own; one that opens counts.
        alsa::PcmHandle probe;
        if (alsa::openPcm(probe, alsa::plugName(m_impl->pcmName), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) == 0)
            count = 1;
    }
    return count;
}

int AlsaCaptureDevice::open()
{
    Impl& d = *m_impl;
    if (d.pcm)
        return EBUSY;
    // Chosen once: asking costs a sound server connection of its own.
    if (d.requestedFormat == CaptureFormat::Automatic)
        d.requestedFormat = chooseFormat(d.pcmName).value_or(CaptureFormat::Automatic);
    const CaptureFormat format
        = d.requestedFormat == CaptureFormat::Automatic ? CaptureFormat::EightBit : d.requestedFormat;
    alsa::PcmHandle pcm;
    if (int r = alsa::openPcm(pcm, alsa::plugName(d.pcmName), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK); r < 0)
        return -r;
    unsigned rate = kSampleRate;
    if (int r = configure(pcm.get(), format, rate, d.periodFrames); r < 0)
        return -r;
    const int fdCount = snd_pcm_poll_descriptors_count(pcm.get());
    if (fdCount < 0)
        return -fdCount;
    d.pollFds.assign(static_cast<size_t>(fdCount), pollfd{});
    if (int r = snd_pcm_poll_descriptors(pcm.get(), d.pollFds.data(), static_cast<unsigned>(fdCount)); r < 0)
        return -r;
    d.pcm = std::move(pcm);
    d.format = format;
    d.rate = rate;
    d.converter.reset();
    d.pending.clear();
    d.pendingRead = 0;
    if (format == CaptureFormat::Converted) {
        d.converter.emplace(static_cast<int>(rate));
        d.input.assign(d.periodFrames, 0);
    }
    d.started = false;
    d.running = false;
    d.overruns = 0;
    d.pendingError = 0;
    return 0;
}

int AlsaCaptureDevice::prepareBuffer(CaptureBuffer& buffer)
{
    if (!m_impl->pcm)
        return EBADFD;
    if (!buffer.data || buffer.length <= 0)
        return EINVAL;
    buffer.prepared = true;
    return 0;
}

int AlsaCaptureDevice::addBuffer(CaptureBuffer& buffer)
{
    Impl& d = *m_impl;
    if (!d.pcm)
        return EBADFD;
    if (int error = d.takePendingError())
        return error;
    if (!buffer.prepared)
        return EINVAL;
    if (d.isQueued(buffer))
        return EBUSY;
    buffer.bytesRecorded = 0;
    buffer.streamPosition = -1;
    buffer.done = false;
    d.queue.push_back(&buffer);
    return 0;
}

int AlsaCaptureDevice::start()
{
    Impl& d = *m_impl;
    if (!d.pcm)
        return EBADFD;
    if (int error = d.takePendingError())
        return error;
    if (d.started)
        return 0;
    // Still capturing since the last listen: what came meanwhile is read first.
    if (d.running && snd_pcm_state(d.pcm.get()) == SND_PCM_STATE_RUNNING) {
        d.started = true;
        return 0;
    }
    // First start, or the pause between listens outlasted the PCM's buffer
    // (an overrun): begin afresh. The stale audio is not wanted.
    if (snd_pcm_state(d.pcm.get()) != SND_PCM_STATE_PREPARED) {
        if (int r = snd_pcm_prepare(d.pcm.get()); r < 0)
            return -r;
    }
    if (d.converter) {
        d.converter->reset();
        d.pending.clear();
        d.pendingRead = 0;
    }
    if (int r = snd_pcm_start(d.pcm.get()); r < 0)
        return -r;
    d.started = true;
    d.running = true;
    return 0;
}

int AlsaCaptureDevice::stop()
{
    Impl& d = *m_impl;
    if (!d.pcm)
        return EBADFD;
    d.started = false;
    return d.takePendingError();
}

int AlsaCaptureDevice::reset()
{
    Impl& d = *m_impl;
    if (!d.pcm)
        return EBADFD;
    d.started = false;
    // What the queued buffers hold is given up; what the PCM holds stays.
    d.releaseAll();
    return d.takePendingError();
}

int AlsaCaptureDevice::discardCaptured()
{
    Impl& d = *m_impl;
    if (!d.pcm)
        return EBADFD;
    if (d.started || !d.running)
        return 0;
    const int error = d.drain();
    if (error != 0)
        d.running = false;
    return error;
}

int AlsaCaptureDevice::unprepareBuffer(CaptureBuffer& buffer)
{
    if (!m_impl->pcm)
        return EBADFD;
    if (m_impl->isQueued(buffer))
        return EBUSY;
    buffer.prepared = false;
    return 0;
}

int AlsaCaptureDevice::close()
{
    Impl& d = *m_impl;
    if (!d.pcm)
        return EBADFD;
    d.releaseAll();
    d.started = false;
    d.running = false;
    d.pollFds.clear();
    d.pcm.reset();
    return 0;
}

bool AlsaCaptureDevice::isDone(CaptureBuffer& buffer)
{
    m_impl->readAvailable();
    return buffer.done;
}

void AlsaCaptureDevice::waitForData(int maxMs)
{
    Impl& d = *m_impl;
    if (maxMs <= 0)
        return;
    // A buffer completed just now: the caller should look at it before sleeping.
    if (d.readAvailable())
        return;
    if (!d.pcm || !d.started || d.queue.empty()) {
        // Nothing can arrive for the caller: sleep rather than return at once.
        poll(nullptr, 0, maxMs);
        return;
    }
    if (poll(d.pollFds.data(), static_cast<nfds_t>(d.pollFds.size()), maxMs) > 0) {
        unsigned short revents = 0;
        snd_pcm_poll_descriptors_revents(d.pcm.get(), d.pollFds.data(),
                                         static_cast<unsigned>(d.pollFds.size()), &revents);
    }
}

std::string AlsaCaptureDevice::errorText(int code)
{
    if (code == 0)
        return {};
    return snd_strerror(-code);
}

int AlsaCaptureDevice::overrunCount() const
{
    return m_impl->overruns;
}

CaptureFormat AlsaCaptureDevice::format() const
{
    return m_impl->format;
}

int AlsaCaptureDevice::pcmRate() const
{
    return static_cast<int>(m_impl->rate);
}

} // namespace larkspur
