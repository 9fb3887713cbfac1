#include "engine/WavFile.h"

#include "engine/EngineTypes.h"

#include "tests/engine/TestSupport.h"
#include "tests/engine/WaveBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace larkspur {
namespace {

using test::WaveBuilder;

std::string parseError(const std::vector<uint8_t>& image)
{
    std::string error;
    auto wave = WavFile::parse(image, error);
    EXPECT_FALSE(wave.has_value());
    return error;
}

std::string captureFormatError(const std::vector<uint8_t>& image)
{
    test::TempDir dir;
    const std::string path = dir.file("sound.wav");
    test::writeBytes(path, image);
    std::string error;
    EXPECT_FALSE(loadCaptureSamples(path, error).has_value());
    return error.substr(path.size() + 2);  // after "path: "
}

TEST(WaveImage, HeaderHoldsEveryFieldOfAnEightBitMonoImage)
{
    const std::vector<uint8_t> samples{0x80, 0x00, 0xFF};
    const std::vector<uint8_t> expected{
        'R', 'I', 'F', 'F', 39, 0, 0, 0, 'W', 'A', 'V', 'E',
        'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0,                 // PCM
        1, 0,                 // one channel
        0x11, 0x2B, 0, 0,     // 11025 samples per second
        0x11, 0x2B, 0, 0,     // 11025 bytes per second
        1, 0,                 // block align
        8, 0,                 // bits per sample
        'd', 'a', 't', 'a', 3, 0, 0, 0,
        0x80, 0x00, 0xFF};
    EXPECT_EQ(makeWaveImage(samples), expected);
}

TEST(WaveImage, LongUtteranceSizesAndRoundTrip)
{
    const auto samples = test::rampSignal(kMaxUtteranceLength);
    const auto image = makeWaveImage(samples);
    ASSERT_EQ(image.size(), 44u + kMaxUtteranceLength);
    // L + 36 and L, little-endian, where a reader finds them.
    EXPECT_EQ(image[4] | image[5] << 8 | image[6] << 16 | image[7] << 24, kMaxUtteranceLength + 36);
    EXPECT_EQ(image[40] | image[41] << 8 | image[42] << 16 | image[43] << 24, kMaxUtteranceLength);

    std::string error;
    auto wave = WavFile::parse(image, error);
    ASSERT_TRUE(wave) << error;
    EXPECT_TRUE(wave->format().isCaptureFormat());
    EXPECT_EQ(wave->data(), samples);
}

TEST(WavFile, ReadsCorpusRecordingInCaptureFormat)
{
    const std::string path = std::string(LARKSPUR_CORPUS_DIR) + "/dev1/train/01_zoom_in.wav";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "corpus not present at " << path;
    std::string error;
    auto samples = loadCaptureSamples(path, error);
    ASSERT_TRUE(samples) << error;
    EXPECT_EQ(samples->size(), std::filesystem::file_size(path) - 44);
    // The corpus begins with two seconds of quiet room noise around 128.
    for (size_t i = 0; i < kCalibrationLength; i += 997)
        EXPECT_NEAR((*samples)[i], 128, 20) << "sample " << i;
}

TEST(WavFile, SkipsUnknownChunksAndTheirPadBytes)
{
    const std::vector<uint8_t> samples{1, 2, 3};
    const auto image = WaveBuilder()
                           .chunk("LIST", {'a', 'b', 'c'})  // odd: one pad byte follows
                           .fmt(1, 1, 11025, 8)
                           .chunk("fact", {9})
                           .data(samples)
                           .image();
    std::string error;
    auto wave = WavFile::parse(image, error);
    ASSERT_TRUE(wave) << error;
    EXPECT_EQ(wave->data(), samples);

    // Data before fmt is legal too.
    auto reversed = WavFile::parse(WaveBuilder().data(samples).fmt(1, 1, 11025, 8).image(), error);
    ASSERT_TRUE(reversed) << error;
    EXPECT_EQ(reversed->data(), samples);
}

TEST(WavFile, DropsAPartialLastFrame)
{
    std::string error;
    auto wave = WavFile::parse(WaveBuilder().fmt(1, 2, 44100, 16).data({1, 2, 3, 4, 5, 6, 7}).image(), error);
    ASSERT_TRUE(wave) << error;
    EXPECT_EQ(wave->data().size(), 4u);
    EXPECT_EQ(wave->format().describe(), "16-bit stereo 44100 Hz");
}

TEST(WavFile, RefusesWhatIsNotAWaveFile)
{
    EXPECT_EQ(parseError({}), "not a RIFF WAVE file");
    EXPECT_EQ(parseError({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}), "not a RIFF WAVE file");
    EXPECT_EQ(parseError({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}), "not a RIFF WAVE file");
    EXPECT_EQ(parseError(WaveBuilder().data({1, 2}).image()), "WAV file has no fmt chunk");
    EXPECT_EQ(parseError(WaveBuilder().fmt(1, 1, 11025, 8).image()), "WAV file has no data chunk");
    EXPECT_EQ(parseError(WaveBuilder().chunk("fmt ", {1, 0, 1, 0}).data({1}).image()), "WAV fmt chunk is too short");
    EXPECT_EQ(parseError(WaveBuilder().fmt(1, 0, 11025, 8).data({1}).image()),
              "WAV fmt chunk is inconsistent (0 channels, 8 bits, block align 0)");
}

TEST(WavFile, RefusesChunksThatClaimMoreThanTheFileHolds)
{
    EXPECT_EQ(parseError(WaveBuilder().fmt(1, 1, 11025, 8).chunkWithSize("data", 1000, {1, 2, 3, 4}).image()),
              "WAV file is truncated (the data chunk declares 1000 bytes, 4 are present)");
    EXPECT_EQ(parseError(WaveBuilder().chunkWithSize("fmt ", 0xFFFFFFF0u, {1, 0, 1, 0}).image()),
              "WAV file is truncated (fmt chunk)");
    // An unknown chunk whose size runs past the end hides everything after it.
    EXPECT_EQ(parseError(WaveBuilder().fmt(1, 1, 11025, 8).chunkWithSize("junk", 0xFFFFFFFFu, {}).data({1}).image()),
              "WAV file has no data chunk");
}

TEST(WavFile, CaptureFormatRefusalNamesWhatIsWrong)
{
    const std::string rule = "; larkspur needs 8-bit unsigned mono at 11025 Hz";
    EXPECT_EQ(captureFormatError(WaveBuilder().fmt(1, 2, 44100, 16).data({0, 0, 0, 0}).image()),
              "16-bit samples, stereo, 44100 Hz" + rule);
    EXPECT_EQ(captureFormatError(WaveBuilder().fmt(1, 1, 22050, 8).data({0}).image()), "22050 Hz" + rule);
    EXPECT_EQ(captureFormatError(WaveBuilder().fmt(1, 1, 11025, 16).data({0, 0}).image()), "16-bit samples" + rule);
    EXPECT_EQ(captureFormatError(WaveBuilder().fmt(3, 1, 11025, 32).data({0, 0, 0, 0}).image()),
              "not PCM (format tag 3), 32-bit samples" + rule);
    EXPECT_EQ(captureFormatError({'n', 'o', 'p', 'e'}), "not a RIFF WAVE file");
}

TEST(WavFile, LoadErrorsNameTheFile)
{
    std::string error;
    EXPECT_FALSE(WavFile::load("/nonexistent/x.wav", error));
    EXPECT_EQ(error.rfind("Could not open the file /nonexistent/x.wav: No such file or directory", 0), 0u) << error;
}

// Every prefix and many corrupted copies of a file with several chunks: the
// parser answers each with a result or a message and never reads outside the image.
TEST(WavFile, HostileImagesGiveAResultOrAMessage)
{
    const auto good = WaveBuilder()
                          .chunk("LIST", {'x', 'y', 'z'})
                          .fmt(1, 1, 11025, 8)
                          .chunk("cue ", {1, 2, 3, 4, 5})
                          .data(test::rampSignal(101))
                          .image();
    auto check = [](const std::vector<uint8_t>& image) {
        std::string error;
        auto wave = WavFile::parse(image, error);
        if (wave)
            EXPECT_LE(wave->data().size(), image.size());
        else
            EXPECT_FALSE(error.empty());
    };
    for (size_t length = 0; length <= good.size(); ++length)
        check(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));

    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        auto image = good;
        for (int flips = 0; flips < 3; ++flips)
            image[random() % 64] = static_cast<uint8_t>(random());
        check(image);
    }
}

} // namespace
} // namespace larkspur
