#include "engine/FileCaptureDevice.h"

#include "engine/EngineTypes.h"
#include "engine/WavFile.h"

#include "tests/engine/TestSupport.h"
#include "tests/engine/WaveBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

namespace larkspur {
namespace {

using Device = FileCaptureDevice;

// The engine's two listening buffers, driven the way its listening loop drives them.
struct ListeningBuffers {
    std::array<uint8_t, kBlockLength> data1{};
    std::array<uint8_t, kBlockLength> data2{};
    CaptureBuffer b1{data1.data(), kBlockLength};
    CaptureBuffer b2{data2.data(), kBlockLength};

    void openAndStart(CaptureDevice& device)
    {
        ASSERT_EQ(device.open(), 0);
        ASSERT_EQ(device.prepareBuffer(b1), 0);
        ASSERT_EQ(device.addBuffer(b1), 0);
        ASSERT_EQ(device.prepareBuffer(b2), 0);
        ASSERT_EQ(device.addBuffer(b2), 0);
        ASSERT_EQ(device.start(), 0);
    }
    void stopAndClose(CaptureDevice& device)
    {
        EXPECT_EQ(device.stop(), 0);
        EXPECT_EQ(device.reset(), 0);
        EXPECT_EQ(device.unprepareBuffer(b1), 0);
        EXPECT_EQ(device.unprepareBuffer(b2), 0);
        EXPECT_EQ(device.close(), 0);
    }
};

std::vector<uint8_t> slice(const std::vector<uint8_t>& samples, int64_t from, int count)
{
    return {samples.begin() + from, samples.begin() + from + count};
}

std::vector<uint8_t> contents(const CaptureBuffer& buffer)
{
    return {buffer.data, buffer.data + buffer.bytesRecorded};
}

TEST(FileCaptureDevice, ListeningBuffersTakeConsecutiveBlocksInQueueOrder)
{
    const auto samples = test::rampSignal(10 * kBlockLength);
    Device device(samples);
    ListeningBuffers buffers;
    buffers.openAndStart(device);
    EXPECT_EQ(device.position(), 2 * kBlockLength);

    // The loop consumes buffers alternately and hands each back at once.
    CaptureBuffer* expected[] = {&buffers.b1, &buffers.b2};
    for (int block = 0; block < 8; ++block) {
        CaptureBuffer& buffer = *expected[block % 2];
        ASSERT_TRUE(device.isDone(buffer));
        EXPECT_EQ(buffer.bytesRecorded, kBlockLength);
        EXPECT_EQ(buffer.streamPosition, int64_t{block} * kBlockLength);
        EXPECT_EQ(contents(buffer), slice(samples, buffer.streamPosition, kBlockLength));
        buffer.done = false;
        ASSERT_EQ(device.addBuffer(buffer), 0) << "block " << block;
    }
    EXPECT_EQ(device.position(), 10 * kBlockLength);
}

TEST(FileCaptureDevice, BlocksQueuedAtStopAreLostAndTheNextOpenContinues)
{
    const auto samples = test::rampSignal(8 * kBlockLength);
    Device device(samples);
    ListeningBuffers buffers;
    buffers.openAndStart(device);
    // The engine copies block 0 out, hands buffer 1 back (block 2), then accepts an utterance.
    buffers.b1.done = false;
    ASSERT_EQ(device.addBuffer(buffers.b1), 0);
    EXPECT_EQ(buffers.b1.streamPosition, 2 * kBlockLength);
    buffers.stopAndClose(device);
    EXPECT_FALSE(device.isOpen());

    // Blocks 1 and 2 sat in buffers nobody read: the stream does not rewind for them.
    ListeningBuffers next;
    next.openAndStart(device);
    EXPECT_EQ(next.b1.streamPosition, 3 * kBlockLength);
    EXPECT_EQ(next.b2.streamPosition, 4 * kBlockLength);
    EXPECT_EQ(contents(next.b1), slice(samples, 3 * kBlockLength, kBlockLength));
    next.stopAndClose(device);
}

TEST(FileCaptureDevice, CalibrationBufferTakesTwoSecondsThenListeningFollows)
{
    const auto samples = test::rampSignal(kCalibrationLength + 3 * kBlockLength);
    Device device(samples);
    std::vector<uint8_t> ring(kRingLength);
    CaptureBuffer calibration{ring.data(), kCalibrationLength};
    ASSERT_EQ(device.open(), 0);
    ASSERT_EQ(device.prepareBuffer(calibration), 0);
    ASSERT_EQ(device.addBuffer(calibration), 0);
    ASSERT_EQ(device.start(), 0);
    ASSERT_TRUE(device.isDone(calibration));
    EXPECT_EQ(calibration.bytesRecorded, kCalibrationLength);
    EXPECT_EQ(calibration.streamPosition, 0);
    EXPECT_EQ(contents(calibration), slice(samples, 0, kCalibrationLength));
    EXPECT_EQ(device.reset(), 0);
    EXPECT_EQ(device.close(), 0);

    ListeningBuffers buffers;
    buffers.openAndStart(device);
    EXPECT_EQ(buffers.b1.streamPosition, kCalibrationLength);
}

TEST(FileCaptureDevice, EndOfInputWhenABufferCannotBeFilled)
{
    const auto samples = test::rampSignal(3 * kBlockLength - 1);
    Device device(samples);
    ListeningBuffers buffers;
    buffers.openAndStart(device);
    buffers.b1.done = false;
    const int code = device.addBuffer(buffers.b1);
    EXPECT_EQ(code, Device::kEndOfInput);
    EXPECT_EQ(device.errorText(code), "end of input");
    EXPECT_FALSE(buffers.b1.done);
    EXPECT_EQ(device.position(), 2 * kBlockLength);

    // A 22050-sample buffer fails the same way when the stream is shorter.
    Device shortStream(test::rampSignal(kCalibrationLength - 1));
    std::vector<uint8_t> ring(kCalibrationLength);
    CaptureBuffer calibration{ring.data(), kCalibrationLength};
    ASSERT_EQ(shortStream.open(), 0);
    ASSERT_EQ(shortStream.prepareBuffer(calibration), 0);
    EXPECT_EQ(shortStream.addBuffer(calibration), Device::kEndOfInput);
    EXPECT_EQ(shortStream.position(), 0);
}

TEST(FileCaptureDevice, OpenFailsOnceLessThanOneBlockRemains)
{
    Device exact(test::rampSignal(3 * kBlockLength));
    ListeningBuffers buffers;
    buffers.openAndStart(exact);
    buffers.stopAndClose(exact);
    ASSERT_EQ(exact.open(), 0);  // one whole block left
    ASSERT_EQ(exact.close(), 0);

    Device exhausted(test::rampSignal(2 * kBlockLength + kBlockLength - 1));
    ListeningBuffers again;
    again.openAndStart(exhausted);
    again.stopAndClose(exhausted);
    const int code = exhausted.open();
    EXPECT_EQ(code, Device::kEndOfInput);
    EXPECT_EQ(exhausted.errorText(code), "end of input");
    EXPECT_FALSE(exhausted.isOpen());

    EXPECT_EQ(Device({}).open(), Device::kEndOfInput);
}

TEST(FileCaptureDevice, ALoopingRecordingStartsOverInsteadOfEnding)
{
    const auto samples = test::rampSignal(2 * kBlockLength + 100);
    Device device(samples);
    device.setLooping(true);
    ListeningBuffers buffers;
    buffers.openAndStart(device);
    // The third block is the last 100 samples and then the recording's start.
    buffers.b1.done = false;
    ASSERT_EQ(device.addBuffer(buffers.b1), 0);
    std::vector<uint8_t> expected = slice(samples, 2 * kBlockLength, 100);
    const std::vector<uint8_t> start = slice(samples, 0, kBlockLength - 100);
    expected.insert(expected.end(), start.begin(), start.end());
    EXPECT_EQ(contents(buffers.b1), expected);
    EXPECT_EQ(buffers.b1.streamPosition, 2 * kBlockLength);
    EXPECT_EQ(device.position(), 3 * kBlockLength);
    buffers.stopAndClose(device);

    // It opens again and again where a plain recording would have ended.
    for (int session = 0; session < 3; ++session) {
        buffers.openAndStart(device);
        buffers.stopAndClose(device);
    }
    EXPECT_EQ(device.position(), 9 * kBlockLength);
    EXPECT_EQ(Device({}).open(), Device::kEndOfInput);
}

TEST(FileCaptureDevice, MisuseGivesCodesWithText)
{
    Device device(test::rampSignal(5 * kBlockLength));
    EXPECT_EQ(device.deviceCount(), 1);
    std::array<uint8_t, kBlockLength> data{};
    CaptureBuffer buffer{data.data(), kBlockLength};
    EXPECT_EQ(device.addBuffer(buffer), Device::kNotOpen);
    EXPECT_EQ(device.close(), Device::kNotOpen);
    ASSERT_EQ(device.open(), 0);
    EXPECT_EQ(device.open(), Device::kAlreadyOpen);
    EXPECT_EQ(device.errorText(Device::kAlreadyOpen), "device already open");
    EXPECT_EQ(device.addBuffer(buffer), Device::kNotPrepared);
    CaptureBuffer empty;
    EXPECT_EQ(device.prepareBuffer(empty), Device::kInvalidBuffer);
    EXPECT_EQ(device.position(), 0);  // refused buffers take no samples
    EXPECT_EQ(device.errorText(0), "");
    EXPECT_EQ(device.errorText(99), "capture error 99");
}

TEST(FileCaptureDevice, ReadsItsSamplesFromAWavFile)
{
    test::TempDir dir;
    const auto samples = test::rampSignal(2 * kBlockLength);
    test::writeBytes(dir.file("in.wav"), makeWaveImage(samples));
    std::string error;
    auto device = Device::fromWavFile(dir.file("in.wav"), error);
    ASSERT_TRUE(device) << error;
    EXPECT_EQ(device->remaining(), 2 * kBlockLength);

    test::writeBytes(dir.file("stereo.wav"), test::WaveBuilder().fmt(1, 2, 11025, 8).data({1, 2}).image());
    EXPECT_FALSE(Device::fromWavFile(dir.file("stereo.wav"), error));
    EXPECT_NE(error.find(": stereo; larkspur needs 8-bit unsigned mono at 11025 Hz"), std::string::npos) << error;
}

// Real-time pacing, with 10 ms blocks so the test stays fast. Only order and
// lower bounds are asserted: a loaded machine may be late, never early.
TEST(FileCaptureDeviceRealTime, BuffersBecomeDoneInOrderAndNotBeforeTheirTime)
{
    constexpr int kShortBlock = 110;  // about 10 ms
    const auto blockTime = std::chrono::nanoseconds(int64_t{kShortBlock} * 1'000'000'000 / kSampleRate);
    Device device(test::rampSignal(kBlockLength), Device::Pacing::RealTime);
    std::array<uint8_t, kShortBlock> data1{}, data2{};
    CaptureBuffer b1{data1.data(), kShortBlock}, b2{data2.data(), kShortBlock};
    ASSERT_EQ(device.open(), 0);
    ASSERT_EQ(device.prepareBuffer(b1), 0);
    ASSERT_EQ(device.prepareBuffer(b2), 0);
    ASSERT_EQ(device.addBuffer(b1), 0);
    ASSERT_EQ(device.addBuffer(b2), 0);
    EXPECT_EQ(b1.streamPosition, 0);  // the samples are taken at queue time
    EXPECT_EQ(b2.streamPosition, kShortBlock);

    // Nothing arrives before the device is started.
    std::this_thread::sleep_for(2 * blockTime);
    EXPECT_FALSE(device.isDone(b1));

    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(device.start(), 0);
    std::chrono::steady_clock::duration doneAfter[2]{};
    int waits = 0;
    while (!(device.isDone(b1) && device.isDone(b2)) && waits < 100) {
        if (!b1.done) {
            EXPECT_FALSE(b2.done) << "the second buffer overtook the first";
        }
        device.waitForData(1000);
        ++waits;
        const auto now = std::chrono::steady_clock::now() - started;
        if (device.isDone(b1) && doneAfter[0] == doneAfter[0].zero())
            doneAfter[0] = now;
        if (device.isDone(b2) && doneAfter[1] == doneAfter[1].zero())
            doneAfter[1] = now;
    }
    ASSERT_TRUE(b1.done && b2.done);
    EXPECT_GE(doneAfter[0], blockTime);
    EXPECT_GE(doneAfter[1], 2 * blockTime);
    EXPECT_LE(doneAfter[0], doneAfter[1]);
    // The wait sleeps up to each due time instead of returning early and spinning.
    EXPECT_LE(waits, 6);

    // A buffer handed back is paced from the moment it is queued again.
    b1.done = false;
    const auto handedBack = std::chrono::steady_clock::now();
    ASSERT_EQ(device.addBuffer(b1), 0);
    EXPECT_EQ(b1.streamPosition, 2 * kShortBlock);
    while (!device.isDone(b1))
        device.waitForData(1000);
    EXPECT_GE(std::chrono::steady_clock::now() - handedBack, blockTime);
}

TEST(FileCaptureDeviceRealTime, WaitWithNothingQueuedSleepsAndResetHandsBuffersBack)
{
    Device device(test::rampSignal(4 * kBlockLength), Device::Pacing::RealTime);
    ASSERT_EQ(device.open(), 0);
    ASSERT_EQ(device.start(), 0);
    const auto before = std::chrono::steady_clock::now();
    device.waitForData(15);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(15));

    ListeningBuffers buffers;
    ASSERT_EQ(device.prepareBuffer(buffers.b1), 0);
    ASSERT_EQ(device.addBuffer(buffers.b1), 0);
    EXPECT_FALSE(device.isDone(buffers.b1));
    EXPECT_EQ(device.unprepareBuffer(buffers.b1), Device::kStillQueued);
    EXPECT_EQ(device.reset(), 0);
    EXPECT_TRUE(buffers.b1.done);
    EXPECT_EQ(contents(buffers.b1), slice(test::rampSignal(kBlockLength), 0, kBlockLength));
    EXPECT_EQ(device.unprepareBuffer(buffers.b1), 0);
    EXPECT_EQ(device.close(), 0);
}

} // namespace
} // namespace larkspur
