// The ALSA back ends end to end without sound hardware: alsa-lib's file
// plugin over the null plugin serves a raw file as a microphone and writes
// what is played into another file.

#include "engine/AlsaCaptureDevice.h"
#include "engine/AlsaDeviceList.h"
#include "engine/AlsaSoundPlayer.h"
#include "engine/CaptureConverter.h"
#include "engine/EngineTypes.h"
#include "engine/MicrophoneMixer.h"
#include "engine/WavFile.h"

#include "tests/engine/TestSupport.h"
#include "tests/engine/WaveBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numbers>

namespace larkspur {
namespace {

class AlsaFilePlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_input = test::rampSignal(40000);
        test::writeBytes(m_dir.file("mic.raw"), m_input);
        // Three seconds of 16-bit speech-band tones at 48000 Hz, as a sound server delivers.
        for (int i = 0; i < 3 * 48000; ++i) {
            const double t = i / 48000.0;
            m_input16.push_back(static_cast<int16_t>(std::lround(
                9000.0 * std::sin(2 * std::numbers::pi * 440.0 * t) + 5000.0 * std::sin(2 * std::numbers::pi * 3900.0 * t))));
        }
        std::vector<uint8_t> bytes16(m_input16.size() * 2);
        std::memcpy(bytes16.data(), m_input16.data(), bytes16.size());  // little-endian, as S16_LE
        test::writeBytes(m_dir.file("mic16.raw"), bytes16);
        std::ofstream config(m_dir.file("asound.conf"));
        config << "</usr/share/alsa/alsa.conf>\n"
               << "pcm.fakemic {\n  type file\n  slave.pcm \"null\"\n  file \"/dev/null\"\n"
               << "  infile \"" << m_dir.file("mic.raw") << "\"\n  format \"raw\"\n"
               << "  hint {\n    show on\n    description \"Test microphone\"\n    ioid \"Input\"\n  }\n}\n"
               << "pcm.fakemic16 {\n  type file\n  slave.pcm \"null\"\n  file \"/dev/null\"\n"
               << "  infile \"" << m_dir.file("mic16.raw") << "\"\n  format \"raw\"\n}\n"
               << "pcm.fakespeaker {\n  type file\n  slave.pcm \"null\"\n"
               << "  file \"" << m_dir.file("speaker.raw") << "\"\n  format \"raw\"\n"
               << "  hint {\n    show on\n    description \"Test speaker\"\n    ioid \"Output\"\n  }\n}\n";
        config.close();
        ::setenv("ALSA_CONFIG_PATH", m_dir.file("asound.conf").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("ALSA_CONFIG_PATH"); }

    std::vector<uint8_t> played() const { return test::readBytes(m_dir.file("speaker.raw")); }

    // One listen as the engine makes it: each block queued, started and
    // waited for, then stop and reset with the PCM left open.
    struct Listen {
        std::vector<int64_t> positions;  // each block's stream position
        std::vector<uint8_t> samples;
    };
    static Listen listen(AlsaCaptureDevice& device, CaptureBuffer& buffer, int blocks)
    {
        Listen heard;
        for (int block = 0; block < blocks; ++block) {
            buffer.done = false;
            EXPECT_EQ(device.addBuffer(buffer), 0);
            EXPECT_EQ(device.start(), 0);
            for (int pass = 0; pass < 200 && !device.isDone(buffer); ++pass)
                device.waitForData(50);
            EXPECT_TRUE(buffer.done);
            heard.positions.push_back(buffer.streamPosition);
            heard.samples.insert(heard.samples.end(), buffer.data, buffer.data + buffer.length);
        }
        EXPECT_EQ(device.stop(), 0);
        EXPECT_EQ(device.reset(), 0);
        return heard;
    }

    test::TempDir m_dir;
    std::vector<uint8_t> m_input;
    std::vector<int16_t> m_input16;
};

TEST_F(AlsaFilePlugin, CapturesTheInputByteForByteInQueueOrder)
{
    AlsaCaptureDevice device("fakemic");
    EXPECT_GE(device.deviceCount(), 1);
    std::array<uint8_t, kBlockLength> data1{}, data2{};
    CaptureBuffer b1{data1.data(), kBlockLength}, b2{data2.data(), kBlockLength};
    ASSERT_EQ(device.open(), 0);
    // A PCM that offers the engine's format itself is read as it is.
    EXPECT_EQ(device.format(), CaptureFormat::EightBit);
    EXPECT_EQ(device.pcmRate(), kSampleRate);
    EXPECT_EQ(device.open(), EBUSY);
    ASSERT_EQ(device.prepareBuffer(b1), 0);
    ASSERT_EQ(device.addBuffer(b1), 0);
    ASSERT_EQ(device.prepareBuffer(b2), 0);
    ASSERT_EQ(device.addBuffer(b2), 0);
    EXPECT_FALSE(device.isDone(b1));  // nothing is read before start
    EXPECT_EQ(device.unprepareBuffer(b1), EBUSY);
    EXPECT_EQ(device.addBuffer(b1), EBUSY);
    ASSERT_EQ(device.start(), 0);

    // Stop well before the file runs out: past its end the plugin repeats old data.
    std::vector<uint8_t> captured;
    CaptureBuffer* expected[] = {&b1, &b2};
    int next = 0;
    for (int pass = 0; pass < 1000 && captured.size() < 20 * kBlockLength; ++pass) {
        CaptureBuffer& buffer = *expected[next];
        if (!device.isDone(buffer)) {
            device.waitForData(50);
            continue;
        }
        EXPECT_EQ(buffer.bytesRecorded, kBlockLength);
        EXPECT_EQ(buffer.streamPosition, static_cast<int64_t>(captured.size()));
        captured.insert(captured.end(), buffer.data, buffer.data + buffer.bytesRecorded);
        buffer.done = false;
        ASSERT_EQ(device.addBuffer(buffer), 0);
        next = 1 - next;
    }
    ASSERT_EQ(captured.size(), 20u * kBlockLength);
    EXPECT_TRUE(std::equal(captured.begin(), captured.end(), m_input.begin()));

    EXPECT_EQ(device.stop(), 0);
    EXPECT_EQ(device.reset(), 0);
    EXPECT_TRUE(b1.done && b2.done);
    EXPECT_EQ(device.unprepareBuffer(b1), 0);
    EXPECT_EQ(device.unprepareBuffer(b2), 0);
    EXPECT_EQ(device.close(), 0);
    EXPECT_EQ(device.close(), EBADFD);
}

TEST_F(AlsaFilePlugin, CalibrationBufferFillsAcrossSeveralReads)
{
    AlsaCaptureDevice device("fakemic");
    std::vector<uint8_t> ring(kRingLength);
    CaptureBuffer calibration{ring.data(), kCalibrationLength};
    ASSERT_EQ(device.open(), 0);
    ASSERT_EQ(device.prepareBuffer(calibration), 0);
    ASSERT_EQ(device.addBuffer(calibration), 0);
    ASSERT_EQ(device.start(), 0);
    for (int pass = 0; pass < 200 && !device.isDone(calibration); ++pass)
        device.waitForData(50);
    ASSERT_TRUE(calibration.done);
    EXPECT_EQ(calibration.streamPosition, 0);
    EXPECT_TRUE(std::equal(ring.begin(), ring.begin() + kCalibrationLength, m_input.begin()));
    EXPECT_EQ(device.reset(), 0);
    EXPECT_EQ(device.close(), 0);
}

TEST_F(AlsaFilePlugin, PositionsKeepCountingWhenThePcmIsReopened)
{
    // The engine closes the device after every utterance; positions go on
    // from the frames already captured instead of starting again at zero.
    AlsaCaptureDevice device("fakemic");
    std::array<uint8_t, kBlockLength> data{};
    int64_t expected = 0;
    for (int session = 0; session < 3; ++session) {
        ASSERT_EQ(device.open(), 0);
        CaptureBuffer buffer{data.data(), kBlockLength};
        ASSERT_EQ(device.prepareBuffer(buffer), 0);
        for (int block = 0; block <= session; ++block) {
            buffer.done = false;
            ASSERT_EQ(device.addBuffer(buffer), 0);
            ASSERT_EQ(device.start(), 0);
            for (int pass = 0; pass < 200 && !device.isDone(buffer); ++pass)
                device.waitForData(50);
            ASSERT_TRUE(buffer.done);
            EXPECT_EQ(buffer.streamPosition, expected) << session << "/" << block;
            expected += buffer.bytesRecorded;
        }
        EXPECT_EQ(device.stop(), 0);
        EXPECT_EQ(device.reset(), 0);
        EXPECT_EQ(device.unprepareBuffer(buffer), 0);
        EXPECT_EQ(device.close(), 0);
    }
    EXPECT_EQ(expected, 6 * kBlockLength);
}

TEST_F(AlsaFilePlugin, PauseBetweenListensKeepsTheStreamUnlessDiscarded)
{
    // Between listens the engine stops and resets but keeps the PCM open:
    // the next listen goes on with the very next frame captured.
    AlsaCaptureDevice device("fakemic");
    std::array<uint8_t, kBlockLength> data{};
    CaptureBuffer buffer{data.data(), kBlockLength};
    ASSERT_EQ(device.open(), 0);
    ASSERT_EQ(device.prepareBuffer(buffer), 0);
    const Listen first = listen(device, buffer, 2);
    const Listen second = listen(device, buffer, 2);
    const int64_t firstStart = first.positions.front();
    const int64_t secondStart = second.positions.front();
    EXPECT_EQ(firstStart, 0);
    EXPECT_EQ(secondStart, 2 * kBlockLength);
    std::vector<uint8_t> both = first.samples;
    both.insert(both.end(), second.samples.begin(), second.samples.end());
    EXPECT_TRUE(std::equal(both.begin(), both.end(), m_input.begin()));

    // What was captured while stopped is skipped once it is discarded.
    ASSERT_EQ(device.discardCaptured(), 0);
    const Listen third = listen(device, buffer, 1);
    EXPECT_EQ(third.positions.front(), 4 * kBlockLength);  // positions count delivered frames
    EXPECT_FALSE(std::equal(third.samples.begin(), third.samples.end(), m_input.begin() + 4 * kBlockLength));
    EXPECT_EQ(device.unprepareBuffer(buffer), 0);
    EXPECT_EQ(device.close(), 0);
}

TEST_F(AlsaFilePlugin, SixteenBitCaptureIsConvertedAcrossListensAndDiscards)
{
    AlsaCaptureDevice device("fakemic16", CaptureFormat::Converted);
    std::array<uint8_t, kBlockLength> data{};
    CaptureBuffer buffer{data.data(), kBlockLength};
    ASSERT_EQ(device.open(), 0);
    EXPECT_EQ(device.format(), CaptureFormat::Converted);
    EXPECT_EQ(device.pcmRate(), 48000);
    ASSERT_EQ(device.prepareBuffer(buffer), 0);
    CaptureConverter converter(48000);
    std::vector<uint8_t> expected;
    converter.convert(m_input16, expected);

    // Two listens: one stream, numbered on, the converted samples left over
    // from the first listen's last read delivered first in the second.
    const Listen first = listen(device, buffer, 3);
    const Listen second = listen(device, buffer, 4);
    EXPECT_EQ(first.positions, (std::vector<int64_t>{0, kBlockLength, 2 * kBlockLength}));
    EXPECT_EQ(second.positions,
              (std::vector<int64_t>{3 * kBlockLength, 4 * kBlockLength, 5 * kBlockLength, 6 * kBlockLength}));
    std::vector<uint8_t> both = first.samples;
    both.insert(both.end(), second.samples.begin(), second.samples.end());
    ASSERT_LE(both.size(), expected.size());
    EXPECT_TRUE(std::equal(both.begin(), both.end(), expected.begin()));

    // Discarded: neither the PCM's samples nor the converted leftovers come back.
    ASSERT_EQ(device.discardCaptured(), 0);
    const Listen third = listen(device, buffer, 1);
    EXPECT_EQ(third.positions, std::vector<int64_t>{7 * kBlockLength});
    EXPECT_FALSE(std::equal(third.samples.begin(), third.samples.end(), expected.begin() + 7 * kBlockLength));
    EXPECT_EQ(device.unprepareBuffer(buffer), 0);
    EXPECT_EQ(device.close(), 0);
}

TEST_F(AlsaFilePlugin, WaitWithNothingQueuedSleeps)
{
    AlsaCaptureDevice device("fakemic");
    ASSERT_EQ(device.open(), 0);
    ASSERT_EQ(device.start(), 0);
    const auto before = std::chrono::steady_clock::now();
    device.waitForData(15);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(15));
}

TEST_F(AlsaFilePlugin, ListsConfiguredCapturePcmsWithTheirDescriptions)
{
    const auto devices = listCaptureDevices();
    auto named = [&](const std::string& name) {
        return std::find_if(devices.begin(), devices.end(), [&](const auto& d) { return d.name == name; });
    };
    ASSERT_NE(named("fakemic"), devices.end());
    EXPECT_EQ(named("fakemic")->description, "Test microphone");
}

TEST_F(AlsaFilePlugin, PlaysWaveImagesAndResources)
{
    const auto samples = test::rampSignal(5000);
    AlsaSoundPlayer player(LARKSPUR_RESOURCES_DIR, "fakespeaker");
    ASSERT_TRUE(player.playWave(makeWaveImage(samples))) << player.lastError();
    auto out = played();
    ASSERT_GE(out.size(), samples.size());  // the device may pad to whole periods
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), out.begin()));

    ASSERT_TRUE(player.playResource("BEEP")) << player.lastError();
    std::string error;
    auto beep = WavFile::load(std::string(LARKSPUR_RESOURCES_DIR) + "/sounds/BEEP.wav", error);
    ASSERT_TRUE(beep) << error;
    out = played();
    ASSERT_GE(out.size(), beep->data().size());
    EXPECT_TRUE(std::equal(beep->data().begin(), beep->data().end(), out.begin()));

    // Other PCM formats play at their own rate and width.
    const auto stereo = test::WaveBuilder().fmt(1, 2, 44100, 16).data(test::rampSignal(4000)).image();
    EXPECT_TRUE(player.playWave(stereo)) << player.lastError();
}

TEST_F(AlsaFilePlugin, PlayerRefusesBadSoundsAndNames)
{
    AlsaSoundPlayer player(LARKSPUR_RESOURCES_DIR, "fakespeaker");
    EXPECT_FALSE(player.playWave(std::vector<uint8_t>{'R', 'I', 'F', 'F'}));
    EXPECT_EQ(player.lastError(), "not a RIFF WAVE file");
    EXPECT_FALSE(player.playWave(test::WaveBuilder().fmt(3, 1, 11025, 32).data({0, 0, 0, 0}).image()));
    EXPECT_EQ(player.lastError(), "cannot play WAV data that is not PCM (format tag 3), 32-bit mono 11025 Hz");
    EXPECT_FALSE(player.playResource("../sounds/BEEP"));
    EXPECT_FALSE(player.playResource("NO_SUCH_SOUND"));

    AlsaSoundPlayer nowhere(LARKSPUR_RESOURCES_DIR, "no_such_pcm");
    EXPECT_FALSE(nowhere.playWave(makeWaveImage(test::rampSignal(100))));
    EXPECT_EQ(nowhere.lastError(), "cannot play sound: No such file or directory");
}

TEST(AlsaCaptureDevice, MissingPcmFailsWithAlsaText)
{
    AlsaCaptureDevice device("no_such_pcm");
    const int code = device.open();
    EXPECT_EQ(code, ENOENT);
    EXPECT_EQ(device.errorText(code), "No such file or directory");
    EXPECT_EQ(device.errorText(0), "");
    std::array<uint8_t, kBlockLength> data{};
    CaptureBuffer buffer{data.data(), kBlockLength};
    EXPECT_EQ(device.addBuffer(buffer), EBADFD);
    EXPECT_FALSE(device.errorText(EBADFD).empty());
}

TEST(MicrophoneMixer, MixerThatCannotBeOpenedShowsItsText)
{
    test::RecordingMessages messages;
    MicrophoneMixer mixer(&messages, "hw:99");
    EXPECT_FALSE(mixer.SetMicrophoneAutoGain(false));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_FALSE(messages.messages[0].empty());
}

} // namespace
} // namespace larkspur
