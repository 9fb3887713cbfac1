// larkspur-cli as a process: FIFOs that used to block it, two trains into one
// table at once, kills in the middle of a save, signals, a file-size limit,
// and the one-line messages for unusable input.

#include "engine/EngineTypes.h"
#include "engine/RecordCodec.h"
#include "engine/TextEncoding.h"
#include "engine/WavFile.h"
#include "tests/engine/SignalBuilder.h"
#include "tests/engine/TestSupport.h"
#include "tests/hardening/ProcessRunner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <fcntl.h>
#include <unistd.h>

using namespace larkspur;
using namespace larkspur::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kPatience = 20s;

void writeWav(const std::string& path, const std::vector<uint8_t>& samples)
{
    const std::vector<uint8_t> image = makeWaveImage(samples);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                static_cast<std::streamsize>(image.size()));
}

// Two seconds of quiet line, then count repetitions of a short loud word.
std::vector<uint8_t> repetitions(int count, int trailingBlocks = 3)
{
    SignalBuilder signal;
    signal.quiet(kCalibrationLength).padBlocks(1);
    for (int i = 0; i < count; ++i)
        signal.frames(10, 20000).quietFrames(20).padBlocks(1);
    signal.padBlocks(trailingBlocks);
    return signal.samples();
}

class CliProcess : public ::testing::Test {
protected:
    TempDir dir;
    TempDir runtime;
    std::string table = dir.file("t.EAR");
    std::string four = dir.file("four.wav");

    void SetUp() override { writeWav(four, repetitions(4)); }

    ChildOptions cli(std::vector<std::string> args, const std::string& name = "run")
    {
        ChildOptions options;
        options.args = {LARKSPUR_CLI};
        options.args.insert(options.args.end(), args.begin(), args.end());
        options.env = {{"XDG_RUNTIME_DIR", runtime.path().string()}};
        options.outFile = dir.file(name + ".out");
        options.errFile = dir.file(name + ".err");
        return options;
    }
    ChildEnd run(const ChildOptions& options, std::chrono::milliseconds timeout = kPatience)
    {
        return waitChild(startChild(options), timeout);
    }
    ChildOptions train(const std::string& phrase, const std::string& name = "run")
    {
        return cli({"train", "--table", table, "--phrase", phrase, "--action", "^c", "--input", four}, name);
    }
    std::string err(const std::string& name = "run") { return readText(dir.file(name + ".err")); }
    std::string out(const std::string& name = "run") { return readText(dir.file(name + ".out")); }
    std::vector<std::string> runtimeFiles()
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(runtime.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

int countOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST_F(CliProcess, PipesAsInputTableOrCompanionAreRefusedAtOnce)
{
    const std::string fifo = dir.file("in.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(run(train("copy")).code, 0) << err();

    ChildEnd end = run(cli({"recognize", "--table", table, "--input", fifo}));
    EXPECT_FALSE(end.timedOut);
    EXPECT_EQ(end.code, 1);
    EXPECT_EQ(err(), "larkspur-cli recognize: The file " + fifo + " is a named pipe (FIFO), not a regular file.\n");

    const std::string fifoTable = dir.file("p.EAR");
    ASSERT_EQ(::mkfifo(fifoTable.c_str(), 0600), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"dump", fifoTable},
             {"recognize", "--table", fifoTable, "--input", four},
             {"train", "--table", fifoTable, "--phrase", "x", "--action", "y", "--input", four}}) {
        end = run(cli(args));
        EXPECT_FALSE(end.timedOut) << args[0];
        EXPECT_EQ(end.code, 1) << args[0];
        EXPECT_NE(err().find(fifoTable + " is a named pipe"), std::string::npos) << err();
        EXPECT_EQ(countOf(err(), "\n"), 1) << err();
    }
    struct stat info {};
    ASSERT_EQ(::stat(fifoTable.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "train replaced the pipe";

    fs::remove(dir.file("t.LK+"));
    ASSERT_EQ(::mkfifo(dir.file("t.LK+").c_str(), 0600), 0);
    end = run(cli({"dump", table}));
    EXPECT_FALSE(end.timedOut);
    EXPECT_NE(err().find("t.LK+ is a named pipe"), std::string::npos) << err();
}

TEST_F(CliProcess, CompanionLinkedToAnEndlessDeviceWritesNothingWithoutBound)
{
    ASSERT_EQ(run(train("copy")).code, 0) << err();
    fs::remove(dir.file("t.LK+"));
    fs::create_symlink("/dev/zero", dir.file("t.LK+"));
    const ChildEnd end = run(cli({"dump", table}), 10s);
    EXPECT_FALSE(end.timedOut);
    EXPECT_EQ(end.code, 1);
    EXPECT_NE(err().find("t.LK+ is a character device"), std::string::npos) << err();
    EXPECT_TRUE(runtimeFiles().empty());
}

TEST_F(CliProcess, TwoTrainsIntoOneTableAtOnceKeepBothPhrases)
{
    for (int round = 0; round < 3; ++round) {
        fs::remove(table);
        fs::remove(dir.file("t.LK+"));
        const pid_t a = startChild(train("alpha", "a"));
        const pid_t b = startChild(train("bravo", "b"));
        const ChildEnd endA = waitChild(a, kPatience);
        const ChildEnd endB = waitChild(b, kPatience);
        ASSERT_EQ(endA.code, 0) << err("a");
        ASSERT_EQ(endB.code, 0) << err("b");
        ASSERT_EQ(run(cli({"dump", table})).code, 0);
        EXPECT_EQ(countOf(out(), "\"phrase\":\"alpha\""), 1) << out();
        EXPECT_EQ(countOf(out(), "\"phrase\":\"bravo\""), 1) << out();
        ASSERT_TRUE(fs::exists(dir.file("t.LK+"))) << "a: " << err("a") << "\nb: " << err("b");
        EXPECT_EQ(fs::file_size(dir.file("t.LK+")), 2u * kSampleRecordSize);
    }
}

TEST_F(CliProcess, ATableHeldByAnotherProgramFailsAfterABoundedWait)
{
    ASSERT_EQ(run(train("copy")).code, 0) << err();
    const auto before = fs::file_size(table);
    const int fd = ::open(table.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    ChildOptions options = train("paste");
    options.env["LARKSPUR_TABLE_LOCK_WAIT_MS"] = "300";
    const ChildEnd end = run(options);
    ::close(fd);
    EXPECT_EQ(end.code, 1);
    EXPECT_EQ(err(), "larkspur-cli train: " + table + ": the table is in use by another program.\n");
    EXPECT_EQ(fs::file_size(table), before);
}

// Kills at random moments of train runs: every phrase that reaches the table
// keeps its recording in the companion.
TEST_F(CliProcess, KillsDuringSavesNeverLeaveAPhraseWithoutItsRecording)
{
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(run(train("first")).code, 0) << err();
    const auto typical = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::mt19937 random(12345);
    int saved = 1;
    for (int i = 0; i < 30; ++i) {
        const pid_t child = startChild(train("phrase " + std::to_string(i)));
        // Late in the run, where the saves are (and sometimes after it).
        std::this_thread::sleep_for(typical / 2 + std::chrono::microseconds(random() % (typical.count() * 3 / 5 + 1)));
        ::kill(child, SIGKILL);
        waitChild(child, kPatience);

        const auto records = static_cast<int>(fs::file_size(table) / kRecordSize);
        ASSERT_EQ(fs::file_size(table) % kRecordSize, 0u);
        std::ifstream companion(dir.file("t.LK+"), std::ios::binary);
        for (int k = 1; k <= records; ++k) {
            SampleRecordBytes bytes{};
            companion.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            ASSERT_TRUE(companion) << "phrase " << k << " of " << records << " has no recording (kill " << i << ")";
            ASSERT_FALSE(viewSampleRecord(bytes).recording().empty()) << "phrase " << k << " (kill " << i << ")";
        }
        saved = records;
    }
    std::cout << saved << " phrases saved across 30 kills\n";
    // Nothing the killed runs began is left behind once a run completes.
    ASSERT_EQ(run(train("last")).code, 0) << err();
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".t."), std::string::npos) << entry.path();
    EXPECT_TRUE(runtimeFiles().empty());
}

TEST_F(CliProcess, SignalsLeaveNoStoreBehindAndStartSweepsOldOnes)
{
    // A long recording in real time keeps the program listening.
    writeWav(dir.file("long.wav"), repetitions(1, 2000));
    ASSERT_EQ(run(train("copy")).code, 0) << err();
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) {
        const pid_t child =
            startChild(cli({"recognize", "--table", table, "--input", dir.file("long.wav"), "--realtime"}));
        // A slow start (a sanitizer build on a busy machine) may take seconds.
        // The store is made when the engine starts and made afresh (deleted,
        // then created) when the table's recordings are copied in, so wait
        // until it has been there for a while.
        int present = 0;
        for (int i = 0; i < 3000 && present < 10; ++i) {
            present = runtimeFiles().size() == 1 ? present + 1 : 0;
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_EQ(present, 10) << "signal " << signalNumber;
        ::kill(child, signalNumber);
        const ChildEnd end = waitChild(child, kPatience);
        EXPECT_FALSE(end.timedOut);
        EXPECT_TRUE(runtimeFiles().empty()) << "signal " << signalNumber;
    }

    // A store a killed run left: the next run removes it.
    const pid_t gone = startChild(cli({"devices"}));
    waitChild(gone, kPatience);
    const std::string stale = runtime.file("larkspur-VCWaves-" + std::to_string(gone) + "-00000000.tmp");
    std::ofstream(stale) << "old recordings";
    ASSERT_EQ(run(cli({"dump", table})).code, 0);
    EXPECT_FALSE(fs::exists(stale));
}

TEST_F(CliProcess, AFileSizeLimitIsReportedAsAWriteError)
{
    ASSERT_EQ(run(train("copy")).code, 0) << err();
    const std::string tableBefore = readText(table);
    ChildOptions options = train("paste");
    options.fileSizeLimit = 20000;  // the store's second record does not fit
    const ChildEnd end = run(options);
    EXPECT_FALSE(end.signalled) << "ended by signal " << end.code;
    EXPECT_EQ(end.code, 1);
    EXPECT_NE(err().find("File too large"), std::string::npos) << err();
    EXPECT_EQ(readText(table), tableBefore);
    EXPECT_TRUE(runtimeFiles().empty());
}

TEST_F(CliProcess, UnusableInputIsOneLineNamingTheFileNotAUsageText)
{
    std::vector<uint8_t> wide = makeWaveImage(std::vector<uint8_t>(4000, 128));
    wide[34] = 16;  // bits per sample
    wide[32] = 2;   // block align
    std::ofstream(dir.file("wide.wav"), std::ios::binary).write(reinterpret_cast<const char*>(wide.data()), wide.size());
    std::ofstream(dir.file("text.wav")) << "just some text, not a recording";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.file("wide.wav"), dir.file("wide.wav") + ": 16-bit samples; larkspur needs 8-bit unsigned mono at 11025 Hz"},
        {dir.path().string(), "The file " + dir.path().string() + " is a folder, not a file."},
        {dir.file("text.wav"), dir.file("text.wav") + ": not a RIFF WAVE file"},
        {dir.file("none.wav"), "Could not open the file " + dir.file("none.wav") + ": No such file or directory"},
    };
    for (const auto& [input, message] : cases) {
        const ChildEnd end = run(cli({"train", "--table", table, "--phrase", "x", "--action", "y", "--input", input}));
        EXPECT_EQ(end.code, 1) << input;
        EXPECT_EQ(err().rfind("larkspur-cli train: " + message, 0), 0u) << err();
        EXPECT_EQ(countOf(err(), "\n"), 1) << err();
        EXPECT_EQ(err().find("usage"), std::string::npos) << err();
    }
    EXPECT_FALSE(fs::exists(table));

    // Without a runtime folder and with a temp folder that does not exist.
    ChildOptions options = train("copy");
    options.env = {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", "/nonexistent/tmp-z"}};
    EXPECT_EQ(run(options).code, 1);
    EXPECT_NE((out() + err()).find("/nonexistent/tmp-z"), std::string::npos) << out() << err();
    EXPECT_FALSE(fs::exists(table));
}

TEST_F(CliProcess, PhrasesInAnyEncodingComeOutAsUtf8Json)
{
    ASSERT_EQ(run(train("caf\xe9")).code, 0) << err();
    ASSERT_EQ(run(cli({"dump", table})).code, 0);
    EXPECT_TRUE(isValidUtf8(out()));
    EXPECT_NE(out().find("\"phrase\":\"caf\xc3\xa9\""), std::string::npos) << out();

    // A table written by an older program holds Windows-1252 bytes.
    std::string bytes = readText(table);
    bytes[0] = 4;
    bytes.replace(1, 5, "na\xefve");
    std::ofstream(table, std::ios::binary) << bytes;
    ASSERT_EQ(run(cli({"dump", table})).code, 0);
    EXPECT_TRUE(isValidUtf8(out()));
    EXPECT_NE(out().find("\"phrase\":\"na\xc3\xafv\""), std::string::npos) << out();
}

} // namespace
