#pragma once
// Capture from an ALSA PCM into the engine's queued buffers in queue order,
// read without blocking, as 8-bit unsigned mono at 11025 Hz. A PCM that offers
// that format itself (a card that can, a raw file) is read as it is. A sound
// server's PCM (PipeWire, PulseAudio), or a card that cannot do 11025 Hz, is
// read as 16-bit samples at its own rate (48000 Hz asked for) and converted by
// CaptureConverter: the servers' and the plug layer's converters cut or fold
// the top of the speech band the matcher relies on. The PCM runs from the first start() until close(): stop() and
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

// How samples are taken from the PCM.
enum class CaptureFormat {
    Automatic,  // chosen at open() as described above
    EightBit,   // 8-bit unsigned at 11025 Hz, converted (if at all) by the plug layer
    Converted,  // 16-bit at the PCM's rate near 48000 Hz, converted by CaptureConverter
};

class AlsaCaptureDevice : public CaptureDevice {
public:
    // "default", or any PCM name ("hw:1", "fakemic"), which is opened through plug.
    explicit AlsaCaptureDevice(std::string pcmName = "default", CaptureFormat format = CaptureFormat::Automatic);
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
    // While open: EightBit or Converted, and the rate the PCM delivers.
    CaptureFormat format() const;
    int pcmRate() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace larkspur
