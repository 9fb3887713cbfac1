#pragma once
// Keeps a capture device running with a few short buffers and hands over
// whatever it has recorded whenever it is polled: enough for a level meter
// and a short test recording, without the engine's listening machinery.

#include "engine/CaptureDevice.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace larkspur {

class MicrophoneTap {
public:
    static constexpr int kBufferLength = 551;  // 50 ms
    explicit MicrophoneTap(CaptureDevice& device);
    ~MicrophoneTap();
    MicrophoneTap(const MicrophoneTap&) = delete;
    MicrophoneTap& operator=(const MicrophoneTap&) = delete;

    // Opens and starts the device; on failure error says why.
    bool start(std::string& error);
    void stop();
    bool running() const { return m_running; }
    // The samples recorded since the last poll, in order.
    std::vector<uint8_t> poll();

private:
    struct Slot {
        std::array<uint8_t, kBufferLength> data{};
        CaptureBuffer buffer;
    };
    CaptureDevice& m_device;
    std::array<Slot, 6> m_slots;
    size_t m_next = 0;  // the slot that fills next, in queue order
    bool m_running = false;
};

// Peak deviation from the middle of the 8-bit range, 0..128, for the meter.
int peakLevel(const std::vector<uint8_t>& samples);

} // namespace larkspur
