#pragma once
// The arithmetic of calibration: from a quiet stretch of the line to the zero
// level, the noise level and the detection thresholds.

#include <cstdint>
#include <span>

namespace larkspur {

// Samples of the 2 s calibration capture that are measured: 1-based 17600..21830,
// late enough that the line has settled after the device started.
inline constexpr int kCalibrationWindowFirst = 17600;
inline constexpr int kCalibrationWindowLength = 4231;

inline constexpr double kMaxNoiseLevel = 8.0;
inline constexpr int kMaxCalibrationPasses = 11;
inline constexpr int kMaxZeroLevelOffset = 10;

struct LineMeasurement {
    uint8_t zeroLevel = 128;
    double noiseLevel = 0.0;  // RMS deviation from the zero level
    int zeroCrossings = 0;    // in the whole window
    int32_t zeroCrossingThreshold = 15;
};

// Measures the window (normally the 4231 samples above).
LineMeasurement measureLine(std::span<const uint8_t> window);

// Crossings per 220-sample frame mapped to the detector's threshold.
int32_t zeroCrossingThreshold(int crossings, int windowLength);

// Energy of a 220-sample frame whose RMS deviation is N + 3 (low) or 2N + 7 (high).
int32_t lowEnergyThreshold(double noiseLevel);
int32_t highEnergyThreshold(double noiseLevel);

bool zeroLevelAcceptable(uint8_t zeroLevel);

} // namespace larkspur
