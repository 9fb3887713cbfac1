// Calibration, the listening loop, training and recognition, driven through a
// file capture device in virtual time with synthetic signals.

#include "engine/FileCaptureDevice.h"
#include "engine/ManualClock.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/TVREngine32.h"
#include "engine/VirtualTimePump.h"
#include "SignalBuilder.h"
#include "TestSupport.h"

#include <functional>
#include <gtest/gtest.h>

#include <memory>

using namespace larkspur;
using namespace larkspur::test;

namespace {

const std::string kPleaseBeQuiet =
    "Please make sure you are not talking during this process. If you see this message more than once, "
    "please lower your microphone recording volume (gain) in your mixer control. Then continue with this process.";
const std::string kTooNoisy = "To much microphone line noise! Can not run voice recognition engine!";
const std::string kBadZero = "Sound card does not provide propper zero level!  Can not run recognition engine!";

class RecordingView : public CalibrationView {
public:
    void show() override { calls.push_back("show"); }
    void hide() override { calls.push_back("hide"); }
    void restartProgress() override { calls.push_back("restart"); }
    void close() override { calls.push_back("close"); }
    std::vector<std::string> calls;
};

// Counts how the engine opens, closes and empties the device; can fail the
// n-th start().
class CountingDevice : public FileCaptureDevice {
public:
    using FileCaptureDevice::FileCaptureDevice;
    int open() override
    {
        ++opens;
        return FileCaptureDevice::open();
    }
    int close() override
    {
        ++closes;
        return FileCaptureDevice::close();
    }
    int start() override
    {
        if (++starts == failingStart)
            return kReadError;
        return FileCaptureDevice::start();
    }
    int discardCaptured() override
    {
        ++discards;
        discardedWhileOpen += isOpen();
        return 0;
    }
    int opens = 0, closes = 0, starts = 0, discards = 0, discardedWhileOpen = 0;
    int failingStart = 0;
};

// A player the microphone hears once `loud` is set.
class SwitchableSoundPlayer : public SilentSoundPlayer {
public:
    bool audible() const override { return loud; }
    bool playResource(const std::string& name) override
    {
        const bool played = SilentSoundPlayer::playResource(name);
        if (whileResource)
            whileResource();
        return played;
    }
    bool loud = false;
    std::function<void()> whileResource;
};

class NoDevice : public FileCaptureDevice {
public:
    NoDevice() : FileCaptureDevice(std::vector<uint8_t>(100000, 128)) {}
    int deviceCount() override { return 0; }
};

// Alternating zero +- deviation: RMS deviation exactly `deviation`, mean at zero.
std::vector<uint8_t> alternatingLine(int passes, int zero, int deviation)
{
    std::vector<uint8_t> line(static_cast<std::size_t>(passes) * kCalibrationLength);
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<uint8_t>(i % 2 ? zero + deviation : zero - deviation);
    return line;
}

class EngineAudio : public ::testing::Test {
protected:
    TempDir dir;
    RecordingMessages messages;
    ManualClock clock;
    std::vector<std::string> statuses;
    VirtualTimePump pump{clock, [this] { noteStatus(); }};
    SwitchableSoundPlayer sound;
    RecordingView view;
    std::unique_ptr<FileCaptureDevice> device;
    std::unique_ptr<TVREngine32> engine;

    void start(std::vector<uint8_t> stream, std::unique_ptr<FileCaptureDevice> custom = nullptr)
    {
        device = custom ? std::move(custom) : std::make_unique<FileCaptureDevice>(std::move(stream));
        engine = std::make_unique<TVREngine32>(EnginePlatform{.messages = &messages,
                                                              .capture = device.get(),
                                                              .sound = &sound,
                                                              .clock = &clock,
                                                              .pump = &pump,
                                                              .calibrationView = &view,
                                                              .sampleStorePath = dir.file("store.tmp")});
    }

    // Calibration on a perfectly quiet line, then `signal`.
    template <typename Device = FileCaptureDevice>
    void startCalibrated(const SignalBuilder& signal)
    {
        std::vector<uint8_t> stream(kCalibrationLength, 128);
        stream.insert(stream.end(), signal.samples().begin(), signal.samples().end());
        start({}, std::make_unique<Device>(std::move(stream)));
        ASSERT_TRUE(engine->Initialize());
        messages.messages.clear();
        statuses.clear();
    }

    // Trains slot 1 ("lights") from the first four repetitions of the stream.
    void trainLights()
    {
        engine->setPlayBack(false);
        engine->setShowMessages(false);
        engine->setVCRecord(1);
        engine->setVoiceCommand("lights");
        engine->UpdateVCRecord();
        engine->Train();
        ASSERT_TRUE(engine->TableTrained());
    }

    void noteStatus()
    {
        if (engine && (statuses.empty() || statuses.back() != engine->Status()))
            statuses.push_back(engine->Status());
    }
};

// ---------------------------------------------------------------------------
// Calibration

TEST_F(EngineAudio, QuietLineCalibratesAfterThreeSecondPause)
{
    start(std::vector<uint8_t>(kCalibrationLength, 128));
    ASSERT_TRUE(engine->Initialize());
    EXPECT_TRUE(engine->Ready());
    const CalibrationValues& c = engine->calibration();
    EXPECT_EQ(c.zeroLevel, 128);
    EXPECT_EQ(c.zeroCrossingThreshold, 15);
    EXPECT_EQ(c.lowThreshold, 1980);
    EXPECT_EQ(c.highThreshold, 10780);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(clock.tickCount(), 3000u);
    EXPECT_EQ(device->position(), kCalibrationLength);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"show", "close"}));
}

TEST_F(EngineAudio, NoDeviceFailsWithGatedMessage)
{
    start({}, std::make_unique<NoDevice>());
    EXPECT_FALSE(engine->Initialize());
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{"No sound system installed in computer system. Can not use application."});
    EXPECT_TRUE(view.calls.empty());

    messages.messages.clear();
    engine->setShowMessages(false);
    EXPECT_FALSE(engine->Initialize());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(EngineAudio, TalkingThroughEveryPassGivesElevenWarningsThenFails)
{
    start(alternatingLine(11, 128, 10));  // N = 10
    engine->setShowMessages(false);       // these messages are not gated
    EXPECT_FALSE(engine->Initialize());
    ASSERT_EQ(messages.messages.size(), 12u);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(messages.messages[i], kPleaseBeQuiet);
    EXPECT_EQ(messages.messages[11], kTooNoisy);
    EXPECT_FALSE(engine->Ready());
    EXPECT_EQ(clock.tickCount(), 12 * 3000u);
    EXPECT_EQ(view.calls.back(), "close");
}

TEST_F(EngineAudio, NoiseOfExactlyEightRepeatsAtOnce)
{
    start(alternatingLine(11, 128, 8));  // N = 8.0: neither noisy nor quiet
    EXPECT_FALSE(engine->Initialize());
    EXPECT_EQ(messages.messages, std::vector<std::string>{kTooNoisy});
    EXPECT_EQ(clock.tickCount(), 3000u);
    EXPECT_EQ(device->position(), 11 * kCalibrationLength);
}

TEST_F(EngineAudio, NoisyFirstPassThenQuietSucceeds)
{
    std::vector<uint8_t> stream = alternatingLine(1, 128, 10);
    const std::vector<uint8_t> quiet = alternatingLine(1, 128, 2);  // N = 2
    stream.insert(stream.end(), quiet.begin(), quiet.end());
    start(stream);
    ASSERT_TRUE(engine->Initialize());
    EXPECT_EQ(messages.messages, std::vector<std::string>{kPleaseBeQuiet});
    EXPECT_EQ(view.calls, (std::vector<std::string>{"show", "hide", "show", "restart", "close"}));
    EXPECT_EQ(clock.tickCount(), 6000u);
    // N = 2: (5)^2 x 220 and (11)^2 x 220; a crossing at every sample.
    EXPECT_EQ(engine->calibration().lowThreshold, 5500);
    EXPECT_EQ(engine->calibration().highThreshold, 26620);
    EXPECT_EQ(engine->calibration().zeroCrossingThreshold, 240);
}

TEST_F(EngineAudio, ZeroLevelMustBeWithinTenOfMiddle)
{
    for (const int zero : {117, 118, 138, 139}) {
        messages.messages.clear();
        start(std::vector<uint8_t>(kCalibrationLength, static_cast<uint8_t>(zero)));
        const bool expectOk = zero >= 118 && zero <= 138;
        EXPECT_EQ(engine->Initialize(), expectOk) << zero;
        if (expectOk) {
            EXPECT_EQ(engine->calibration().zeroLevel, zero);
            EXPECT_TRUE(messages.messages.empty());
        } else {
            EXPECT_EQ(messages.messages, std::vector<std::string>{kBadZero}) << zero;
        }
    }
}

TEST_F(EngineAudio, FailedRecalibrationLeavesEngineNotReady)
{
    std::vector<uint8_t> stream(kCalibrationLength, 128);
    stream.insert(stream.end(), kCalibrationLength, 100);
    start(stream);
    ASSERT_TRUE(engine->Initialize());
    EXPECT_FALSE(engine->Initialize());
    EXPECT_FALSE(engine->Ready());
}

// ---------------------------------------------------------------------------
// Listening

TEST_F(EngineAudio, AcceptsUtteranceAndDeliversIt)
{
    SignalBuilder signal;
    signal.padBlocks(2).frames(10, 14080).quietFrames(30).padBlocks(4);
    startCalibrated(signal);
    int plotEvents = 0;
    engine->OnValidPlotData = [&](TVREngine32& e) {
        ++plotEvents;
        EXPECT_EQ(e.PlotDataLength(), 2200);
    };

    ASSERT_TRUE(engine->ListenForUtterance());
    EXPECT_EQ(plotEvents, 1);
    EXPECT_EQ(engine->PlotDataLength(), 2200);
    // Exactly the ten loud frames, which start after two quiet blocks.
    const std::vector<uint8_t> expected(signal.samples().begin() + 2 * kBlockLength,
                                        signal.samples().begin() + 2 * kBlockLength + 2200);
    const auto samples = engine->utteranceSamples();
    EXPECT_EQ(std::vector<uint8_t>(samples.begin(), samples.end()), expected);
    EXPECT_EQ(engine->PlotData(), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(engine->Status(), "Idle");
    EXPECT_EQ(engine->LastSndByte(), 0);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Listening", "Recording"}));

    // Played back by default: a 44-byte header and the samples.
    ASSERT_EQ(sound.waves.size(), 1u);
    EXPECT_EQ(sound.waves[0].size(), 44u + 2200u);

    // The speech ends at 22050 + 2640 + 2200; twelve quiet frames later the end is
    // found in the block that ends at 29970, and the two blocks queued after it are lost.
    EXPECT_EQ(device->position(), 29970 + 2640);
}

TEST_F(EngineAudio, ShortClickIsDiscardedWithinTheSameCall)
{
    SignalBuilder signal;
    signal.padBlocks(1).frames(6, 14080).quietFrames(30).frames(9, 20000).quietFrames(30).padBlocks(4);
    startCalibrated(signal);
    engine->setPlayBack(false);
    ASSERT_TRUE(engine->ListenForUtterance());
    EXPECT_EQ(engine->PlotDataLength(), 9 * 220);
    EXPECT_TRUE(sound.waves.empty());
}

TEST_F(EngineAudio, LongSpeechIsCutAtOnePointTwoSeconds)
{
    SignalBuilder signal;
    signal.padBlocks(1).frames(80, 14080).quietFrames(30).padBlocks(4);
    startCalibrated(signal);
    ASSERT_TRUE(engine->ListenForUtterance());
    EXPECT_EQ(engine->PlotDataLength(), kMaxUtteranceLength);
}

TEST_F(EngineAudio, NotReadyReturnsAtOnceWithoutDevice)
{
    start(std::vector<uint8_t>(100000, 128));
    EXPECT_FALSE(engine->ListenForUtterance());
    EXPECT_EQ(device->position(), 0);
    EXPECT_EQ(engine->Status(), "Idle");
    // Recognize and Train on an uncalibrated engine return instead of spinning.
    engine->setVCRecord(1);
    engine->setVoiceCommand("x");
    engine->UpdateVCRecord();
    engine->SetSampleTrained(1, 1);
    engine->Recognize();
    engine->Train();
    EXPECT_EQ(device->position(), 0);
}

TEST_F(EngineAudio, EndOfInputAtOpenIsReportedAfterElevenAttempts)
{
    SignalBuilder signal;
    signal.quiet(1000);
    startCalibrated(signal);
    const uint32_t before = clock.tickCount();
    EXPECT_FALSE(engine->ListenForUtterance());
    EXPECT_EQ(messages.messages, std::vector<std::string>{"VREngine wiOpenAndStart:  end of input"});
    EXPECT_TRUE(engine->stopRequested());
    EXPECT_EQ(clock.tickCount() - before, 10 * 50u);
    EXPECT_EQ(engine->Status(), "Idle");
}

TEST_F(EngineAudio, EndOfInputWhileListeningStopsSilentlyWithoutMessages)
{
    SignalBuilder signal;
    signal.quiet(3 * kBlockLength);
    startCalibrated(signal);
    engine->setShowMessages(false);
    EXPECT_FALSE(engine->ListenForUtterance());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(engine->stopRequested());
    EXPECT_FALSE(device->isOpen());
}

TEST_F(EngineAudio, HandBackFailureIsReportedUnderItsName)
{
    SignalBuilder signal;
    signal.quiet(3 * kBlockLength);
    startCalibrated(signal);
    EXPECT_FALSE(engine->ListenForUtterance());
    EXPECT_EQ(messages.messages, std::vector<std::string>{"VREngine wiAddBuffer:  end of input"});
}

// ---------------------------------------------------------------------------
// Training and recognition

// Four repetitions separated by quiet line.
SignalBuilder& addRepetition(SignalBuilder& signal, int32_t energy, bool noisy = false)
{
    return signal.frames(10, energy, noisy).quietFrames(20).padBlocks(1);
}

TEST_F(EngineAudio, TrainingClassifiesByMeanEnergyThenVerifies)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    addRepetition(signal, 3000, true);  // ignored without a word
    addRepetition(signal, 12000);       // too quiet
    for (int i = 0; i < 4; ++i)
        addRepetition(signal, 12001);   // three samples and the check
    signal.padBlocks(4);
    startCalibrated(signal);
    engine->setPlayBack(false);
    engine->setVCRecord(3);
    engine->setVoiceCommand("hello");
    engine->setCommandString("hi");
    engine->UpdateVCRecord();

    std::vector<int> trained;
    engine->OnTrained = [&](TVREngine32& e) { trained.push_back(e.LastTrainedSample()); };
    engine->Train();

    EXPECT_EQ(trained, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{"Please say hello louder!", "You trained hello well!"}));
    EXPECT_EQ(sound.resources, std::vector<std::string>(6, "BEEP"));
    const VoiceCommandRecord* record = engine->table().record(3);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->trained, 1);
    for (const auto& sample : record->samples) {
        EXPECT_EQ(sample.present, 1);
        EXPECT_EQ(sample.frameCount, 10);
        EXPECT_EQ(sample.meanEnergy, 12001);
    }
    EXPECT_EQ(engine->LastVC(), 3);
    EXPECT_EQ(engine->LastVoiceCommand(), "hello");
    EXPECT_EQ(engine->Status(), "Idle");
    EXPECT_FALSE(engine->stopRequested());
    // The last stored repetition is kept for playback.
    ASSERT_TRUE(engine->LoadSample(3));
    EXPECT_EQ(engine->PlotDataLength(), 2200);
}

TEST_F(EngineAudio, RecognitionIgnoresQuietUtterancesAndReportsMatches)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < 4; ++i)
        addRepetition(signal, 20000);
    addRepetition(signal, 3000, true);  // too quiet to match
    addRepetition(signal, 3001, true);  // matched against the table, no command
    addRepetition(signal, 20000);       // recognised
    signal.padBlocks(4);
    startCalibrated(signal);
    trainLights();

    std::vector<UtteranceReport> reports;
    engine->OnUtteranceMatched = [&](const UtteranceReport& r) { reports.push_back(r); };
    int recognitions = 0;
    engine->OnRecognition = [&](TVREngine32& e) {
        ++recognitions;
        EXPECT_EQ(e.Status(), "Thinking");
        e.StopListening();
    };
    engine->Recognize();

    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].meanEnergy, 3001);
    EXPECT_EQ(reports[0].match.slot, 0);
    EXPECT_EQ(reports[1].match.slot, 1);
    EXPECT_EQ(reports[1].match.confidence, 100);
    EXPECT_EQ(reports[1].length, 2200);
    EXPECT_EQ(recognitions, 1);
    EXPECT_EQ(engine->LastVC(), 1);
    EXPECT_EQ(engine->LastVoiceCommand(), "lights");
    EXPECT_EQ(engine->LastConfidence(), 100);
    EXPECT_EQ(engine->Status(), "Idle");
    EXPECT_FALSE(engine->stopRequested());
}

TEST_F(EngineAudio, ReportedStartsAreStreamPositionsAcrossReopenedListens)
{
    // Every utterance is heard in its own open/close of the device; its start
    // must still be its sample index in the whole captured stream.
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < 4; ++i)
        addRepetition(signal, 20000);
    std::vector<int64_t> wordStarts;
    for (int i = 0; i < 3; ++i) {
        signal.padBlocks(i + 1);  // uneven gaps, so each word sits elsewhere in its block
        signal.quietFrames(3 * i + 1);
        wordStarts.push_back(kCalibrationLength + static_cast<int64_t>(signal.size()));
        addRepetition(signal, 20000);
    }
    signal.padBlocks(4);
    startCalibrated(signal);
    trainLights();

    std::vector<int64_t> starts;
    engine->OnUtteranceMatched = [&](const UtteranceReport& r) {
        starts.push_back(r.streamStart);
        if (starts.size() == wordStarts.size())
            engine->StopListening();
    };
    engine->Recognize();
    ASSERT_EQ(starts.size(), wordStarts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        // The detector starts on a frame boundary at or just before the word.
        EXPECT_LE(starts[i], wordStarts[i]) << i;
        EXPECT_GT(starts[i], wordStarts[i] - 2 * kFrameLength) << i;
    }
}

TEST_F(EngineAudio, DeviceStaysOpenAcrossTheListensOfOneTrainOrRecognize)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < 7; ++i)
        addRepetition(signal, 20000);
    signal.padBlocks(4);
    startCalibrated<CountingDevice>(signal);
    auto& counted = static_cast<CountingDevice&>(*device);
    const int calibrationOpens = counted.opens;
    ASSERT_EQ(counted.closes, calibrationOpens);

    // Four listens, one open; the silent beeps throw nothing away.
    trainLights();
    EXPECT_EQ(counted.opens, calibrationOpens + 1);
    EXPECT_EQ(counted.closes, counted.opens);
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(counted.discards, 0);
    EXPECT_EQ(sound.resources.size(), 4u);

    // Heard playback is thrown away after each utterance, the device still open.
    sound.loud = true;
    engine->setPlayBack(true);
    int heard = 0;
    engine->OnUtteranceMatched = [&](const UtteranceReport&) {
        if (++heard == 3)
            engine->StopListening();
    };
    engine->Recognize();
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(counted.opens, calibrationOpens + 2);
    EXPECT_EQ(counted.closes, counted.opens);
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(sound.waves.size(), 3u);
    EXPECT_EQ(counted.discards, 3);
    EXPECT_EQ(counted.discardedWhileOpen, 3);
    // Outside a listening loop there is nothing to throw away.
    engine->discardHeardAudio();
    EXPECT_EQ(counted.discards, 3);
}

TEST_F(EngineAudio, AudibleBeepBeforeEachRepetitionIsThrownAway)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < 4; ++i)
        addRepetition(signal, 20000);
    signal.padBlocks(4);
    startCalibrated<CountingDevice>(signal);
    auto& counted = static_cast<CountingDevice&>(*device);
    sound.loud = true;
    trainLights();
    EXPECT_EQ(sound.resources, std::vector<std::string>(4, "BEEP"));
    // The first beep comes before the device is opened.
    EXPECT_EQ(counted.discards, 3);
    EXPECT_EQ(counted.discardedWhileOpen, 3);
}

// The user closes the window or cancels training while a beep plays: the
// stop asked for then ends the loop instead of being forgotten when the
// next listen begins (which left the program listening after its window
// had closed).
TEST_F(EngineAudio, StopAskedForDuringABeepEndsTrainingAndListening)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < 8; ++i)
        addRepetition(signal, 20000);
    signal.padBlocks(4);
    startCalibrated(signal);
    engine->setPlayBack(false);
    engine->setShowMessages(false);
    engine->setBeepBeforeTrain(true);
    engine->setVCRecord(1);
    engine->setVoiceCommand("lights");
    engine->UpdateVCRecord();

    // Cancelled at the second beep: only the first repetition is kept.
    int trained = 0;
    engine->OnTrained = [&](TVREngine32&) { ++trained; };
    sound.whileResource = [&] {
        if (sound.resources.size() == 2)
            engine->StopListening();
    };
    engine->Train();
    EXPECT_EQ(trained, 1);
    EXPECT_EQ(sound.resources.size(), 2u);

    sound.whileResource = nullptr;
    engine->Train();  // the rest of the training
    EXPECT_EQ(trained, 3);
    ASSERT_TRUE(engine->TableTrained());

    // Listening stopped during its opening beep hears nothing.
    sound.resources.clear();
    sound.whileResource = [&] { engine->StopListening(); };
    int heard = 0;
    engine->OnUtteranceMatched = [&](const UtteranceReport&) { ++heard; };
    engine->Recognize();
    EXPECT_EQ(heard, 0);
    EXPECT_EQ(sound.resources.size(), 1u);
    EXPECT_EQ(engine->status(), EngineStatus::Idle);
}

TEST_F(EngineAudio, FailureToResumeTheHeldDeviceIsReportedAndClosesIt)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < 6; ++i)
        addRepetition(signal, 20000);
    signal.padBlocks(4);
    startCalibrated<CountingDevice>(signal);
    auto& counted = static_cast<CountingDevice&>(*device);
    trainLights();
    messages.messages.clear();
    engine->setShowMessages(true);
    counted.failingStart = counted.starts + 2;  // the second listen of Recognize
    int heard = 0;
    engine->OnUtteranceMatched = [&](const UtteranceReport&) { ++heard; };
    engine->Recognize();
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{"VREngine wiStart:  the recording could not be read to its end"});
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(counted.closes, counted.opens);
    EXPECT_EQ(engine->Status(), "Idle");
}

TEST_F(EngineAudio, StopAfterRecognizeEndsOnUnmatchedLoudUtterance)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < 4; ++i)
        addRepetition(signal, 20000);
    // Far too long to match a 10-frame sample, but loud.
    signal.frames(40, 20000).quietFrames(20).padBlocks(1);
    addRepetition(signal, 20000);
    signal.padBlocks(4);
    startCalibrated(signal);
    trainLights();

    int recognitions = 0;
    engine->OnRecognition = [&](TVREngine32&) { ++recognitions; };
    engine->setStopAfterRecognize(true);
    engine->Recognize();
    EXPECT_EQ(recognitions, 0);
    EXPECT_EQ(engine->Status(), "Idle");
    // The matching utterance after it is still in the stream.
    EXPECT_GT(device->remaining(), 2200);
}

TEST_F(EngineAudio, RecognizeOnUntrainedTableOnlyShowsMessage)
{
    startCalibrated(SignalBuilder().padBlocks(10));
    engine->Recognize();
    EXPECT_EQ(messages.messages, std::vector<std::string>{"The table is not trained! Please train voice commands!"});
    EXPECT_EQ(device->position(), kCalibrationLength);
}

} // namespace
