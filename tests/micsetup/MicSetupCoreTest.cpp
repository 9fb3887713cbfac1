// The set-up program's pure parts: the device list from recorded hint
// listings, and the microphone check against recordings from the corpus.

#include "engine/WavFile.h"
#include "micsetup/CaptureChoices.h"
#include "micsetup/MicrophoneCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace larkspur;

namespace {

std::string readText(const std::string& name)
{
    std::ifstream in(std::string(MICSETUP_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> namesOf(const std::vector<CaptureChoice>& choices)
{
    std::vector<std::string> names;
    for (const CaptureChoice& c : choices)
        names.push_back(c.name);
    return names;
}

} // namespace

TEST(CaptureChoices, LaptopWithSoundServerListsDefaultServersAndEachCardOnce)
{
    const auto hints = parseHintListing(readText("laptop-pipewire.txt"));
    ASSERT_EQ(hints.size(), 21u);
    EXPECT_EQ(hints[11].name, "hw:CARD=PCH,DEV=0");
    EXPECT_EQ(hints[11].description, "HDA Intel PCH, ALC3246 Analog\nDirect hardware device without any conversions");

    const auto choices = recognisableCaptureDevices(hints, "hw:CARD=Webcam,DEV=0");
    EXPECT_EQ(namesOf(choices), (std::vector<std::string>{"default", "pipewire", "pulse", "hw:CARD=PCH,DEV=0",
                                                          "hw:CARD=Webcam,DEV=0"}));
    EXPECT_EQ(choices[0].label, "System default: Default ALSA Output (currently PipeWire Media Server)");
    EXPECT_EQ(choices[3].label, "HDA Intel PCH, ALC3246 Analog (hw:CARD=PCH,DEV=0)");
    EXPECT_EQ(choices[4].label, "USB Webcam C270, USB Audio (hw:CARD=Webcam,DEV=0)");
    int marked = 0;
    for (const CaptureChoice& c : choices)
        marked += c.inUse;
    EXPECT_EQ(marked, 1);
    EXPECT_TRUE(choices[4].inUse);
}

TEST(CaptureChoices, WindowsLineEndsBlankLinesAndDirectionsAreHandled)
{
    auto hints = parseHintListing(readText("usb-only-crlf.txt"));
    ASSERT_EQ(hints.size(), 4u);
    EXPECT_EQ(hints[1].description, "USB PnP Sound Device, USB Audio\nDirect hardware device without any conversions");
    hints.push_back(PcmHint{"hw:CARD=HDMI,DEV=3", "HDA Intel HDMI, HDMI 0", "Output"});
    hints.push_back(PcmHint{"hw:CARD=Device,DEV=0", "duplicate", ""});
    const auto choices = recognisableCaptureDevices(hints, "default");
    // No "default" hint here, but the device in use must still be listed and marked.
    EXPECT_EQ(namesOf(choices), (std::vector<std::string>{"hw:CARD=Device,DEV=0", "default"}));
    EXPECT_EQ(choices[0].label, "USB PnP Sound Device, USB Audio (hw:CARD=Device,DEV=0)");
    EXPECT_FALSE(choices[1].present);
    EXPECT_TRUE(choices[1].inUse);
}

TEST(CaptureChoices, NoSoundSystemGivesNoChoicesAndOddListingsDoNotConfuseTheParser)
{
    EXPECT_TRUE(recognisableCaptureDevices({}, "").empty());
    EXPECT_TRUE(parseHintListing("").empty());
    // Description lines before any name are dropped; a name without description is kept.
    const auto hints = parseHintListing("    orphan line\nhw:CARD=X,DEV=1\n\n\t\nhw:CARD=X,DEV=2");
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[0].description, "");
    const auto choices = recognisableCaptureDevices(hints, "");
    EXPECT_EQ(choices[1].label, "hw:CARD=X,DEV=2 (hw:CARD=X,DEV=2)");
}

class MicrophoneCheckOnCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = std::string(LARKSPUR_CORPUS_DIR) + "/dev1/train/01_zoom_in.wav";
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "speech corpus not found at " << path;
        std::string error;
        auto samples = loadCaptureSamples(path, error);
        ASSERT_TRUE(samples) << error;
        // The recordings start with two seconds of quiet line.
        quiet.assign(samples->begin(), samples->begin() + 22050);
        speech.assign(samples->begin() + 22050, samples->end());
    }

    static std::vector<uint8_t> scaled(std::vector<uint8_t> samples, double factor)
    {
        for (uint8_t& s : samples)
            s = static_cast<uint8_t>(std::lround(128.0 + (s - 128.0) * factor));
        return samples;
    }

    static std::vector<uint8_t> withHiss(std::vector<uint8_t> samples, int spread)
    {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> noise(-spread, spread);
        for (uint8_t& s : samples)
            s = static_cast<uint8_t>(std::clamp(s + noise(random), 0, 255));
        return samples;
    }

    std::vector<uint8_t> quiet;
    std::vector<uint8_t> speech;
};

TEST_F(MicrophoneCheckOnCorpus, ClearRecordingPassesNoisyFailsQuietAsksForMoreLevel)
{
    const MicrophoneCheck good = checkMicrophone(quiet, speech);
    EXPECT_EQ(good.verdict, MicrophoneVerdict::Good) << adviceFor(good);
    EXPECT_LE(good.noiseLevel, 8.0);
    EXPECT_GT(good.loudestFrameEnergy, good.startThreshold);

    const MicrophoneCheck noisy = checkMicrophone(withHiss(quiet, 16), withHiss(speech, 16));
    EXPECT_EQ(noisy.verdict, MicrophoneVerdict::TooNoisy);
    EXPECT_GT(noisy.noiseLevel, 8.0);
    EXPECT_NE(adviceFor(noisy).find("Too noisy"), std::string::npos);

    // The same speaker with the input level turned far down: the line is
    // quiet, but no frame of the speech would start an utterance.
    const MicrophoneCheck faint = checkMicrophone(scaled(quiet, 0.08), scaled(speech, 0.08));
    EXPECT_EQ(faint.verdict, MicrophoneVerdict::TooQuiet);
    EXPECT_EQ(adviceFor(faint).rfind("Too quiet: raise the input level", 0), 0u);
}

TEST_F(MicrophoneCheckOnCorpus, QuietLineAloneIsJudgedByNoiseOnlyAndOffCentreLineIsRefused)
{
    EXPECT_EQ(checkMicrophone(quiet, {}).verdict, MicrophoneVerdict::Good);
    EXPECT_EQ(checkMicrophone(quiet, {}).loudestFrameEnergy, 0);
    std::vector<uint8_t> shifted = quiet;
    for (uint8_t& s : shifted)
        s = static_cast<uint8_t>(std::min(255, s + 20));
    EXPECT_EQ(checkMicrophone(shifted, speech).verdict, MicrophoneVerdict::OffCentre);
    // A device that delivered next to nothing is not called good.
    EXPECT_EQ(checkMicrophone(std::vector<uint8_t>(100, 128), speech).verdict, MicrophoneVerdict::NoSignal);
}

TEST_F(MicrophoneCheckOnCorpus, DigitalSilenceIsAMutedInputUnlessWordsComeThrough)
{
    // An unlinked or muted source gives the middle value and nothing else.
    const std::vector<uint8_t> silence(quiet.size(), 128);
    const MicrophoneCheck muted = checkMicrophone(silence, {});
    EXPECT_EQ(muted.verdict, MicrophoneVerdict::Silent);
    EXPECT_NE(adviceFor(muted).find("muted"), std::string::npos);
    EXPECT_EQ(checkMicrophone(silence, std::vector<uint8_t>(speech.size(), 128)).verdict,
              MicrophoneVerdict::Silent);
    // A microphone that suppresses its own noise is silent between words only.
    EXPECT_EQ(checkMicrophone(silence, speech).verdict, MicrophoneVerdict::Good);
}
