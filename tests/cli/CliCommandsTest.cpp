// larkspur-cli's train, recognize and dump commands on synthetic recordings:
// exit codes, the exact output formats other tools parse, and argument errors.

#include "cli/AudioInput.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "engine/WavFile.h"
#include "../engine/SignalBuilder.h"
#include "../engine/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace larkspur;
using namespace larkspur::cli;
using namespace larkspur::test;

namespace {

struct CommandResult {
    int code;
    std::string out;
    std::string err;
};

template <typename Command>
CommandResult run(Command command, const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

void writeWav(const std::string& path, const std::vector<uint8_t>& samples)
{
    const std::vector<uint8_t> image = makeWaveImage(samples);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                static_cast<std::streamsize>(image.size()));
}

// Two seconds of quiet line, then the signal.
std::vector<uint8_t> recording(const SignalBuilder& signal)
{
    SignalBuilder quietStart;
    quietStart.quiet(kCalibrationLength);
    std::vector<uint8_t> samples = quietStart.samples();
    samples.insert(samples.end(), signal.samples().begin(), signal.samples().end());
    return samples;
}

SignalBuilder repetitions(int count, int frames = 10)
{
    SignalBuilder signal;
    signal.padBlocks(1);
    for (int i = 0; i < count; ++i)
        signal.frames(frames, 20000).quietFrames(20).padBlocks(1);
    return signal.padBlocks(3);
}

class Cli : public ::testing::Test {
protected:
    TempDir dir;
    std::string table = dir.file("t.EAR");

    CommandResult train(const std::string& phrase, const std::string& wav)
    {
        return run(trainCommand, {"--table", table, "--phrase", phrase, "--action", "^c", "--input", wav});
    }
};

TEST_F(Cli, TrainStoresThreeSamplesAndSavesTableWithCompanion)
{
    writeWav(dir.file("four.wav"), recording(repetitions(4)));
    const CommandResult r = train("copy", dir.file("four.wav"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "You trained copy well!\n");
    EXPECT_EQ(std::filesystem::file_size(table), 10047u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("t.LK+")));

    // The same phrase again is refused; a new one goes into the next free slot.
    EXPECT_EQ(train("copy", dir.file("four.wav")).code, 2);
    writeWav(dir.file("two.wav"), recording(repetitions(2)));
    const CommandResult partial = train("paste", dir.file("two.wav"));
    EXPECT_EQ(partial.code, 1) << "only two samples were stored";
    EXPECT_EQ(partial.err, "Training \"paste\" failed: heard 2 of the 3 repetitions needed; the table was left as it "
                           "was.\n");
    EXPECT_EQ(std::filesystem::file_size(table), 10047u) << "a half-trained phrase must not be saved";
    // So it can be trained again at once, not refused as a duplicate.
    ASSERT_EQ(train("paste", dir.file("four.wav")).code, 0);
    EXPECT_EQ(std::filesystem::file_size(table), 2 * 10047u);

    const CommandResult dump = run(dumpCommand, {table});
    EXPECT_EQ(dump.code, 0);
    EXPECT_NE(dump.out.find("{\"slot\":1,\"phrase\":\"copy\",\"action\":\"^c\",\"trained\":true,\"samples\":["
                            "{\"present\":true,\"frames\":10,\"energy\":20000},"),
              std::string::npos)
        << dump.out;
    EXPECT_NE(dump.out.find("{\"slot\":2,\"phrase\":\"paste\""), std::string::npos);
}

TEST_F(Cli, TrainOnNoisyLineFailsCalibration)
{
    std::vector<uint8_t> noisy(kCalibrationLength * 11);
    for (std::size_t i = 0; i < noisy.size(); ++i)
        noisy[i] = i % 2 ? 140 : 116;
    writeWav(dir.file("noisy.wav"), noisy);
    const CommandResult r = train("copy", dir.file("noisy.wav"));
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.out.find("To much microphone line noise!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(table));
}

TEST_F(Cli, RecognizePrintsOneLinePerMatchedUtterance)
{
    writeWav(dir.file("four.wav"), recording(repetitions(4)));
    ASSERT_EQ(train("copy", dir.file("four.wav")).code, 0);

    // A matching repetition and one four times as long: both reach the table search.
    SignalBuilder test;
    test.padBlocks(1).frames(10, 20000).quietFrames(20).padBlocks(1).frames(40, 20000).quietFrames(20).padBlocks(3);
    writeWav(dir.file("test.wav"), recording(test));
    const CommandResult r = run(recognizeCommand, {"--table", table, "--input", dir.file("test.wav")});
    EXPECT_EQ(r.code, 0) << r.err;
    // One quiet block, the first utterance, its 20 quiet frames, one more quiet block.
    const int secondStart = kCalibrationLength + kBlockLength + 30 * kFrameLength + kBlockLength;
    EXPECT_EQ(r.out,
              "{\"utterance\":1,\"start\":23370,\"length\":2200,\"slot\":1,\"phrase\":\"copy\",\"confidence\":100,"
              "\"score\":0}\n"
              "{\"utterance\":2,\"start\":"
                  + std::to_string(secondStart)
                  + ",\"length\":8800,\"slot\":0,\"phrase\":\"\",\"confidence\":100,\"score\":2000000000}\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, EnhancedMatcherKeepsTheLineFormatAndAddsTheRepetitionFile)
{
    writeWav(dir.file("four.wav"), recording(repetitions(4)));
    const CommandResult trained = run(trainCommand, {"--table", table, "--phrase", "copy", "--action", "^c", "--input",
                                                     dir.file("four.wav"), "--matcher", "enhanced"});
    EXPECT_EQ(trained.code, 0) << trained.err;
    EXPECT_EQ(trained.out, "You trained copy well!\n");
    EXPECT_EQ(std::filesystem::file_size(table), 10047u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("t.LKX")));

    SignalBuilder test;
    test.padBlocks(1).frames(10, 20000).quietFrames(20).padBlocks(1).frames(40, 20000).quietFrames(20).padBlocks(3);
    writeWav(dir.file("test.wav"), recording(test));
    const CommandResult r =
        run(recognizeCommand, {"--table", table, "--input", dir.file("test.wav"), "--matcher", "enhanced"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"utterance\":1,\"start\":23370,\"length\":2200,\"slot\":1,\"phrase\":\"copy\","
                          "\"confidence\":100,\"score\":", 0), 0u) << r.out;
    // Four times as long: no command is close enough.
    const std::size_t second = r.out.find("{\"utterance\":2,");
    ASSERT_NE(second, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"slot\":0,\"phrase\":\"\",\"confidence\":100,\"score\":", second), std::string::npos);

    EXPECT_THROW(run(recognizeCommand, {"--table", table, "--input", dir.file("test.wav"), "--matcher", "best"}),
                 UsageError);
}

TEST_F(Cli, ArgumentAndInputErrorsAreReportedNotCrashed)
{
    EXPECT_THROW(run(trainCommand, {"--phrase", "x", "--action", "y", "--input", "a.wav"}), UsageError);
    EXPECT_THROW(run(recognizeCommand, {"--table", table, "--bogus", "1"}), UsageError);
    EXPECT_THROW(run(recognizeCommand, {"--table", table, "--input"}), UsageError);
    // Unusable recordings are input errors (one line, no usage text), named once.
    EXPECT_THROW(train("copy", dir.file("missing.wav")), InputError);
    std::ofstream(dir.file("t16.wav"), std::ios::binary) << "RIFF\x24\0\0\0WAVEfmt ";
    try {
        train("copy", dir.file("t16.wav"));
        ADD_FAILURE() << "a broken WAV file was accepted";
    } catch (const InputError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.find("t16.wav"), text.rfind("t16.wav")) << text;
        EXPECT_NE(text.find("t16.wav"), std::string::npos) << text;
    }

    writeWav(dir.file("four.wav"), recording(repetitions(4)));
    const CommandResult missingTable = run(recognizeCommand, {"--table", dir.file("none.EAR"), "--input", dir.file("four.wav")});
    EXPECT_EQ(missingTable.code, 1);
    EXPECT_NE(missingTable.err.find("none.EAR"), std::string::npos);
    EXPECT_THROW(run(trainCommand, {"--table", table, "--phrase", "x", "--action", "y", "--input",
                                    dir.file("four.wav"), "--accuracy", "ten"}),
                 UsageError);
}

} // namespace
