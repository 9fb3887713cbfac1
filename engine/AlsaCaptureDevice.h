#pragma once
// Capture from an ALSA PCM: 8-bit unsigned mono at 11025 Hz through the plug
// layer, read without blocking into the engine's queued buffers in queue
// order. The PCM runs from the first start() until close(): stop() and
// reset() only stop filling buffers, and the next start() delivers what was
// captured meanwhile (up to the PCM's buffer of 8 blocks; a longer pause
// overruns and capture begins afresh). Stream positions count every frame captured since construction, so
// they keep increasing when the engine closes and reopens the PCM. Error codes
// are errno values (positive); errorText gives ALSA's text.

#include "engine/CaptureDevice.h"

#include <cstdint>
#include <memory>
#include <string>

namespace larkspur {

class AlsaCaptureDevice : public CaptureDevice {
public:
    // "default", or any PCM name ("hw:1", "fakemic"), which is opened through plug.
    explicit AlsaCaptureDevice(std::string pcmName = "default");
    ~AlsaCaptureDevice() override;
    AlsaCaptureDevice(const AlsaCaptureDevice&) = delete;
    AlsaCaptureDevice& operator=(const AlsaCaptureDevice&) = delete;

    int deviceCount() override;
    int open() override;
    int prepareBuffer(CaptureBuffer& buffer) override;
    int addBuffer(CaptureBuffer& buffer) override;
    int start() override;
    int stop() override;
    int reset() override;
    int discardCaptured() override;
    int unprepareBuffer(CaptureBuffer& buffer) override;
    int close() override;
    bool isDone(CaptureBuffer& buffer) override;
    void waitForData(int maxMs) override;
    std::string errorText(int code) override;

    // Overruns recovered from since the last open.
    int overrunCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace larkspur
