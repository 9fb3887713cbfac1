#pragma once
// Byte forms of the engine's records, exactly as they lie in table files, the
// sample store and companion files. Everything is written field by field in
// little-endian order; structs are never copied as memory images, so the
// layout does not depend on the compiler or the host.

#include "engine/EngineTypes.h"

#include <array>
#include <cstdint>
#include <span>

namespace larkspur {

using RecordBytes = std::array<uint8_t, kRecordSize>;
using SampleTemplateBytes = std::array<uint8_t, kSampleTemplateSize>;
using UtteranceTemplateBytes = std::array<uint8_t, kUtteranceTemplateSize>;
using SampleRecordBytes = std::array<uint8_t, kSampleRecordSize>;

// Offsets inside a voice command record.
inline constexpr int kPhraseOffset = 0;
inline constexpr int kActionOffset = 256;
inline constexpr int kTrainedOffset = 512;
inline constexpr int kFirstSampleOffset = 513;

// Offsets inside a sample template (the utterance template shares the first three).
inline constexpr int kTemplateFrameCountOffset = 1;
inline constexpr int kTemplateMeanEnergyOffset = 2;
inline constexpr int kTemplateLpcOffset = 6;
inline constexpr int kTemplateNormEnergyOffset = 2690;
inline constexpr int kTemplatePredictionErrorOffset = 2934;

// Offsets inside an utterance template beyond the shared part.
inline constexpr int kUtteranceAutocorrelationOffset = 2690;
inline constexpr int kUtteranceResidualOffset = 5374;
inline constexpr int kUtteranceNormEnergyOffset = 5618;
inline constexpr int kUtterancePredictionErrorOffset = 5862;

inline constexpr int kSampleAudioOffset = 4;
inline constexpr int kSampleAudioSize = kSampleRecordSize - kSampleAudioOffset;  // 13230

inline constexpr int sampleTemplateOffset(int k) { return kFirstSampleOffset + (k - 1) * kSampleTemplateSize; }

void putInt32(std::span<uint8_t> out, std::size_t offset, int32_t value);
int32_t getInt32(std::span<const uint8_t> in, std::size_t offset);

SampleTemplateBytes encodeSampleTemplate(const SampleTemplate& sample);
SampleTemplate decodeSampleTemplate(std::span<const uint8_t, kSampleTemplateSize> bytes);

// Phrase and action longer than 255 characters keep their first 255. The bytes
// after a string's length are written as zeros, so saved files do not carry
// leftovers of longer texts.
RecordBytes encodeRecord(const VoiceCommandRecord& record);
// Total: any 10047 bytes give a record (a length byte always fits its field).
VoiceCommandRecord decodeRecord(std::span<const uint8_t, kRecordSize> bytes);

UtteranceTemplateBytes encodeUtteranceTemplate(const UtteranceTemplate& utterance);

// A sample record: the count of significant audio bytes, then 13230 audio
// bytes of which the ones beyond the count are zero. Audio longer than the
// record keeps its first 13230 bytes.
SampleRecordBytes encodeSampleRecord(std::span<const uint8_t> audio);

struct SampleRecordView {
    int32_t count = 0;                 // as stored; may be anything in a damaged file
    std::span<const uint8_t> audio;    // all 13230 audio bytes
    // The first count bytes, or nothing when the count does not describe a
    // recording (0, negative or larger than the record).
    std::span<const uint8_t> recording() const;
};
SampleRecordView viewSampleRecord(std::span<const uint8_t, kSampleRecordSize> bytes);

} // namespace larkspur
