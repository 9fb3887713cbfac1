#include "engine/AutoGainControlChoice.h"

#include <gtest/gtest.h>

namespace larkspur {
namespace {

MixerSwitchElement captureSwitch(const std::string& name, std::vector<int> channels, bool joined)
{
    MixerSwitchElement element;
    element.name = name;
    element.hasCaptureSwitch = true;
    element.captureSwitchJoined = joined;
    element.captureChannels = std::move(channels);
    return element;
}

MixerSwitchElement volumeOnly(const std::string& name)
{
    MixerSwitchElement element;
    element.name = name;
    element.captureChannels = {0, 1};
    return element;
}

TEST(AutoGainChoice, PicksTheMicrophoneSwitchAndWritesEveryChannel)
{
    const std::vector<MixerSwitchElement> mixer{
        volumeOnly("Capture"),
        captureSwitch("Line AGC", {0, 1}, false),
        captureSwitch("Mic Auto Gain Control", {0, 1}, false),
        captureSwitch("Rear Mic AGC", {0, 1}, false),
    };
    const auto choice = chooseAutoGainSwitch(mixer);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->element, 2u);
    EXPECT_TRUE(choice->capture);
    EXPECT_EQ(choice->channels, (std::vector<int>{0, 1}));
}

TEST(AutoGainChoice, JoinedSwitchIsWrittenWithOneValueOtherwiseEveryChannel)
{
    const auto joined = chooseAutoGainSwitch({captureSwitch("Internal Mic agc", {0, 1}, true)});
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->channels, (std::vector<int>{0}));

    // More than two channels: every one is written, none left as it was.
    const auto surround = chooseAutoGainSwitch({captureSwitch("Mic AGC", {0, 1, 2, 3}, false)});
    ASSERT_TRUE(surround);
    EXPECT_EQ(surround->channels, (std::vector<int>{0, 1, 2, 3}));
}

TEST(AutoGainChoice, WithoutAMicrophoneSwitchTheLastCandidateIsUsed)
{
    MixerSwitchElement playback;
    playback.name = "AUTO GAIN";
    playback.hasPlaybackSwitch = true;
    playback.playbackChannels = {0};
    const std::vector<MixerSwitchElement> mixer{
        captureSwitch("Line AGC", {0, 1}, false),
        playback,
        volumeOnly("Mic AGC Boost"),  // named right but no switch
    };
    const auto choice = chooseAutoGainSwitch(mixer);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->element, 1u);
    EXPECT_FALSE(choice->capture);
    EXPECT_EQ(choice->channels, (std::vector<int>{0}));
}

TEST(AutoGainChoice, MixerWithoutAnAutomaticGainSwitchGivesNothing)
{
    EXPECT_FALSE(chooseAutoGainSwitch({}));
    EXPECT_FALSE(chooseAutoGainSwitch({captureSwitch("Capture", {0, 1}, false), captureSwitch("Mic Boost", {0}, true),
                                       volumeOnly("Auto Gain Level")}));
}

} // namespace
} // namespace larkspur
