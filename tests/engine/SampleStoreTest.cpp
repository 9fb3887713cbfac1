// The sample store file and loading recordings for playback and plotting.

#include "engine/FileError.h"
#include "engine/SampleStore.h"
#include "engine/TVREngine32.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace larkspur;
using namespace larkspur::test;
namespace fs = std::filesystem;

namespace {

Bytes recordAt(const Bytes& file, int slot)
{
    const auto first = file.begin() + (slot - 1) * kSampleRecordSize;
    return Bytes(first, first + kSampleRecordSize);
}

Bytes plotBytes(const TVREngine32& engine)
{
    return Bytes(engine.PlotData().begin(), engine.PlotData().end());
}

class SampleStoreFile : public ::testing::Test {
protected:
    TempDir dir;
    SampleStore store{dir.file("store.tmp")};
};

TEST_F(SampleStoreFile, FreshStoreHoldsOneEmptyRecordForItsOwnerOnly)
{
    EXPECT_FALSE(store.exists());
    store.create();
    EXPECT_EQ(readBytes(store.path()), Bytes(13234, 0));
    struct stat info {};
    ASSERT_EQ(stat(store.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    store.remove();
    EXPECT_FALSE(store.exists());
    store.remove();  // already gone: fine
}

TEST_F(SampleStoreFile, StoringBeyondTheEndAppendsEmptyRecords)
{
    store.create();
    store.store(1, patternedAudio(2200, 1));  // the single empty record is overwritten
    EXPECT_EQ(readBytes(store.path()).size(), 13234u);
    EXPECT_EQ(viewSampleRecord(store.load(1)).count, 2200);

    const Bytes audio = patternedAudio(1540, 5);
    store.store(5, audio);
    const Bytes file = readBytes(store.path());
    ASSERT_EQ(file.size(), 66170u);
    for (int slot = 2; slot <= 4; ++slot)
        EXPECT_EQ(recordAt(file, slot), Bytes(13234, 0)) << slot;
    const SampleRecordBytes expected = encodeSampleRecord(audio);
    EXPECT_EQ(recordAt(file, 5), Bytes(expected.begin(), expected.end()));
    EXPECT_EQ(store.recordCount(), 5);

    // Inside the store a record is replaced in place.
    store.store(2, patternedAudio(13230, 2));
    EXPECT_EQ(readBytes(store.path()).size(), 66170u);
    const SampleRecordBytes two = store.load(2);
    EXPECT_EQ(viewSampleRecord(two).count, 13230);
    EXPECT_EQ(store.load(5), expected);
}

TEST_F(SampleStoreFile, DamagedTailIsOverwrittenNotShifted)
{
    Bytes damaged(13234 + 100, 0x55);
    writeBytes(store.path(), damaged);
    store.store(3, patternedAudio(440, 3));
    const Bytes file = readBytes(store.path());
    ASSERT_EQ(file.size(), 3u * 13234);
    EXPECT_EQ(recordAt(file, 2), Bytes(13234, 0));
    EXPECT_EQ(viewSampleRecord(store.load(3)).count, 440);
}

TEST_F(SampleStoreFile, PlantedLinkIsReplacedNotFollowed)
{
    writeBytes(dir.file("victim"), {1, 2, 3});
    fs::create_symlink(dir.file("victim"), store.path());
    store.create();
    EXPECT_FALSE(fs::is_symlink(store.path()));
    EXPECT_EQ(readBytes(dir.file("victim")), (Bytes{1, 2, 3}));
    EXPECT_EQ(readBytes(store.path()).size(), 13234u);

    // A link planted later is refused by the writer instead of being written through.
    store.remove();
    fs::create_symlink(dir.file("victim"), store.path());
    EXPECT_THROW(store.store(1, patternedAudio(220, 0)), EInOutError);
    EXPECT_EQ(readBytes(dir.file("victim")), (Bytes{1, 2, 3}));
}

TEST_F(SampleStoreFile, DefaultPathIsPrivateToTheProcessAndToEachStore)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    const std::string first = SampleStore::nextDefaultPath();
    SampleStore second;
    unsetenv("XDG_RUNTIME_DIR");
    const std::string third = SampleStore::nextDefaultPath();
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);

    const std::string stem = "larkspur-VCWaves-" + std::to_string(getpid()) + "-";
    EXPECT_EQ(fs::path(first).parent_path(), dir.path());
    EXPECT_EQ(fs::path(second.path()).parent_path(), dir.path());
    EXPECT_EQ(fs::path(first).filename().string().rfind(stem, 0), 0u) << first;
    EXPECT_EQ(fs::path(second.path()).filename().string().rfind(stem, 0), 0u) << second.path();
    EXPECT_NE(first, second.path());
    // Without a runtime folder: a folder of this user's own, not the shared temp folder.
    const fs::path folder = fs::path(third).parent_path();
    EXPECT_NE(folder, fs::temp_directory_path());
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::path(third).filename().string().rfind(stem, 0), 0u) << third;
}

class EngineSamples : public ::testing::Test {
protected:
    TempDir dir;
    RecordingMessages messages;
    TVREngine32 engine{EnginePlatform{.messages = &messages, .sampleStorePath = dir.file("store.tmp")}};

    void putTrained(int slot, bool trained = true)
    {
        engine.setVCRecord(slot);
        engine.setVoiceCommand("command " + std::to_string(slot));
        engine.UpdateVCRecord();
        engine.SetSampleTrained(1, trained ? 1 : 0);
    }

    SampleStore store() const { return SampleStore(engine.sampleStorePath()); }
};

TEST_F(EngineSamples, StoreLivesFromCreationToClearTableAndEngineEnd)
{
    std::string path;
    {
        TVREngine32 local{EnginePlatform{.sampleStorePath = dir.file("local.tmp")}};
        path = local.sampleStorePath();
        EXPECT_EQ(readBytes(path).size(), 13234u);
        local.ClearTable();
        EXPECT_FALSE(fs::exists(path));
        local.NewTable();
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(EngineSamples, LoadedRecordingReachesPlotDataWithItsZeroBytes)
{
    putTrained(1);
    Bytes audio = patternedAudio(1540, 9);
    audio[0] = 0;
    audio[1539] = 0;
    store().store(1, audio);
    ASSERT_TRUE(engine.LoadSample(1));
    EXPECT_EQ(engine.PlotDataLength(), 1540);
    EXPECT_EQ(plotBytes(engine), audio);
    EXPECT_EQ(Bytes(engine.utteranceSamples().begin(), engine.utteranceSamples().end()), audio);
}

TEST_F(EngineSamples, StoreSampleWritesTheUtteranceBufferIntoTheSlot)
{
    putTrained(1);
    const Bytes audio = patternedAudio(4400, 4);
    store().store(1, audio);
    ASSERT_TRUE(engine.LoadSample(1));

    engine.StoreSample(5);
    const Bytes file = readBytes(engine.sampleStorePath());
    ASSERT_EQ(file.size(), 66170u);
    EXPECT_EQ(recordAt(file, 4), Bytes(13234, 0));
    EXPECT_EQ(recordAt(file, 5), recordAt(file, 1));

    engine.StoreSample(0);
    engine.StoreSample(513);
    EXPECT_EQ(readBytes(engine.sampleStorePath()), file);
}

TEST_F(EngineSamples, NothingLoadsFromEmptySlotsOrAMissingStore)
{
    putTrained(1);
    store().store(1, patternedAudio(1540, 1));
    ASSERT_TRUE(engine.LoadSample(1));
    const Bytes before = plotBytes(engine);

    EXPECT_FALSE(engine.LoadSample(2));
    EXPECT_FALSE(engine.LoadSample(0));
    EXPECT_FALSE(engine.LoadSample(600));
    store().remove();
    EXPECT_FALSE(engine.LoadSample(1));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(plotBytes(engine), before);
}

TEST_F(EngineSamples, UntrainedVoiceCommandIsNotLoaded)
{
    putTrained(2, false);
    store().store(2, patternedAudio(1540, 2));
    EXPECT_FALSE(engine.LoadSample(2));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"The voice command is not trained!"});
    EXPECT_EQ(engine.PlotDataLength(), 0);
    engine.setShowMessages(false);
    EXPECT_FALSE(engine.LoadSample(2));
    EXPECT_EQ(messages.messages.size(), 1u);
}

TEST_F(EngineSamples, LoadingASlotBeyondTheStoreIsAnError)
{
    putTrained(3);
    store().store(2, patternedAudio(1540, 2));
    try {
        engine.LoadSample(3);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.errorCode(), EIO);
        EXPECT_NE(std::string(error.what()).find(engine.sampleStorePath()), std::string::npos);
    }
}

TEST_F(EngineSamples, RecordWithImpossibleCountIsNotPlayed)
{
    putTrained(1);
    putTrained(2);
    store().store(1, patternedAudio(1540, 1));
    ASSERT_TRUE(engine.LoadSample(1));
    const Bytes before = plotBytes(engine);
    for (int32_t count : {0, -1, 13231, INT32_MAX, INT32_MIN}) {
        SampleRecordBytes record = encodeSampleRecord(patternedAudio(13230, 3));
        putInt32(record, 0, count);
        Bytes file = readBytes(engine.sampleStorePath());
        file.resize(13234);
        append(file, record);
        writeBytes(engine.sampleStorePath(), file);
        EXPECT_FALSE(engine.LoadSample(2)) << count;
        EXPECT_EQ(plotBytes(engine), before) << count;
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(EngineSamples, RestoreCopiesTheCompanionByteForByte)
{
    Bytes companion;
    for (int k = 1; k <= 6; ++k)  // more than one copy chunk
        append(companion, encodeSampleRecord(patternedAudio(2200 * k, k)));
    companion.push_back(0x99);  // a foreign tail is copied as it is
    writeBytes(dir.file("t.LK+"), companion);
    store().store(9, patternedAudio(220, 0));
    EXPECT_TRUE(engine.RestoreSampleStore(dir.file("t.LK+")));
    EXPECT_EQ(readBytes(engine.sampleStorePath()), companion);
}

TEST_F(EngineSamples, CompanionAlwaysStartsWithStoreRecordOne)
{
    putTrained(3);
    for (int slot = 1; slot <= 3; ++slot)
        store().store(slot, patternedAudio(220 * slot, slot));
    EXPECT_TRUE(engine.SaveSampleStore(dir.file("c.LK+")));
    const Bytes file = readBytes(engine.sampleStorePath());
    Bytes expected = recordAt(file, 1);
    append(expected, recordAt(file, 3));
    EXPECT_EQ(readBytes(dir.file("c.LK+")), expected);
}

TEST_F(EngineSamples, CompanionOfAStoreWithADamagedTailEndsAtTheLastWholeRecord)
{
    putTrained(1);
    putTrained(2);
    Bytes file;
    append(file, encodeSampleRecord(patternedAudio(220, 1)));
    append(file, encodeSampleRecord(patternedAudio(440, 2)));
    file.resize(file.size() + 500, 7);
    writeBytes(engine.sampleStorePath(), file);
    EXPECT_TRUE(engine.SaveSampleStore(dir.file("c.LK+")));
    EXPECT_EQ(readBytes(dir.file("c.LK+")), Bytes(file.begin(), file.begin() + 2 * 13234));

    writeBytes(engine.sampleStorePath(), {});
    EXPECT_TRUE(engine.SaveSampleStore(dir.file("c.LK+")));
    EXPECT_TRUE(readBytes(dir.file("c.LK+")).empty());
}

} // namespace
