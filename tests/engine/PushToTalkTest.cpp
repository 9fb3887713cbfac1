// Push-to-talk in listening mode, driven through a file capture device in
// virtual time: the key goes down and up at chosen positions of the stream.

#include "engine/FileCaptureDevice.h"
#include "engine/ManualClock.h"
#include "engine/PushToTalkGate.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/TVREngine32.h"
#include "engine/VirtualTimePump.h"
#include "SignalBuilder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>

using namespace larkspur;
using namespace larkspur::test;

namespace {

// A file device that moves the talk key as the stream passes given positions:
// when the engine finds a block done, every key event up to the block's end has happened.
class KeyedCaptureDevice : public FileCaptureDevice {
public:
    struct KeyEvent {
        int64_t position;
        bool press;
    };
    KeyedCaptureDevice(std::vector<uint8_t> samples, PushToTalkGate*& gate, std::deque<KeyEvent> events)
        : FileCaptureDevice(std::move(samples)), m_gate(gate), m_events(std::move(events))
    {
    }
    bool isDone(CaptureBuffer& buffer) override
    {
        const bool done = FileCaptureDevice::isDone(buffer);
        if (done && m_gate && buffer.streamPosition >= 0) {
            const int64_t end = buffer.streamPosition + buffer.bytesRecorded;
            while (!m_events.empty() && m_events.front().position <= end) {
                if (m_events.front().press)
                    m_gate->press();
                else
                    m_gate->release();
                m_events.pop_front();
            }
        }
        return done;
    }

private:
    PushToTalkGate*& m_gate;
    std::deque<KeyEvent> m_events;
};

SignalBuilder& addWord(SignalBuilder& signal, int frames = 10)
{
    return signal.frames(frames, 20000).quietFrames(20).padBlocks(1);
}

class PushToTalk : public ::testing::Test {
protected:
    TempDir dir;
    RecordingMessages messages;
    ManualClock clock;
    VirtualTimePump pump{clock, [] {}};
    SilentSoundPlayer sound;
    PushToTalkGate* gate = nullptr;
    std::unique_ptr<KeyedCaptureDevice> device;
    std::unique_ptr<TVREngine32> engine;
    SignalBuilder signal;
    std::deque<KeyedCaptureDevice::KeyEvent> keys;

    PushToTalk()
    {
        signal.padBlocks(1);
        for (int i = 0; i < 4; ++i)
            addWord(signal);  // trains "lights"
    }

    // Stream position of whatever is added to the signal next.
    int64_t here() const { return kCalibrationLength + static_cast<int64_t>(signal.size()); }

    // Calibrates, trains slot 1 from the first four words, and returns the
    // reports of listening mode over the rest of the stream.
    std::vector<UtteranceReport> listen(bool pushToTalk)
    {
        signal.padBlocks(4);
        std::vector<uint8_t> stream(kCalibrationLength + signal.size(), 128);
        std::copy(signal.samples().begin(), signal.samples().end(), stream.begin() + kCalibrationLength);
        engine.reset();
        device = std::make_unique<KeyedCaptureDevice>(stream, gate, keys);
        engine = std::make_unique<TVREngine32>(EnginePlatform{.messages = &messages,
                                                              .capture = device.get(),
                                                              .sound = &sound,
                                                              .clock = &clock,
                                                              .pump = &pump,
                                                              .sampleStorePath = dir.file("store.tmp")});
        gate = &engine->PushToTalk();
        engine->setPlayBack(false);
        engine->setShowMessages(false);
        EXPECT_TRUE(engine->Initialize());
        // Training is not gated: the key stays up throughout.
        gate->setEnabled(pushToTalk);
        engine->setVCRecord(1);
        engine->setVoiceCommand("lights");
        engine->UpdateVCRecord();
        engine->Train();
        EXPECT_TRUE(engine->TableTrained());

        std::vector<UtteranceReport> reports;
        engine->OnUtteranceMatched = [&](const UtteranceReport& r) {
            reports.push_back(r);
            positionsAtReport.push_back(device->position());
        };
        engine->Recognize();  // ends at the end of the stream
        engine->OnUtteranceMatched = nullptr;
        return reports;
    }
    std::vector<int64_t> positionsAtReport;
};

TEST(PushToTalkGate, PressAndReleaseCountHoldsAndIgnoreRepeats)
{
    PushToTalkGate gate;
    EXPECT_FALSE(gate.enabled());
    EXPECT_TRUE(gate.press());
    EXPECT_FALSE(gate.press());  // key repeat: still the same hold
    EXPECT_TRUE(gate.held());
    EXPECT_TRUE(gate.release());
    EXPECT_FALSE(gate.release());
    EXPECT_TRUE(gate.press());
    EXPECT_EQ(gate.snapshot().presses, 2u);
    gate.setEnabled(true);
    EXPECT_TRUE(gate.snapshot().enabled);
    // Turning push-to-talk off forgets a held key, so turning it on again
    // does not start in the middle of a hold nobody is making.
    gate.setEnabled(false);
    EXPECT_FALSE(gate.held());
}

TEST_F(PushToTalk, OnlyWordsBegunWhileTheKeyIsHeldAreHeard)
{
    addWord(signal);  // key up: ignored
    signal.padBlocks(1);
    keys.push_back({here(), true});
    signal.padBlocks(1);
    const int64_t heldWord = here();
    addWord(signal);  // heard, ends by its quiet frames while the key is still down
    signal.padBlocks(2);
    keys.push_back({here(), false});
    signal.padBlocks(1);
    addWord(signal);  // key up again: ignored
    // A word already going when the key goes down began outside the hold.
    const int64_t lateWord = here();
    keys.push_back({lateWord + 2 * kBlockLength, true});
    addWord(signal, 30);
    keys.push_back({here() + kBlockLength, false});
    signal.padBlocks(2);
    keys.push_back({here(), true});
    signal.padBlocks(1);
    const int64_t secondHeld = here();
    addWord(signal);
    signal.padBlocks(2);
    keys.push_back({here(), false});

    const std::vector<UtteranceReport> reports = listen(true);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].streamStart, heldWord);
    EXPECT_EQ(reports[0].match.slot, 1);
    EXPECT_EQ(reports[0].length, 2200);
    EXPECT_EQ(reports[1].streamStart, secondHeld);
    EXPECT_EQ(reports[1].match.slot, 1);
    EXPECT_EQ(engine->LastVoiceCommand(), "lights");
}

TEST_F(PushToTalk, ReleaseEndsTheUtteranceAtOnceAndItIsMatched)
{
    signal.padBlocks(1);
    keys.push_back({here(), true});
    signal.padBlocks(1);
    const int64_t word = here();
    // A long word; the key comes up after exactly its first two blocks.
    signal.frames(50, 20000);
    keys.push_back({word + 2 * kBlockLength, false});
    signal.quietFrames(20).padBlocks(1);
    const int64_t naturalEnd = here();
    addWord(signal);  // key up: ignored

    const std::vector<UtteranceReport> reports = listen(true);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].streamStart, word);
    EXPECT_EQ(reports[0].length, 2 * kBlockLength);
    // Matched as usual: loud and closer to the ten-frame word than a 50-frame word would be.
    EXPECT_EQ(reports[0].meanEnergy, 20000);
    EXPECT_EQ(reports[0].match.slot, 1);
    // Reported long before the end detector could have ended the word (the device
    // fills two blocks ahead of the engine).
    ASSERT_EQ(positionsAtReport.size(), 1u);
    EXPECT_LE(positionsAtReport[0], word + 4 * kBlockLength);
    EXPECT_LT(positionsAtReport[0], naturalEnd);
}

TEST_F(PushToTalk, OffHearsEverythingExactlyAsWithoutTheGate)
{
    for (int i = 0; i < 3; ++i) {
        signal.padBlocks(i + 1);
        keys.push_back({here() + kBlockLength, i % 2 == 0});  // key moves mid-word
        addWord(signal, 20 + 5 * i);
    }
    const std::vector<UtteranceReport> gateOff = listen(false);
    ASSERT_EQ(gateOff.size(), 3u);

    // The same stream on a fresh engine that never sees a key.
    keys.clear();
    positionsAtReport.clear();
    gate = nullptr;
    signal = SignalBuilder();
    signal.padBlocks(1);
    for (int i = 0; i < 4; ++i)
        addWord(signal);
    for (int i = 0; i < 3; ++i) {
        signal.padBlocks(i + 1);
        addWord(signal, 20 + 5 * i);
    }
    const std::vector<UtteranceReport> plain = listen(false);
    ASSERT_EQ(plain.size(), gateOff.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(gateOff[i].streamStart, plain[i].streamStart) << i;
        EXPECT_EQ(gateOff[i].length, plain[i].length) << i;
        EXPECT_EQ(gateOff[i].meanEnergy, plain[i].meanEnergy) << i;
        EXPECT_EQ(gateOff[i].match.slot, plain[i].match.slot) << i;
        EXPECT_EQ(gateOff[i].match.confidence, plain[i].match.confidence) << i;
    }
}

} // namespace
