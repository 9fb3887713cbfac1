#pragma once
// Finds where an utterance starts and ends in the capture ring, one 220-sample
// frame at a time, from the scan position P up to the write position W.
// Positions are 1-based ring positions; S..E (E exclusive) is the utterance.

#include "engine/EngineTypes.h"

#include <cstdint>
#include <span>

namespace larkspur {

struct DetectorThresholds {
    uint8_t zeroLevel = 128;
    int32_t low = 0;           // Tlow: start of a candidate; the end detector uses twice this
    int32_t high = 0;          // Thigh: a loud frame confirms the start
    int32_t zeroCrossing = 0;  // Tzc: a noisy frame also confirms it
};

class UtteranceDetector {
public:
    // A silence must last more than 11 frames (2426 samples) to end a candidate or an utterance.
    static constexpr int kSilenceLimit = 2426;

    void reset();
    // Forgets a detected utterance and its candidate but keeps the scan position.
    void discard();

    // Examines the whole frames between P and writePos. True when an utterance starts.
    bool findStart(std::span<const uint8_t> ring, int writePos, const DetectorThresholds& t);
    // Examines the whole frames between P and writePos. True when the utterance ends.
    bool findEnd(std::span<const uint8_t> ring, int writePos, const DetectorThresholds& t);
    // Ends a started utterance here, without waiting for the quiet frames: E is
    // the end of its last loud frame, or the scan position when none followed the start.
    void endNow();

    // Samples from S to E around the ring (before any cap).
    int utteranceLength() const;

    int scanPosition() const { return m_scan; }
    int start() const { return m_start; }
    int end() const { return m_end; }
    int candidate() const { return m_candidate; }
    int quietRun() const { return m_quiet; }

private:
    int framesAvailable(int writePos) const;
    // Wraps P to the ring's start when the next frame would run past its end.
    void wrapScan();

    int m_scan = 1;        // P
    int m_start = -1;      // S
    int m_end = -1;        // E
    int m_candidate = -1;  // C
    int m_quiet = 0;       // Q
};

} // namespace larkspur
