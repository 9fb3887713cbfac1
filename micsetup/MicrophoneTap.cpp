#include "micsetup/MicrophoneTap.h"

#include <algorithm>
#include <cstdlib>

namespace larkspur {

MicrophoneTap::MicrophoneTap(CaptureDevice& device) : m_device(device)
{
}

MicrophoneTap::~MicrophoneTap()
{
    stop();
}

bool MicrophoneTap::start(std::string& error)
{
    if (m_running)
        return true;
    if (m_device.deviceCount() == 0) {
        error = "there is no capture device";
        return false;
    }
    int code = m_device.open();
    if (code != 0) {
        error = m_device.errorText(code);
        return false;
    }
    for (Slot& slot : m_slots) {
        slot.buffer = CaptureBuffer{};
        slot.buffer.data = slot.data.data();
        slot.buffer.length = kBufferLength;
        code = m_device.prepareBuffer(slot.buffer);
        if (code == 0)
            code = m_device.addBuffer(slot.buffer);
        if (code != 0)
            break;
    }
    if (code == 0)
        code = m_device.start();
    m_running = true;
    m_next = 0;
    if (code != 0) {
        error = m_device.errorText(code);
        stop();
        return false;
    }
    return true;
}

void MicrophoneTap::stop()
{
    if (!m_running)
        return;
    m_device.reset();
    for (Slot& slot : m_slots) {
        if (slot.buffer.prepared)
            m_device.unprepareBuffer(slot.buffer);
    }
    m_device.close();
    m_running = false;
}

std::vector<uint8_t> MicrophoneTap::poll()
{
    std::vector<uint8_t> samples;
    if (!m_running)
        return samples;
    // Buffers fill in queue order, so stop at the first one still filling.
    for (size_t n = 0; n < m_slots.size(); ++n) {
        Slot& slot = m_slots[m_next];
        if (!m_device.isDone(slot.buffer))
            break;
        const int count = std::clamp(slot.buffer.bytesRecorded, 0, kBufferLength);
        samples.insert(samples.end(), slot.data.begin(), slot.data.begin() + count);
        slot.buffer.done = false;
        slot.buffer.bytesRecorded = 0;
        if (m_device.addBuffer(slot.buffer) != 0)
            break;
        m_next = (m_next + 1) % m_slots.size();
    }
    return samples;
}

int peakLevel(const std::vector<uint8_t>& samples)
{
    int peak = 0;
    for (const uint8_t s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s) - 128));
    return peak;
}

} // namespace larkspur
