// Hostile files for the engine: pipes, devices and folders where files belong,
// endless companions, links, tables changed behind the program's back, the
// order of the two files of a save, and recordings streamed from disk.

#include "engine/FileCaptureDevice.h"
#include "engine/FileError.h"
#include "engine/FileHandle.h"
#include "engine/SampleStore.h"
#include "engine/TVREngine32.h"
#include "engine/TableFile.h"
#include "engine/WavFile.h"
#include "tests/engine/TestSupport.h"
#include "tests/engine/WaveBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace larkspur;
using namespace larkspur::test;
namespace fs = std::filesystem;

namespace {

constexpr int64_t kFullStore = int64_t{kMaxVoiceCommands} * kSampleRecordSize;

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EInOutError& e) {
        return e.what();
    }
    return "(no error)";
}

void putRecord(TVREngine32& engine, int slot, const std::string& phrase)
{
    engine.setVCRecord(slot);
    engine.setVoiceCommand(phrase);
    engine.setCommandString("^c");
    engine.UpdateVCRecord();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class ScriptedQuestions : public EngineQuestions {
public:
    bool askYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return answer;
    }
    std::vector<std::string> asked;
    bool answer = false;
};

class HostileFiles : public ::testing::Test {
protected:
    TempDir dir;
    RecordingMessages messages;
    ScriptedDialogs dialogs;
    ScriptedQuestions questions;
    TVREngine32 engine{EnginePlatform{.messages = &messages, .dialogs = &dialogs, .questions = &questions,
                                      .sampleStorePath = dir.file("store.tmp")}};

    void openCommandLine(const std::string& path)
    {
        engine.setTableName("COMMAND LINE");
        engine.setFileName(path);
        engine.OpenTable();
    }
    void saveAs(const std::string& path)
    {
        dialogs.saveAnswers.push_back(path);
        engine.SaveTableAs();
    }
};

TEST_F(HostileFiles, PipesDevicesAndFoldersAreRefusedByNameWithoutBlocking)
{
    const std::string fifo = dir.file("pipe.EAR");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(TVREngine32::FileExists(fifo));  // returns at once, no writer needed
    const std::string asTable = errorOf([&] { openCommandLine(fifo); });
    EXPECT_NE(asTable.find(fifo + " is a named pipe (FIFO)"), std::string::npos) << asTable;

    // A real table whose companion is a pipe.
    putRecord(engine, 1, "copy");
    saveAs(dir.file("t.EAR"));
    fs::remove(dir.file("t.LK+"));
    ASSERT_EQ(::mkfifo(dir.file("t.LK+").c_str(), 0600), 0);
    const std::string asCompanion = errorOf([&] { openCommandLine(dir.file("t.EAR")); });
    EXPECT_NE(asCompanion.find(dir.file("t.LK+") + " is a named pipe"), std::string::npos) << asCompanion;

    std::string error;
    EXPECT_FALSE(WavReader::open(fifo, error));
    EXPECT_NE(error.find(fifo), std::string::npos) << error;
    EXPECT_FALSE(FileCaptureDevice::fromWavFile(dir.path().string(), error));
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
    EXPECT_EQ(error.find("too large"), std::string::npos) << error;
    EXPECT_NE(errorOf([&] { FileHandle::openForReading("/dev/zero"); }).find("character device"), std::string::npos);
}

TEST_F(HostileFiles, SavesNeverReplaceADeviceOrPipeAndGoThroughLinks)
{
    putRecord(engine, 1, "copy");
    const std::string fifo = dir.file("pipe.EAR");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(errorOf([&] { writeTableFile(fifo, engine.table()); }).find("named pipe"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // A null device node of our own (root only), never /dev/null itself.
    const std::string node = dir.file("null.EAR");
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_NE(errorOf([&] { writeTableFile(node, engine.table()); }).find("character device"),
                  std::string::npos);
        ASSERT_EQ(::lstat(node.c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }

    // Through a link: the linked file changes, the link stays a link.
    fs::create_directory(dir.file("real"));
    writeFile(dir.file("real/t.EAR"), "");
    fs::create_symlink(dir.file("real/t.EAR"), dir.file("link.EAR"));
    writeTableFile(dir.file("link.EAR"), engine.table());
    EXPECT_TRUE(fs::is_symlink(dir.file("link.EAR")));
    EXPECT_EQ(fs::file_size(dir.file("real/t.EAR")), 10047u);
    // A link whose file does not exist yet creates that file.
    fs::create_symlink("real/new.EAR", dir.file("dangling.EAR"));
    writeTableFile(dir.file("dangling.EAR"), engine.table());
    EXPECT_TRUE(fs::is_symlink(dir.file("dangling.EAR")));
    EXPECT_EQ(fs::file_size(dir.file("real/new.EAR")), 10047u);
}

TEST_F(HostileFiles, CompanionCopyStopsAtTheTablesLastPossibleRecord)
{
    const std::string big = dir.file("big.LK+");
    {
        std::ofstream touch(big);
    }
    fs::resize_file(big, 20 * 1024 * 1024);  // sparse: nothing real to copy past record 512
    SampleStore store(dir.file("copy.tmp"));
    store.copyFrom(big);
    EXPECT_EQ(static_cast<int64_t>(fs::file_size(dir.file("copy.tmp"))), kFullStore);

    // An endless device is no companion at all.
    fs::create_symlink("/dev/zero", dir.file("zero.LK+"));
    EXPECT_NE(errorOf([&] { store.copyFrom(dir.file("zero.LK+")); }).find("zero.LK+ is a character device"),
              std::string::npos);
}

TEST_F(HostileFiles, SavingOverATableChangedOnDiskAsksFirst)
{
    putRecord(engine, 1, "copy");
    saveAs(dir.file("t.EAR"));
    ASSERT_TRUE(questions.asked.empty());
    engine.SaveTable();  // unchanged on disk: no question
    EXPECT_TRUE(questions.asked.empty());

    // Another program writes the table meanwhile.
    const std::string foreign(2 * 10047, '\0');
    writeFile(dir.file("t.EAR"), foreign);
    questions.answer = false;
    engine.SaveTable();
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_NE(questions.asked[0].find(dir.file("t.EAR")), std::string::npos);
    EXPECT_EQ(fs::file_size(dir.file("t.EAR")), foreign.size()) << "No must leave the other program's table";

    questions.answer = true;
    engine.SaveTable();
    EXPECT_EQ(questions.asked.size(), 2u);
    EXPECT_EQ(fs::file_size(dir.file("t.EAR")), 10047u);
    engine.SaveTable();  // our own save is not a change behind our back
    EXPECT_EQ(questions.asked.size(), 2u);

    // Opening remembers the file too.
    openCommandLine(dir.file("t.EAR"));
    std::ofstream(dir.file("t.EAR"), std::ios::app) << std::string(10047, '\0');
    engine.SaveTable();
    EXPECT_EQ(questions.asked.size(), 3u);
}

TEST_F(HostileFiles, TheCompanionIsWrittenBeforeTheTable)
{
    putRecord(engine, 1, "copy");
    saveAs(dir.file("t.EAR"));
    const auto companionBefore = fs::file_size(dir.file("t.LK+"));
    putRecord(engine, 2, "paste");
    engine.StoreSample(2);
    questions.answer = true;  // yes, save over whatever is there now
    // Make the table's own write fail: its place is taken by a folder.
    fs::remove(dir.file("t.EAR"));
    fs::create_directory(dir.file("t.EAR"));
    EXPECT_NE(errorOf([&] { engine.SaveTable(); }).find("is a folder"), std::string::npos);
    // The companion already holds the new phrase's record, so a table that
    // reaches the disk can never name a phrase without its recording.
    EXPECT_EQ(fs::file_size(dir.file("t.LK+")), companionBefore + kSampleRecordSize);
}

// The file device reads a recording a buffer at a time: the same samples as
// reading it whole, whatever chunks precede the data.
TEST(StreamedRecording, DeliversExactlyTheSamplesOfTheWholeFile)
{
    TempDir dir;
    std::vector<uint8_t> samples(3 * kBlockLength + 17);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i * 7);
    const auto image =
        WaveBuilder().chunk("LIST", {'x', 'y', 'z'}).fmt(1, 1, 11025, 8).chunk("junk", {1}).data(samples).image();
    writeFile(dir.file("in.wav"), std::string(image.begin(), image.end()));

    std::string error;
    auto device = FileCaptureDevice::fromWavFile(dir.file("in.wav"), error);
    ASSERT_TRUE(device) << error;
    EXPECT_EQ(device->remaining(), static_cast<int64_t>(samples.size()));
    ASSERT_EQ(device->open(), 0);
    std::array<uint8_t, kBlockLength> data{};
    CaptureBuffer buffer{data.data(), kBlockLength};
    ASSERT_EQ(device->prepareBuffer(buffer), 0);
    std::vector<uint8_t> delivered;
    while (device->addBuffer(buffer) == 0)
        delivered.insert(delivered.end(), data.begin(), data.end());
    EXPECT_EQ(delivered, std::vector<uint8_t>(samples.begin(), samples.begin() + 3 * kBlockLength));
    EXPECT_EQ(device->remaining(), 17);

    // Lengths are checked as for a whole image.
    const auto cut = WaveBuilder().fmt(1, 1, 11025, 8).chunkWithSize("data", 1000, {1, 2, 3, 4}).image();
    writeFile(dir.file("cut.wav"), std::string(cut.begin(), cut.end()));
    EXPECT_FALSE(FileCaptureDevice::fromWavFile(dir.file("cut.wav"), error));
    EXPECT_EQ(error, dir.file("cut.wav") + ": WAV file is truncated (the data chunk declares 1000 bytes, 4 are present)");
    const auto wide = WaveBuilder().fmt(1, 1, 11025, 16).data({0, 0}).image();
    writeFile(dir.file("wide.wav"), std::string(wide.begin(), wide.end()));
    EXPECT_FALSE(FileCaptureDevice::fromWavFile(dir.file("wide.wav"), error));
    EXPECT_EQ(error, dir.file("wide.wav") + ": 16-bit samples; larkspur needs 8-bit unsigned mono at 11025 Hz");
}

long peakResidentKb()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One hour of audio (40 MB) played through the file device: the peak
// resident size grows by far less than the recording.
TEST(StreamedRecording, AnHourLongRecordingKeepsMemoryFlat)
{
    TempDir dir;
    constexpr int64_t kHour = int64_t{kSampleRate} * 3600;
    {
        std::vector<uint8_t> header = makeWaveImage({});
        const auto size = static_cast<uint32_t>(kHour);
        for (int i = 0; i < 4; ++i) {
            header[40 + i] = static_cast<uint8_t>(size >> (8 * i));
            header[4 + i] = static_cast<uint8_t>((size + 36) >> (8 * i));
        }
        std::ofstream out(dir.file("hour.wav"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
        const std::vector<char> second(kSampleRate, static_cast<char>(128));
        for (int s = 0; s < 3600; ++s)
            out.write(second.data(), static_cast<std::streamsize>(second.size()));
    }
    const long before = peakResidentKb();
    std::string error;
    auto device = FileCaptureDevice::fromWavFile(dir.file("hour.wav"), error);
    ASSERT_TRUE(device) << error;
    ASSERT_EQ(device->open(), 0);
    std::array<uint8_t, kBlockLength> data{};
    CaptureBuffer buffer{data.data(), kBlockLength};
    ASSERT_EQ(device->prepareBuffer(buffer), 0);
    int64_t delivered = 0;
    while (device->addBuffer(buffer) == 0)
        delivered += kBlockLength;
    EXPECT_EQ(delivered, kHour - kHour % kBlockLength);
    const long grownKb = peakResidentKb() - before;
    std::cout << "peak resident size grew by " << grownKb << " kB for a one-hour recording\n";
    EXPECT_LT(grownKb, 20 * 1024);
}

} // namespace
