// Handing the engine another capture device: it calibrates on it and keeps it
// only when that works; otherwise it goes on exactly as before.

#include "engine/FileCaptureDevice.h"
#include "engine/ManualClock.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/TVREngine32.h"
#include "engine/VirtualTimePump.h"
#include "SignalBuilder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace larkspur;
using namespace larkspur::test;

namespace {

// A file device that tells when it is closed and destroyed, and can refuse to open.
class WatchedDevice : public FileCaptureDevice {
public:
    explicit WatchedDevice(std::vector<uint8_t> samples, int* destroyed = nullptr)
        : FileCaptureDevice(std::move(samples)), m_destroyed(destroyed)
    {
    }
    ~WatchedDevice() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }
    int open() override { return openError ? openError : FileCaptureDevice::open(); }
    int close() override
    {
        ++closes;
        return FileCaptureDevice::close();
    }
    std::string errorText(int code) override
    {
        return code == kUnplugged ? "No such device" : FileCaptureDevice::errorText(code);
    }

    static constexpr int kUnplugged = 19;
    int openError = 0;
    int closes = 0;

private:
    int* m_destroyed;
};

// A quiet line at `zero`, then one word of ten loud frames.
std::vector<uint8_t> lineWithWord(uint8_t zero)
{
    std::vector<uint8_t> stream(kCalibrationLength, zero);
    SignalBuilder signal(zero);
    signal.padBlocks(2).frames(10, 14080).quietFrames(30).padBlocks(4);
    stream.insert(stream.end(), signal.samples().begin(), signal.samples().end());
    return stream;
}

class CaptureSwitch : public ::testing::Test {
protected:
    TempDir dir;
    RecordingMessages messages;
    ManualClock clock;
    std::function<void()> duringWaits;
    VirtualTimePump pump{clock, [this] {
                             if (duringWaits)
                                 duringWaits();
                         }};
    SilentSoundPlayer sound;
    WatchedDevice first{lineWithWord(128)};
    std::unique_ptr<TVREngine32> engine;

    void SetUp() override
    {
        engine = std::make_unique<TVREngine32>(EnginePlatform{.messages = &messages,
                                                              .capture = &first,
                                                              .sound = &sound,
                                                              .clock = &clock,
                                                              .pump = &pump,
                                                              .sampleStorePath = dir.file("store.tmp")});
        engine->setPlayBack(false);
    }

    // Hands over a device and keeps a pointer to it for the checks.
    bool switchTo(std::unique_ptr<WatchedDevice> device, WatchedDevice** kept = nullptr)
    {
        if (kept)
            *kept = device.get();
        return engine->InitializeWith(std::move(device));
    }
};

TEST_F(CaptureSwitch, NewDeviceIsCalibratedAndListenedTo)
{
    ASSERT_TRUE(engine->Initialize());
    const int64_t firstPosition = first.position();

    WatchedDevice* second = nullptr;
    ASSERT_TRUE(switchTo(std::make_unique<WatchedDevice>(lineWithWord(126)), &second));
    EXPECT_TRUE(engine->Ready());
    EXPECT_EQ(engine->captureDevice(), second);
    // The zero level is the new line's, measured on the new device.
    EXPECT_EQ(engine->calibration().zeroLevel, 126);
    EXPECT_EQ(second->position(), kCalibrationLength);

    ASSERT_TRUE(engine->ListenForUtterance());
    EXPECT_EQ(engine->PlotDataLength(), 2200);
    EXPECT_GT(second->position(), kCalibrationLength);
    EXPECT_EQ(first.position(), firstPosition);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(CaptureSwitch, ReplacedDevicesAreClosedAndOnlyOwnedOnesDestroyed)
{
    ASSERT_TRUE(engine->Initialize());
    // A device somebody left open is closed before the new one is tried.
    ASSERT_EQ(first.open(), 0);
    int destroyed = 0;
    ASSERT_TRUE(switchTo(std::make_unique<WatchedDevice>(lineWithWord(128), &destroyed)));
    EXPECT_FALSE(first.isOpen());
    EXPECT_EQ(destroyed, 0);

    // The platform's device is its owner's; a device the engine was given goes
    // when the next one takes its place, and with the engine.
    int laterDestroyed = 0;
    ASSERT_TRUE(switchTo(std::make_unique<WatchedDevice>(lineWithWord(128), &laterDestroyed)));
    EXPECT_EQ(destroyed, 1);
    engine.reset();
    EXPECT_EQ(laterDestroyed, 1);
}

TEST_F(CaptureSwitch, DeviceThatDoesNotOpenLeavesTheEngineAsItWas)
{
    ASSERT_TRUE(engine->Initialize());
    const CalibrationValues before = engine->calibration();

    int destroyed = 0;
    auto unplugged = std::make_unique<WatchedDevice>(lineWithWord(140), &destroyed);
    unplugged->openError = WatchedDevice::kUnplugged;
    EXPECT_FALSE(engine->InitializeWith(std::move(unplugged)));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"VREngine wiOpenAndStartThr:  No such device"});
    EXPECT_EQ(destroyed, 1);

    EXPECT_TRUE(engine->Ready());
    EXPECT_EQ(engine->captureDevice(), &first);
    EXPECT_EQ(engine->calibration().zeroLevel, before.zeroLevel);
    EXPECT_EQ(engine->calibration().lowThreshold, before.lowThreshold);
    EXPECT_EQ(engine->calibration().highThreshold, before.highThreshold);
    EXPECT_EQ(engine->calibration().zeroCrossingThreshold, before.zeroCrossingThreshold);
    // And it still hears the old microphone.
    ASSERT_TRUE(engine->ListenForUtterance());
    EXPECT_EQ(engine->PlotDataLength(), 2200);
}

TEST_F(CaptureSwitch, UnusableLineKeepsThePreviousStateReadyOrNot)
{
    // Never calibrated: a failed switch does not make the engine ready.
    auto offCentre = std::make_unique<WatchedDevice>(std::vector<uint8_t>(kCalibrationLength, 100));
    EXPECT_FALSE(engine->InitializeWith(std::move(offCentre)));
    EXPECT_FALSE(engine->Ready());
    EXPECT_EQ(engine->captureDevice(), &first);
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{
                  "Sound card does not provide propper zero level!  Can not run recognition engine!"});

    // Calibrated: a line too noisy for every pass does not take readiness away.
    ASSERT_TRUE(engine->Initialize());
    messages.messages.clear();
    std::vector<uint8_t> noisy(11 * kCalibrationLength);
    for (std::size_t i = 0; i < noisy.size(); ++i)
        noisy[i] = static_cast<uint8_t>(i % 2 ? 140 : 116);
    EXPECT_FALSE(engine->InitializeWith(std::make_unique<WatchedDevice>(noisy)));
    EXPECT_EQ(messages.messages.back(), "To much microphone line noise! Can not run voice recognition engine!");
    EXPECT_TRUE(engine->Ready());
    EXPECT_EQ(engine->calibration().zeroLevel, 128);
    EXPECT_EQ(engine->captureDevice(), &first);
}

TEST_F(CaptureSwitch, RefusedWhileTheDeviceIsInUseOrWithoutADevice)
{
    EXPECT_FALSE(engine->InitializeWith(nullptr));
    EXPECT_EQ(engine->captureDevice(), &first);

    // Asked from inside calibration and inside listening, while the engine's
    // buffers are queued on the present device.
    int refusals = 0;
    int destroyed = 0;
    duringWaits = [&] {
        if (engine->InitializeWith(std::make_unique<WatchedDevice>(lineWithWord(128), &destroyed)))
            ADD_FAILURE() << "device replaced during a procedure";
        else
            ++refusals;
    };
    ASSERT_TRUE(engine->Initialize());
    const int duringCalibration = refusals;
    EXPECT_GT(duringCalibration, 0);
    ASSERT_TRUE(engine->ListenForUtterance());
    EXPECT_GT(refusals, duringCalibration);
    duringWaits = nullptr;
    EXPECT_EQ(destroyed, refusals);
    EXPECT_EQ(engine->captureDevice(), &first);
    EXPECT_FALSE(engine->busy());
    EXPECT_EQ(engine->PlotDataLength(), 2200);
}

} // namespace
