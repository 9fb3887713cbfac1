#include "engine/UtteranceDetector.h"

#include "engine/FrameMeasure.h"

namespace larkspur {

void UtteranceDetector::reset()
{
    m_scan = 1;
    discard();
}

void UtteranceDetector::discard()
{
    m_start = -1;
    m_end = -1;
    m_quiet = 0;
    m_candidate = -1;
}

int UtteranceDetector::framesAvailable(int writePos) const
{
    const int samples = writePos >= m_scan ? writePos - m_scan : kRingLength - (m_scan - writePos);
    return samples / kFrameLength;
}

void UtteranceDetector::wrapScan()
{
    if (m_scan + kFrameLength - 1 > kRingLength)
        m_scan = 1;
}

bool UtteranceDetector::findStart(std::span<const uint8_t> ring, int writePos, const DetectorThresholds& t)
{
    for (int n = framesAvailable(writePos); n > 0; --n) {
        wrapScan();
        const FrameMeasurement m = measureSamples(ring.subspan(m_scan - 1, kFrameLength), t.zeroLevel);
        if (m.energy < t.low && m.zeroCrossings < t.zeroCrossing) {
            m_quiet += kFrameLength;
            if (m_quiet > kSilenceLimit)
                m_candidate = -1;
        }
        // Moderate energy starts (or keeps) a candidate: breathing or a soft onset
        // belongs to the word that follows it.
        if (m.energy >= t.low && m.energy < t.high) {
            if (m_candidate == -1)
                m_candidate = m_scan;
            m_quiet = 0;
        }
        if (m.energy >= t.high || m.zeroCrossings >= t.zeroCrossing) {
            if (m_candidate == -1)
                m_candidate = m_scan;
            m_start = m_candidate;
            m_quiet = 0;
            m_scan += kFrameLength;
            m_candidate = m_scan;
            return true;
        }
        m_scan += kFrameLength;
    }
    return false;
}

bool UtteranceDetector::findEnd(std::span<const uint8_t> ring, int writePos, const DetectorThresholds& t)
{
    // Twice the low threshold, so breath noise after a word does not keep the utterance open.
    const int32_t quietLimit = 2 * t.low;
    for (int n = framesAvailable(writePos); n > 0; --n) {
        wrapScan();
        const FrameMeasurement m = measureSamples(ring.subspan(m_scan - 1, kFrameLength), t.zeroLevel);
        if (m.energy < quietLimit && m.zeroCrossings < t.zeroCrossing) {
            m_quiet += kFrameLength;
            if (m_quiet > kSilenceLimit) {
                m_end = m_candidate;
                m_candidate = -1;
                m_quiet = 0;
                m_scan += kFrameLength;
                return true;
            }
        } else {
            m_candidate = m_scan + kFrameLength;
            m_quiet = 0;
        }
        m_scan += kFrameLength;
    }
    return false;
}

void UtteranceDetector::endNow()
{
    m_end = m_candidate != -1 ? m_candidate : m_scan;
    m_candidate = -1;
    m_quiet = 0;
}

int UtteranceDetector::utteranceLength() const
{
    return m_end >= m_start ? m_end - m_start : kRingLength - (m_start - m_end);
}

} // namespace larkspur
