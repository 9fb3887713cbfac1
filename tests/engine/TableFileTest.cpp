// Opening and saving table files with their companion files, and the names
// derived from a table path.

#include "engine/FileError.h"
#include "engine/TVREngine32.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using namespace larkspur;
using namespace larkspur::test;
namespace fs = std::filesystem;

namespace {

const char* const kFilter = "Voice Command Tables (*.EAR)|*.EAR";
const char* const kNothingToSave = "The table does not contain voice commands. Nothing to save!";

class TableFiles : public ::testing::Test {
protected:
    TempDir dir;        // tables and companions
    TempDir storeDir;   // the engines' sample stores, kept apart from the tables
    RecordingMessages messages;
    ScriptedDialogs dialogs;
    TVREngine32 engine{platform("store.tmp")};

    EnginePlatform platform(const std::string& storeName)
    {
        return EnginePlatform{.messages = &messages, .dialogs = &dialogs,
                              .sampleStorePath = storeDir.file(storeName)};
    }

    static void putRecord(TVREngine32& target, int slot, const std::string& phrase, const std::string& action)
    {
        target.setVCRecord(slot);
        target.setVoiceCommand(phrase);
        target.setCommandString(action);
        target.UpdateVCRecord();
    }

    // Saves the engine's table under path without a dialog.
    static void saveAs(TVREngine32& target, ScriptedDialogs& answers, const std::string& path)
    {
        answers.saveAnswers.push_back(path);
        target.SaveTableAs();
    }

    void openCommandLine(TVREngine32& target, const std::string& path)
    {
        target.setTableName("COMMAND LINE");
        target.setFileName(path);
        target.OpenTable();
    }

    Bytes tableOf(std::initializer_list<VoiceCommandRecord> records)
    {
        Bytes bytes;
        for (const auto& record : records)
            append(bytes, encodeRecord(record));
        return bytes;
    }
};

TEST(TableNames, CompanionNameReplacesTheFirstEarExtension)
{
    EXPECT_EQ(TVREngine32::CompanionFileName("C:\\Tables\\Office.EAR"), "C:\\Tables\\Office.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("C:\\Tables\\office.ear"), "C:\\Tables\\office.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("C:\\Tables\\Office.Ear"), "C:\\Tables\\Office.Ear.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("C:\\A.EAR\\B.EAR"), "C:\\A.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("/home/u/Tables/Office.EAR"), "/home/u/Tables/Office.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("/home/u/office.ear"), "/home/u/office.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("/home/u/Office.Ear"), "/home/u/Office.Ear.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("/srv/A.EAR/B.EAR"), "/srv/A.LK+");
    // ".EAR" wins over an earlier ".ear".
    EXPECT_EQ(TVREngine32::CompanionFileName("/t/x.ear/y.EAR"), "/t/x.ear/y.LK+");
    EXPECT_EQ(TVREngine32::CompanionFileName("/home/u/home"), "/home/u/home.LK+");
}

TEST(TableNames, FileNamePartIsTheTextAfterTheLastSeparator)
{
    for (const char* path : {"D:\\x\\y.EAR", "D:y.EAR", "y.EAR", "/home/u/y.EAR", "D:\\x/y.EAR", "/a/b\\y.EAR"})
        EXPECT_EQ(TVREngine32::FileNamePart(path), "y.EAR") << path;
    // A colon counts only in a name without folders.
    EXPECT_EQ(TVREngine32::FileNamePart("/home/u/c:y.EAR"), "c:y.EAR");
    EXPECT_EQ(TVREngine32::FileNamePart("/home/u/"), "");
    EXPECT_EQ(TVREngine32::FileNamePart(""), "");
}

TEST_F(TableFiles, SavingDropsEmptySlotsAndOpeningRenumbersFromOne)
{
    putRecord(engine, 1, "one", "1");
    putRecord(engine, 5, "five", "5");
    putRecord(engine, 7, "seven", "7");
    saveAs(engine, dialogs, dir.file("t.EAR"));

    const Bytes file = readBytes(dir.file("t.EAR"));
    ASSERT_EQ(file.size(), 30141u);
    EXPECT_EQ(std::string(file.begin() + 10047 + 1, file.begin() + 10047 + 5), "five");
    EXPECT_EQ(file[2 * 10047], 5);
    EXPECT_FALSE(engine.TableTrained());

    TVREngine32 reader{platform("reader.tmp")};
    openCommandLine(reader, dir.file("t.EAR"));
    EXPECT_TRUE(reader.TableTrained());  // any record at all counts, trained or not
    EXPECT_EQ(reader.table().count(), 3);
    const char* phrases[] = {"one", "five", "seven"};
    for (int slot = 1; slot <= 3; ++slot) {
        reader.setVCRecord(slot);
        EXPECT_EQ(reader.VoiceCommand(), phrases[slot - 1]);
        EXPECT_FALSE(reader.VCTrained());
    }
}

TEST_F(TableFiles, SaveAsAppendsExtensionUnlessEarIsInTheName)
{
    putRecord(engine, 1, "one", "1");
    saveAs(engine, dialogs, dir.file("home"));
    EXPECT_EQ(engine.FileName(), dir.file("home.EAR"));
    EXPECT_EQ(engine.TableName(), "home.EAR");
    EXPECT_TRUE(fs::exists(dir.file("home.EAR")));
    EXPECT_TRUE(fs::exists(dir.file("home.LK+")));

    saveAs(engine, dialogs, dir.file("home.ear"));
    EXPECT_EQ(engine.FileName(), dir.file("home.ear.EAR"));
    EXPECT_EQ(engine.TableName(), "home.ear.EAR");
    EXPECT_TRUE(fs::exists(dir.file("home.ear.EAR")));
    EXPECT_TRUE(fs::exists(dir.file("home.ear.LK+")));
    EXPECT_EQ(dialogs.filters, (std::vector<std::string>{kFilter, kFilter}));
}

TEST_F(TableFiles, SaveOfUntitledTableAsksForANameEvenWithFileNameSet)
{
    putRecord(engine, 1, "one", "1");
    engine.setFileName(dir.file("preset.EAR"));
    engine.SaveTable();  // cancelled
    EXPECT_EQ(dialogs.filters.size(), 1u);
    EXPECT_FALSE(fs::exists(dir.file("preset.EAR")));
    EXPECT_EQ(engine.TableName(), "Untitled");

    dialogs.saveAnswers.push_back(dir.file("named.EAR"));
    engine.SaveTable();
    EXPECT_EQ(engine.TableName(), "named.EAR");
    EXPECT_TRUE(fs::exists(dir.file("named.EAR")));

    // Once named, saving writes there without asking.
    putRecord(engine, 2, "two", "2");
    engine.SaveTable();
    EXPECT_EQ(dialogs.filters.size(), 2u);
    EXPECT_EQ(readBytes(dir.file("named.EAR")).size(), 2u * 10047);
}

TEST_F(TableFiles, CancelledOrMissingDialogsChangeNothing)
{
    putRecord(engine, 1, "one", "1");
    saveAs(engine, dialogs, dir.file("t.EAR"));
    const Bytes saved = readBytes(dir.file("t.EAR"));
    putRecord(engine, 2, "two", "2");

    engine.OpenTable();    // open dialog cancelled
    engine.SaveTableAs();  // save dialog cancelled
    EXPECT_EQ(dialogs.filters.size(), 3u);
    EXPECT_EQ(engine.table().count(), 2);
    EXPECT_EQ(engine.TableName(), "t.EAR");
    EXPECT_EQ(engine.FileName(), dir.file("t.EAR"));
    EXPECT_TRUE(fs::exists(engine.sampleStorePath()));
    EXPECT_EQ(readBytes(dir.file("t.EAR")), saved);
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"t.EAR", "t.LK+"}));

    TVREngine32 lonely{EnginePlatform{.messages = &messages, .sampleStorePath = storeDir.file("lonely.tmp")}};
    putRecord(lonely, 1, "one", "1");
    lonely.OpenTable();
    lonely.SaveTableAs();
    lonely.SaveTable();
    EXPECT_EQ(lonely.table().count(), 1);
    EXPECT_EQ(lonely.TableName(), "Untitled");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(TableFiles, CommandLineOpenShowsNoDialogAndNamesTableByItsPath)
{
    writeBytes(dir.file("y.EAR"), tableOf({patternedRecord(1)}));
    writeBytes(dir.file("y.LK+"), {});
    openCommandLine(engine, dir.file("y.EAR"));
    EXPECT_TRUE(dialogs.filters.empty());
    EXPECT_EQ(engine.TableName(), dir.file("y.EAR"));
    EXPECT_EQ(engine.FileName(), dir.file("y.EAR"));
    EXPECT_EQ(engine.table().count(), 1);
}

TEST_F(TableFiles, DialogOpenSetsNamesFromTheChosenPath)
{
    writeBytes(dir.file("office.ear"), tableOf({patternedRecord(1), patternedRecord(2)}));
    writeBytes(dir.file("office.LK+"), {});
    dialogs.openAnswers.push_back(dir.file("office.ear"));
    engine.OpenTable();
    EXPECT_EQ(dialogs.filters, std::vector<std::string>{kFilter});
    EXPECT_EQ(engine.FileName(), dir.file("office.ear"));
    EXPECT_EQ(engine.TableName(), "office.ear");
    EXPECT_EQ(engine.table().count(), 2);
    EXPECT_TRUE(messages.messages.empty());  // office.LK+ was found
}

TEST_F(TableFiles, EmptyTableFileOpensAsEmptyUntrainedTable)
{
    putRecord(engine, 1, "one", "1");
    engine.SetSampleTrained(1, 1);
    ASSERT_TRUE(engine.TableTrained());
    writeBytes(dir.file("empty.EAR"), {});
    writeBytes(dir.file("empty.LK+"), {});
    openCommandLine(engine, dir.file("empty.EAR"));
    EXPECT_EQ(engine.table().count(), 0);
    EXPECT_FALSE(engine.TableTrained());
}

TEST_F(TableFiles, EmptyTableIsNotSaved)
{
    engine.setTableName("t.EAR");
    engine.setFileName(dir.file("t.EAR"));
    putRecord(engine, 2, "two", "2");  // slot 1 empty counts as an empty table
    engine.SaveTable();
    engine.SaveTableAs();
    EXPECT_EQ(messages.messages, (std::vector<std::string>{kNothingToSave, kNothingToSave}));
    EXPECT_TRUE(dialogs.filters.empty());
    EXPECT_TRUE(folderEntries(dir.path()).empty());

    engine.setShowMessages(false);
    engine.SaveTable();
    EXPECT_EQ(messages.messages.size(), 2u);
}

TEST_F(TableFiles, MissingCompanionLeavesTableUsableWithoutRecordings)
{
    writeBytes(dir.file("bare.EAR"), tableOf({patternedRecord(1), patternedRecord(2)}));
    openCommandLine(engine, dir.file("bare.EAR"));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"File not found:\r" + dir.file("bare.LK+") +
                                                          "\rCan not plot and playback trained voice commands!"});
    EXPECT_FALSE(fs::exists(engine.sampleStorePath()));
    EXPECT_EQ(engine.table().count(), 2);
    EXPECT_TRUE(engine.TableTrained());

    // Training still records templates, but no audio goes anywhere.
    engine.setVCRecord(2);
    engine.SetSampleTrained(3, 1);
    engine.StoreSample(2);
    EXPECT_FALSE(fs::exists(engine.sampleStorePath()));
    EXPECT_FALSE(engine.LoadSample(1));
    EXPECT_FALSE(engine.SaveSampleStore(dir.file("other.LK+")));
    EXPECT_EQ(messages.messages.size(), 1u);

    engine.SaveTable();
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"bare.EAR"});
    EXPECT_EQ(readBytes(dir.file("bare.EAR")).size(), 2u * 10047);

    // With messages off the open is silent, and a new table brings the store back.
    engine.setShowMessages(false);
    openCommandLine(engine, dir.file("bare.EAR"));
    EXPECT_EQ(messages.messages.size(), 1u);
    engine.NewTable();
    EXPECT_EQ(readBytes(engine.sampleStorePath()).size(), 13234u);
}

TEST_F(TableFiles, FullRoundTripKeepsRecordsAndCompanionIdentical)
{
    const Bytes table = tableOf({patternedRecord(1), patternedRecord(2), patternedRecord(3)});
    Bytes companion;
    for (int k = 1; k <= 3; ++k)
        append(companion, encodeSampleRecord(patternedAudio(1540 * k, k)));
    writeBytes(dir.file("a.EAR"), table);
    writeBytes(dir.file("a.LK+"), companion);

    openCommandLine(engine, dir.file("a.EAR"));
    EXPECT_EQ(readBytes(engine.sampleStorePath()), companion);
    engine.setTableName("a.EAR");
    engine.setFileName(dir.file("b.EAR"));
    engine.SaveTable();
    EXPECT_EQ(readBytes(dir.file("b.EAR")), table);
    EXPECT_EQ(readBytes(dir.file("b.LK+")), companion);

    TVREngine32 fresh{platform("fresh.tmp")};
    openCommandLine(fresh, dir.file("b.EAR"));
    ASSERT_EQ(fresh.table().count(), 3);
    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_EQ(encodeRecord(*fresh.table().record(slot)), encodeRecord(*engine.table().record(slot))) << slot;
    ASSERT_TRUE(fresh.LoadSample(2));
    EXPECT_EQ(Bytes(fresh.PlotData().begin(), fresh.PlotData().end()), patternedAudio(3080, 2));
}

TEST_F(TableFiles, CompanionKeepsOnlyStoreRecordsOfSavedSlots)
{
    // Store records 1..6 each carry their slot number as length; slots 1, 4 and 9 are used.
    for (int slot = 1; slot <= 6; ++slot)
        SampleStore(engine.sampleStorePath()).store(slot, patternedAudio(slot * 220, slot));
    putRecord(engine, 1, "one", "1");
    putRecord(engine, 4, "four", "4");
    putRecord(engine, 9, "nine", "9");
    saveAs(engine, dialogs, dir.file("t.EAR"));

    const Bytes companion = readBytes(dir.file("t.LK+"));
    ASSERT_EQ(companion.size(), 2u * 13234);  // the store ends before slot 9
    EXPECT_EQ(getInt32(companion, 0), 220);
    EXPECT_EQ(getInt32(companion, 13234), 4 * 220);
}

TEST_F(TableFiles, TableWithMoreThan512RecordsKeepsTheFirst512AndFails)
{
    Bytes table;
    for (int k = 1; k <= 513; ++k) {
        VoiceCommandRecord record;
        record.phrase = "command " + std::to_string(k);
        append(table, encodeRecord(record));
    }
    writeBytes(dir.file("big.EAR"), table);
    writeBytes(dir.file("big.LK+"), {});
    try {
        openCommandLine(engine, dir.file("big.EAR"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.errorCode(), EIO);
        EXPECT_NE(std::string(error.what()).find("more than 512"), std::string::npos) << error.what();
    }
    EXPECT_EQ(engine.table().count(), 512);
    engine.setVCRecord(512);
    EXPECT_EQ(engine.VoiceCommand(), "command 512");
    EXPECT_TRUE(engine.TableTrained());
    EXPECT_EQ(engine.TableName(), dir.file("big.EAR"));
    EXPECT_FALSE(fs::exists(engine.sampleStorePath()));  // the companion is never reached
}

TEST_F(TableFiles, TruncatedTableFileKeepsTheWholeRecordsAndFails)
{
    putRecord(engine, 9, "stale", "x");
    Bytes table = tableOf({patternedRecord(1), patternedRecord(2)});
    table.resize(table.size() + 100, 0x41);
    writeBytes(dir.file("cut.EAR"), table);
    writeBytes(dir.file("cut.LK+"), {});
    try {
        openCommandLine(engine, dir.file("cut.EAR"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.errorCode(), EIO);
        EXPECT_NE(std::string(error.what()).find(dir.file("cut.EAR")), std::string::npos);
    }
    EXPECT_EQ(engine.table().count(), 2);
    EXPECT_NE(engine.table().record(2), nullptr);
    EXPECT_EQ(engine.table().record(3), nullptr);
    EXPECT_EQ(engine.table().record(9), nullptr);
}

TEST_F(TableFiles, MissingTableFileFailsWithTheSystemErrorAfterClearingTheTable)
{
    putRecord(engine, 1, "one", "1");
    try {
        openCommandLine(engine, dir.file("absent.EAR"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.errorCode(), ENOENT);
        EXPECT_NE(std::string(error.what()).find(dir.file("absent.EAR")), std::string::npos);
    }
    EXPECT_EQ(engine.table().count(), 0);
    EXPECT_EQ(engine.TableName(), dir.file("absent.EAR"));
    EXPECT_FALSE(fs::exists(engine.sampleStorePath()));
}

TEST_F(TableFiles, FailedSaveKeepsTheOldFilesAndLeavesNoTemporaryFile)
{
    for (int slot = 1; slot <= 7; ++slot)
        SampleStore(engine.sampleStorePath()).store(slot, patternedAudio(13230, slot));
    putRecord(engine, 1, "one", "1");
    putRecord(engine, 5, "five", "5");
    saveAs(engine, dialogs, dir.file("t.EAR"));
    const Bytes oldTable = readBytes(dir.file("t.EAR"));
    const Bytes oldCompanion = readBytes(dir.file("t.LK+"));
    ASSERT_EQ(oldTable.size(), 2u * 10047);
    ASSERT_EQ(oldCompanion.size(), 2u * 13234);

    putRecord(engine, 7, "seven", "7");
    {
        // Dies in the middle of the second record of the table.
        FileSizeLimit limit(15000);
        try {
            engine.SaveTable();
            FAIL() << "no error";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.errorCode(), EFBIG);
        }
    }
    EXPECT_EQ(readBytes(dir.file("t.EAR")), oldTable);
    EXPECT_EQ(readBytes(dir.file("t.LK+")), oldCompanion);
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"t.EAR", "t.LK+"}));

    {
        // The companion (39702 bytes) is written first and fails, so the
        // table (30141 bytes) is not touched: the pair stays consistent.
        FileSizeLimit limit(35000);
        EXPECT_THROW(engine.SaveTable(), EInOutError);
    }
    EXPECT_EQ(readBytes(dir.file("t.EAR")), oldTable);
    EXPECT_EQ(readBytes(dir.file("t.LK+")), oldCompanion);
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"t.EAR", "t.LK+"}));
}

TEST_F(TableFiles, SaveReplacesTheFileALinkPointsToAndKeepsItsMode)
{
    putRecord(engine, 1, "one", "1");
    saveAs(engine, dialogs, dir.file("real.EAR"));
    fs::permissions(dir.file("real.EAR"), fs::perms(0640));
    fs::create_symlink(dir.file("real.EAR"), dir.file("link.EAR"));
    putRecord(engine, 2, "two", "2");
    saveAs(engine, dialogs, dir.file("link.EAR"));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.EAR")));
    EXPECT_EQ(readBytes(dir.file("real.EAR")).size(), 2u * 10047);
    EXPECT_EQ(fs::status(dir.file("real.EAR")).permissions(), fs::perms(0640));
}

} // namespace
