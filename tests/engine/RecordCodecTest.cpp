// Byte layouts of voice command records, sample templates, utterance templates
// and sample records.

#include "engine/RecordCodec.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace larkspur;
using namespace larkspur::test;

namespace {

std::vector<uint8_t> at(std::span<const uint8_t> bytes, std::size_t offset, std::size_t n)
{
    return {bytes.begin() + offset, bytes.begin() + offset + n};
}

bool sameRecord(const VoiceCommandRecord& a, const VoiceCommandRecord& b)
{
    return encodeRecord(a) == encodeRecord(b);
}

TEST(RecordCodec, SampleTemplateFieldsSitAtTheirOffsetsLittleEndian)
{
    SampleTemplate sample;
    sample.present = 1;
    sample.frameCount = 42;
    sample.meanEnergy = 0x01020304;
    sample.lpc[0][0] = 800;                  // frame 1, a0
    sample.lpc[1][3] = -2;                   // frame 2, a3
    sample.lpc[60][10] = 0x7F000001;         // frame 61, a10
    sample.normEnergy[0] = 65536;
    sample.normEnergy[60] = -1;
    sample.predictionError[0] = 10000;
    sample.predictionError[60] = 0x11223344;

    const SampleTemplateBytes bytes = encodeSampleTemplate(sample);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 42);
    EXPECT_EQ(at(bytes, 2, 4), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(at(bytes, 6, 4), (std::vector<uint8_t>{0x20, 0x03, 0x00, 0x00}));
    EXPECT_EQ(at(bytes, 6 + 44 + 3 * 4, 4), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(at(bytes, 6 + 60 * 44 + 10 * 4, 4), (std::vector<uint8_t>{0x01, 0x00, 0x00, 0x7F}));
    EXPECT_EQ(at(bytes, 2690, 4), (std::vector<uint8_t>{0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(at(bytes, 2690 + 60 * 4, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(at(bytes, 2934, 4), (std::vector<uint8_t>{0x10, 0x27, 0x00, 0x00}));
    EXPECT_EQ(at(bytes, 2934 + 60 * 4, 4), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));

    const SampleTemplate back = decodeSampleTemplate(bytes);
    EXPECT_EQ(back.meanEnergy, sample.meanEnergy);
    EXPECT_EQ(back.lpc, sample.lpc);
    EXPECT_EQ(back.normEnergy, sample.normEnergy);
    EXPECT_EQ(back.predictionError, sample.predictionError);
}

TEST(RecordCodec, RecordHoldsStringsFlagAndThreeTemplatesBackToBack)
{
    VoiceCommandRecord record = patternedRecord(3);
    record.phrase = "open mail";
    record.action = "{MOUSE1}";
    const RecordBytes bytes = encodeRecord(record);

    EXPECT_EQ(bytes[0], 9);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 10), "open mail");
    EXPECT_EQ(bytes[256], 8);
    EXPECT_EQ(std::string(bytes.begin() + 257, bytes.begin() + 265), "{MOUSE1}");
    // Nothing but zeros after a string's characters.
    for (int i : {10, 100, 255, 265, 511})
        EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(bytes[512], 1);
    for (int k = 1; k <= 3; ++k) {
        const int offset = 513 + (k - 1) * 3178;
        EXPECT_EQ(at(bytes, offset, 3178), at(encodeSampleTemplate(record.samples[k - 1]), 0, 3178)) << k;
    }
    EXPECT_EQ(sampleTemplateOffset(2), 3691);
    EXPECT_EQ(sampleTemplateOffset(3), 6869);
    EXPECT_TRUE(sameRecord(decodeRecord(bytes), record));
}

TEST(RecordCodec, LongTextsKeepTheirFirst255Characters)
{
    VoiceCommandRecord record;
    record.phrase = std::string(300, 'p');
    record.action = std::string(255, 'a') + "tail";
    const VoiceCommandRecord back = decodeRecord(encodeRecord(record));
    EXPECT_EQ(back.phrase, std::string(255, 'p'));
    EXPECT_EQ(back.action, std::string(255, 'a'));
}

TEST(RecordCodec, AnyBytesDecodeAndReencodeToTheSignificantBytes)
{
    std::mt19937 random(7);
    RecordBytes bytes{};
    for (int round = 0; round < 20; ++round) {
        for (auto& b : bytes)
            b = static_cast<uint8_t>(round == 0 ? 0xFF : random());
        const VoiceCommandRecord record = decodeRecord(bytes);
        EXPECT_EQ(record.phrase.size(), bytes[0]);
        EXPECT_EQ(record.action.size(), bytes[256]);
        EXPECT_EQ(record.trained, bytes[512]);
        const RecordBytes again = encodeRecord(record);
        // Everything but the unused tails of the two strings survives.
        EXPECT_EQ(at(again, 512, kRecordSize - 512), at(bytes, 512, kRecordSize - 512));
        EXPECT_EQ(at(again, 0, 1 + bytes[0]), at(bytes, 0, 1 + bytes[0]));
        EXPECT_EQ(at(again, 256, 1 + bytes[256]), at(bytes, 256, 1 + bytes[256]));
    }
}

TEST(RecordCodec, UtteranceTemplateFieldsSitAtTheirOffsets)
{
    UtteranceTemplate utterance;
    utterance.valid = 1;
    utterance.frameCount = 60;
    utterance.meanEnergy = 3001;
    utterance.lpc[60][10] = 5;
    utterance.autocorrelation[0][0] = 0x0A0B0C0D;
    utterance.autocorrelation[60][10] = -3;
    utterance.residualEnergy[60] = 77;
    utterance.normEnergy[0] = 100000;
    utterance.predictionError[60] = 9999;

    const UtteranceTemplateBytes bytes = encodeUtteranceTemplate(utterance);
    ASSERT_EQ(bytes.size(), 6106u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 60);
    EXPECT_EQ(getInt32(bytes, 2), 3001);
    EXPECT_EQ(getInt32(bytes, 6 + 60 * 44 + 40), 5);
    EXPECT_EQ(at(bytes, 2690, 4), (std::vector<uint8_t>{0x0D, 0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(getInt32(bytes, 2690 + 60 * 44 + 40), -3);
    EXPECT_EQ(getInt32(bytes, 5374 + 60 * 4), 77);
    EXPECT_EQ(getInt32(bytes, 5618), 100000);
    EXPECT_EQ(getInt32(bytes, 5862 + 60 * 4), 9999);

    // The first 2690 bytes read as a sample template: that is how training copies it.
    SampleTemplate asSample = decodeSampleTemplate(
        std::span<const uint8_t, kSampleTemplateSize>(bytes.data(), kSampleTemplateSize));
    EXPECT_EQ(asSample.frameCount, 60);
    EXPECT_EQ(asSample.meanEnergy, 3001);
    EXPECT_EQ(asSample.lpc, utterance.lpc);
}

TEST(RecordCodec, SampleRecordCarriesCountAndZeroPaddedAudio)
{
    const Bytes audio = patternedAudio(1540, 1);
    const SampleRecordBytes bytes = encodeSampleRecord(audio);
    EXPECT_EQ(at(bytes, 0, 4), (std::vector<uint8_t>{0x04, 0x06, 0x00, 0x00}));
    EXPECT_EQ(at(bytes, 4, 1540), audio);
    EXPECT_EQ(at(bytes, 4 + 1540, 13230 - 1540), Bytes(13230 - 1540, 0));
    EXPECT_EQ(Bytes(viewSampleRecord(bytes).recording().begin(), viewSampleRecord(bytes).recording().end()),
              audio);
}

} // namespace
