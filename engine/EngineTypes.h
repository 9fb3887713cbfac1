#pragma once
// Sizes, constants and the in-memory forms of the engine's records.
// Frame arrays are 0-based in C++: frame f (1..61) of a template lives at index f - 1.

#include <array>
#include <cstdint>
#include <string>

namespace larkspur {

inline constexpr int kMaxVoiceCommands = 512;
inline constexpr int kSampleRate = 11025;
inline constexpr int kSamplesPerCommand = 3;

inline constexpr int kFrameLength = 220;          // samples per analysis frame (about 20 ms)
inline constexpr int kFramesPerBlock = 6;
inline constexpr int kBlockLength = 1320;         // samples per capture block (about 0.12 s)
inline constexpr int kRingLength = 63360;         // capture ring: 48 blocks, 288 frames
inline constexpr int kRingFrames = 288;
inline constexpr int kCalibrationLength = 22050;  // one 2 s calibration capture
inline constexpr int kMaxUtteranceLength = 13230; // 1.2 s
inline constexpr int kMinUtteranceLength = 1323;

inline constexpr int kLpcOrder = 10;
inline constexpr int kLpcCoefficients = kLpcOrder + 1;
inline constexpr int kTemplateFrames = 61;        // room in a template
inline constexpr int kMaxSampleFrames = 60;       // most frames an utterance can have

// Byte sizes of the on-disk forms.
inline constexpr int kStringFieldSize = 256;
inline constexpr int kSampleTemplateSize = 3178;
inline constexpr int kRecordSize = 10047;
inline constexpr int kUtteranceTemplateSize = 6106;
inline constexpr int kSampleRecordSize = 13234;   // 4-byte count + 13230 audio bytes

// Score limits of the table search.
inline constexpr int32_t kNoScore = 2000000000;

using LpcVector = std::array<int32_t, kLpcCoefficients>;
using FrameValues = std::array<int32_t, kTemplateFrames>;

// Analysis of one 220-sample frame of the capture ring.
struct FrameRecord {
    int32_t energy = 0;
    LpcVector lpc{};              // a0..a10 scaled by 800
    LpcVector autocorrelation{};  // r0..r10 of the windowed frame
    int32_t residualEnergy = 0;   // own-predictor residual, at least 1
    int32_t predictionError = 0;  // normalised, 0..10000
};

// One trained repetition of a voice command, as stored in a record.
struct SampleTemplate {
    uint8_t present = 0;     // nonzero when trained
    uint8_t frameCount = 0;  // 7..60 for samples the engine made
    int32_t meanEnergy = 0;
    std::array<LpcVector, kTemplateFrames> lpc{};
    FrameValues normEnergy{};       // parts per 100000 of the utterance's energy
    FrameValues predictionError{};  // 0..10000
};

// The utterance just captured; its first fields match a sample template.
struct UtteranceTemplate {
    uint8_t valid = 0;
    uint8_t frameCount = 0;
    int32_t meanEnergy = 0;
    std::array<LpcVector, kTemplateFrames> lpc{};
    std::array<LpcVector, kTemplateFrames> autocorrelation{};
    FrameValues residualEnergy{};
    FrameValues normEnergy{};
    FrameValues predictionError{};
};

// A voice command: phrase, action string and three sample templates.
// Phrase and action hold at most 255 single-byte characters.
struct VoiceCommandRecord {
    std::string phrase;
    std::string action;
    uint8_t trained = 0;  // nonzero when at least one sample is present
    std::array<SampleTemplate, kSamplesPerCommand> samples{};
};

} // namespace larkspur
