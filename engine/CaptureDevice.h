#pragma once
// A polled capture device for 8-bit unsigned mono audio at 11025 samples per
// second. The engine queues its own buffers and watches their done flags; the
// device fills them in queue order. Every operation returns 0 on success or a
// device-specific error code whose text errorText() gives.

#include <cstdint>
#include <string>

namespace larkspur {

struct CaptureBuffer {
    uint8_t* data = nullptr;
    int length = 0;
    int bytesRecorded = 0;
    bool prepared = false;
    bool done = false;
    // Sample index in the device's input stream of data[0] once filled, -1 if unknown.
    int64_t streamPosition = -1;
};

class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;

    // How many capture devices the system has (0: no sound system).
    virtual int deviceCount() = 0;
    // Opens the input with the fixed format. At most one open at a time.
    virtual int open() = 0;
    virtual int prepareBuffer(CaptureBuffer& buffer) = 0;
    // Queues a buffer to be filled; the caller has cleared its done flag.
    virtual int addBuffer(CaptureBuffer& buffer) = 0;
    virtual int start() = 0;
    // Stops filling buffers. A live device may keep its stream running while
    // it stays open, so what is said before the next start() is delivered then.
    virtual int stop() = 0;
    // Stops filling buffers and hands back every queued buffer, marked done.
    virtual int reset() = 0;
    // Throws away what a live device captured while it was stopped.
    virtual int discardCaptured() { return 0; }
    virtual int unprepareBuffer(CaptureBuffer& buffer) = 0;
    virtual int close() = 0;
    // Reads the done flag; a device without its own thread fills the buffer here.
    virtual bool isDone(CaptureBuffer& buffer) = 0;
    // Sleeps until queued data may be ready, at most maxMs; never busy-waits.
    virtual void waitForData(int maxMs) = 0;
    // The readable text of an error code; empty when there is none.
    virtual std::string errorText(int code) = 0;
};

} // namespace larkspur
