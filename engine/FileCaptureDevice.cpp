#include "engine/FileCaptureDevice.h"

#include "engine/EngineTypes.h"
#include "engine/FileError.h"
#include "engine/WavFile.h"

#include <algorithm>
#include <thread>

namespace larkspur {

namespace {

std::chrono::steady_clock::duration durationOf(int samples)
{
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::nanoseconds(int64_t{samples} * 1'000'000'000 / kSampleRate));
}

} // namespace

FileCaptureDevice::FileCaptureDevice(std::vector<uint8_t> samples, Pacing pacing)
    : m_samples(std::move(samples)), m_length(m_samples.size()), m_pacing(pacing)
{
}

FileCaptureDevice::FileCaptureDevice(Pacing pacing, std::unique_ptr<WavReader> reader)
    : m_reader(std::move(reader)), m_length(static_cast<size_t>(m_reader->dataLength())), m_pacing(pacing)
{
}

FileCaptureDevice::~FileCaptureDevice() = default;

void FileCaptureDevice::setLooping(bool on)
{
    // A looping recording is replayed from memory: read what is left of a
    // streamed file once (the demo recording is small).
    if (on && m_reader) {
        std::vector<uint8_t> rest(m_length - m_position);
        std::size_t got = 0;
        try {
            got = m_reader->read(std::span<uint8_t>(rest.data(), rest.size()));
        } catch (const EInOutError&) {
            got = 0;
        }
        rest.resize(got);
        m_samples = std::move(rest);
        m_reader.reset();
        m_length = m_samples.size();
        m_position = 0;
    }
    m_looping = on;
}

std::unique_ptr<FileCaptureDevice> FileCaptureDevice::fromWavFile(const std::string& path, std::string& error,
                                                                  Pacing pacing)
{
    auto reader = WavReader::open(path, error);
    if (!reader)
        return nullptr;
    return std::make_unique<FileCaptureDevice>(pacing, std::move(reader));
}

int FileCaptureDevice::open()
{
    if (m_open)
        return kAlreadyOpen;
    // Every buffer the engine queues holds at least one block, so a stream
    // with less left can deliver nothing more.
    if (m_looping ? m_length == 0 : remaining() < kBlockLength)
        return kEndOfInput;
    m_open = true;
    m_started = false;
    return 0;
}

int FileCaptureDevice::prepareBuffer(CaptureBuffer& buffer)
{
    if (!m_open)
        return kNotOpen;
    if (!buffer.data || buffer.length <= 0)
        return kInvalidBuffer;
    buffer.prepared = true;
    return 0;
}

int FileCaptureDevice::addBuffer(CaptureBuffer& buffer)
{
    if (!m_open)
        return kNotOpen;
    if (!buffer.prepared)
        return kNotPrepared;
    if (isQueued(buffer))
        return kStillQueued;
    const auto length = static_cast<size_t>(buffer.length);
    if (m_looping && m_length > 0) {
        // The recording starts over where it ends; the stream goes on counting.
        for (size_t i = 0; i < length; ++i) {
            buffer.data[i] = m_samples[m_position];
            m_position = m_position + 1 == m_length ? 0 : m_position + 1;
        }
    } else {
        if (m_length - m_position < length)
            return kEndOfInput;
        if (m_reader) {
            std::size_t got = 0;
            try {
                got = m_reader->read(std::span<uint8_t>(buffer.data, length));
            } catch (const EInOutError&) {
                got = 0;
            }
            if (got < length) {
                // The file failed or was cut short under us: the stream ends here.
                m_length = m_position;
                return kReadError;
            }
        } else {
            std::copy_n(m_samples.begin() + static_cast<std::ptrdiff_t>(m_position), length, buffer.data);
        }
        m_position += length;
    }
    buffer.bytesRecorded = buffer.length;
    buffer.streamPosition = m_delivered;
    m_delivered += static_cast<int64_t>(length);

    if (m_pacing == Pacing::Immediate) {
        buffer.done = true;
        return 0;
    }
    buffer.done = false;
    TimePoint due{};
    if (m_started) {
        // A consumer that fell behind does not get a burst of overdue blocks.
        m_lastDue = std::max(m_lastDue, std::chrono::steady_clock::now()) + durationOf(buffer.length);
        due = m_lastDue;
    }
    m_pending.push_back({&buffer, due});
    return 0;
}

int FileCaptureDevice::start()
{
    if (!m_open)
        return kNotOpen;
    if (!m_started) {
        m_started = true;
        scheduleQueued();
    }
    return 0;
}

int FileCaptureDevice::stop()
{
    if (!m_open)
        return kNotOpen;
    m_started = false;
    return 0;
}

int FileCaptureDevice::reset()
{
    if (!m_open)
        return kNotOpen;
    m_started = false;
    releaseAllBuffers();
    return 0;
}

int FileCaptureDevice::unprepareBuffer(CaptureBuffer& buffer)
{
    if (!m_open)
        return kNotOpen;
    if (isQueued(buffer))
        return kStillQueued;
    buffer.prepared = false;
    return 0;
}

int FileCaptureDevice::close()
{
    if (!m_open)
        return kNotOpen;
    // No pointer to a caller's buffer may outlive the session.
    releaseAllBuffers();
    m_open = false;
    m_started = false;
    return 0;
}

bool FileCaptureDevice::isDone(CaptureBuffer& buffer)
{
    releaseDueBuffers();
    return buffer.done;
}

void FileCaptureDevice::waitForData(int maxMs)
{
    if (m_pacing == Pacing::Immediate || maxMs <= 0)
        return;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    if (m_started && !m_pending.empty())
        until = std::min(until, m_pending.front().due);
    std::this_thread::sleep_until(until);
}

std::string FileCaptureDevice::errorText(int code)
{
    switch (code) {
    case 0:
        return {};
    case kNotOpen:
        return "device not open";
    case kAlreadyOpen:
        return "device already open";
    case kEndOfInput:
        return "end of input";
    case kNotPrepared:
        return "buffer not prepared";
    case kStillQueued:
        return "buffer still queued";
    case kInvalidBuffer:
        return "invalid buffer";
    case kReadError:
        return "the recording could not be read to its end";
    }
    // Never empty: an error without text would go unreported.
    return "capture error " + std::to_string(code);
}

bool FileCaptureDevice::isQueued(const CaptureBuffer& buffer) const
{
    return std::any_of(m_pending.begin(), m_pending.end(),
                       [&](const Pending& pending) { return pending.buffer == &buffer; });
}

void FileCaptureDevice::releaseDueBuffers()
{
    if (!m_started)
        return;
    const auto now = std::chrono::steady_clock::now();
    while (!m_pending.empty() && m_pending.front().due <= now) {
        m_pending.front().buffer->done = true;
        m_pending.pop_front();
    }
}

void FileCaptureDevice::releaseAllBuffers()
{
    for (const Pending& pending : m_pending)
        pending.buffer->done = true;
    m_pending.clear();
}

void FileCaptureDevice::scheduleQueued()
{
    m_lastDue = std::chrono::steady_clock::now();
    for (Pending& pending : m_pending) {
        m_lastDue += durationOf(pending.buffer->length);
        pending.due = m_lastDue;
    }
}

} // namespace larkspur
