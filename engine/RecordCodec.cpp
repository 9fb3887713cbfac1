#include "engine/RecordCodec.h"

#include <algorithm>
#include <string>

namespace larkspur {

namespace {

constexpr std::size_t kMaxStringLength = kStringFieldSize - 1;

void putString(std::span<uint8_t> out, std::size_t offset, const std::string& text)
{
    const std::size_t length = std::min(text.size(), kMaxStringLength);
    out[offset] = static_cast<uint8_t>(length);
    std::copy_n(reinterpret_cast<const uint8_t*>(text.data()), length, out.begin() + offset + 1);
}

std::string getString(std::span<const uint8_t> in, std::size_t offset)
{
    const std::size_t length = in[offset];  // 0..255, always inside the 256-byte field
    const auto first = in.begin() + offset + 1;
    return std::string(first, first + length);
}

template <std::size_t N>
void putValues(std::span<uint8_t> out, std::size_t offset, const std::array<int32_t, N>& values)
{
    for (std::size_t i = 0; i < N; ++i)
        putInt32(out, offset + i * 4, values[i]);
}

template <std::size_t N>
void getValues(std::span<const uint8_t> in, std::size_t offset, std::array<int32_t, N>& values)
{
    for (std::size_t i = 0; i < N; ++i)
        values[i] = getInt32(in, offset + i * 4);
}

void putFrames(std::span<uint8_t> out, std::size_t offset,
               const std::array<LpcVector, kTemplateFrames>& frames)
{
    for (std::size_t f = 0; f < frames.size(); ++f)
        putValues(out, offset + f * kLpcCoefficients * 4, frames[f]);
}

void getFrames(std::span<const uint8_t> in, std::size_t offset, std::array<LpcVector, kTemplateFrames>& frames)
{
    for (std::size_t f = 0; f < frames.size(); ++f)
        getValues(in, offset + f * kLpcCoefficients * 4, frames[f]);
}

void putSampleTemplate(std::span<uint8_t> out, const SampleTemplate& sample)
{
    out[0] = sample.present;
    out[kTemplateFrameCountOffset] = sample.frameCount;
    putInt32(out, kTemplateMeanEnergyOffset, sample.meanEnergy);
    putFrames(out, kTemplateLpcOffset, sample.lpc);
    putValues(out, kTemplateNormEnergyOffset, sample.normEnergy);
    putValues(out, kTemplatePredictionErrorOffset, sample.predictionError);
}

} // namespace

void putInt32(std::span<uint8_t> out, std::size_t offset, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        out[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t getInt32(std::span<const uint8_t> in, std::size_t offset)
{
    uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(in[offset + i]) << (8 * i);
    return static_cast<int32_t>(bits);
}

SampleTemplateBytes encodeSampleTemplate(const SampleTemplate& sample)
{
    SampleTemplateBytes bytes{};
    putSampleTemplate(bytes, sample);
    return bytes;
}

SampleTemplate decodeSampleTemplate(std::span<const uint8_t, kSampleTemplateSize> bytes)
{
    SampleTemplate sample;
    sample.present = bytes[0];
    sample.frameCount = bytes[kTemplateFrameCountOffset];
    sample.meanEnergy = getInt32(bytes, kTemplateMeanEnergyOffset);
    getFrames(bytes, kTemplateLpcOffset, sample.lpc);
    getValues(bytes, kTemplateNormEnergyOffset, sample.normEnergy);
    getValues(bytes, kTemplatePredictionErrorOffset, sample.predictionError);
    return sample;
}

RecordBytes encodeRecord(const VoiceCommandRecord& record)
{
    RecordBytes bytes{};
    const std::span<uint8_t> out(bytes);
    putString(out, kPhraseOffset, record.phrase);
    putString(out, kActionOffset, record.action);
    out[kTrainedOffset] = record.trained;
    for (int k = 1; k <= kSamplesPerCommand; ++k)
        putSampleTemplate(out.subspan(sampleTemplateOffset(k), kSampleTemplateSize), record.samples[k - 1]);
    return bytes;
}

VoiceCommandRecord decodeRecord(std::span<const uint8_t, kRecordSize> bytes)
{
    VoiceCommandRecord record;
    record.phrase = getString(bytes, kPhraseOffset);
    record.action = getString(bytes, kActionOffset);
    record.trained = bytes[kTrainedOffset];
    for (int k = 1; k <= kSamplesPerCommand; ++k)
        record.samples[k - 1] = decodeSampleTemplate(
            std::span<const uint8_t, kSampleTemplateSize>(bytes.data() + sampleTemplateOffset(k),
                                                          kSampleTemplateSize));
    return record;
}

UtteranceTemplateBytes encodeUtteranceTemplate(const UtteranceTemplate& utterance)
{
    UtteranceTemplateBytes bytes{};
    const std::span<uint8_t> out(bytes);
    out[0] = utterance.valid;
    out[kTemplateFrameCountOffset] = utterance.frameCount;
    putInt32(out, kTemplateMeanEnergyOffset, utterance.meanEnergy);
    putFrames(out, kTemplateLpcOffset, utterance.lpc);
    putFrames(out, kUtteranceAutocorrelationOffset, utterance.autocorrelation);
    putValues(out, kUtteranceResidualOffset, utterance.residualEnergy);
    putValues(out, kUtteranceNormEnergyOffset, utterance.normEnergy);
    putValues(out, kUtterancePredictionErrorOffset, utterance.predictionError);
    return bytes;
}

SampleRecordBytes encodeSampleRecord(std::span<const uint8_t> audio)
{
    SampleRecordBytes bytes{};
    const std::size_t count = std::min<std::size_t>(audio.size(), kSampleAudioSize);
    putInt32(bytes, 0, static_cast<int32_t>(count));
    std::copy_n(audio.begin(), count, bytes.begin() + kSampleAudioOffset);
    return bytes;
}

std::span<const uint8_t> SampleRecordView::recording() const
{
    if (count <= 0 || count > kSampleAudioSize || audio.size() < static_cast<std::size_t>(count))
        return {};
    return audio.first(static_cast<std::size_t>(count));
}

SampleRecordView viewSampleRecord(std::span<const uint8_t, kSampleRecordSize> bytes)
{
    return {getInt32(bytes, 0), std::span<const uint8_t>(bytes).subspan(kSampleAudioOffset)};
}

} // namespace larkspur
