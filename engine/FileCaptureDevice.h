#pragma once
// A capture device that plays a recorded stream of samples into the engine's
// buffers, for tests, the command-line tool and measurements.
//
// The samples form one continuous stream. Queuing a buffer takes the next
// buffer-length samples at once; nothing ever rewinds, so samples in buffers
// the engine does not copy out before it stops are gone, as they would be with
// a microphone. Opening continues where the last session stopped.
//
// With looping on (off unless asked for), the recording starts over from its
// first sample instead of ending: a demonstration that runs until stopped.
//
// Immediate pacing marks every queued buffer done at once (virtual time: pair
// it with ManualClock and VirtualTimePump). Real-time pacing holds each buffer
// back until its samples would have been spoken, on the monotonic clock.

#include "engine/CaptureDevice.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace larkspur {

class WavReader;

class FileCaptureDevice : public CaptureDevice {
public:
    enum class Pacing { Immediate, RealTime };

    enum Error : int {
        kNotOpen = 1,
        kAlreadyOpen,
        kEndOfInput,
        kNotPrepared,
        kStillQueued,
        kInvalidBuffer,
        kReadError,
    };

    explicit FileCaptureDevice(std::vector<uint8_t> samples, Pacing pacing = Pacing::Immediate);
    // Streams the samples from a reader, a buffer at a time.
    FileCaptureDevice(Pacing pacing, std::unique_ptr<WavReader> reader);
    ~FileCaptureDevice() override;
    // Streams an 8-bit unsigned mono 11025 Hz WAV file (memory stays flat
    // whatever its length); nullptr and a one-line message otherwise.
    static std::unique_ptr<FileCaptureDevice> fromWavFile(const std::string& path, std::string& error,
                                                          Pacing pacing = Pacing::Immediate);

    // Stream index of the next sample to be delivered.
    int64_t position() const { return m_delivered; }
    // Samples left before the end of input; without looping only.
    int64_t remaining() const { return static_cast<int64_t>(m_length - m_position); }
    // Starts the recording over at its end (a streamed file is then held in memory).
    void setLooping(bool on);
    bool looping() const { return m_looping; }
    bool isOpen() const { return m_open; }

    int deviceCount() override { return 1; }
    int open() override;
    int prepareBuffer(CaptureBuffer& buffer) override;
    int addBuffer(CaptureBuffer& buffer) override;
    int start() override;
    int stop() override;
    int reset() override;
    int unprepareBuffer(CaptureBuffer& buffer) override;
    int close() override;
    bool isDone(CaptureBuffer& buffer) override;
    void waitForData(int maxMs) override;
    std::string errorText(int code) override;

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Pending {
        CaptureBuffer* buffer;
        TimePoint due;  // meaningful only while started
    };

    bool isQueued(const CaptureBuffer& buffer) const;
    void releaseDueBuffers();
    void releaseAllBuffers();
    void scheduleQueued();

    std::vector<uint8_t> m_samples;      // the whole stream, or empty when streaming
    std::unique_ptr<WavReader> m_reader; // the stream, read as it is delivered
    size_t m_length = 0;
    // Index of the next sample in the recording; samples delivered so far below.
    size_t m_position = 0;
    int64_t m_delivered = 0;
    bool m_looping = false;
    Pacing m_pacing;
    bool m_open = false;
    bool m_started = false;
    // Real-time pacing only: filled buffers waiting for their due time, in queue order.
    std::deque<Pending> m_pending;
    TimePoint m_lastDue;
};

} // namespace larkspur
